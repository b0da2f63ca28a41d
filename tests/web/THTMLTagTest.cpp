#include "HTMLDump.h"

#include <gtest/gtest.h>

using webtest::Tokenize;

namespace {

struct TagCase {
    const char* name;
    std::string tag;  // the text between '<' and '>'
    std::string expected;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class TagSplitting : public testing::TestWithParam<TagCase> {};

TEST_P(TagSplitting, NameAndAttributes) {
    const auto items = Tokenize("<" + GetParam().tag + ">");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], GetParam().expected);
}

// Plain splitting is checked against the literal reading in
// TokenizerRobustnessTest, on random pages; these cases are the ones worth
// stating.
INSTANTIATE_TEST_SUITE_P(Tag, TagSplitting, testing::Values(
    TagCase{"OnlyOneBlankEachSideIsDropped", "a href  =  x", "TAG A HREF=\"\" =\"\" X=\"\""},
    TagCase{"QuotedBlanksStay", "img alt=\"Реальный пользователь\" src=p.jpg",
            "TAG IMG ALT=\"Реальный пользователь\" SRC=\"p.jpg\""},
    // An apostrophe inside double quotes turns quoting off, so the blank
    // after it ends the attribute and the rest reads as further attributes.
    TagCase{"ApostropheInsideDoubleQuotesEndsQuoting", "a title=\"it' s\" href=x",
            "TAG A TITLE=\"\\\"it'\" S\" HREF=\"x\""},
    TagCase{"LeadingBlankGivesAnEmptyName", " a", "TAG  A=\"\""}
), [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Param, TagSplitting, testing::Values(
    TagCase{"NoEqualsIsAKeyWithoutValue", "input checked", "TAG INPUT CHECKED=\"\""},
    TagCase{"ValueRunsPastLaterEquals", "a href=/?a=1&b=2", "TAG A HREF=\"/?a=1&b=2\""},
    TagCase{"KeyUpperCaseValueAsWritten", "a Class=U-Name", "TAG A CLASS=\"U-Name\""},
    TagCase{"UnmatchedQuotesStay", "a v='x\"", "TAG A V=\"'x\\\"\""},
    TagCase{"LoneDoubleQuoteIsAnEmptyPair", "a v=\"", "TAG A V=\"\""},
    TagCase{"EntitiesInValuesStay", "a href=\"?a=1&amp;b=2\"", "TAG A HREF=\"?a=1&amp;b=2\""}
), [](const auto& info) { return std::string(info.param.name); });

} // namespace

