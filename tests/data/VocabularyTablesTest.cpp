#include "data/VocabularyTables.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace data;

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
