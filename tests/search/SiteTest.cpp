// The local site that the search tests run against. Each page kind is
// fetched with the program's client and tokenized with its parser, and
// checked at the item positions that the scraper, the checker and the
// catalogue loaders navigate by.
#include "support/site/LocalSite.h"

#include "platform/Text.h"
#include "web/ProfileLogin.h"
#include "web/THTMLParser.h"
#include "web/TSubmit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

using namespace testsupport;
using web::THTMLItem;
using web::THTMLParser;
using web::THTMLTag;
using web::THTMLText;

namespace {

std::string Fetch(const std::string& url) {
    TSubmit submit;
    submit.SetURL(url);
    std::string body;
    if (submit.Connect()) body = submit.GetString();
    submit.Disconnect();
    return body;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// A fetched page tokenized as the program reads it: UTF-8 pages as they
// are, others converted from windows-1251.
class Page {
public:
    explicit Page(const std::string& body, bool utf8 = false) {
        m_parser.SetText(utf8 ? body : text::Cp1251ToUtf8(body));
        m_parser.Execute();
    }

    const THTMLItem* At(int64_t index) const { return m_parser.Item(index); }
    const THTMLTag* TagAt(int64_t index) const { return At(index) ? At(index)->AsTag() : nullptr; }
    // The text at `index` as it stands; "<none>" when that item is no text.
    std::string TextAt(int64_t index) const {
        const THTMLText* t = At(index) ? At(index)->AsText() : nullptr;
        return t ? std::string(t->Text()) : "<none>";
    }
    bool IsTag(int64_t index, std::string_view name) const { return TagAt(index) && TagAt(index)->Name() == name; }
    std::vector<const THTMLTag*> Tags(std::string_view name) const {
        std::vector<const THTMLTag*> tags;
        for (const THTMLItem* item : m_parser.Items())
            if (item->IsTag() && item->AsTag()->Name() == name) tags.push_back(item->AsTag());
        return tags;
    }
    int32_t Count() const { return m_parser.Count(); }

private:
    THTMLParser m_parser;
};

std::string Attr(const THTMLTag* tag, std::string_view key) {
    const web::THTMLParam* param = tag ? tag->FindParam(key) : nullptr;
    return param ? std::string(param->Value()) : std::string();
}

// A search address as the program builds it for the site's layout, from
// the values of the search parameters it reads (s_l, s_f, s_t, s_p, s_v,
// s_w, s_real; the rest empty).
std::string SearchUrl(const LocalSite& site, int page, std::map<std::string, std::string> v = {}) {
    auto on = [&](const char* name, const char* flag) { return v[name] == "checked" ? std::string(flag) : ""; };
    std::string url = "/search.phtml?";
    if (page > 0) url += "offset=" + std::to_string(page * 10) + "&";
    if (site.Layout() == SiteLayout::Old)
        url += "s_ty=All&s_m=&s_i=&s_l=" + v["s_l"] + "&s_f=" + v["s_f"] + "&s_t=" + v["s_t"] + "&s_c=" + v["s_c"] + "&s_p=" +
               v["s_p"] + "&s_w=" + v["s_w"] + "&s_real=" + v["s_real"] + "&s_vw=&s_v=" + v["s_v"];
    else
        url += "&t=a&s_m=&ia=&lf=" + v["s_l"] + "&af=" + v["s_f"] + "&at=" + v["s_t"] + "&s_c=" + v["s_c"] + on("s_p", "&wp=1") +
               on("s_w", "&ni=1") + on("s_real", "&wr=1") + "&s_vw=" + on("s_v", "&wv=1");
    return site.Url(url);
}

// A member's name link on a result page: the "u-name" link of the new
// layout; in the old one an http link whose name comes in a <font>.
struct Listed {
    std::string name;
    std::string href;
    int32_t index = 0;
};

std::vector<Listed> ListedMembers(const Page& page, SiteLayout layout) {
    std::vector<Listed> listed;
    for (const THTMLTag* a : page.Tags("A")) {
        const std::string href = Attr(a, "href");
        const bool nameLink = layout == SiteLayout::New
                                  ? Attr(a, "class") == "u-name"
                                  : href.rfind("http://", 0) == 0 && page.IsTag(a->Index() + 1, "FONT");
        if (!nameLink) continue;
        const int32_t nameAt = a->Index() + (layout == SiteLayout::New ? 1 : 2);
        listed.push_back({page.TextAt(nameAt), href, a->Index()});
    }
    return listed;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

const SiteLayout kLayouts[] = {SiteLayout::Old, SiteLayout::New};

const char* LayoutName(SiteLayout layout) { return layout == SiteLayout::New ? "new layout" : "old layout"; }

} // namespace

TEST(LocalSite, HomePageCarriesTheRegisterButtonOnlyInTheNewLayout) {
    const std::string marker = "class=\"register-button\"";
    LocalSite site;
    const std::string old = Fetch(site.Url("/"));
    EXPECT_FALSE(Contains(old, marker));
    EXPECT_TRUE(Contains(old, "register-button")) << "the old page's near miss keeps the probe exact";
    site.SetLayout(SiteLayout::New);
    EXPECT_TRUE(Contains(Fetch("http://" + site.Host()), marker));
}

TEST(LocalSite, SearchParametersFilterMembersUnderEachLayoutsNames) {
    struct {
        std::map<std::string, std::string> params;
        std::vector<std::string> names;
    } const rows[] = {
        {{}, {"a", "b", "c", "d"}},
        {{{"s_l", "F"}}, {"a", "c", "d"}},
        {{{"s_l", "N"}}, {"a", "b", "c", "d"}},
        {{{"s_f", "26"}, {"s_t", "40"}}, {"b", "c"}},
        {{{"s_p", "checked"}}, {"a", "c"}},
        {{{"s_v", "checked"}}, {"c"}},
        {{{"s_real", "checked"}}, {"b", "c"}},
        {{{"s_w", "checked"}}, {"a", "b", "c"}},
        {{{"s_l", "F"}, {"s_p", "checked"}, {"s_real", "checked"}}, {"c"}},
        // An area lists its own members and those of the areas inside it; a
        // station stands for its city.
        {{{"s_c", "3159_0_0_0"}}, {"a", "c", "d"}},
        {{{"s_c", "3159_4312_4400_0"}}, {"a", "c"}},
        {{{"s_c", "9908_10227_10184_301"}}, {"b"}},
        {{{"s_c", "1_0_0_0"}}, {}}, // an area the site does not know has nobody
        {{{"s_c", "3159_1_0_0"}}, {}},
    };
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        LocalSite site(layout);
        site.Add(SiteMember("a").Gender("F").Age(22).Photos(2));
        site.Add(SiteMember("b").Gender("M").Age(30).RealUser().Area("Киев"));
        site.Add(SiteMember("c").Gender("F").Age(40).Photos(1).Video(1).RealUser());
        site.Add(SiteMember("d").Gender("F").Age(50).Intim().Area("Зеленоград"));
        for (const auto& row : rows) {
            const std::string url = SearchUrl(site, 0, row.params);
            std::vector<std::string> names;
            for (const Listed& l : ListedMembers(Page(Fetch(url)), layout)) names.push_back(l.name);
            EXPECT_EQ(names, row.names) << url;
        }
    }
}

// The answers on a profile page are read by the checker's whole-flow tests;
// the medium photo is read by the favourites window.
TEST(LocalSite, ProfilePagesShowTheMediumPhoto) {
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        LocalSite site(layout);
        site.Add(SiteMember("anna").Name("Анна").Gender("F").Age(27).Zodiac("lev").Purposes({"Friendship"})
                     .Car("BMW", "X5").ViewsPerMonth(345).Height(170).Weight(55).Photos(2));
        Page page(Fetch(site.Url("/anna/?afolder=dating")));
        ASSERT_GT(page.Count(), 0);
        EXPECT_EQ(Attr(page.Tags("IMG")[layout == SiteLayout::New ? 0 : 1], "src"),
                  "http://" + site.Host() + "/photos/anna_medium.jpg");
    }
}

