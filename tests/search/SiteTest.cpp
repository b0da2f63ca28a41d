// The local site that the search tests run against. Each page kind is
// fetched with the program's client and tokenized with its parser, and
// checked at the item positions that the scraper, the checker and the
// catalogue loaders navigate by.
#include "support/site/LocalSite.h"

#include "platform/Text.h"
#include "web/ProfileLogin.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <gtest/gtest.h>

#include <algorithm>
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

std::string Trimmed(const std::string& s) { return std::string(text::Trim(s)); }

// A search address as the program builds it for the site's layout, from
// the values of the search parameters it reads (s_l, s_f, s_t, s_p, s_v,
// s_w, s_real; the rest empty).
std::string SearchUrl(const LocalSite& site, int page, std::map<std::string, std::string> v = {}) {
    auto on = [&](const char* name, const char* flag) { return v[name] == "checked" ? std::string(flag) : ""; };
    std::string url = "/search.phtml?";
    if (page > 0) url += "offset=" + std::to_string(page * 10) + "&";
    if (site.Layout() == SiteLayout::Old)
        url += "s_ty=All&s_m=&s_i=&s_l=" + v["s_l"] + "&s_f=" + v["s_f"] + "&s_t=" + v["s_t"] + "&s_c=&s_p=" +
               v["s_p"] + "&s_w=" + v["s_w"] + "&s_real=" + v["s_real"] + "&s_vw=&s_v=" + v["s_v"];
    else
        url += "&t=a&s_m=&ia=&lf=" + v["s_l"] + "&af=" + v["s_f"] + "&at=" + v["s_t"] + "&s_c=" + on("s_p", "&wp=1") +
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

// The text of the first table cell (or, on a page without cells, the first
// <h1>) that reports the count or that nobody was found.
std::string CountText(const Page& page) {
    auto tags = page.Tags("TD");
    if (tags.empty()) tags = page.Tags("H1");
    for (const THTMLTag* tag : tags) {
        const std::string t = page.TextAt(tag->Index() + 1);
        if (Contains(t, "Найден") || Contains(t, "Пользователи не найдены")) return t;
    }
    return {};
}

// The age and the area after a name link's "</a>", read as the scraper does:
// ", 27" then the next text, or "," then the next number and the next text.
std::pair<std::string, std::string> AgeAndArea(const Page& page, int32_t closeA) {
    auto nextText = [&](int32_t from, bool digits) -> std::pair<std::string, int32_t> {
        for (int32_t i = from; i < page.Count(); ++i) {
            const std::string t = Trimmed(page.TextAt(i));
            const bool number = t.find_first_not_of("0123456789") == std::string::npos;
            if (page.At(i)->IsText() && !t.empty() && (!digits || number)) return {t, i};
        }
        return {"", page.Count()};
    };
    for (int32_t k = 1; k <= 2; ++k) {
        const std::string t = page.TextAt(closeA + k);
        if (!Contains(t, ", ") && Trimmed(t) != ",") continue;
        if (Trimmed(t) == ",") {
            auto [age, at] = nextText(closeA + k + 1, true);
            return {age, nextText(at + 1, false).first};
        }
        return {Trimmed(t.substr(t.find(", ") + 2)), nextText(closeA + k + 1, false).first};
    }
    return {};
}

// Items from the member's <li> to its </li>.
std::pair<int32_t, int32_t> Block(const Page& page, int32_t anchor) {
    int32_t begin = anchor, end = anchor;
    while (begin > 0 && !page.IsTag(begin, "LI")) --begin;
    while (end < page.Count() && !page.IsTag(end, "/LI")) ++end;
    return {begin, end};
}

bool BlockHas(const Page& page, std::pair<int32_t, int32_t> block, std::string_view tag, std::string_view key,
              std::string_view value) {
    for (int32_t i = block.first; i < block.second; ++i)
        if (page.IsTag(i, tag) && Attr(page.TagAt(i), key) == value) return true;
    return false;
}

std::vector<std::string> BlockTexts(const Page& page, std::pair<int32_t, int32_t> block) {
    std::vector<std::string> texts;
    for (int32_t i = block.first; i < block.second; ++i)
        if (page.At(i)->IsText() && !Trimmed(page.TextAt(i)).empty()) texts.push_back(Trimmed(page.TextAt(i)));
    return texts;
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

TEST(LocalSite, ResultPagesListTenMembersAPageThenTheNotFoundPage) {
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        LocalSite site(layout);
        site.Add(SiteMember::Samples(25));
        struct {
            int page;
            size_t count;
            const char* first;
        } const rows[] = {{0, 10, "member0"}, {1, 10, "member10"}, {2, 5, "member20"}, {3, 0, ""}, {7, 0, ""}};
        for (const auto& row : rows) {
            SCOPED_TRACE(row.page);
            Page page(Fetch(SearchUrl(site, row.page)));
            const auto listed = ListedMembers(page, layout);
            ASSERT_EQ(listed.size(), row.count);
            if (row.count == 0) {
                EXPECT_EQ(CountText(page), "Пользователи не найдены");
                continue;
            }
            EXPECT_EQ(CountText(page), "Найдено анкет: 25");
            EXPECT_EQ(listed[0].href, site.ResultLink(row.first));
            EXPECT_EQ(listed[0].name, SiteMember::Sample(row.page * 10).name);
            for (const Listed& l : listed) {
                EXPECT_EQ(l.href.rfind("http://" + site.Host() + "/member", 0), 0u) << l.href;
                EXPECT_TRUE(Contains(l.href, layout == SiteLayout::New ? "?gid=" : "?oid=")) << l.href;
            }
        }
        // Without any table cell the program looks for the count in <h1>.
        EXPECT_EQ(Page(Fetch(SearchUrl(site, 0))).Tags("TD").empty(), layout == SiteLayout::New);
    }
}

TEST(LocalSite, ResultEntriesShowAgeAreaCountsMarksAndWantedAgesWhereTheScraperReadsThem) {
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        LocalSite site(layout);
        // A marked member between two plain ones: no mark may reach a neighbour.
        site.Add(SiteMember("olga").Name("Ольга").Age(31).Area("Киев"));
        site.Add(SiteMember("anna").Name("Анна").Age(27).Area("Москва").Photos(12).IntimPhotos(3).Video(1)
                     .RealUser().Vip().Intim().WantedAge("25-35"));
        site.Add(SiteMember("vera").Age(0).Area("Тверь").WantedAge("30-40").LookingFor("F"));
        Page page(Fetch(SearchUrl(site, 0)));
        const auto listed = ListedMembers(page, layout);
        ASSERT_EQ(listed.size(), 3u);
        EXPECT_EQ(listed[0].name, "Ольга");
        EXPECT_EQ(listed[2].name, "vera") << "a member without a name is shown by login";

        // The name text is followed by the link's end, then the age and the area.
        const int32_t closeA = listed[1].index + (layout == SiteLayout::New ? 2 : 4);
        ASSERT_TRUE(page.IsTag(closeA, "/A"));
        EXPECT_EQ(AgeAndArea(page, closeA), std::make_pair(std::string("27"), std::string("Москва")));
        EXPECT_EQ(AgeAndArea(page, listed[0].index + (layout == SiteLayout::New ? 2 : 4)),
                  std::make_pair(std::string("31"), std::string("Киев")));
        EXPECT_EQ(AgeAndArea(page, listed[2].index + (layout == SiteLayout::New ? 2 : 4)),
                  std::make_pair(std::string(), std::string()));

        const auto anna = Block(page, listed[1].index);
        const std::vector<std::string> expected{"12 фото", "3 интим-фото", "1 видео", "Ищу парня в возрасте 25-35 лет"};
        auto texts = BlockTexts(page, anna);
        for (const std::string& line : expected)
            EXPECT_NE(std::find(texts.begin(), texts.end(), line), texts.end()) << line;
        EXPECT_TRUE(Contains(Attr(page.TagAt(anna.first), "class"), "intim"));
        for (auto other : {Block(page, listed[0].index), Block(page, listed[2].index)})
            EXPECT_FALSE(Contains(Attr(page.TagAt(other.first), "class"), "intim"));
        texts = BlockTexts(page, Block(page, listed[2].index));
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Ищу девушку в возрасте 30-40 лет"), texts.end());

        if (layout == SiteLayout::Old) {
            // Marks stand before the name link inside the member's table; </tr> ends the entry.
            EXPECT_TRUE(BlockHas(page, anna, "A", "class", "ico-vip"));
            EXPECT_TRUE(BlockHas(page, anna, "IMG", "alt", "Реальный пользователь"));
            EXPECT_TRUE(page.IsTag(anna.second - 2, "/TR"));
            for (auto other : {Block(page, listed[0].index), Block(page, listed[2].index)}) {
                EXPECT_FALSE(BlockHas(page, other, "A", "class", "ico-vip"));
                EXPECT_FALSE(BlockHas(page, other, "IMG", "alt", "Реальный пользователь"));
            }
        } else {
            // Marks follow the name link; the next entry opens with its photo block.
            EXPECT_TRUE(BlockHas(page, anna, "A", "title", "VIP"));
            EXPECT_TRUE(BlockHas(page, anna, "A", "title", "Реальный пользователь"));
            EXPECT_EQ(Attr(page.TagAt(anna.first + 1), "class"), "u-s-photo u-photo");
            for (auto other : {Block(page, listed[0].index), Block(page, listed[2].index)}) {
                EXPECT_FALSE(BlockHas(page, other, "A", "title", "VIP"));
                EXPECT_FALSE(BlockHas(page, other, "A", "title", "Реальный пользователь"));
            }
        }
    }
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
    };
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        LocalSite site(layout);
        site.Add(SiteMember("a").Gender("F").Age(22).Photos(2));
        site.Add(SiteMember("b").Gender("M").Age(30).RealUser());
        site.Add(SiteMember("c").Gender("F").Age(40).Photos(1).Video(1).RealUser());
        site.Add(SiteMember("d").Gender("F").Age(50).Intim());
        for (const auto& row : rows) {
            const std::string url = SearchUrl(site, 0, row.params);
            std::vector<std::string> names;
            for (const Listed& l : ListedMembers(Page(Fetch(url)), layout)) names.push_back(l.name);
            EXPECT_EQ(names, row.names) << url;
        }
    }
}

