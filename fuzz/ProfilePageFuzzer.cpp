// libFuzzer target: checking a profile page against search conditions. The
// page is the input; the layout and the conditions (attribute choices,
// zodiac, car, height, weight and view ranges) are chosen from it too.
// Nothing is downloaded. The check must come to a verdict, the same one
// twice.
#include "FuzzSupport.h"

#include "data/TdmFriend.h"
#include "search/TVelmora.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// One or two ids of `group`'s rows joined by "|", or none.
std::string Pick(fuzzsupport::TChoices& choices, const data::TXMLTable& group) {
    std::string ids;
    const int count = group.RecordCount();
    if (count == 0) return ids;
    for (uint32_t n = choices.Next(3); n > 0; --n) {
        if (!ids.empty()) ids += "|";
        ids += data::TXMLTable::NodeText(group.RecordNode(int(choices.Next(uint32_t(count)))), "id");
    }
    return ids;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    static std::unique_ptr<data::TdmFriend> dm = [] {
        auto made = std::make_unique<data::TdmFriend>();
        made->CarGroup().AddCar("1", "Audi", "Audi", "");
        made->CarGroup().AddCar("2", "Lada", "Lada", "2107");
        return made;
    }();
    static search::TVelmora engine;
    fuzzsupport::TChoices choices(data, size);
    engine.SetSiteVersion(choices.Next(2) ? search::TVelmora::svNew : search::TVelmora::svOld);
    data::TFinderParams& p = engine.Params();
    p.SetZodiac(Pick(choices, dm->ZodiacGroup()));
    p.SetTarget(Pick(choices, dm->TargetGroup()));
    p.SetMusic(Pick(choices, dm->MusicGroup()));
    p.SetNarcotic(Pick(choices, dm->NarcoticGroup()));
    p.SetEconomic(Pick(choices, dm->EconomicGroup()));
    p.SetCar(Pick(choices, dm->CarGroup()));
    p.SetStatureMin(int32_t(choices.Next(3)) * 80);
    p.SetWeightMax(int32_t(choices.Next(3)) * 40);
    p.SetMonthViewCountMin(int32_t(choices.Next(2)));

    const std::string page = fuzzsupport::Text(data, size);
    search::TChecker& checker = engine.Checker(0);
    const bool verdict = checker.CheckPage(page);
    if (checker.CheckPage(page) != verdict) std::abort();
    return 0;
}