TEST(LocalSite, ProfileAddressesRedirectsAndSearchLinks) {
    LocalSite site;
    site.Add(SiteMember("anna").Name("Анна"));
    const std::string target = site.ProfileAddress("anna") + "?oid=1";
    site.Add(SiteMember("bob").RedirectTo(target));

    for (const char* path : {"/anna/", "/anna", "/ANNA/?afolder=dating", "/anna/?oid=1"})
        EXPECT_TRUE(Contains(text::Cp1251ToUtf8(Fetch(site.Url(path))), "<title>Анна - анкета</title>")) << path;
    EXPECT_EQ(Fetch(site.Url("/nobody/")), "");

    // The profile's own address closes the page as a link whose text it is.
    Page profile(Fetch(site.Url("/anna/")));
    const THTMLTag* self = profile.Tags("A").back();
    EXPECT_EQ(profile.TextAt(self->Index() + 1), site.ProfileAddress("anna"));
    EXPECT_EQ(Attr(self, "href"), site.ProfileAddress("anna"));

    // A member kept elsewhere is listed through the warning redirect.
    const std::string link = site.ResultLink("bob");
    const std::string prefix = "http://" + site.Host() + "/bob/?tip=AWarn&tcurl=";
    ASSERT_EQ(link.rfind(prefix, 0), 0u) << link;
    EXPECT_EQ(link.find("oid="), std::string::npos);
    EXPECT_EQ(PercentDecode(link.substr(prefix.size())), target);
    const auto listed = ListedMembers(Page(Fetch(SearchUrl(site, 0))), SiteLayout::Old);
    ASSERT_GE(listed.size(), 2u);
    EXPECT_EQ(listed[1].href, link);
    EXPECT_TRUE(Contains(text::Cp1251ToUtf8(Fetch(link)), "<title>Анна - анкета</title>"));
    EXPECT_TRUE(Contains(text::Cp1251ToUtf8(Fetch(site.Url("/?tip=AWarn&tcurl=" + link.substr(prefix.size())))),
                         "<title>Анна - анкета</title>"));
    // A target can also go in as it stands, broken escapes and all.
    site.Add(SiteMember("cleo").RedirectTo("http://elsewhere.example/cleo/?q=%zz&r=%4", true));
    EXPECT_EQ(site.ResultLink("cleo"),
              "http://" + site.Host() + "/cleo/?tip=AWarn&tcurl=http://elsewhere.example/cleo/?q=%zz&r=%4");

    // Links name the site as the client did.
    const std::string viaLocalhost = Fetch("http://" + site.LocalhostHost() + "/search.phtml?s_ty=All");
    EXPECT_TRUE(Contains(viaLocalhost, "href=\"http://" + site.LocalhostHost() + "/anna/?oid=1\""));

    // "fromsearch" links end in a 32-digit token; without it they lead to the profile.
    site.SetFromSearchLinks(true);
    const std::string search = site.ResultLink("anna");
    EXPECT_TRUE(Contains(search, "fromsearch"));
    const size_t token = search.find("s=");
    ASSERT_EQ(search.size() - token, 34u) << search;
    EXPECT_EQ(search.find_first_not_of("0123456789abcdef", token + 2), std::string::npos);
    // The program's own login extraction reads every kind of link the site gives.
    EXPECT_EQ(web::ResolveSearchLink(search), site.ProfileAddress("anna"));
    for (const char* login : {"anna", "bob", "cleo"})
        EXPECT_EQ(web::ExtractProfileLogin(site.ResultLink(login)), login);
    site.SetFromSearchLinks(false);
    const size_t before = site.RequestCount();
    EXPECT_EQ(web::ExtractProfileLogin(site.ResultLink("anna")), "anna");
    EXPECT_EQ(site.RequestCount(), before) << "a plain link needs no download";
}

