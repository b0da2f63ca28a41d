#pragma once
// The local site's catalogues: the area tree its WAP search pages list
// (countries, their regions, their cities, their metro stations) and the car
// makes of its extended-search page.

#include <string>
#include <vector>

namespace testsupport {

// One area with the site's own id; its children are the next level down
// (a country's regions, a region's cities, a city's stations).
struct SiteArea {
    std::string id;
    std::string name;
    std::vector<SiteArea> children;
};

// One option of the car-make list: the value (a make id of the program's
// model table) and the make as the site writes it.
struct SiteCarMake {
    std::string id;
    std::string name;
};

// Twelve countries (two WAP pages); Россия (3159) holds Москва и Московская
// обл. (4312) with Москва (4400, twelve stations) and Зеленоград, and
// Санкт-Петербург и область (4925) with Санкт-Петербург (4962, stations);
// Украина (9908) holds Киевская обл. (10227) with Киев (10184, stations).
std::vector<SiteArea> DefaultSiteAreas();

// Some thirty makes in the site's order (Latin names, then Cyrillic), ids as
// in the program's model table (16 "BMW", 48 "Volkswagen", 54 "ВАЗ", 7 "УАЗ" ...).
std::vector<SiteCarMake> DefaultSiteCarMakes();

} // namespace testsupport
