// Scraping result pages into candidates: pages of both layouts from the
// local site, de-duplication, and hand-made damaged pages.
#include "EngineTestSupport.h"
#include "search/SitePage.h"
#include "support/site/SitePages.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace testsupport;
using data::TFriendRecord;
using search::TVelmora;

namespace {

class ResultPage : public enginetest::EnginePhaseTest {
protected:

    void Aim(const std::string& host, bool newLayout) {
        engine.SetHost(host);
        engine.SetSiteVersion(newLayout ? TVelmora::svNew : TVelmora::svOld);
        dm.Settings().SetPageCount(5);
    }
    // Fetches and scrapes the first result page of `site`.
    void Scrape(const LocalSite& site) {
        Aim(site.Host(), site.Layout() == SiteLayout::New);
        search::TExtractor& extractor = engine.Extractor(0);
        extractor.SetURL(engine.SearchURL(0));
        extractor.SetDone(false);
        extractor.TimerTick(); // its scrape runs when the page arrives
        ASSERT_TRUE(QTest::qWaitFor([&] { return extractor.Done(); }, 10000));
    }
    // Scrapes a hand-made page, declared UTF-8.
    void Scrape(const std::string& page) {
        search::TExtractor& extractor = engine.Extractor(0);
        extractor.SetPageText("<meta http-equiv=Content-Type content=\"text/html; charset=UTF-8\">" + page);
        extractor.ParseResultPage();
    }
    std::string Logins() {
        std::string logins;
        for (const TFriendRecord& r : Rows()) logins += (logins.empty() ? "" : " ") + r.Login;
        return logins;
    }
};

// The fields that a result page gives, in one comparable line.
std::string Describe(const TFriendRecord& r) {
    return r.Name + "|" + r.Login + "|" + std::to_string(r.Age) + "|" + r.Area + "|" + std::to_string(r.PhotoCount) +
           "|" + std::to_string(r.VideoCount) + "|" + std::to_string(r.RealUser) + std::to_string(r.VipUser) +
           std::to_string(r.Intim) + "|" + r.AgeRange + "|" + r.URL;
}

TEST_F(ResultPage, EntriesOfBothLayoutsBecomeCandidates) {
    struct {
        SiteLayout layout;
        SiteEncoding encoding;
        bool fromSearch;
    } const rows[] = {
        {SiteLayout::Old, SiteEncoding::Cp1251, false},
        {SiteLayout::Old, SiteEncoding::Utf8, true},
        {SiteLayout::New, SiteEncoding::Cp1251Meta, false},
        {SiteLayout::New, SiteEncoding::Utf8, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.layout) * 10 + int(row.encoding) + (row.fromSearch ? 100 : 0));
        engine.Candidates().ClearRecords();
        LocalSite site(row.layout);
        site.SetEncoding(row.encoding);
        site.SetFromSearchLinks(row.fromSearch);
        site.Add(SiteMember("olga").Name("Ольга").Age(31).Area("Киев"));
        site.Add(SiteMember("anna").Name("Анна").Age(27).Area("Москва").Photos(12).IntimPhotos(3).Video(1)
                     .RealUser().Vip().Intim().WantedAge("25-35"));
        site.Add(SiteMember("vera").Age(0).Area("Тверь").WantedAge("30-40"));
        site.Add(SiteMember("ivan").Name("Иван").Age(40).RedirectTo("http://other.example/ivan/?a=1&b=два"));
        site.Add(SiteMember("petr").Age(33).RedirectTo("http://other.example/p?q=%zz&r=%4", true));
        Scrape(site);
        const std::vector<TFriendRecord> got = Rows();
        ASSERT_EQ(got.size(), 5u) << Logins();
        const std::string link = site.ResultLink("olga");
        EXPECT_EQ(Describe(got[0]), "Ольга|olga|31|Киев|0|0|000||" + link);
        EXPECT_EQ(Describe(got[1]), "Анна|anna|27|Москва|15|1|111|25-35|" + site.ResultLink("anna"));
        // Without an age the scraper finds no area either.
        EXPECT_EQ(Describe(got[2]), "vera|vera|0||0|0|000|30-40|" + site.ResultLink("vera"));
        EXPECT_EQ(Describe(got[3]), "Иван|ivan|40|Москва|0|0|000||http://other.example/ivan/?a=1&b=два");
        EXPECT_EQ(got[4].URL, "http://other.example/p?q=%zz&r=%4") << "a broken escape stays as written";
    }
}

