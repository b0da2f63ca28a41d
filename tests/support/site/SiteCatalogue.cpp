#include "support/site/SiteCatalogue.h"

namespace testsupport {

namespace {

std::vector<SiteArea> Stations(std::initializer_list<const char*> names, int firstId) {
    std::vector<SiteArea> stations;
    for (const char* name : names) stations.push_back({std::to_string(firstId++), name, {}});
    return stations;
}

} // namespace

std::vector<SiteArea> DefaultSiteAreas() {
    SiteArea moscow{"4400", "Москва",
                    Stations({"Арбатская", "Белорусская", "Киевская", "Курская", "Лубянка", "Маяковская",
                              "Новослободская", "Охотный ряд", "Парк культуры", "Пушкинская", "Смоленская",
                              "Тверская"},
                             101)};
    SiteArea petersburg{"4962", "Санкт-Петербург",
                        Stations({"Гостиный двор", "Невский проспект", "Площадь Восстания", "Технологический институт"},
                                 201)};
    SiteArea kiev{"10184", "Киев", Stations({"Крещатик", "Майдан Незалежности", "Арсенальная"}, 301)};

    SiteArea russia{"3159", "Россия",
                    {{"4312", "Москва и Московская обл.", {moscow, {"4401", "Зеленоград", {}}}},
                     {"4925", "Санкт-Петербург и область", {petersburg}},
                     {"5019", "Новосибирская обл.", {{"5020", "Новосибирск", {}}}}}};
    SiteArea ukraine{"9908", "Украина", {{"10227", "Киевская обл.", {kiev}}}};

    return {russia,
            ukraine,
            {"248", "Беларусь", {}},
            {"1894", "Казахстан", {}},
            {"1012", "Латвия", {}},
            {"1280", "Литва", {}},
            {"1393", "Эстония", {}},
            {"428", "Германия", {}},
            {"616", "Израиль", {}},
            {"5681", "США", {}},
            {"2303", "Молдова", {}},
            {"2788", "Армения", {}}};
}

std::vector<SiteCarMake> DefaultSiteCarMakes() {
    return {{"1", "Acura"},       {"4", "Alfa Romeo"},  {"10", "Audi"},       {"16", "BMW"},
            {"34", "Chevrolet"},  {"40", "Citroen"},    {"43", "Daewoo"},     {"61", "Fiat"},
            {"64", "Ford"},       {"73", "Honda"},      {"2", "Hyundai"},     {"5", "Infiniti"},
            {"11", "Jaguar"},     {"14", "Jeep"},       {"17", "Kia"},        {"26", "Land Rover"},
            {"29", "Lexus"},      {"44", "Mazda"},      {"47", "Mercedes-Benz"}, {"59", "Mitsubishi"},
            {"65", "Nissan"},     {"71", "Opel"},       {"74", "Peugeot"},    {"3", "Porsche"},
            {"9", "Renault"},     {"24", "Seat"},       {"27", "Skoda"},      {"36", "Subaru"},
            {"39", "Suzuki"},     {"42", "Toyota"},     {"48", "Volkswagen"}, {"51", "Volvo"},
            {"54", "ВАЗ"},        {"60", "ГАЗ"},        {"7", "УАЗ"}};
}

} // namespace testsupport
