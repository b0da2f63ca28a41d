#pragma once
// The fixed rows of the nineteen condition groups. Each row is one value the
// user can require in the conditions tree: `id` is what the search parameters
// store, `Comment` the tree's caption and `Condition` the text a profile page
// must show. The texts are the site's own wording and are compared with page
// text as they stand, so every byte is kept: the blank after "Би ", the
// guillemets, the short "Классическа", the letter case.
//
// The row table is generated from the vocabulary list; edit it only together
// with the counts checked at the end of this file.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace data {

// The texts below are UTF-8; a compiler set to another execution character
// set would change their bytes.
static_assert(std::string_view("Би").size() == 4);

// The condition groups in the order the data module creates and fills them.
enum class TVocabularyGroup : int {
    Target,
    Sponsor,
    Music,
    Sport,
    MarriageMan,
    MarriageWoman,
    Children,
    Hair,
    Zodiac,
    Figure,
    Smoking,
    Narcotic,
    Alcohol,
    Economic,
    Excite,
    AIDS,
    Limb,
    Bust,
    Orientation,
};

inline constexpr std::size_t VocabularyGroupCount = 19;

// One condition group: the data module's table that holds it, the search
// parameter whose "|"-joined id list selects its rows, and its row count.
struct TVocabularyGroupInfo {
    TVocabularyGroup Group;
    std::string_view Name;
    std::string_view Parameter;
    std::size_t RowCount;
};

// One row of a condition group.
struct TVocabularyRow {
    TVocabularyGroup Group;
    std::string_view id;
    std::string_view Comment;
    std::string_view Condition;
};

// Both marriage groups are selected by the same parameter: their ids end in
// "1" (a man's wording, "женат") and "2" (a woman's, "замужем").
inline constexpr std::array<TVocabularyGroupInfo, VocabularyGroupCount> VocabularyGroups{{
    {TVocabularyGroup::Target, "TargetGroup", "target", 13},
    {TVocabularyGroup::Sponsor, "SponsorGroup", "sponsor", 3},
    {TVocabularyGroup::Music, "MusicGroup", "music", 11},
    {TVocabularyGroup::Sport, "SportGroup", "sport", 12},
    {TVocabularyGroup::MarriageMan, "MarriageManGroup", "marriage", 4},
    {TVocabularyGroup::MarriageWoman, "MarriageWomanGroup", "marriage", 4},
    {TVocabularyGroup::Children, "ChildrenGroup", "children", 4},
    {TVocabularyGroup::Hair, "HairGroup", "hair", 7},
    {TVocabularyGroup::Zodiac, "ZodiacGroup", "zodiac", 12},
    {TVocabularyGroup::Figure, "FigureGroup", "figure", 6},
    {TVocabularyGroup::Smoking, "SmokingGroup", "smoking", 4},
    {TVocabularyGroup::Narcotic, "NarcoticGroup", "narcotic", 8},
    {TVocabularyGroup::Alcohol, "AlcoholGroup", "alcohol", 3},
    {TVocabularyGroup::Economic, "EconomicGroup", "economic", 4},
    {TVocabularyGroup::Excite, "ExciteGroup", "excite", 14},
    {TVocabularyGroup::AIDS, "AIDSGroup", "AIDS", 1},
    {TVocabularyGroup::Limb, "LimbGroup", "limb", 4},
    {TVocabularyGroup::Bust, "BustGroup", "bust", 3},
    {TVocabularyGroup::Orientation, "OrientationGroup", "orientation", 4},
}};

