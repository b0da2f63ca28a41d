#include "HTMLDump.h"

#include <gtest/gtest.h>

using web::THTMLItem;
using web::THTMLParser;
using webtest::Tokenize;
using Lines = std::vector<std::string>;

namespace {

struct TokenCase {
    const char* name;
    std::string page;
    Lines items;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

class TokenBoundaries : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenBoundaries, ItemsInDocumentOrder) {
    EXPECT_EQ(Tokenize(GetParam().page), GetParam().items);
}

// Plain splitting is checked against the literal reading in
// TokenizerRobustnessTest, on random pages; these cases are the ones worth
// stating.
// Every line, the last one included, ends with a line feed that becomes a
// blank in the text; a text closed by a tag on the same line has none.
INSTANTIATE_TEST_SUITE_P(Tokenizer, TokenBoundaries, testing::Values(
    TokenCase{"EmptyLinesInsideTextKeepTheirLineFeeds", "a\n\n\nb<i>", {"TEXT \"a   b\"", "TAG I"}},
    TokenCase{"LineEndsBeforeAnyTextAddNothing", "\n\n\nb<i>", {"TEXT \"b\"", "TAG I"}},
    TokenCase{"LineEndsAfterATagAddNothing", "<i>\n\n<b>", {"TAG I", "TAG B"}},
    TokenCase{"CrLfAndLoneCrEndLinesToo", "a\r\nb\rc<i>", {"TEXT \"a b c\"", "TAG I"}},
    TokenCase{"StrayGreaterThanMakesAnEmptyTagAheadOfTheText", "1 > 0<i>",
              {"TAG ", "TEXT \"1  0\"", "TAG I"}},
    TokenCase{"StraySlashGreaterThanIsDroppedFromText", "a/>b<i>", {"TAG ", "TEXT \"ab\"", "TAG I"}},
    TokenCase{"LessThanInsideATagIsDropped", "<a<b>", {"TAG AB"}},
    TokenCase{"UpperCaseNamesAsciiOnly", "<tAbLe><дом>", {"TAG TABLE", "TAG дом"}},
    TokenCase{"CommentsAreJustTags", "<!-- a > b -->", {"TAG !-- A=\"\"", "TAG ", "TEXT \" b -- \""}},
    TokenCase{"OnlyLineEnds", "\r\n\n\r", {}}
), [](const auto& info) { return std::string(info.param.name); });

// A tag written across lines reads as if the line end were one blank; the
// items and their positions are those of the same tag on one line.
INSTANTIATE_TEST_SUITE_P(TagAcrossLines, TokenBoundaries, testing::Values(
    TokenCase{"NameAndAttributeOnTwoLines", "t<a\nhref=x>u",
              {"TEXT \"t\"", "TAG A HREF=\"x\"", "TEXT \"u \""}},
    TokenCase{"QuotedValueAcrossLines", "<a title=\"x\ny\">", {"TAG A TITLE=\"x y\""}},
    TokenCase{"LineEndRightAfterLessThan", "<\na>", {"TAG A"}},
    TokenCase{"SelfClosingOnItsOwnLine", "<br\n/>", {"TAG BR"}}
), [](const auto& info) { return std::string(info.param.name); });

// Input no page should hold: everything still becomes items, nothing hangs.
INSTANTIATE_TEST_SUITE_P(DamagedInput, TokenBoundaries, testing::Values(
    TokenCase{"UnterminatedTagAtTheEnd", "x<a href=y", {"TEXT \"x\"", "TAG A HREF=\"y\""}},
    TokenCase{"UnterminatedQuote", "<a title=\"x>y<i>", {"TAG A TITLE=\"\\\"x\"", "TEXT \"y\"", "TAG I"}},
    TokenCase{"QuoteRunsToTheEndOfTheTag", "<a t='x y z>", {"TAG A T=\"'x y z\""}},
    TokenCase{"LoneLessThanAtTheEnd", "text<", {"TEXT \"text\""}},
    TokenCase{"LoneAmpersandAtTheEnd", "text&", {"TEXT \"text& \""}},
    TokenCase{"LoneAmpersandAndHashAtTheEnd", "<i>&#", {"TAG I", "TEXT \"&# \""}},
    TokenCase{"NulBytes", std::string("a\0b<t\0x>\0", 9),
              {std::string("TEXT \"a\0b\"", 10), std::string("TAG T\0X", 7), std::string("TEXT \"\0 \"", 9)}},
    TokenCase{"OnlyGreaterThans", ">>", {"TAG ", "TAG "}},
    TokenCase{"OnlyLessThans", "<<<", {}}
), [](const auto& info) { return std::string(info.param.name); });

std::unique_ptr<THTMLParser> Parsed(std::string page) {
    auto parser = std::make_unique<THTMLParser>();
    parser->SetText(std::move(page));
    parser->Execute();
    return parser;
}

} // namespace

TEST(Tokenizer, ExecuteAppendsUntilCleared) {
    THTMLParser parser;
    parser.SetText("a<b>");
    parser.Execute();
    parser.Execute();
    EXPECT_EQ(webtest::Dump(parser), (Lines{"TEXT \"a\"", "TAG B", "TEXT \"a\"", "TAG B"}));
    EXPECT_EQ(parser.Item(3)->Index(), 3);
    parser.Clear();
    EXPECT_EQ(parser.Count(), 0);
    parser.Execute();
    EXPECT_EQ(parser.Count(), 2);
}

TEST(Tokenizer, ItemsOfAnEarlierPageSurviveANewTextUntilClear) {
    THTMLParser parser;
    parser.SetText("<first a=1>");
    parser.Execute();
    const THTMLItem* old = parser.Item(0);
    parser.SetText("<second>");
    parser.Execute();
    EXPECT_EQ(old->AsTag()->Name(), "FIRST");
    EXPECT_EQ(old->AsTag()->Params()[0].Value(), "1");
    EXPECT_EQ(parser.Item(1)->AsTag()->Name(), "SECOND");
}

TEST(TokenizerNeighbours, AreBoundsChecked) {
    const auto owner = Parsed("<td>Найдено<b><i>");
    const THTMLParser& parser = *owner;
    const THTMLItem& td = *parser.Item(0);
    const THTMLItem& b = *parser.Item(2);
    const THTMLItem& i = *parser.Item(3);

    ASSERT_NE(parser.TextAfter(td), nullptr);
    EXPECT_EQ(parser.TextAfter(td)->Text(), "Найдено");
    EXPECT_EQ(parser.ItemAfter(b), &i);
    EXPECT_EQ(parser.TextAfter(b), nullptr);  // the next item is a tag
    EXPECT_EQ(parser.ItemAfter(i), nullptr);  // past the end
    EXPECT_EQ(parser.TextAfter(i), nullptr);
    EXPECT_EQ(parser.ItemBefore(td), nullptr);  // before the start
    EXPECT_EQ(parser.TextBefore(b)->Text(), "Найдено");
    EXPECT_EQ(parser.TextBefore(i), nullptr);

    EXPECT_EQ(parser.Item(-1), nullptr);
    EXPECT_EQ(parser.Item(4), nullptr);
    EXPECT_EQ(parser.Item(int64_t{1} << 40), nullptr);
}

TEST(TokenizerNeighbours, AnItemOfAnotherPageHasNone) {
    const auto one = Parsed("<a>x");
    const auto other = Parsed("<a>y<b>");
    EXPECT_EQ(other->ItemAfter(*one->Item(0)), nullptr);
    EXPECT_EQ(other->TextAfter(*one->Item(0)), nullptr);
    EXPECT_EQ(other->ItemBefore(*one->Item(1)), nullptr);
}
