#include "HTMLDump.h"
#include "platform/Text.h"
#include "web/HTMLEntityTables.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* name;
    std::string raw;  // put between two tags, so no line end is added
    std::string text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

std::string Decoded(const std::string& raw) {
    web::THTMLParser parser;
    parser.SetText("<i>" + raw + "<i>");
    parser.Execute();
    if (parser.Count() != 3 || !parser.Item(1)->IsText()) return "(no single text item)";
    return std::string(parser.Item(1)->AsText()->Text());
}

class TextDecoding : public testing::TestWithParam<TextCase> {};

TEST_P(TextDecoding, GivesTheText) {
    EXPECT_EQ(Decoded(GetParam().raw), GetParam().text);
}

// Blanks and line ends are checked against the literal reading in
// TokenizerRobustnessTest, on random pages; entities are stated here.
INSTANTIATE_TEST_SUITE_P(Entities, TextDecoding, testing::Values(
    TextCase{"Markup", "&quot;&lt;&gt;&amp;", "\"<>&"},
    TextCase{"NamedGoesThroughItsNumberOnce", "&amp;lt;", "&lt;"},
    TextCase{"AmpersandFromANumberIsNotRescanned", "&#38;amp;", "&amp;"},
    TextCase{"Decimal", "&#65;", "A"},
    TextCase{"Hex", "&#x41;&#X4a;", "AJ"},
    TextCase{"ControlCodesGiveABlank", "a&#9;b&#0;c", "a b c"},
    TextCase{"NoBreakSpaceGivesABlank", "a&nbsp;b&#160;c", "a b c"},
    // Codes 128-255 are windows-1251 bytes, written as UTF-8.
    TextCase{"HighCodesAreWindows1251", "&copy;&#192;&#xFF;&#150;&laquo;", "©Ая–«"},
    TextCase{"NamesAreCaseSensitive", "&Agrave;&agrave;&AMP;", "Аа&AMP;"},
    TextCase{"MoreThanThreeDigitsStay", "&#1234;&#x041;&#0065;", "&#1234;&#x041;&#0065;"},
    TextCase{"AboveTheTableStays", "&#256;&#999;", "&#256;&#999;"},
    TextCase{"NotANumberStays", "&#;&#x;&#1a;&#xG;&#-1;&#+5;", "&#;&#x;&#1a;&#xG;&#-1;&#+5;"},
    TextCase{"UnknownNameStays", "&unknown; &mdash;", "&unknown; &mdash;"},
    TextCase{"NumberEndedByABlankTakesTheBlank", "&#65; x|&#65 x", "A x|Ax"},
    TextCase{"NameEndedByABlankNeverMatches", "&amp x", "&amp x"},
    TextCase{"LaterAmpersandRestarts", "&&amp;&x&#65;", "&&&xA"},
    TextCase{"UnterminatedStays", "AT&T", "AT&T"},
    TextCase{"CyrillicAroundEntities", "Имя&nbsp;&mdash;&nbsp;Анна", "Имя &mdash; Анна"},
    TextCase{"LineFeedEndsAnEntity", "&#65\nB", "AB"}
), [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST(TextDecoding, EveryTableNameDecodesToItsCode) {
    for (const web::THTMLEntity& entity : web::EntityTable) {
        const std::string viaName = Decoded(std::string(entity.Name));
        const std::string viaNumber = Decoded("&#" + std::to_string(entity.Code) + ";");
        EXPECT_EQ(viaName, viaNumber) << entity.Name;
        EXPECT_NE(viaName, std::string(entity.Name)) << entity.Name;
    }
}

TEST(TextDecoding, EveryCodeGivesValidUtf8) {
    for (int code = 0; code < 256; ++code) {
        const std::string text = Decoded("&#" + std::to_string(code) + ";");
        EXPECT_TRUE(text::IsValidUtf8(text)) << code;
        EXPECT_EQ(text::CodePointCount(text), 1u) << code;
    }
}