inline constexpr std::array<TVocabularyRow, 121> VocabularyRows{{
    // target
    {TVocabularyGroup::Target, "Friendship", "Дружба и общение", "Дружба и общение"},
    {TVocabularyGroup::Target, "Email", "Переписка", "Переписка"},
    {TVocabularyGroup::Target, "Love", "Любовь, романтические отношения", "Любовь, романтические отношения"},
    {TVocabularyGroup::Target, "SomeSex", "Секс на один-два раза", "Секс на один-два раза"},
    {TVocabularyGroup::Target, "Group", "Групповой секс", "Групповой секс"},
    {TVocabularyGroup::Target, "Virt", "Виртуальный секс", "Виртуальный секс"},
    {TVocabularyGroup::Target, "Intim", "Предлагает интим за деньги", "Предлагаю интим за деньги"},
    {TVocabularyGroup::Target, "IntimBuy", "Ищет интим за деньги", "Ищу интим за деньги"},
    {TVocabularyGroup::Target, "Family", "Брак, создание семьи", "Брак, создание семьи"},
    {TVocabularyGroup::Target, "Child", "Рождение, воспитание ребенка", "Рождение, воспитание ребенка"},
    {TVocabularyGroup::Target, "Fiktive", "Брак для вида", "Брак «для вида»"},
    {TVocabularyGroup::Target, "Rent", "Совместная аренда жилья", "Совместная аренда жилья"},
    {TVocabularyGroup::Target, "Sport", "Занятия спортом", "Занятия спортом"},
    // sponsor
    {TVocabularyGroup::Sponsor, "LookFor", "Хочет найти спонсора", "Хочу найти спонсора"},
    {TVocabularyGroup::Sponsor, "Iam", "Готов(а) стать спонсором", "стать спонсором"},
    {TVocabularyGroup::Sponsor, "No", "Не нуждается в спонсоре и не хочет им быть", "Не нуждаюсь в спонсоре и не хочу им быть"},
    // music
    {TVocabularyGroup::Music, "RussianMusic", "Русскую поп-музыку", "Русская поп-музыка"},
    {TVocabularyGroup::Music, "ForeignMusic", "Иностранную поп-музыку", "Иностранная поп-музыка"},
    {TVocabularyGroup::Music, "BardMusic", "Бардов, авторскую песню", "Барды, авторская песня"},
    {TVocabularyGroup::Music, "RussianRockMusic", "Русский рок", "Русский рок"},
    {TVocabularyGroup::Music, "BluesMusic", "Блюз, джаз", "Блюз, джаз"},
    {TVocabularyGroup::Music, "EtnicMusic", "Этническую, нью-эйдж", "Этническая, нью-эйдж"},
    {TVocabularyGroup::Music, "RapMusic", "Рэп", "Рэп"},
    {TVocabularyGroup::Music, "ClassicMusic", "Классическую", "Классическа"},
    {TVocabularyGroup::Music, "DanceMusic", "Танцевальную музыку", "Танцевальная музыка"},
    {TVocabularyGroup::Music, "RockMusic", "Рок, металл", "Рок, металл"},
    {TVocabularyGroup::Music, "ElectronicMusic", "Электронную", "Электронная"},
    // sport
    {TVocabularyGroup::Sport, "Run", "Бегом", "Бег"},
    {TVocabularyGroup::Sport, "Walk", "Прогулками", "Прогулки"},
    {TVocabularyGroup::Sport, "Fitness", "Фитнесом", "Фитнес"},
    {TVocabularyGroup::Sport, "Swim", "Плаванием", "Плавание"},
    {TVocabularyGroup::Sport, "ByCicle", "Велосипедом", "Велосипед"},
    {TVocabularyGroup::Sport, "SkateBoard", "Скейтбордом", "Скейтборд"},
    {TVocabularyGroup::Sport, "Roller", "Роликами", "Ролики"},
    {TVocabularyGroup::Sport, "Ski", "Лыжами, сноубордом", "Лыжи, сноуборд"},
    {TVocabularyGroup::Sport, "Daiving", "Подводным плаванием", "Подводное плавание"},
    {TVocabularyGroup::Sport, "Serfing", "Серфингом", "Серфинг"},
    {TVocabularyGroup::Sport, "Fighting", "Восточными единоборствами", "Восточные единоборства"},
    {TVocabularyGroup::Sport, "Ioga", "Медитацией, йогой", "Медитация, йога"},
    // marriage (men's wording)
    {TVocabularyGroup::MarriageMan, "TogetherMarriage1", "Да, живут вместе", "Да, женат, живем вместе"},
    {TVocabularyGroup::MarriageMan, "ApartMarriage1", "Да, живут порознь", "Да, женат, живем порознь"},
    {TVocabularyGroup::MarriageMan, "FictiveMarriage1", "Да, «для вида»", "Да, женат, «для вида»"},
    {TVocabularyGroup::MarriageMan, "NoMarriage1", "Нет", "Нет, не женат"},
    // marriage (women's wording)
    {TVocabularyGroup::MarriageWoman, "TogetherMarriage2", "Да, живут вместе", "Да, замужем, живем вместе"},
    {TVocabularyGroup::MarriageWoman, "ApartMarriage2", "Да, живут порознь", "Да, замужем, живем порознь"},
    {TVocabularyGroup::MarriageWoman, "FictiveMarriage2", "Да, «для вида»", "Да, замужем, «для вида»"},
    {TVocabularyGroup::MarriageWoman, "NoMarriage2", "Нет", "Нет, не замужем"},
    // children
    {TVocabularyGroup::Children, "NoChildren", "Нет", "Нет"},
    {TVocabularyGroup::Children, "WantChildren", "Нет, но хотел(а) бы", "Нет, но хотелось бы"},
    {TVocabularyGroup::Children, "TogetherChildren", "Есть, живут вместе", "Есть, живем вместе"},
    {TVocabularyGroup::Children, "ApartChildren", "Есть, живут порознь", "Есть, живем порознь"},
    // hair
    {TVocabularyGroup::Hair, "LightHair", "Светлыми", "Светлые"},
    {TVocabularyGroup::Hair, "DarkHair", "Темными", "Темные"},
    {TVocabularyGroup::Hair, "RedHair", "Рыжими", "Рыжие"},
    {TVocabularyGroup::Hair, "MelirovanieHair", "Мелированными", "Мелированные"},
    {TVocabularyGroup::Hair, "RichHair", "Яркими", "Яркие"},
    {TVocabularyGroup::Hair, "GreyHair", "Седыми", "Седые"},
    {TVocabularyGroup::Hair, "CleanHair", "Головой бритой наголо", "Голова бритая наголо"},
    // zodiac
    {TVocabularyGroup::Zodiac, "oven", "Овен", "Овен"},
    {TVocabularyGroup::Zodiac, "telez", "Телец", "Телец"},
    {TVocabularyGroup::Zodiac, "bliznezi", "Близнецы", "Близнецы"},
    {TVocabularyGroup::Zodiac, "rak", "Рак", "Рак"},
    {TVocabularyGroup::Zodiac, "lev", "Лев", "Лев"},
    {TVocabularyGroup::Zodiac, "deva", "Дева", "Дева"},
    {TVocabularyGroup::Zodiac, "vesi", "Весы", "Весы"},
    {TVocabularyGroup::Zodiac, "skorpion", "Скорпион", "Скорпион"},
    {TVocabularyGroup::Zodiac, "strelez", "Стрелец", "Стрелец"},
    {TVocabularyGroup::Zodiac, "kozerog", "Козерог", "Козерог"},
    {TVocabularyGroup::Zodiac, "vodoley", "Водолей", "Водолей"},
    {TVocabularyGroup::Zodiac, "ribi", "Рыбы", "Рыбы"},
    // figure
    {TVocabularyGroup::Figure, "ThinFigure", "Худощавым", "Худощавое"},
    {TVocabularyGroup::Figure, "NormalFigure", "Обычным", "Обычное"},
    {TVocabularyGroup::Figure, "SportsFigure", "Спортивным", "Спортивное"},
    {TVocabularyGroup::Figure, "AthleticFigure", "Мускулистым", "Мускулистое"},
    {TVocabularyGroup::Figure, "ThickFigure", "Плотным", "Плотное"},
    {TVocabularyGroup::Figure, "StoutFigure", "Полным", "Полное"},
    // smoking
    {TVocabularyGroup::Smoking, "NoSmoking", "Не курит", "Не курю"},
    {TVocabularyGroup::Smoking, "YesSmoking", "Курит", "Курю"},
    {TVocabularyGroup::Smoking, "SometimesSmoking", "Курит редко", "Редко"},
    {TVocabularyGroup::Smoking, "GiveUpSmoking", "Бросает", "Бросаю"},
    // narcotic
    {TVocabularyGroup::Narcotic, "NoNarcotic", "Никогда не принимал(а)", "Никогда не принимал"},
    {TVocabularyGroup::Narcotic, "NeverNarcotic", "Категорически не приемлет", "Категорически не приемлю"},
    {TVocabularyGroup::Narcotic, "SometimesNarcotic", "Покуривает «травку»", "Покуриваю «травку»"},
    {TVocabularyGroup::Narcotic, "LightNarcotic", "Принимает легкие", "Принимаю легкие"},
    {TVocabularyGroup::Narcotic, "YesNarcotic", "Принимает тяжелые", "Принимаю тяжелые"},
    {TVocabularyGroup::Narcotic, "GiveUpNarcotic", "Бросает", "Бросаю"},
    {TVocabularyGroup::Narcotic, "RecoverNarcotic", "Выздоравливает по NA", "Выздоравливаю по NA"},
    {TVocabularyGroup::Narcotic, "ThrowNarcotic", "Бросил(а)", "Бросил"},
    // alcohol
    {TVocabularyGroup::Alcohol, "NoAlcohol", "Не пьет вообще", "Не пью вообще"},
    {TVocabularyGroup::Alcohol, "SometimesAlcohol", "Пьет в компаниях изредка", "Пью в компаниях изредка"},
    {TVocabularyGroup::Alcohol, "YesAlcohol", "Любит выпить", "Люблю выпить"},
    // economic
    {TVocabularyGroup::Economic, "NonStable", "Непостоянные заработки", "Непостоянные заработки"},
    {TVocabularyGroup::Economic, "Stable", "Постоянный небольшой доход", "Постоянный небольшой доход"},
    {TVocabularyGroup::Economic, "Average", "Стабильный средний доход", "Стабильный средний доход"},
    {TVocabularyGroup::Economic, "Huge", "Хорошо зарабатывает", "Хорошо зарабатываю / обеспечен"},
    // excite
    {TVocabularyGroup::Excite, "Underclothes", "Нижнее белье", "Нижнее белье"},
    {TVocabularyGroup::Excite, "Smell", "Запахи", "Запахи"},
    {TVocabularyGroup::Excite, "Dark", "Темный цвет кожи", "Темный цвет кожи"},
    {TVocabularyGroup::Excite, "TatuPirsing", "Татуировки или пирсинг", "Татуировки или пирсинг"},
    {TVocabularyGroup::Excite, "Jeans", "Джинсы", "Джинсы"},
    {TVocabularyGroup::Excite, "Uniform", "Униформа", "Униформа"},
    {TVocabularyGroup::Excite, "Clothes", "Одежда", "Одежда"},
    {TVocabularyGroup::Excite, "Socks", "Чулки", "Чулки"},
    {TVocabularyGroup::Excite, "Foots", "Обувь", "Обувь"},
    {TVocabularyGroup::Excite, "Skin", "Кожа", "Кожа"},
    {TVocabularyGroup::Excite, "Latex", "Резина, латекс", "Резина, латекс"},
    {TVocabularyGroup::Excite, "Metall", "Металл", "Металл"},
    {TVocabularyGroup::Excite, "Hairiness", "Волосатость", "Волосатость"},
    {TVocabularyGroup::Excite, "Women", "Переодевание в женскую одежду", "Переодевание в женскую одежду"},
    // AIDS
    {TVocabularyGroup::AIDS, "YesAIDS", "Положительным (+)", "Положительный (инфицирован)"},
    // limb
    {TVocabularyGroup::Limb, "10Limb", "до 10 см", "до 10 см"},
    {TVocabularyGroup::Limb, "10-15Limb", "10-15 см", "10-15 см"},
    {TVocabularyGroup::Limb, "16-20Limb", "16-20 см", "16-20 см"},
    {TVocabularyGroup::Limb, "20Limb", "больше 20 см", "больше 20 см"},
    // bust
    {TVocabularyGroup::Bust, "SmallBust", "Маленькой", "Маленькая"},
    {TVocabularyGroup::Bust, "MiddleBust", "Средней", "Средняя"},
    {TVocabularyGroup::Bust, "BigBust", "Большой", "Большая"},
    // orientation
    {TVocabularyGroup::Orientation, "Getero", "Гетеро", "Гетеро"},
    {TVocabularyGroup::Orientation, "Bi", "Би ", "Би"},
    {TVocabularyGroup::Orientation, "Gay", "Гей", "Гей"},
    {TVocabularyGroup::Orientation, "Lesbi", "Лесби", "Лесби"},
}};

