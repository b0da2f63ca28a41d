#include "data/VocabularyTables.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace data;

namespace {

std::vector<std::string> IdsOf(TVocabularyGroup group) {
    std::vector<std::string> ids;
    for (const TVocabularyRow& row : VocabularyRowsOf(group)) ids.emplace_back(row.id);
    return ids;
}

const TVocabularyRow* FindRow(TVocabularyGroup group, std::string_view id) {
    for (const TVocabularyRow& row : VocabularyRowsOf(group))
        if (row.id == id) return &row;
    return nullptr;
}

} // namespace

TEST(VocabularyTables, GroupsComeInDataModuleOrderWithTheirParametersAndCounts) {
    struct Expected {
        TVocabularyGroup group;
        const char* name;
        const char* parameter;
        size_t count;
        const char* firstId;
        const char* lastId;
    };
    const Expected expected[] = {
        {TVocabularyGroup::Target, "TargetGroup", "target", 13, "Friendship", "Sport"},
        {TVocabularyGroup::Sponsor, "SponsorGroup", "sponsor", 3, "LookFor", "No"},
        {TVocabularyGroup::Music, "MusicGroup", "music", 11, "RussianMusic", "ElectronicMusic"},
        {TVocabularyGroup::Sport, "SportGroup", "sport", 12, "Run", "Ioga"},
        {TVocabularyGroup::MarriageMan, "MarriageManGroup", "marriage", 4, "TogetherMarriage1", "NoMarriage1"},
        {TVocabularyGroup::MarriageWoman, "MarriageWomanGroup", "marriage", 4, "TogetherMarriage2", "NoMarriage2"},
        {TVocabularyGroup::Children, "ChildrenGroup", "children", 4, "NoChildren", "ApartChildren"},
        {TVocabularyGroup::Hair, "HairGroup", "hair", 7, "LightHair", "CleanHair"},
        {TVocabularyGroup::Zodiac, "ZodiacGroup", "zodiac", 12, "oven", "ribi"},
        {TVocabularyGroup::Figure, "FigureGroup", "figure", 6, "ThinFigure", "StoutFigure"},
        {TVocabularyGroup::Smoking, "SmokingGroup", "smoking", 4, "NoSmoking", "GiveUpSmoking"},
        {TVocabularyGroup::Narcotic, "NarcoticGroup", "narcotic", 8, "NoNarcotic", "ThrowNarcotic"},
        {TVocabularyGroup::Alcohol, "AlcoholGroup", "alcohol", 3, "NoAlcohol", "YesAlcohol"},
        {TVocabularyGroup::Economic, "EconomicGroup", "economic", 4, "NonStable", "Huge"},
        {TVocabularyGroup::Excite, "ExciteGroup", "excite", 14, "Underclothes", "Women"},
        {TVocabularyGroup::AIDS, "AIDSGroup", "AIDS", 1, "YesAIDS", "YesAIDS"},
        {TVocabularyGroup::Limb, "LimbGroup", "limb", 4, "10Limb", "20Limb"},
        {TVocabularyGroup::Bust, "BustGroup", "bust", 3, "SmallBust", "BigBust"},
        {TVocabularyGroup::Orientation, "OrientationGroup", "orientation", 4, "Getero", "Lesbi"},
    };
    ASSERT_EQ(std::size(expected), VocabularyGroupCount);
    size_t total = 0;
    for (size_t i = 0; i < VocabularyGroupCount; ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(VocabularyGroups[i].Group, e.group);
        EXPECT_EQ(VocabularyGroups[i].Name, e.name);
        EXPECT_EQ(VocabularyGroups[i].Parameter, e.parameter);
        const auto rows = VocabularyRowsOf(e.group);
        ASSERT_EQ(rows.size(), e.count);
        EXPECT_EQ(rows.front().id, e.firstId);
        EXPECT_EQ(rows.back().id, e.lastId);
        for (const TVocabularyRow& row : rows) EXPECT_EQ(row.Group, e.group) << row.id;
        total += rows.size();
    }
    EXPECT_EQ(total, 121u);
}

