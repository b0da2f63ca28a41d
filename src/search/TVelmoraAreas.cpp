#include "search/TVelmora.h"

namespace search {

void TVelmora::LoadCountries(const std::string&, const std::string&, data::TXMLTable&) {}
void TVelmora::LoadRegions(const std::string&, const std::string&, data::TXMLTable&, const std::string&) {}
void TVelmora::LoadCities(const std::string&, const std::string&, data::TXMLTable&, const std::string&,
                          const std::string&) {}
void TVelmora::LoadMetroStations(const std::string&, const std::string&, data::TXMLTable&, const std::string&,
                                 const std::string&, const std::string&) {}
void TVelmora::LoadAreasFromWap(const std::string&, const std::string&, const std::string&, const std::string&,
                                const std::string&, int, const std::string&, data::TXMLTable&) {}
int TVelmora::FindAreaRow(const std::string&, const std::string&, const data::TXMLTable&) { return -1; }

} // namespace search