// The rows of one group, in the order they are appended to its table; an
// empty span for a value outside the enumeration.
constexpr std::span<const TVocabularyRow> VocabularyRowsOf(TVocabularyGroup group) {
    const auto index = static_cast<std::size_t>(group);
    if (index >= VocabularyGroupCount) return {};
    std::size_t first = 0;
    for (std::size_t i = 0; i < index; ++i) first += VocabularyGroups[i].RowCount;
    return std::span<const TVocabularyRow>(VocabularyRows).subspan(first, VocabularyGroups[index].RowCount);
}

namespace detail {
// True when the groups are listed in enumeration order, their counts add up
// to the row table, and every row lies in the block of its own group.
constexpr bool VocabularyIsConsistent() {
    std::size_t sum = 0;
    for (std::size_t i = 0; i < VocabularyGroupCount; ++i) {
        if (VocabularyGroups[i].Group != static_cast<TVocabularyGroup>(i)) return false;
        sum += VocabularyGroups[i].RowCount;
    }
    if (sum != VocabularyRows.size()) return false;
    for (std::size_t i = 0; i < VocabularyGroupCount; ++i)
        for (const TVocabularyRow& row : VocabularyRowsOf(static_cast<TVocabularyGroup>(i)))
            if (row.Group != static_cast<TVocabularyGroup>(i)) return false;
    return true;
}
} // namespace detail

static_assert(VocabularyRows.size() == 121);
static_assert(detail::VocabularyIsConsistent());
static_assert([] {
    constexpr std::array<std::size_t, VocabularyGroupCount> expected{
        13, 3, 11, 12, 4, 4, 4, 7, 12, 6, 4, 8, 3, 4, 14, 1, 4, 3, 4};
    for (std::size_t i = 0; i < VocabularyGroupCount; ++i)
        if (VocabularyGroups[i].RowCount != expected[i]) return false;
    return true;
}());

} // namespace data
