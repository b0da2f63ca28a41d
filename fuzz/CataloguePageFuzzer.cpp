// libFuzzer target: the site's catalogue pages. The input is a WAP area page
// (read as a country list or as a country's regions) or an extended-search
// page with the car makes. An area list never holds a name twice, however
// the name is written, and its ids have the stored shape.
#include "FuzzSupport.h"

#include "data/TdmFriend.h"
#include "platform/Text.h"
#include "search/CarCatalogue.h"
#include "search/TAreaLoad.h"

#include <cstdlib>
#include <memory>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    static std::unique_ptr<data::TdmFriend> dm = std::make_unique<data::TdmFriend>();
    fuzzsupport::TChoices choices(data, size);
    const std::string page = fuzzsupport::Text(data, size);
    const uint32_t kind = choices.Next(3);
    if (kind == 2) {
        search::TakeCarMakes(page);
        return 0;
    }
    data::TXMLTable& table = kind == 0 ? static_cast<data::TXMLTable&>(dm->Countries()) : dm->Regions();
    const auto query = kind == 0 ? search::TAreaLoad::Countries("id", "Country")
                                 : search::TAreaLoad::Regions("3159_0_0_0", "id", "Region");
    table.ClearRecords();
    // Twice: the second reading of the page adds nothing.
    search::TAreaLoad::ReadPage(query, page, table);
    const int rows = table.RecordCount();
    search::TAreaLoad::ReadPage(query, page, table);
    if (table.RecordCount() != rows) std::abort();
    std::set<std::string> names;
    for (int i = 0; i < rows; ++i) {
        const std::string id = data::TXMLTable::NodeText(table.RecordNode(i), "id");
        if (!names.insert(data::TXMLTable::NodeText(table.RecordNode(i), query.nameField)).second) std::abort();
        if (text::Split(id, '_').size() != 4 || !id.starts_with(query.prefix) || !id.ends_with(query.suffix)) std::abort();
    }
    return 0;
}
