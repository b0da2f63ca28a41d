#include "search/CarCatalogue.h"

#include "data/TdmFriend.h"
#include "platform/Text.h"
#include "search/CarModelTables.h"
#include "search/SitePage.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

namespace search {
namespace {

struct SiteCarMake {
    std::string id;
    std::string name;
};

std::string ExtendedSearchUrl(std::string_view host) { return "http://" + std::string(host) + "/search_ext.phtml"; }

std::string FetchExtendedSearchPage(std::string_view host) {
    TSubmit client;
    return FetchSitePage(client, ExtendedSearchUrl(host));
}

// A hosting's own page served in place of the site's (as UTF-8, whatever the
// site speaks): the address leads to no dating site.
bool IsHostingPage(std::string_view body) {
    const std::string utf8 = text::SanitizeUtf8(body);
    return utf8.find("Страница не найдена") != std::string::npos ||
           utf8.find("Этот адрес свободен") != std::string::npos;
}

// The options of the page's first "avto_id" list, "не важно" left out.
std::vector<SiteCarMake> ReadCarMakes(const std::string& body) {
    web::TFindTags finder;
    SetSitePage(finder, body);

    std::vector<SiteCarMake> makes;
    for (const web::THTMLTag* select : finder.FindTags("select")) {
        if (web::TFindTags::GetParamValue(select, "name").find("avto_id") == std::string::npos) continue;
        const auto& items = finder.Items();
        for (size_t i = static_cast<size_t>(select->Index()) + 1; i < items.size(); ++i) {
            const web::THTMLTag* tag = items[i]->AsTag();
            if (!tag) continue;
            if (tag->Name() == "/SELECT") break;
            if (tag->Name() != "OPTION") continue;
            const web::THTMLText* text = finder.TextAfter(*tag);
            if (!text || text->Text() == "не важно") continue;
            makes.push_back({web::TFindTags::GetParamValue(tag, "value"), std::string(text->Text())});
        }
        break;
    }
    return makes;
}

} // namespace

bool TakeCarMakes(const std::string& body) {
    data::TCarGroup remembered;
    remembered.LoadFromRegistry();
    const std::vector<SiteCarMake> makes = ReadCarMakes(body);

    data::TCarGroup& cars = data::dmFriend().CarGroup();
    if (makes.empty()) {
        // Emptying the group now would make the next save wipe the user's
        // chosen cars from the registry; the remembered makes stand in.
        if (cars.RecordCount() > 0) return false;
        for (int i = 0; i < remembered.RecordCount(); ++i) {
            const std::string name = remembered.GetComment(i);
            cars.AddCar(remembered.GetId(i), name, name, remembered.GetModel(i));
        }
        cars.NoteStoredModels();
        return false;
    }
    cars.ClearRecords();
    for (const SiteCarMake& make : makes)
        cars.AddCar(make.id, make.name, make.name, remembered.GetModelByComment(make.name));
    // The models are the registry's: a save writes only those the user changes.
    cars.NoteStoredModels();
    return true;
}

bool LoadCarModelsFromSite(TVelmora& /*engine*/, std::string_view fallbackHost) {
    std::string body = FetchExtendedSearchPage(data::dmFriend().Settings().FinderServer());
    if (body.empty() || IsHostingPage(body)) body = FetchExtendedSearchPage(fallbackHost);
    return TakeCarMakes(body);
}

void LoadCarModelsFromSiteAsync(TSubmit& client, std::string_view fallbackHost, std::function<void(bool listed)> done) {
    FetchSitePageAsync(client, ExtendedSearchUrl(data::dmFriend().Settings().FinderServer()),
                       [&client, fallback = std::string(fallbackHost), done](std::string body) {
                           if (!body.empty() && !IsHostingPage(body)) {
                               done(TakeCarMakes(body));
                               return;
                           }
                           FetchSitePageAsync(client, ExtendedSearchUrl(fallback),
                                              [done](std::string page) { done(TakeCarMakes(page)); });
                       });
}

void FillCarModels(std::string_view makeId, std::vector<std::string>& list) {
    list.clear();
    const auto models = CarModelsOf(text::StrToIntDef(makeId, 0));
    if (models.empty()) return;
    list.reserve(models.size() + 1);
    list.emplace_back("любая");
    list.insert(list.end(), models.begin(), models.end());
}

} // namespace search
