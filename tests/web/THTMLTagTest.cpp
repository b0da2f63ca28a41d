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

INSTANTIATE_TEST_SUITE_P(Tag, TagSplitting, testing::Values(
    TagCase{"NameOnly", "td", "TAG TD"},
    TagCase{"AttributesInOrder", "a href=x class=u-name", "TAG A HREF=\"x\" CLASS=\"u-name\""},
    TagCase{"TabSeparatesToo", "a\thref=x\tclass=y", "TAG A HREF=\"x\" CLASS=\"y\""},
    TagCase{"RunsOfBlanksGiveNoAttribute", "a   href=x    b", "TAG A HREF=\"x\" B=\"\""},
    TagCase{"BlanksRoundEqualsAreDropped", "a href = 'p q'", "TAG A HREF=\"p q\""},
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
    TagCase{"EmptyKey", "a =x", "TAG A =\"x\""},
    TagCase{"ValueRunsPastLaterEquals", "a href=/?a=1&b=2", "TAG A HREF=\"/?a=1&b=2\""},
    TagCase{"KeyUpperCaseValueAsWritten", "a Class=U-Name", "TAG A CLASS=\"U-Name\""},
    TagCase{"SingleQuotesRemoved", "a v='x'", "TAG A V=\"x\""},
    TagCase{"DoubleQuotesRemoved", "a v=\"x\"", "TAG A V=\"x\""},
    TagCase{"EmptyQuotes", "a v='' w=\"\"", "TAG A V=\"\" W=\"\""},
    TagCase{"OnePairAtMost", "a v=\"'x'\"", "TAG A V=\"'x'\""},
    TagCase{"UnmatchedQuotesStay", "a v='x\"", "TAG A V=\"'x\\\"\""},
    TagCase{"LoneApostropheStays", "a v=' w", "TAG A V=\"' w\""},
    TagCase{"LoneDoubleQuoteIsAnEmptyPair", "a v=\"", "TAG A V=\"\""},
    TagCase{"EntitiesInValuesStay", "a href=\"?a=1&amp;b=2\"", "TAG A HREF=\"?a=1&amp;b=2\""}
), [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST(TagSyntax, BlankOnlySplittingKeepsTabsInside) {
    web::THTMLTagSyntax older;
    older.SplitAtTab = false;
    EXPECT_EQ(Tokenize("<a\thref=x b=y>", older), std::vector<std::string>{"TAG A\tHREF=X B=\"y\""});
}

TEST(TagSyntax, BlanksRoundEqualsCanBeKept) {
    web::THTMLTagSyntax older;
    older.DropBlanksAroundEquals = false;
    EXPECT_EQ(Tokenize("<a href = x>", older), std::vector<std::string>{"TAG A HREF=\"\" =\"\" X=\"\""});
}