TEST(VocabularyTables, GroupRowsTogetherAreTheWholeTableInOrder) {
    std::vector<const TVocabularyRow*> joined;
    for (const TVocabularyGroupInfo& info : VocabularyGroups)
        for (const TVocabularyRow& row : VocabularyRowsOf(info.Group)) joined.push_back(&row);
    ASSERT_EQ(joined.size(), VocabularyRows.size());
    for (size_t i = 0; i < joined.size(); ++i) EXPECT_EQ(joined[i], &VocabularyRows[i]) << i;
}

TEST(VocabularyTables, AGroupOutsideTheEnumerationHasNoRows) {
    EXPECT_TRUE(VocabularyRowsOf(static_cast<TVocabularyGroup>(19)).empty());
    EXPECT_TRUE(VocabularyRowsOf(static_cast<TVocabularyGroup>(-1)).empty());
}

// The ids are stored "|"-joined and looked up framed by "|", so within a group
// each must be unique and free of the separator.
TEST(VocabularyTables, IdsAreUniqueWithinAGroupAndHoldNoSeparator) {
    for (const TVocabularyGroupInfo& info : VocabularyGroups) {
        std::set<std::string> seen;
        for (const TVocabularyRow& row : VocabularyRowsOf(info.Group)) {
            EXPECT_FALSE(row.id.empty()) << info.Name;
            EXPECT_EQ(row.id.find('|'), std::string_view::npos) << row.id;
            EXPECT_TRUE(seen.insert(std::string(row.id)).second) << info.Name << " repeats " << row.id;
        }
    }
}

TEST(VocabularyTables, TextsAreValidUtf8AndOnlyTheBiCaptionHasAnOuterBlank) {
    std::vector<std::string> padded;
    for (const TVocabularyRow& row : VocabularyRows) {
        for (std::string_view t : {row.id, row.Comment, row.Condition}) {
            EXPECT_TRUE(text::IsValidUtf8(t)) << row.id;
            EXPECT_FALSE(t.empty()) << row.id;
            if (text::Trim(t) != t) padded.emplace_back(t);
        }
    }
    EXPECT_EQ(padded, std::vector<std::string>{"Би "});
}

TEST(VocabularyTables, PurposeAndSponsorIdsAreTheFlagNames) {
    // Every purpose flag but RegSex has a row, in the flags' order.
    EXPECT_EQ(IdsOf(TVocabularyGroup::Target),
              (std::vector<std::string>{"Friendship", "Email", "Love", "SomeSex", "Group", "Virt", "Intim",
                                        "IntimBuy", "Family", "Child", "Fiktive", "Rent", "Sport"}));
    EXPECT_EQ(IdsOf(TVocabularyGroup::Sponsor), (std::vector<std::string>{"LookFor", "Iam", "No"}));
}

TEST(VocabularyTables, MarriageGroupsDifferOnlyInIdEndingAndWording) {
    const auto men = VocabularyRowsOf(TVocabularyGroup::MarriageMan);
    const auto women = VocabularyRowsOf(TVocabularyGroup::MarriageWoman);
    ASSERT_EQ(men.size(), women.size());
    for (size_t i = 0; i < men.size(); ++i) {
        SCOPED_TRACE(men[i].id);
        ASSERT_TRUE(men[i].id.ends_with('1'));
        ASSERT_TRUE(women[i].id.ends_with('2'));
        EXPECT_EQ(men[i].id.substr(0, men[i].id.size() - 1), women[i].id.substr(0, women[i].id.size() - 1));
        EXPECT_EQ(men[i].Comment, women[i].Comment);
        std::string condition(men[i].Condition);
        const size_t at = condition.find("женат");
        ASSERT_NE(at, std::string::npos);
        condition.replace(at, std::string_view("женат").size(), "замужем");
        EXPECT_EQ(condition, women[i].Condition);
        EXPECT_EQ(women[i].Condition.find("женат"), std::string_view::npos);
    }
    EXPECT_EQ(men[3].Condition, "Нет, не женат");
    EXPECT_EQ(women[3].Condition, "Нет, не замужем");
}

