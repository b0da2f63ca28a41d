// Tag searches restricted to one named form.
#include "web/TFindTags.h"

#include <gtest/gtest.h>

using web::TFindTags;
using web::THTMLTag;

namespace {

std::vector<std::string> Values(const web::TTagList& tags, std::string_view attribute) {
    std::vector<std::string> values;
    for (const THTMLTag* tag : tags) values.push_back(TFindTags::GetParamValue(tag, attribute));
    return values;
}

const char* const kPage =
    "<input name=q>"
    "<form name=search><input name=s_ty></form>"
    "<FORM name=login action=/enter><INPUT name=login><p><input name=password></FORM>"
    "<input name=after>"
    "<form name=Login><input name=otherCase></form>"
    "<form name=login><input name=again></form>";

} // namespace

TEST(FindTagsInForm, OnlyTheTagsOfTheNamedFormItsOpeningTagIncluded) {
    TFindTags finder;
    finder.SetHTML(kPage);
    EXPECT_EQ(Values(finder.FindTagsInForm("input", {}, "login"), "name"),
              (std::vector<std::string>{"login", "password", "again"}));
    EXPECT_EQ(Values(finder.FindTagsInForm("input", {}, "search"), "name"), std::vector<std::string>{"s_ty"});
    EXPECT_TRUE(finder.FindTagsInForm("input", {}, "nosuchform").empty());
    EXPECT_EQ(Values(finder.FindTagsInForm("form", {}, "login"), "action"), (std::vector<std::string>{"/enter", ""}));
    EXPECT_TRUE(finder.FindTagsInForm("/form", {}, "login").empty());
    // "*" and no form name search the whole page.
    EXPECT_EQ(finder.FindTagsInForm("*", {}, "login").size(), finder.FindTags("*").size());
    EXPECT_EQ(finder.FindTagsInForm("input", {}, ""), finder.FindTags("input"));
    EXPECT_EQ(finder.FindTagsInForm("input", {}, "").size(), 7u);
}

TEST(FindTagsInForm, OlderSyntaxKeepsTabbedAttributesTogether) {
    TFindTags finder(web::THTMLTagSyntax{.SplitAtTab = false, .DropBlanksAroundEquals = false});
    finder.SetHTML("<form name=login><input\tname=a><input type=text\tname=b><input name = c></form>");
    const auto inputs = finder.FindTagsInForm("input", {}, "login");
    ASSERT_EQ(inputs.size(), 2u) << "\"input\\tname=a\" is no input tag";
    EXPECT_EQ(TFindTags::GetParamValue(inputs[0], "type"), "text\tname=b");
    EXPECT_EQ(TFindTags::GetParamValue(inputs[0], "name"), "");
    // "name = c" is three attribute texts: "name", "=" and "c".
    ASSERT_EQ(inputs[1]->Params().size(), 3u);
    EXPECT_EQ(inputs[1]->Params()[0].Key(), "NAME");
    EXPECT_EQ(inputs[1]->Params()[2].Key(), "C");
    EXPECT_EQ(TFindTags::GetParamValue(inputs[1], "name"), "");
}