TEST_F(ResultPage, ProfilesKnownFromEitherTableAreNotTakenAgain) {
    for (SiteLayout layout : {SiteLayout::Old, SiteLayout::New}) {
        engine.Candidates().ClearRecords();
        engine.FoundFriends().ClearRecords();
        engine.FoundFriends().AddFriend("Анна", "ANNA", "http://x/anna/", "", 0, 0, 0, 0, 0, 0, "");
        engine.Candidates().AddFriend("Ольга", "olga", "http://x/olga/", "", 0, 0, 0, 0, 0, 0, "");
        LocalSite site(layout);
        site.Add({SiteMember("anna"), SiteMember("olga"), SiteMember("kira").Age(20), SiteMember("kira").Age(21)});
        Scrape(site);
        EXPECT_EQ(Logins(), "olga kira");
        EXPECT_EQ(Rows().back().Age, 20) << "the first listing of a login is the one kept";
    }
    // A NUL byte inside a login listed twice: one candidate, its login whole.
    engine.Candidates().ClearRecords();
    Aim("h", false);
    const std::string link = std::string("<a href=\"http://h/a\0b/?oid=1\">x</a>", 35);
    Scrape(link + link);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].Login, "a\uFFFDb");
}

TEST_F(ResultPage, OldLayoutEdgesAndDamage) {
    Aim("Site.Example", false);
    const std::string a = "<a href=\"http://site.example/";
    Scrape("<html><table><tr><td>Найдено анкет: 9</td></tr></table>\n"
           "<li class=intim><table><tr><td>" + a + "bold/?oid=1\"><b>Bold</b></a>, 20</td></tr></table></li>\n"
           "<li><table><tr><td><a class=\"ico-vip\">v</a>\t" + a + "font/?oid=2\"><font>Font</font></a>, 27 лет<br>"
           "2 фото сегодня<br>Ищу в возрасте 20-30<br></td></tr></table></li>\n"
           "<table><tr><td>" + a + "comma/?oid=3\">Comma</a>, <br> 29<br>  <br> Тула<br>12 фото</td></tr></table>\n"
           "<table><tr><td>" + a + "r1/?tip=AWarn&tcurl=http%3A%2F%2Fo.example%2Fa+b%%c%C3%A9\">R1</a></tr>\n"
           "<tr><td>" + a + "r2/?tip=AWarn&tcurl=http://o.example/%FF%01\">R2</a></tr>\n"
           "<tr><td>" + a + "r3/?tip=AWarn\">R3</a>" + a + "r4/?tip=AWarn&tcurl=\">R4</a>" + a +
           "search.phtml?oid=4\">S</a>" + a + "?sold=1&oid=5\">Sold</a>" +
           "<a href=\"http://other.example/x6/?oid=6\">Elsewhere</a></tr></table>\n"
           "<a href=\"HTTP://SITE.EXAMPLE/Upper/?OID=7\"");
    const std::vector<TFriendRecord> got = Rows();
    ASSERT_EQ(got.size(), 5u) << Logins();
    // Marks before the link within its table count; the intim item is the one around the link.
    EXPECT_EQ(Describe(got[0]), "Font|font|0||0|0|010||http://site.example/font/?oid=2");
    EXPECT_EQ(Describe(got[1]), "Comma|comma|29|Тула|12|0|000||http://site.example/comma/?oid=3");
    EXPECT_EQ(got[2].URL, "http://o.example/a b%cé");
    EXPECT_EQ(got[3].URL, "http://o.example/%FF%01") << "bytes that are no text stay escaped";
    // Redirects without a target, search and foreign links give none; an
    // anchor cut off at the end of the page is listed by its login.
    EXPECT_EQ(Describe(got[4]), "upper|upper|0||0|0|000||HTTP://SITE.EXAMPLE/Upper/?OID=7");
}

