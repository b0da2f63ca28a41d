// Condition groups and the fixed vocabulary they are filled with.
#include "data/FillVocabulary.h"
#include "data/TConditionGroup.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace data;

namespace {

// The nineteen groups as the data module holds them, filled.
struct Vocabulary {
    std::array<std::unique_ptr<TConditionGroup>, VocabularyGroupCount> owned;
    std::array<TConditionGroup*, VocabularyGroupCount> groups{};

    Vocabulary() {
        for (size_t i = 0; i < owned.size(); ++i) {
            owned[i] = std::make_unique<TConditionGroup>();
            groups[i] = owned[i].get();
        }
        FillVocabulary(groups);
    }
    TConditionGroup& operator[](TVocabularyGroup group) { return *owned[static_cast<size_t>(group)]; }
};

// The record of `table` whose id is `id`; a null node when none.
pugi::xml_node Row(const TConditionGroup& table, std::string_view id) {
    for (int i = 0; i < table.RecordCount(); ++i)
        if (TXMLTable::NodeText(table.RecordNode(i), "id") == id) return table.RecordNode(i);
    return {};
}

std::string Comment(const TConditionGroup& table, std::string_view id) {
    return TXMLTable::NodeText(Row(table, id), "Comment");
}

std::string Condition(const TConditionGroup& table, std::string_view id) {
    return TXMLTable::NodeText(Row(table, id), "Condition");
}

} // namespace

TEST(Vocabulary, TextsKeepTheirQuirks) {
    Vocabulary vocabulary;
    const auto& orientation = vocabulary[TVocabularyGroup::Orientation];
    EXPECT_EQ(Comment(orientation, "Bi"), "Би ");
    EXPECT_EQ(Condition(orientation, "Bi"), "Би");
    const auto& music = vocabulary[TVocabularyGroup::Music];
    EXPECT_EQ(Condition(music, "ClassicMusic"), "Классическа");
    EXPECT_EQ(Comment(music, "ClassicMusic"), "Классическую");
    const auto& target = vocabulary[TVocabularyGroup::Target];
    EXPECT_EQ(Comment(target, "Fiktive"), "Брак для вида");
    EXPECT_EQ(Condition(target, "Fiktive"), "Брак «для вида»");
    EXPECT_EQ(Comment(vocabulary[TVocabularyGroup::Smoking], "GiveUpSmoking"), "Бросает");
    EXPECT_EQ(Comment(vocabulary[TVocabularyGroup::Narcotic], "GiveUpNarcotic"), "Бросает");
    EXPECT_EQ(Condition(vocabulary[TVocabularyGroup::Smoking], "GiveUpSmoking"), "Бросаю");
    EXPECT_EQ(Condition(vocabulary[TVocabularyGroup::Narcotic], "GiveUpNarcotic"), "Бросаю");
    EXPECT_EQ(Condition(vocabulary[TVocabularyGroup::Sponsor], "Iam"), "стать спонсором");
}

TEST(Vocabulary, MissingGroupIsPassedOver) {
    TConditionGroup hair;
    std::array<TConditionGroup*, VocabularyGroupCount> groups{};
    groups[static_cast<size_t>(TVocabularyGroup::Hair)] = &hair;
    FillVocabulary(groups);
    EXPECT_EQ(hair.RecordCount(), 7);
    EXPECT_EQ(Condition(hair, "CleanHair"), "Голова бритая наголо");
}
