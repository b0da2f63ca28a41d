#include "HTMLDump.h"
#include "web/TFindTags.h"

#include <gtest/gtest.h>

using web::TFindTags;
using web::THTMLTag;

namespace {

std::vector<std::string> Names(const web::TTagList& tags) {
    std::vector<std::string> names;
    for (const THTMLTag* tag : tags) names.emplace_back(tag->Name());
    return names;
}

std::vector<int32_t> Indexes(const web::TTagList& tags) {
    std::vector<int32_t> indexes;
    for (const THTMLTag* tag : tags) indexes.push_back(tag->Index());
    return indexes;
}

const THTMLTag& OnlyTag(TFindTags& finder, const std::string& page) {
    finder.SetHTML(page);
    const auto& items = finder.Items();
    EXPECT_EQ(items.size(), 1u);
    return *items.at(0)->AsTag();
}

} // namespace

TEST(FindTags, ByNameWithoutRegardToCase) {
    TFindTags finder;
    finder.SetHTML("<a href=x>1</a><A>2");
    const auto tags = finder.FindTags("A");
    EXPECT_EQ(Indexes(tags), (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(Indexes(finder.FindTags("a")), Indexes(tags));
    EXPECT_EQ(Names(finder.FindTags("/a")), std::vector<std::string>{"/A"});
    EXPECT_TRUE(finder.FindTags("b").empty());
}

TEST(FindTags, StarFindsEveryTag) {
    TFindTags finder;
    finder.SetHTML("<a>x</a> 1 > 0 <br/>");
    EXPECT_EQ(Names(finder.FindTags("*")), (std::vector<std::string>{"A", "/A", "", "BR"}));
    EXPECT_EQ(Names(finder.FindTags("")), std::vector<std::string>{""});  // the name of a stray ">"
}

TEST(FindTags, FilterDecidesInDocumentOrder) {
    TFindTags finder;
    finder.SetHTML("<a href=http://h/x>1</a><a href=/rel>2</a><a href='HTTP://h/y'>3</a>");
    const auto links = finder.FindTags("a", TFindTags::IsHttpLink);
    EXPECT_EQ(Indexes(links), (std::vector<int32_t>{0, 6}));
    const auto* first = finder.FindFirstTag("a", [](const THTMLTag& tag) {
        return TFindTags::GetParamValue(&tag, "href") == "/rel";
    });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Index(), 3);
    EXPECT_EQ(finder.TextAfter(*first)->Text(), "2");
    EXPECT_EQ(finder.FindFirstTag("a", [](const THTMLTag&) { return false; }), nullptr);
}

TEST(FindTags, GetParamValue) {
    TFindTags finder;
    const THTMLTag& tag = OnlyTag(finder, "<a href=\"http://h/x\" class=u-name href=second>");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, "HREF"), "http://h/x");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, "href"), "http://h/x");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, "Class"), "u-name");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, "title"), "");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, ""), "");
    EXPECT_EQ(TFindTags::GetParamValue(&tag, "  "), "");
    EXPECT_EQ(TFindTags::GetParamValue(nullptr, "href"), "");
}

struct FilterCase {
    const char* page;
    bool expected;
};

TEST(FindTags, IsHttpLink) {
    const FilterCase cases[] = {
        {"<a href=http://h/login/>", true},
        {"<A HREF='HTTP://H/login/'>", true},
        {"<a href=/login/ href=http://h/login/>", true},  // a later href may decide
        {"<a href=https://h/login/>", false},
        {"<a href=/login/>", false},
        {"<a href=http:/h>", false},
        {"<a>", false},
        {"<link href=http://h/>", false},
    };
    TFindTags finder;
    for (const auto& c : cases) EXPECT_EQ(TFindTags::IsHttpLink(OnlyTag(finder, c.page)), c.expected) << c.page;
}

TEST(FindTags, IsCharsetMeta) {
    const FilterCase cases[] = {
        {"<meta content=\"text/html; charset=windows-1251\">", true},
        {"<META CONTENT='TEXT/HTML; CHARSET=UTF-8'>", true},
        {"<Meta content=charset=>", true},
        {"<meta name=keywords content=\"x\">", false},
        {"<meta charset=utf-8>", false},
        {"<link content=\"charset=utf-8\">", false},
    };
    TFindTags finder;
    for (const auto& c : cases) EXPECT_EQ(TFindTags::IsCharsetMeta(OnlyTag(finder, c.page)), c.expected) << c.page;
}

TEST(FindTags, ResultsOfOnePageStayValidAndANewPageIsTokenizedByTheNextQuery) {
    TFindTags finder;
    finder.SetHTML("<td>Найдено 3</td><a href=x>");
    const auto cells = finder.FindTags("td");
    const auto anchors = finder.FindTags("a");
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(finder.FindTags("td"), cells);  // the same items, not a new parse
    EXPECT_EQ(finder.TextAfter(*cells[0])->Text(), "Найдено 3");
    EXPECT_EQ(Indexes(anchors), std::vector<int32_t>{3});

    finder.SetHTML("<b><a><a>");
    EXPECT_EQ(Indexes(finder.FindTags("a")), (std::vector<int32_t>{1, 2}));
    finder.SetHTML("");
    EXPECT_TRUE(finder.FindTags("*").empty());
    EXPECT_TRUE(finder.Items().empty());
}

TEST(FindTags, HTMLJoinsLinesWithCrLf) {
    TFindTags finder;
    EXPECT_EQ(finder.HTML(), "");
    finder.SetHTML("a\nb\r\n\rc\n");
    EXPECT_EQ(finder.HTML(), "a\r\nb\r\n\r\nc");
}

