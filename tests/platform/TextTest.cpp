#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace text;

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(Cp1251, CyrillicAndPunctuationMapToTheirCodePoints) {
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "Привет");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9\x96\x85"), "Ёё№–…");
    EXPECT_EQ(Utf8ToCp1251("Ёлка №1"), "\xA8\xEB\xEA\xE0 \xB9" "1");
}

TEST(Cp1251, UnmappableCharactersGoThroughTheHandler) {
    EXPECT_EQ(Utf8ToCp1251("a€b"), "a\x88" "b");  // the euro sign exists in the code page
    EXPECT_EQ(Utf8ToCp1251("a中b"), "a?b");
    auto ref = [](char32_t cp) { return "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";"; };
    EXPECT_EQ(Utf8ToCp1251("a中😀b", ref), "a&#20013;&#128512;b");
    // A broken sequence is handed over as U+FFFD, never copied as raw bytes.
    EXPECT_EQ(Utf8ToCp1251("a\xD0z", ref), "a&#65533;z");
}

TEST(Utf8, ValidityAndSanitizing) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("Да \xEF\xBF\xBD"));  // a genuine U+FFFD
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));       // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));   // surrogate
    EXPECT_FALSE(IsValidUtf8("\xD0"));           // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_EQ(SanitizeUtf8("a\xFF" "b\xD0"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf8OrCp1251ToUtf8("\xC4\xE0"), "Да");
    EXPECT_EQ(Utf8OrCp1251ToUtf8("Да"), "Да");
}

TEST(Utf8, CodePointSlicesNeverSplitACharacter) {
    EXPECT_EQ(CodePointCount("Да!"), 3u);
    EXPECT_EQ(TakeCodePoints("Да!", 2), "Да");
    EXPECT_EQ(TakeCodePoints("Да", 5), "Да");
    EXPECT_EQ(DropCodePoints("Да!", 1), "а!");
    EXPECT_EQ(DropCodePoints("Д", 4), "");
    size_t pos = 0;
    EXPECT_EQ(NextCodePoint("", pos), 0u);
    EXPECT_EQ(pos, 0u);
}

TEST(AsciiFolding, OnlyLatinLettersFold) {
    EXPECT_TRUE(SameTextAscii("HeLLo", "hello"));
    EXPECT_FALSE(SameTextAscii("Да", "ДА"));
    EXPECT_EQ(AsciiUpper("abcДа"), "ABCДа");
    EXPECT_TRUE(StartsWithAsciiCI("HTTP://x", "http://"));
    EXPECT_TRUE(EndsWithAsciiCI("photo.GIF", ".gif"));
    EXPECT_EQ(FindAsciiCI("xxCharSet=utf", "charset"), 2u);
    EXPECT_EQ(FindAsciiCI("abc", "abcd"), std::string_view::npos);
}

TEST(Lines, EveryLineEndingEndsALine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("a"), V{"a"});
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), V{"a"});
    EXPECT_EQ(SplitLines("\n\n"), (V{"", ""}));
    EXPECT_EQ(SplitLines("a\n\rb"), (V{"a", "", "b"}));
}

TEST(Strings, TrimSplitAndIntegers) {
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(Split("a|b||c", '|'), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(Split("", '|'), (std::vector<std::string>{""}));
    EXPECT_EQ(StrToIntDef("42", -1), 42);
    EXPECT_EQ(StrToIntDef(" -7", 0), -7);
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("12abc", -1), -1);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToIntDef("--5", -1), -1);
    EXPECT_EQ(StrToIntDef("99999999999", -1), -1);
}
