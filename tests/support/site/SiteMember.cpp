#include "support/site/SiteMember.h"

#include "data/VocabularyTables.h"

#include <algorithm>
#include <array>

namespace testsupport {

namespace {

using data::TVocabularyGroup;

constexpr std::array<const char*, 10> kWomen{"Анна",  "Мария",    "Елена", "Ольга", "Наталья",
                                             "Ирина", "Светлана", "Юлия",  "Катя",  "Татьяна"};
constexpr std::array<const char*, 10> kMen{"Алексей", "Дмитрий", "Сергей", "Андрей", "Михаил",
                                           "Иван",    "Николай", "Павел",  "Олег",   "Максим"};
constexpr std::array<const char*, 5> kAreas{"Москва", "Санкт-Петербург", "Киев", "Новосибирск", "Зеленоград"};

struct SampleCar {
    const char* make;
    const char* model;
};
constexpr std::array<SampleCar, 5> kCars{{{"BMW", "X5"}, {"Volkswagen", "Golf"}, {"ВАЗ", "Kalina"}, {"Toyota", "Camry"},
                                    {"Ford", ""}}};

// The id of row `k` (cycling) of a vocabulary group.
std::string Row(TVocabularyGroup group, int k) {
    const auto rows = data::VocabularyRowsOf(group);
    return std::string(rows[size_t(k) % rows.size()].id);
}

} // namespace

SiteMember SiteMember::Sample(int i) {
    SiteMember m("member" + std::to_string(i));
    const bool female = i % 2 == 0;
    m.gender = female ? "F" : "M";
    m.lookingFor = female ? "M" : "F";
    m.name = female ? kWomen[size_t(i / 2) % kWomen.size()] : kMen[size_t(i / 2) % kMen.size()];
    m.age = 18 + (i * 7) % 43;
    m.area = kAreas[size_t(i) % kAreas.size()];
    m.photos = i % 3 == 0 ? 0 : i % 17 + 1;
    m.intimPhotos = i % 11 == 5 ? 2 : 0;
    m.video = i % 7 == 3 ? 1 : 0;
    m.realUser = i % 4 == 1;
    m.vip = i % 9 == 2;
    m.intim = i % 13 == 6 || m.intimPhotos > 0;
    if (i % 5 != 4) m.wantedAge = std::to_string(std::max(18, m.age - 5)) + "-" + std::to_string(m.age + 10);

    m.purposes = {Row(TVocabularyGroup::Target, i), Row(TVocabularyGroup::Target, i + 5)};
    m.sponsor = Row(TVocabularyGroup::Sponsor, i);
    m.music = {Row(TVocabularyGroup::Music, i), Row(TVocabularyGroup::Music, i + 3)};
    m.sport = {Row(TVocabularyGroup::Sport, i)};
    m.marriage = Row(female ? TVocabularyGroup::MarriageWoman : TVocabularyGroup::MarriageMan, i);
    m.children = Row(TVocabularyGroup::Children, i);
    m.hair = Row(TVocabularyGroup::Hair, i);
    m.zodiac = Row(TVocabularyGroup::Zodiac, i);
    m.figure = Row(TVocabularyGroup::Figure, i);
    m.smoking = Row(TVocabularyGroup::Smoking, i);
    m.narcotic = Row(TVocabularyGroup::Narcotic, i);
    m.alcohol = Row(TVocabularyGroup::Alcohol, i);
    m.economic = Row(TVocabularyGroup::Economic, i);
    if (i % 4 == 0) m.excite = {Row(TVocabularyGroup::Excite, i / 4)};
    if (female) m.bust = Row(TVocabularyGroup::Bust, i);
    else if (i % 3 == 0) m.limb = Row(TVocabularyGroup::Limb, i);
    m.orientation = i % 10 == 7 ? "Bi" : "Getero";
    if (i % 3 == 2) {
        const SampleCar& car = kCars[size_t(i / 3) % kCars.size()];
        m.carMake = car.make;
        m.carModel = car.model;
    }
    m.viewsPerMonth = (i * 37) % 500;
    m.height = female ? 155 + i % 25 : 168 + i % 25;
    m.weight = female ? 48 + i % 20 : 65 + i % 30;
    return m;
}

std::vector<SiteMember> SiteMember::Samples(int count) {
    std::vector<SiteMember> members;
    for (int i = 0; i < count; ++i) members.push_back(Sample(i));
    return members;
}

} // namespace testsupport
