// The engine's own state machine, apart from what the pages hold: the end
// of a search without pages, the completion message, the layout probe and
// failures met in a tick.
#include "EngineTestSupport.h"

#include "support/LocalHttpServer.h"
#include "support/TinyProxy.h"

#include <filesystem>
#include <limits>
#include <stdexcept>

using enginetest::EngineTest;
using search::TVelmora;
using testsupport::LocalSite;
using testsupport::SiteLayout;

TEST(EngineCompletionMessage, ShowsWholeMinutesSecondsAndMilliseconds) {
    const struct {
        int64_t ms;
        const char* shown;
    } cases[] = {
        {0, "0:0:0"},
        {2 * 60000 + 3000 + 45, "2:3:45"},
        {59 * 60000 + 59 * 1000 + 999, "59:59:999"},
        {62 * 60000, "62:0:0"}, // 1 h 2 min
        {-40, "0:0:0"},         // the clock was set back
    };
    for (const auto& c : cases)
        EXPECT_EQ(TVelmora::CompletionMessage(c.ms), std::string("Поиск завершен. Время выполнения: ") + c.shown);
}

TEST_F(EngineTest, NoPagesEndsOnTheFirstTickWithoutAPageRequest) {
    LocalSite site;
    site.Add(testsupport::SiteMember::Samples(5));
    for (int pages : {0, -3}) {
        SCOPED_TRACE(pages);
        log.clear();
        std::filesystem::remove(dir / "LoadedFriends.xml");
        Configure(site, pages);
        ASSERT_TRUE(Search());
        EXPECT_EQ(log, (std::vector<std::string>{"progress 0/0", "progress 0/0", "stop"}));
        EXPECT_TRUE(std::filesystem::exists(dir / "LoadedFriends.xml"));
    }
    EXPECT_EQ(site.SearchRequestCount(), 0u);
    EXPECT_EQ(site.RequestCount("/"), 2u); // the layout probes
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messagesAtStop, 1u); // each message after its OnStop
    EXPECT_TRUE(messages.Texts()[1].starts_with("Поиск завершен. Время выполнения: 0:"));
}

TEST_F(EngineTest, LayoutProbeTellsTheLayoutsApartThroughTheSettingsProxy) {
    LocalSite oldSite(SiteLayout::Old), newSite(SiteLayout::New);
    engine->DetectSiteVersionOf(oldSite.Host());
    EXPECT_EQ(engine->SiteVersion(), TVelmora::svOld);
    engine->DetectSiteVersionOf(newSite.Host());
    EXPECT_EQ(engine->SiteVersion(), TVelmora::svNew);
    EXPECT_TRUE(engine->IsNewSite());
    engine->DetectSiteVersionOf("127.0.0.1:1");
    EXPECT_EQ(engine->SiteVersion(), TVelmora::svNoAnswer);

    testsupport::TinyProxy proxy;
    auto& proxyParams = dm->Settings().ProxyParams();
    proxyParams.SetUseProxy(true);
    proxyParams.SetProxyServer(proxy.Host());
    proxyParams.SetProxyPort(proxy.Port());
    newSite.ClearRequests();
    engine->DetectSiteVersionOf(newSite.Host());
    EXPECT_EQ(engine->SiteVersion(), TVelmora::svNew);
    ASSERT_EQ(newSite.RequestCount(), 1u);
    EXPECT_NE(newSite.Requests()[0].Header("Via").find("tinyproxy"), std::string::npos) << proxy.Log();

    proxyParams.SetProxyPort(1); // the proxy is down: no answer, no way around it
    engine->DetectSiteVersionOf(newSite.Host());
    EXPECT_EQ(engine->SiteVersion(), TVelmora::svNoAnswer);
}

TEST_F(EngineTest, FailuresInATickStopTheSearchAndAreShown) {
    LocalSite site;
    site.Add(testsupport::SiteMember::Samples(30));
    Configure(site, 0);
    engine->SetFoundFriendsFile((dir / "no such folder" / "LoadedFriends.xml").string());
    ASSERT_TRUE(Search());
    EXPECT_EQ(log.back(), "stop"); // the window leaves its searching state all the same
    ASSERT_EQ(messages.Texts().size(), 1u) << "the end and the failed save are told together";
    EXPECT_TRUE(messages.Texts()[0].starts_with("Поиск завершен.")) << messages.Texts()[0];
    EXPECT_NE(messages.Texts()[0].find("LoadedFriends.xml» не записан: нет такого файла или папки (ENOENT)"),
              std::string::npos) << messages.Texts()[0];
    EXPECT_TRUE(engine->HasUnsavedHits());

    engine->SetFoundFriendsFile((dir / "LoadedFriends.xml").string());
    Configure(site, 3);
    int steps = 0;
    onProgress = [&](search::TFinderStateObject&) {
        if (++steps == 3) throw std::runtime_error("handler failed");
    };
    ASSERT_TRUE(Search());
    EXPECT_EQ(log.back(), "stop");
    EXPECT_EQ(messages.Texts().back(), "handler failed");
    EXPECT_FALSE(engine->MasterTimer().isActive());
}

TEST_F(EngineTest, AnUnreachableSiteEndsWithAFailureAndAHugePageCountStillEnds) {
    // Nothing listens on port 1: the probe and the first page get no answer.
    dm->Settings().SetFinderServer("127.0.0.1:1");
    dm->Settings().SetPageCount(3);
    ASSERT_TRUE(Search());
    EXPECT_EQ(log.back(), "stop");
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messagesAtStop, 0u);
    EXPECT_EQ(messages.Texts()[0], "Сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (код libcurl 7)"
                                   " — и на главную страницу, и на страницу результатов"); // both waited for
    EXPECT_EQ(engine->UnreachableMessage(), messages.Texts()[0]);

    // A site that answers, even with an error status, found nothing.
    testsupport::LocalHttpServer answersNotFound;
    dm->Settings().SetFinderServer(answersNotFound.HostPort());
    ASSERT_TRUE(Search());
    EXPECT_TRUE(engine->UnreachableMessage().empty());
    EXPECT_TRUE(messages.Texts().back().starts_with("Поиск завершен.")) << messages.Texts().back();
    EXPECT_NE(messages.Texts().back().find("Не получено страниц результатов: 3 из 3.\nСервер " +
                                           answersNotFound.HostPort() + " ответил ошибкой 404"),
              std::string::npos)
        << messages.Texts().back();

    // The largest page count ends like any other once the site runs out of
    // members; the page and progress counters never overflow.
    LocalSite site;
    site.Add(testsupport::SiteMember::Samples(12));
    Configure(site, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(dm->Settings().PageCount(), data::TTesselSettings::MaxPageCount);
    ASSERT_TRUE(Search());
    EXPECT_EQ(site.SearchRequestCount(), 5u);
    EXPECT_EQ(engine->ProgressTotal(), 14 * data::TTesselSettings::MaxPageCount);
    EXPECT_EQ(messages.Texts().back().find("Не получено"), std::string::npos) << messages.Texts().back();
}