TEST(LocalSite, PagesComeInTheChosenEncoding) {
    struct {
        SiteEncoding encoding;
        const char* meta; // content of the charset meta; empty: none
        bool utf8;
    } const rows[] = {
        {SiteEncoding::Cp1251, "", false},
        {SiteEncoding::Cp1251Meta, "text/html; charset=windows-1251", false},
        {SiteEncoding::Utf8, "text/html; charset=utf-8", true},
    };
    for (SiteLayout layout : kLayouts) {
        LocalSite site(layout);
        site.Add(SiteMember("anna").Name("Анна").Purposes({"Friendship"}));
        for (const auto& row : rows) {
            site.SetEncoding(row.encoding);
            for (const std::string& url : {SearchUrl(site, 0), site.Url("/anna/"), site.Url("/")}) {
                SCOPED_TRACE(std::string(LayoutName(layout)) + " " + url + " " + row.meta);
                const std::string body = Fetch(url);
                ASSERT_FALSE(body.empty());
                EXPECT_EQ(text::IsValidUtf8(body), row.utf8);
                web::TFindTags finder;
                finder.SetHTML(body);
                EXPECT_EQ(web::TFindTags::GetParamValue(finder.FindFirstTag("meta", web::TFindTags::IsCharsetMeta),
                                                        "content"),
                          row.meta);
                EXPECT_TRUE(Contains(row.utf8 ? body : text::Cp1251ToUtf8(body), "Знакомства") ||
                            Contains(row.utf8 ? body : text::Cp1251ToUtf8(body), "Анна"));
            }
        }
        // The new layout's list items begin with an em dash, which windows-1251 has too.
        site.SetEncoding(SiteEncoding::Cp1251);
        if (layout == SiteLayout::New) {
            EXPECT_TRUE(Contains(text::Cp1251ToUtf8(Fetch(site.Url("/anna/"))), "<li>— Дружба и общение</li>"));
        }
    }
}

