// The area catalogue read waiting for each page: countries, regions, cities
// and metro stations from the site's WAP search pages (see TAreaLoad) into
// the data module's area tables.
#include "search/TVelmora.h"
#include "search/SitePage.h"
#include "search/TAreaLoad.h"

#include "web/TSubmit.h"

namespace search {
namespace {

void ReadAreas(const std::function<bool(int page, int pageCount)>& onPage, const TAreaLoad::TQuery& query,
               data::TXMLTable& table) {
    table.ClearRecords();
    for (int page = 1; page <= query.pageCount; ++page) {
        if (onPage && !onPage(page, query.pageCount)) break;
        TSubmit client;
        TAreaLoad::ReadPage(query, FetchSitePage(client, TAreaLoad::PageUrl(query, page)), table);
    }
}

} // namespace

void TVelmora::LoadCountries(const std::string& idField, const std::string& nameField, data::TXMLTable& table) {
    ReadAreas(OnAreaPage, TAreaLoad::Countries(idField, nameField), table);
}

void TVelmora::LoadRegions(const std::string& countryId, const std::string& idField, data::TXMLTable& table,
                           const std::string& nameField) {
    ReadAreas(OnAreaPage, TAreaLoad::Regions(countryId, idField, nameField), table);
}

void TVelmora::LoadCities(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                          const std::string& nameField, const std::string& idField) {
    ReadAreas(OnAreaPage, TAreaLoad::Cities(countryId, regionId, idField, nameField), table);
}

void TVelmora::LoadMetroStations(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                                 const std::string& nameField, const std::string& idField,
                                 const std::string& cityId) {
    ReadAreas(OnAreaPage, TAreaLoad::MetroStations(countryId, regionId, cityId, idField, nameField), table);
}

void TVelmora::LoadAreasFromWap(const std::string& idField, const std::string& nameField, const std::string& suffix,
                                const std::string& prefix, const std::string& kind, int pageCount,
                                const std::string& urlTemplate, data::TXMLTable& table) {
    ReadAreas(OnAreaPage, {idField, nameField, suffix, prefix, kind, pageCount, urlTemplate}, table);
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