TEST_F(ResultPage, NewLayoutDetailsRunOnToTheNextPhotoBlock) {
    // Entries without photo blocks: each detail walk runs to the end of the
    // page, and the last value met wins.
    Aim("h", true);
    const std::string page = "<h1>Найдено анкет: 3</h1>\n"
                             "<a class=\"u-name\" href=\"http://h/a1/?gid=1\">A1</a>, 21<i>Город1</i><i>5 фото</i>\n"
                             "<a class=\"u-name\" href=\"http://h/a2/?gid=2\">A2</a><i>2 интим-фото</i>\n"
                             "<a class=\"u-name\" href=\"http://h/a3/?gid=3\">A3</a>,<b>23</b><i>Город3</i>1 видео"
                             "<div class=\"u-s-photo u-photo\"></div>, 50<i>Город4</i><i>9 видео</i>\n"
                             "<a class=\"u-name\" href=\"http://h/a4/?gid=4\"><i></i> A4</a>"
                             "<a href=\"http://h/a5/?gid=5\">not a name link</a>";
    Scrape(page);
    std::vector<std::string> got;
    for (const TFriendRecord& r : Rows()) got.push_back(Describe(r));
    EXPECT_EQ(got, (std::vector<std::string>{"A1|a1|23|Город3|7|1|000||http://h/a1/?gid=1",
                                             "A2|a2|23|Город3|2|1|000||http://h/a2/?gid=2",
                                             "A3|a3|23|Город3|0|1|000||http://h/a3/?gid=3",
                                             " A4|a4|0||0|0|000||http://h/a4/?gid=4"}));
}

TEST_F(ResultPage, ANameOfLineBreaksAndABareBracketInThePlaceAreKept) {
    // A name of line breaks alone makes no text item, and a bare '>' in
    // running text would be taken for a tag.
    for (const bool newLayout : {false, true}) {
        SCOPED_TRACE(newLayout);
        engine.Candidates().ClearRecords();
        Aim("h", newLayout);
        const std::string a = newLayout ? "<a class=\"u-name\" href=\"http://h/" : "<a href=\"http://h/";
        const std::string id = newLayout ? "/?gid=" : "/?oid=";
        Scrape("<table><tr><td>Найдено анкет: 2</td></tr></table>\n<li><table><tr><td>" + a + "nl" + id +
               "1\"><font>\r\n</font></a>, 30<br>Тула<br></td></tr></table></li>\n<li><table><tr><td>" + a + "gt" + id +
               "2\">Анна</a>, 25<br>Москва > Центр<br>3 фото</td></tr></table></li>\n");
        std::vector<std::string> got;
        for (const TFriendRecord& r : Rows()) got.push_back(Describe(r));
        EXPECT_EQ(got, (std::vector<std::string>{"nl|nl|0||0|0|000||http://h/nl" + id + "1",
                                                 "Анна|gt|25|Москва > Центр|3|0|000||http://h/gt" + id + "2"}));
    }
}

TEST_F(ResultPage, APageGivesAtMostAThousandCandidatesAndIsFreedOnceScraped) {
    Aim("h", true);
    std::string page;
    for (int i = 0; i < 1500; ++i)
        page += "<a class=\"u-name\" href=\"http://h/m" + std::to_string(i) + "/?gid=1\">M</a>\n";
    Scrape(page);
    ASSERT_EQ(Rows().size(), size_t(search::TExtractor::MaxCandidatesPerPage));
    EXPECT_EQ(Rows().back().Login, "m999");
    EXPECT_TRUE(engine.Extractor(0).PageText().empty());
}

TEST_F(ResultPage, PagesOverTheSitePageLimitAreRefused) {
    LocalSite site(SiteLayout::New);
    const std::string entry = "<a class=\"u-name\" href=\"http://" + site.Host() + "/anna/?gid=1\">Anna</a>\n";
    for (const size_t size : {search::MaxSitePageBytes, search::MaxSitePageBytes + 1}) {
        SCOPED_TRACE(size);
        engine.Candidates().ClearRecords();
        site.Server().Reply("/search.phtml", HttpReply::Page(entry + std::string(size - entry.size(), ' ')));
        Scrape(site);
        EXPECT_EQ(Rows().size(), size <= search::MaxSitePageBytes ? 1u : 0u);
        EXPECT_TRUE(engine.Extractor(0).PageText().empty());
    }
}

} // namespace
