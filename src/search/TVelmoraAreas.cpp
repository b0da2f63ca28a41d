// The area catalogue: countries, regions, cities and metro stations read
// from the site's WAP search pages into the data module's area tables.
//
// A stored id carries every level above it and is padded with "_0" to four
// levels (country_region_city_station), so the settings page can tell the
// level and the parents of every row. A parent's own id is read back by its
// position between the '_'s, never by deleting "_0" texts, which would also
// eat the leading zero of a site id.
#include "search/TVelmora.h"
#include "search/SitePage.h"

#include "data/TdmFriend.h"
#include "platform/Text.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

namespace search {
namespace {

// The level's part of a stored id (0 country, 1 region, 2 city); empty when
// the id has no such part.
std::string AreaIdPart(std::string_view storedId, size_t level) {
    const std::vector<std::string> parts = text::Split(storedId, '_');
    return level < parts.size() ? parts[level] : std::string();
}

std::string WapSearchUrl(const std::string& where) {
    return "http://wap." + data::dmFriend().Settings().FinderServer() +
           "/?area=search&me=1&lookFor=2&where=" + where + "&page={page}";
}

// The body of one WAP page, empty when the request fails. WAP pages are
// UTF-8 whatever they declare; broken sequences are replaced.
std::string FetchWapPage(const std::string& url) {
    TSubmit client;
    return text::SanitizeUtf8(FetchSitePage(client, url));
}

using text::Contains;

} // namespace

void TVelmora::LoadCountries(const std::string& idField, const std::string& nameField, data::TXMLTable& table) {
    LoadAreasFromWap(idField, nameField, "_0_0_0", "", "Country", 9, WapSearchUrl("other"), table);
}

void TVelmora::LoadRegions(const std::string& countryId, const std::string& idField, data::TXMLTable& table,
                           const std::string& nameField) {
    const std::string c = AreaIdPart(countryId, 0);
    LoadAreasFromWap(idField, nameField, "_0_0", c + "_", "Region", 4, WapSearchUrl("Country." + c), table);
}

void TVelmora::LoadCities(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                          const std::string& nameField, const std::string& idField) {
    const std::string c = AreaIdPart(countryId, 0);
    const std::string r = AreaIdPart(regionId, 1);
    LoadAreasFromWap(idField, nameField, "_0", c + "_" + r + "_", "City", 7, WapSearchUrl("Region." + r), table);
}

void TVelmora::LoadMetroStations(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                                 const std::string& nameField, const std::string& idField,
                                 const std::string& cityId) {
    const std::string c = AreaIdPart(countryId, 0);
    const std::string r = AreaIdPart(regionId, 1);
    const std::string t = AreaIdPart(cityId, 2);
    LoadAreasFromWap(idField, nameField, "", c + "_" + r + "_" + t + "_", "Metro", 7, WapSearchUrl("City." + t),
                     table);
}

void TVelmora::LoadAreasFromWap(const std::string& idField, const std::string& nameField, const std::string& suffix,
                                const std::string& prefix, const std::string& kind, int pageCount,
                                const std::string& urlTemplate, data::TXMLTable& table) {
    table.ClearRecords();
    web::TFindTags finder;
    for (int page = 1; page <= pageCount; ++page) {
        if (OnAreaPage && !OnAreaPage(page, pageCount)) break;
        std::string url = urlTemplate;
        if (const size_t at = url.find("{page}"); at != std::string::npos)
            url.replace(at, 6, std::to_string(page));
        finder.SetHTML(FetchWapPage(url));

        for (const web::THTMLTag* anchor : finder.FindTags("a")) {
            const std::string href = web::TFindTags::GetParamValue(anchor, "href");
            if (!Contains(href, "/?area=search") || !Contains(href, kind)) continue;
            const web::THTMLText* text = finder.TextAfter(*anchor);
            if (!text) continue;
            const std::string name(text->Text());
            // The page's own navigation links point at the same kind of address.
            if (Contains(name, "...") || Contains(name, "Поиск") || Contains(name, "Выбор региона"))
                continue;

            // Without a '.' the link names no area: taking the whole address
            // as its id would store an id that no later address can use.
            const size_t dot = href.find('.');
            if (dot == std::string::npos) continue;
            std::string id = href.substr(dot + 1);
            if (const size_t amp = id.find('&'); amp != std::string::npos) id.resize(amp);
            // An id that is empty or holds '_' could not be read back from the stored id.
            if (id.empty() || Contains(id, "_")) continue;

            if (FindAreaRow(nameField, name, table) != -1) continue;
            const pugi::xml_node record = table.NewRecordNode();
            data::TXMLTable::SetNodeText(record, idField, prefix + id + suffix);
            data::TXMLTable::SetNodeText(record, nameField, name);
        }
    }
}

int TVelmora::FindAreaRow(const std::string& fieldName, const std::string& value, const data::TXMLTable& table) {
    // Rows hold their names as the table stores them (a NUL byte, for one,
    // is stored otherwise): the value is looked for in that form.
    const std::string stored = data::TXMLTable::StoredText(value);
    for (int i = 0; i < table.RecordCount(); ++i)
        if (data::TXMLTable::NodeText(table.RecordNode(i), fieldName) == stored) return i;
    return -1;
}

} // namespace search
