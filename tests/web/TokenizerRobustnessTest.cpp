// The tokenizer against a slow, literal reading of its rules on random
// input, and on pages built to make a careless scan crash, hang or go
// quadratic.
#include "HTMLDump.h"
#include "platform/Text.h"
#include "web/HTMLEntityTables.h"
#include "web/TFindTags.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

// ---- The literal reading: strings edited in place, one character at a time.

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string ParamLine(const std::string& raw) {
    std::string key = Upper(raw), value;
    const size_t eq = raw.find('=');
    if (eq != std::string::npos) {
        key = Upper(raw.substr(0, eq));
        value = raw.substr(eq + 1);
        if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
            value = value.substr(1, value.size() - 2);
        else if (!value.empty() && value.front() == '"' && value.back() == '"')
            value = value.size() > 1 ? value.substr(1, value.size() - 2) : "";
    }
    return " [" + raw + "]" + key + "=" + webtest::Quoted(value);
}

std::string TagLine(const std::string& raw, const web::THTMLTagSyntax& syntax) {
    const auto separator = [&](char c) { return c == ' ' || (c == '\t' && syntax.SplitAtTab); };
    std::string s = raw;
    size_t k = 0;
    while (k < s.size() && !separator(s[k])) ++k;
    std::string line = "TAG [" + raw + "]" + Upper(s.substr(0, k));
    s.erase(0, k);
    while (!s.empty()) {
        std::string attribute;
        bool quoted = false;
        while (!s.empty()) {
            if (!quoted && separator(s[0])) break;
            if (syntax.DropBlanksAroundEquals && s[0] == '=' && s.size() > 1 && s[1] == ' ') s.erase(1, 1);
            if (s[0] == '"' || s[0] == '\'') quoted = !quoted;
            attribute += s[0];
            s.erase(0, 1);
            if (syntax.DropBlanksAroundEquals && s.size() >= 2 && s[0] == ' ' && s[1] == '=') s.erase(0, 1);
        }
        if (!s.empty() && separator(s[0])) s.erase(0, 1);
        if (!attribute.empty()) line += ParamLine(attribute);
    }
    return line;
}

int NumericCode(const std::string& digits) {
    if (digits.empty() || digits.size() > 3) return -1;
    const bool hex = digits[0] == 'x' || digits[0] == 'X';
    const std::string number = hex ? digits.substr(1) : digits;
    if (number.empty()) return -1;
    const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (number.find_first_not_of(allowed) != std::string::npos) return -1;
    const int value = std::stoi(number, nullptr, hex ? 16 : 10);
    return value <= 255 ? value : -1;
}

std::string TextLine(const std::string& raw) {
    std::string s = raw;
    for (char& c : s)
        if (c == '\n') c = ' ';
    while (s.size() >= 2 && s[0] == ' ' && s[1] == ' ') s.erase(0, 1);
    size_t i = 0, start = 0;
    bool collecting = false;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '&') {
            collecting = true;
            start = i++;
            continue;
        }
        if (collecting && (c == ';' || c == ' ')) {
            collecting = false;
            const std::string entity = s.substr(start, i - start + 1);
            if (entity.size() < 3 || entity[1] != '#') {
                bool matched = false;
                for (const auto& row : web::EntityTable) {
                    if (row.Name == entity) {
                        s.replace(start, entity.size(), "&#" + std::to_string(row.Code) + ";");
                        i = start;  // the numeric form is decoded in turn
                        matched = true;
                        break;
                    }
                }
                if (!matched) i = start + 1;
                continue;
            }
            const int code = NumericCode(entity.substr(2, entity.size() - 3));
            if (code < 0) {
                i = start + 1;
                continue;
            }
            const char byte = static_cast<char>(web::EntityCharTable[code]);
            const std::string put = text::Cp1251ToUtf8(std::string_view(&byte, 1));
            s.replace(start, entity.size(), put);
            i = start + put.size();
            continue;
        }
        ++i;
    }
    return "TEXT [" + raw + "]" + webtest::Quoted(s);
}

std::vector<std::string> Reference(const std::string& page, const web::THTMLTagSyntax& syntax) {
    std::vector<std::string> items;
    std::string textBuf, tagBuf;
    bool inTag = false, blankOwed = false;
    const auto flushText = [&] {
        if (!inTag && !textBuf.empty()) items.push_back(TextLine(textBuf));
        textBuf.clear();
    };
    const auto flushTag = [&] {
        items.push_back(TagLine(tagBuf, syntax));
        tagBuf.clear();
        blankOwed = false;
    };
    for (const std::string& line : text::SplitLines(page)) {
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '<') {
                flushText();
                inTag = true;
            } else if (c == '>') {
                flushTag();
                inTag = false;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '>') {
                ++i;
                flushTag();
                inTag = false;
            } else if (inTag) {
                if (blankOwed) tagBuf += ' ';
                blankOwed = false;
                tagBuf += c;
            } else {
                textBuf += c;
            }
        }
        if (!inTag && !textBuf.empty()) textBuf += '\n';
        if (inTag && !tagBuf.empty()) blankOwed = true;
    }
    if (inTag && !tagBuf.empty()) flushTag();
    if (!inTag && !textBuf.empty()) flushText();
    return items;
}

// ---- The tokenizer's items in the same form, raw texts included.

