// The area catalogue's pages: countries, regions, cities and metro stations
// listed by the site's WAP search pages.
//
// A stored id carries every level above it and is padded with "_0" to four
// levels (country_region_city_station), so the settings page can tell the
// level and the parents of every row. A parent's own id is read back by its
// position between the '_'s, never by deleting "_0" texts, which would also
// eat the leading zero of a site id.
#include "search/TAreaLoad.h"

#include "data/TXMLTable.h"
#include "data/TdmFriend.h"
#include "platform/Text.h"
#include "search/SitePage.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <unordered_set>

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

using text::Contains;

} // namespace

TAreaLoad::TQuery TAreaLoad::Countries(const std::string& idField, const std::string& nameField) {
    return {idField, nameField, "_0_0_0", "", "Country", 9, WapSearchUrl("other")};
}

TAreaLoad::TQuery TAreaLoad::Regions(const std::string& countryId, const std::string& idField,
                                     const std::string& nameField) {
    const std::string c = AreaIdPart(countryId, 0);
    return {idField, nameField, "_0_0", c + "_", "Region", 4, WapSearchUrl("Country." + c)};
}

TAreaLoad::TQuery TAreaLoad::Cities(const std::string& countryId, const std::string& regionId,
                                    const std::string& idField, const std::string& nameField) {
    const std::string c = AreaIdPart(countryId, 0);
    const std::string r = AreaIdPart(regionId, 1);
    return {idField, nameField, "_0", c + "_" + r + "_", "City", 7, WapSearchUrl("Region." + r)};
}

TAreaLoad::TQuery TAreaLoad::MetroStations(const std::string& countryId, const std::string& regionId,
                                           const std::string& cityId, const std::string& idField,
                                           const std::string& nameField) {
    const std::string c = AreaIdPart(countryId, 0);
    const std::string r = AreaIdPart(regionId, 1);
    const std::string t = AreaIdPart(cityId, 2);
    return {idField, nameField, "", c + "_" + r + "_" + t + "_", "Metro", 7, WapSearchUrl("City." + t)};
}

std::string TAreaLoad::PageUrl(const TQuery& query, int page) {
    std::string url = query.urlTemplate;
    if (const size_t at = url.find("{page}"); at != std::string::npos) url.replace(at, 6, std::to_string(page));
    return url;
}

void TAreaLoad::ReadPage(const TQuery& query, std::string_view page, data::TXMLTable& table) {
    // WAP pages are UTF-8 whatever they declare; broken sequences are replaced.
    web::TFindTags finder;
    finder.SetHTML(text::SanitizeUtf8(page));
    // The names the table holds, as it stores them: a page may list tens of
    // thousands of links, and looking each up row by row would take hours.
    std::unordered_set<std::string> names;
    for (int i = 0; i < table.RecordCount(); ++i)
        names.insert(data::TXMLTable::NodeText(table.RecordNode(i), query.nameField));
    for (const web::THTMLTag* anchor : finder.FindTags("a")) {
        const std::string href = web::TFindTags::GetParamValue(anchor, "href");
        if (!Contains(href, "/?area=search") || !Contains(href, query.kind)) continue;
        const web::THTMLText* text = finder.TextAfter(*anchor);
        if (!text) continue;
        const std::string name(text->Text());
        // The page's own navigation links point at the same kind of address.
        if (Contains(name, "...") || Contains(name, "Поиск") || Contains(name, "Выбор региона")) continue;

        // Without a '.' the link names no area: taking the whole address
        // as its id would store an id that no later address can use.
        const size_t dot = href.find('.');
        if (dot == std::string::npos) continue;
        std::string id = href.substr(dot + 1);
        if (const size_t amp = id.find('&'); amp != std::string::npos) id.resize(amp);
        // An id that is empty or holds '_' could not be read back from the stored id.
        if (id.empty() || Contains(id, "_")) continue;

        if (!names.insert(data::TXMLTable::StoredText(name)).second) continue;
        const pugi::xml_node record = table.NewRecordNode();
        data::TXMLTable::SetNodeText(record, query.idField, query.prefix + id + query.suffix);
        data::TXMLTable::SetNodeText(record, query.nameField, name);
    }
}

TAreaLoad::TAreaLoad() : m_client(std::make_unique<TSubmit>()) {}

TAreaLoad::~TAreaLoad() = default;

void TAreaLoad::Start(TQuery query, data::TXMLTable& table, TPageEvent onPage, TDoneEvent done) {
    Abort();
    m_query = std::move(query);
    m_table = &table;
    m_onPage = std::move(onPage);
    m_done = std::move(done);
    m_page = 1;
    m_failure.clear();
    table.ClearRecords();
    FetchPage();
}

void TAreaLoad::Abort() {
    m_table = nullptr;
    m_client->Abort();
    m_client->Disconnect();
}

void TAreaLoad::FetchPage() {
    if (m_page > m_query.pageCount) {
        m_table = nullptr;
        // Last: the handler may end the load's owner.
        if (const TDoneEvent done = std::move(m_done)) done();
        return;
    }
    if (m_onPage) m_onPage(m_page, m_query.pageCount);
    FetchSitePageAsync(*m_client, PageUrl(m_query, m_page), [this](std::string page) {
        if (!m_table) return;
        if (m_client->LastFailure() != TSubmitFailure::None) m_failure = m_client->FailureMessage();
        ReadPage(m_query, page, *m_table);
        ++m_page;
        FetchPage();
    });
}

} // namespace search