TEST(LocalSite, SetDelayHoldsEveryAnswer) {
    using namespace std::chrono;
    LocalSite site;
    site.SetDelay(milliseconds(60));
    const auto start = steady_clock::now();
    EXPECT_FALSE(Fetch(site.Url("/")).empty());
    EXPECT_GE(steady_clock::now() - start, milliseconds(60));
}

TEST(LocalSite, CountsRequestsPerPathAndLetsTestsOverridePages) {
    LocalSite site;
    site.Add(SiteMember("anna"));
    Fetch(SearchUrl(site, 0));
    Fetch(SearchUrl(site, 1));
    Fetch(site.Url("/anna/?afolder=dating"));
    EXPECT_EQ(site.RequestCount(), 3u);
    EXPECT_EQ(site.SearchRequestCount(), 2u);
    EXPECT_EQ(site.RequestCount("/search.phtml"), 2u);
    EXPECT_EQ(site.ProfileRequestCount("ANNA"), 1u);
    EXPECT_EQ(site.ProfileRequestCount("bob"), 0u);
    EXPECT_EQ(site.WapRequestCount(), 0u);
    site.ClearRequests();
    EXPECT_EQ(site.RequestCount(), 0u);

    site.Server().Page("/search.phtml", "<h1>damaged");
    EXPECT_EQ(Fetch(SearchUrl(site, 0)), "<h1>damaged");
    EXPECT_FALSE(Fetch(site.Url("/anna/")).empty()) << "other pages stay the site's";
}