TEST(VocabularyTables, QuirksAreKeptByteForByte) {
    const TVocabularyRow* bi = FindRow(TVocabularyGroup::Orientation, "Bi");
    ASSERT_NE(bi, nullptr);
    EXPECT_EQ(bi->Comment, "Би ");
    EXPECT_EQ(bi->Condition, "Би");

    const TVocabularyRow* classic = FindRow(TVocabularyGroup::Music, "ClassicMusic");
    ASSERT_NE(classic, nullptr);
    EXPECT_EQ(classic->Comment, "Классическую");
    EXPECT_EQ(classic->Condition, "Классическа");
    EXPECT_EQ(text::CodePointCount(classic->Condition), 11u);

    const TVocabularyRow* fiktive = FindRow(TVocabularyGroup::Target, "Fiktive");
    ASSERT_NE(fiktive, nullptr);
    EXPECT_EQ(fiktive->Comment, "Брак для вида");
    EXPECT_EQ(fiktive->Condition, "Брак «для вида»");

    const TVocabularyRow* smoking = FindRow(TVocabularyGroup::Smoking, "GiveUpSmoking");
    const TVocabularyRow* narcotic = FindRow(TVocabularyGroup::Narcotic, "GiveUpNarcotic");
    ASSERT_NE(smoking, nullptr);
    ASSERT_NE(narcotic, nullptr);
    EXPECT_EQ(smoking->Comment, "Бросает");
    EXPECT_EQ(smoking->Condition, "Бросаю");
    EXPECT_EQ(narcotic->Comment, smoking->Comment);
    EXPECT_EQ(narcotic->Condition, smoking->Condition);
}

TEST(VocabularyTables, SpotRows) {
    struct Spot {
        TVocabularyGroup group;
        const char* id;
        const char* comment;
        const char* condition;
    };
    const Spot spots[] = {
        {TVocabularyGroup::Target, "IntimBuy", "Ищет интим за деньги", "Ищу интим за деньги"},
        {TVocabularyGroup::Sponsor, "Iam", "Готов(а) стать спонсором", "стать спонсором"},
        {TVocabularyGroup::Sport, "Daiving", "Подводным плаванием", "Подводное плавание"},
        {TVocabularyGroup::MarriageWoman, "FictiveMarriage2", "Да, «для вида»", "Да, замужем, «для вида»"},
        {TVocabularyGroup::Children, "WantChildren", "Нет, но хотел(а) бы", "Нет, но хотелось бы"},
        {TVocabularyGroup::Hair, "CleanHair", "Головой бритой наголо", "Голова бритая наголо"},
        {TVocabularyGroup::Zodiac, "bliznezi", "Близнецы", "Близнецы"},
        {TVocabularyGroup::Narcotic, "RecoverNarcotic", "Выздоравливает по NA", "Выздоравливаю по NA"},
        {TVocabularyGroup::Narcotic, "NoNarcotic", "Никогда не принимал(а)", "Никогда не принимал"},
        {TVocabularyGroup::Economic, "Huge", "Хорошо зарабатывает", "Хорошо зарабатываю / обеспечен"},
        {TVocabularyGroup::AIDS, "YesAIDS", "Положительным (+)", "Положительный (инфицирован)"},
        {TVocabularyGroup::Limb, "10-15Limb", "10-15 см", "10-15 см"},
        {TVocabularyGroup::Bust, "MiddleBust", "Средней", "Средняя"},
    };
    for (const Spot& s : spots) {
        SCOPED_TRACE(s.id);
        const TVocabularyRow* row = FindRow(s.group, s.id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->Comment, s.comment);
        EXPECT_EQ(row->Condition, s.condition);
    }
}
