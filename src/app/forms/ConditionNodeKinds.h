#pragma once
// What a node of the conditions trees stands for. Roots and their items have
// fixed kinds; the attribute groups of the extended tree come in pairs, the
// group root on an even kind and its items on the odd kind after it.

#include "data/VocabularyTables.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace app {

enum TConditionNodeKind : uint8_t {
    nkMe = 0,            // root "Я"
    nkSeek = 1,          // root "Ищу"
    nkMyGender = 2,      // items of nkMe
    nkSeekGender = 3,    // items of nkSeek
    nkAge = 4,           // root "В возрасте"
    nkCountry = 5,       // root "Страна" and the chosen area below it
    nkRegion = 6,
    nkTown = 7,
    nkStation = 8,
    nkTarget = 9,        // purposes of acquaintance
    nkTargetItem = 10,
    nkSponsor = 11,      // material support
    nkSponsorItem = 12,
    nkReal = 13,
    nkOnlyReal = 14,
    nkExcludeReal = 15,
    nkPhoto = 16,
    nkWithPhoto = 17,
    nkWithoutPhoto = 18,
    nkVideo = 19,
    nkWithVideo = 20,
    nkWithoutVideo = 21,
    nkIntim = 22,
    nkOnlyIntim = 23,
    nkExcludeIntim = 24,
    nkPeriod = 25,       // extended tree: the period root, its items 26..30
    nkPeriodFirst = 26,
    nkPeriodLast = 30,
    nkPhotoRange = 31,
    nkVideoRange = 32,
    nkName = 33,
    nkMonthViews = 34,
    nkMyAge = 35,
    nkStature = 36,
    nkWeight = 37,
    nkMusic = 38,        // first attribute group root
    nkMarriage = 42,
    nkExcite = 60,
    nkLimbItem = 65,
    nkBust = 66,
    nkBustItem = 67,
    nkLimb = 64,
    nkLastGroupItem = 69,
    nkCar = 70,
    nkCarItem = 71,
};

inline constexpr bool IsAttributeGroupRoot(int kind) { return kind >= nkMusic && kind < nkCar && kind % 2 == 0; }
inline constexpr bool IsAttributeGroupItem(int kind) { return kind > nkMusic && kind <= nkLastGroupItem && kind % 2 == 1; }

// Parents whose items may be checked together; under every other parent a
// checked item excludes its siblings.
inline constexpr bool IsSeveralChoiceParent(int kind) {
    return kind == nkTarget || kind == nkSponsor || kind == nkMusic || kind == nkMusic + 2 || kind == nkExcite ||
           kind == nkCar;
}

// One attribute group of the extended tree: its root kind (the items take
// the next kind), caption, vocabulary table and the search parameter that
// holds the chosen ids.
struct TAttributeGroupNode {
    uint8_t Kind;
    std::string_view Caption;
    data::TVocabularyGroup Table;
    std::string_view Property;
    bool Several;
};

// In the order the extended tree shows them. The marriage group is built
// from the men's wording; both wordings share their captions.
inline constexpr std::array<TAttributeGroupNode, 16> AttributeGroupNodes{{
    {38, "Любит музыку", data::TVocabularyGroup::Music, "music", true},
    {40, "Занимается спортом", data::TVocabularyGroup::Sport, "sport", true},
    {42, "Состоит ли в браке", data::TVocabularyGroup::MarriageMan, "marriage", false},
    {44, "Есть ли дети?", data::TVocabularyGroup::Children, "children", false},
    {46, "С волосами на голове", data::TVocabularyGroup::Hair, "hair", false},
    {48, "Со знаком Зодиака", data::TVocabularyGroup::Zodiac, "zodiac", false},
    {50, "С телосложением", data::TVocabularyGroup::Figure, "figure", false},
    {52, "Отношение к курению", data::TVocabularyGroup::Smoking, "smoking", false},
    {54, "Отношение к наркотикам", data::TVocabularyGroup::Narcotic, "narcotic", false},
    {56, "Отношение к алкоголю", data::TVocabularyGroup::Alcohol, "alcohol", false},
    {58, "С материальным положением", data::TVocabularyGroup::Economic, "economic", false},
    {60, "Возбуждает", data::TVocabularyGroup::Excite, "excite", true},
    {62, "С ВИЧ-статусом", data::TVocabularyGroup::AIDS, "AIDS", false},
    {68, "Ориентация", data::TVocabularyGroup::Orientation, "orientation", false},
    {64, "С размером члена", data::TVocabularyGroup::Limb, "limb", false},
    {66, "С размером груди", data::TVocabularyGroup::Bust, "bust", false},
}};

// The group whose root is `kind`, or nullptr.
inline constexpr const TAttributeGroupNode* FindAttributeGroupNode(int kind) {
    for (const TAttributeGroupNode& group : AttributeGroupNodes)
        if (group.Kind == kind) return &group;
    return nullptr;
}

} // namespace app