TEST(LocalSite, ProfilePagesShowTheAnswersWhereTheCheckerLooks) {
    SiteMember anna("anna");
    anna.Name("Анна").Gender("F").Age(27).Zodiac("lev").Purposes({"Friendship", "Закрыто+"}).Sponsor("Iam")
        .Marriage("TogetherMarriage1").Narcotic("NoNarcotic").Economic("Huge").Smoking("NoSmoking")
        .Music({"RockMusic"}).Car("BMW", "X5").ViewsPerMonth(345).Height(170).Weight(55).Photos(2);
    // Answers as the page writes them: a woman's wording where the site has one.
    const std::vector<std::string> answers{"Готова стать спонсором", "Да, замужем, живем вместе",
                                           "Никогда не принимала", "Хорошо зарабатываю / обеспечена", "Не курю"};
    for (SiteLayout layout : kLayouts) {
        SCOPED_TRACE(LayoutName(layout));
        const bool isNew = layout == SiteLayout::New;
        LocalSite site(layout);
        site.Add(anna);
        Page page(Fetch(site.Url("/anna/?afolder=dating")));
        ASSERT_GT(page.Count(), 0);

        std::vector<std::string> items;
        for (const THTMLTag* li : page.Tags("LI")) items.push_back(Trimmed(page.TextAt(li->Index() + 1)));
        const std::string dash = isNew ? "— " : "";
        EXPECT_EQ(items,
                  (std::vector<std::string>{dash + "Дружба и общение", dash + "Закрыто+", dash + "Рок, металл"}));

        // Title texts: the old layout's answer stands right after one <br> and
        // right before the next; the new one's two items after its bold title.
        std::vector<std::string> titled;
        if (isNew) {
            for (const THTMLTag* b : page.Tags("B"))
                if (Attr(b, "class") == "b-title") titled.push_back(Trimmed(page.TextAt(b->Index() + 3)));
        } else {
            for (const THTMLTag* br : page.Tags("BR"))
                if (page.IsTag(br->Index() + 2, "BR")) titled.push_back(Trimmed(page.TextAt(br->Index() + 1)));
        }
        for (const std::string& answer : answers)
            EXPECT_NE(std::find(titled.begin(), titled.end(), answer), titled.end()) << answer;

        // The zodiac sign: in <div class="age"> or after a picture, before the cell ends.
        bool sign = false;
        for (const THTMLTag* tag : page.Tags(isNew ? "DIV" : "IMG")) {
            if (isNew && Attr(tag, "class") != "age") continue;
            for (int32_t i = tag->Index() + 1; i < page.Count() && !page.IsTag(i, "/TD") && !page.IsTag(i, "/DIV"); ++i)
                sign = sign || Contains(page.TextAt(i), "Лев");
        }
        EXPECT_TRUE(sign);

        // Views right after a <div> (new) or a <br> (old).
        bool views = false;
        for (const THTMLTag* tag : page.Tags(isNew ? "DIV" : "BR"))
            views = views || Trimmed(page.TextAt(tag->Index() + 1)) == "просмотров за месяц: 345";
        EXPECT_TRUE(views);

        // Height and weight: the label right after a <b> with the value two
        // items on (new), or three items before a <br> with the value right
        // before it (old).
        std::map<std::string, std::string> measures;
        for (const THTMLTag* tag : page.Tags(isNew ? "B" : "BR")) {
            const int32_t label = isNew ? tag->Index() + 1 : tag->Index() - 3;
            const int32_t value = isNew ? label + 2 : tag->Index() - 1;
            const std::string t = page.TextAt(label);
            if (Contains(t, "Рост") || Contains(t, "Вес")) measures[t] = Trimmed(page.TextAt(value));
        }
        EXPECT_EQ(measures, (std::map<std::string, std::string>{{"Рост:", "170 см"}, {"Вес:", "55 кг"}}));

        // The car under its label, later on the page.
        int32_t label = -1;
        for (int32_t i = 0; i < page.Count() && label < 0; ++i)
            if (page.TextAt(i).rfind(isNew ? "Мой автомобиль" : "Автомобиль", 0) == 0) label = i;
        ASSERT_GE(label, 0);
        EXPECT_EQ(Trimmed(page.TextAt(label + 2)), "BMW X5");

        // The medium photo for the favourites window.
        EXPECT_EQ(Attr(page.Tags("IMG")[isNew ? 0 : 1], "src"), "http://" + site.Host() + "/photos/anna_medium.jpg");
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

TEST(LocalSite, WapPagesListEachAreaLevelTenAPage) {
    struct {
        const char* where;
        int page;
        const char* kind;
        size_t count;
        const char* firstName;
        const char* firstId;
    } const rows[] = {
        {"other", 1, "Country", 10, "Россия", "3159"},
        {"other", 2, "Country", 2, "Молдова", "2303"},
        {"other", 9, "Country", 0, "", ""},
        {"Country.3159", 1, "Region", 3, "Москва и Московская обл.", "4312"},
        {"Region.4312", 1, "City", 2, "Москва", "4400"},
        {"City.4400", 1, "Metro", 10, "Арбатская", "101"},
        {"City.4400", 2, "Metro", 2, "Смоленская", "111"},
        {"Country.77", 1, "Region", 0, "", ""},
    };
    LocalSite site; // windows-1251 site pages; WAP pages stay UTF-8
    for (const auto& row : rows) {
        const std::string url = "http://wap." + site.LocalhostHost() +
                                "/?area=search&me=1&lookFor=2&where=" + row.where + "&page=" + std::to_string(row.page);
        SCOPED_TRACE(url);
        const std::string body = Fetch(url);
        ASSERT_FALSE(body.empty());
        EXPECT_TRUE(text::IsValidUtf8(body));
        Page page(body, true);
        std::vector<std::pair<std::string, std::string>> areas; // name, id
        std::vector<std::string> skipped;
        for (const THTMLTag* a : page.Tags("A")) {
            const std::string href = Attr(a, "href");
            if (!Contains(href, "/?area=search") || !Contains(href, row.kind)) continue;
            const std::string name = page.TextAt(a->Index() + 1);
            if (Contains(name, "...") || Contains(name, "Поиск") || Contains(name, "Выбор региона")) {
                skipped.push_back(name);
                continue;
            }
            std::string id = href.substr(href.find('.') + 1);
            areas.emplace_back(name, id.substr(0, id.find('&')));
        }
        ASSERT_EQ(areas.size(), row.count);
        if (row.count > 0) {
            EXPECT_EQ(areas[0], std::make_pair(std::string(row.firstName), std::string(row.firstId)));
        }
        // Links the loader must pass over are there to be passed over.
        EXPECT_GE(skipped.size(), 2u);
    }
    EXPECT_EQ(site.WapRequestCount(), std::size(rows));
}

TEST(LocalSite, ExtendedSearchPageListsTheCarMakesOrAnswersPageNotFound) {
    LocalSite site;
    site.SetCarMakes({{"16", "BMW"}, {"54", "ВАЗ"}});
    Page page(Fetch(site.Url("/search_ext.phtml")));
    const THTMLTag* select = nullptr;
    for (const THTMLTag* tag : page.Tags("SELECT"))
        if (!select && Contains(Attr(tag, "name"), "avto_id")) select = tag;
    ASSERT_NE(select, nullptr);
    std::vector<std::pair<std::string, std::string>> options;
    for (int32_t i = select->Index() + 1; i < page.Count() && !page.IsTag(i, "/SELECT"); ++i)
        if (page.IsTag(i, "OPTION")) options.emplace_back(Attr(page.TagAt(i), "value"), page.TextAt(i + 1));
    const std::vector<std::pair<std::string, std::string>> expected{{"0", "не важно"}, {"16", "BMW"}, {"54", "ВАЗ"}};
    EXPECT_EQ(options, expected);

    site.SetCarPage(SiteCarPage::NotFoundText);
    EXPECT_TRUE(Contains(Fetch(site.Url("/search_ext.phtml")), "Страница не найдена"));
    site.SetCarPage(SiteCarPage::FreeAddressText);
    EXPECT_TRUE(Contains(Fetch(site.Url("/search_ext.phtml")), "Этот адрес свободен"));
    site.SetCarPage(SiteCarPage::Missing);
    EXPECT_EQ(Fetch(site.Url("/search_ext.phtml")), "");
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