std::vector<std::string> Actual(const std::string& page, const web::THTMLTagSyntax& syntax) {
    web::THTMLParser parser(syntax);
    parser.SetText(page);
    parser.Execute();
    std::vector<std::string> items;
    for (const web::THTMLItem* item : parser.Items()) {
        if (const web::THTMLTag* tag = item->AsTag()) {
            std::string line = "TAG [" + std::string(tag->Raw()) + "]" + std::string(tag->Name());
            for (const auto& param : tag->Params())
                line += " [" + std::string(param.Raw()) + "]" + std::string(param.Key()) + "=" +
                        webtest::Quoted(param.Value());
            items.push_back(line);
        } else {
            items.push_back("TEXT [" + std::string(item->Raw()) + "]" + webtest::Quoted(item->AsText()->Text()));
        }
    }
    return items;
}

std::string RandomPage(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "<", ">", "/", "/>", "&", ";", "#", "x", "=", " ", " ", "  ", "\"", "'", "\t", "\r", "\n", "\r\n",
        "a", "B", "1", "9", "Я", "&amp;", "&nbsp;", "&#65", "&#x4", "&lt", "href", "</a>", "<td ",
        std::string(1, '\0')};
    std::uniform_int_distribution<size_t> length(0, 60), pick(0, pieces.size() - 1);
    std::string page;
    for (size_t n = length(random); n > 0; --n) page += pieces[pick(random)];
    return page;
}

} // namespace

TEST(TokenizerRobustness, AgreesWithTheLiteralReadingOnRandomPages) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        const std::string page = RandomPage(random);
        web::THTMLTagSyntax syntax;
        syntax.SplitAtTab = round % 4 != 1;
        syntax.DropBlanksAroundEquals = round % 4 != 2;
        ASSERT_EQ(Actual(page, syntax), Reference(page, syntax)) << "page: " << webtest::Quoted(page);
    }
}

TEST(TokenizerRobustness, NoTwoTextsInARowAndNoEmptyText) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        web::THTMLParser parser;
        parser.SetText(RandomPage(random));
        parser.Execute();
        for (int32_t i = 0; i < parser.Count(); ++i) {
            const web::THTMLItem* item = parser.Item(i);
            ASSERT_EQ(item->Index(), i);
            if (!item->IsText()) continue;
            ASSERT_FALSE(item->Raw().empty());
            ASSERT_TRUE(parser.TextAfter(*item) == nullptr);
        }
    }
}

namespace {

// Runs the tokenizer over a big page and returns the item count; the time
// limit is generous and only there to turn a quadratic scan into a failure
// instead of a stuck test run.
int32_t TokenizeQuickly(std::string page) {
    const auto started = std::chrono::steady_clock::now();
    web::THTMLParser parser;
    parser.SetText(std::move(page));
    parser.Execute();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    return parser.Count();
}

std::string Repeated(std::string_view piece, size_t bytes) {
    std::string page;
    page.reserve(bytes + piece.size());
    while (page.size() < bytes) page += piece;
    return page;
}

constexpr size_t kMegabyte = 1024 * 1024;

} // namespace

TEST(TokenizerRobustness, HugeDamagedPagesStayLinear) {
    EXPECT_EQ(TokenizeQuickly(std::string(10 * kMegabyte, '<')), 0);
    // Past the item limit the rest of the page is dropped.
    EXPECT_EQ(TokenizeQuickly(std::string(2 * kMegabyte, '>')), web::THTMLParser::MaxItems);
    EXPECT_EQ(TokenizeQuickly(std::string(10 * kMegabyte, '&')), 1);
    EXPECT_EQ(TokenizeQuickly(Repeated("&#", 4 * kMegabyte)), 1);
    EXPECT_EQ(TokenizeQuickly(std::string(4 * kMegabyte, ' ') + "x<i>"), 2);
    EXPECT_EQ(TokenizeQuickly(std::string(4 * kMegabyte, '\n')), 0);
    EXPECT_EQ(TokenizeQuickly(std::string(4 * kMegabyte, '\0')), 1);
    EXPECT_EQ(TokenizeQuickly("<a " + Repeated("= ", 4 * kMegabyte) + ">"), 1);
    EXPECT_EQ(TokenizeQuickly("<a " + Repeated(" =", 4 * kMegabyte) + ">"), 1);
    EXPECT_EQ(TokenizeQuickly("<a title=\"" + Repeated("x \n", 4 * kMegabyte)), 1);
    EXPECT_EQ(TokenizeQuickly(Repeated("<a\n", 4 * kMegabyte)), 1);
    EXPECT_EQ(TokenizeQuickly(Repeated("a>\r\n", 4 * kMegabyte)), web::THTMLParser::MaxItems);
    EXPECT_EQ(TokenizeQuickly(Repeated("a>\r\n", 4 * size_t(web::THTMLParser::MaxItems - 1))),
              web::THTMLParser::MaxItems);
}

TEST(TokenizerRobustness, ManyParametersInOneTag) {
    web::THTMLParser parser;
    parser.SetText("<input " + Repeated("v=1 ", 400000) + "><b x=2>");
    parser.Execute();
    // The first attributes are kept; the tags after it are read as ever.
    ASSERT_EQ(parser.Count(), 2);
    EXPECT_EQ(parser.Item(0)->AsTag()->Params().size(), web::THTMLTag::MaxParams);
    EXPECT_EQ(parser.Item(0)->AsTag()->Params().back().Value(), "1");
    EXPECT_EQ(web::TFindTags::GetParamValue(parser.Item(1)->AsTag(), "x"), "2");
}
