// The engine's own state machine, apart from what the pages hold: the end
// of a search without pages, the completion message, the progress bounds
// and the layout probe.
#include "EngineTestSupport.h"

#include "support/TinyProxy.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

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

TEST_F(EngineTest, ProgressStaysWithinItsMaximumWhenThePageCountGrows) {
    LocalSite site;
    site.Add(testsupport::SiteMember::Samples(30));
    Configure(site, 1);
    onProgress = [&](search::TFinderStateObject& s) {
        EXPECT_LE(s.Position, s.Max);
        EXPECT_GE(s.Position, 0);
        dm->Settings().SetPageCount(3); // read afresh at every step
    };
    ASSERT_TRUE(Search());
    EXPECT_EQ(site.SearchRequestCount(), 3u);
    EXPECT_EQ(log.front(), "progress 0/14");
    EXPECT_EQ(log[log.size() - 3], "progress 14/14");
}

TEST_F(EngineTest, StopOrSuspendFromAnEventHandlerHoldsAfterTheStep) {
    LocalSite site;
    site.Add(testsupport::SiteMember::Samples(30));
    Configure(site, 3);
    int steps = 0;
    onProgress = [&](search::TFinderStateObject&) {
        if (++steps == 2) engine->Suspend();
    };
    engine->Start();
    QEventLoop idle;
    QTimer::singleShot(100, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_EQ(steps, 2);
    EXPECT_FALSE(engine->MasterTimer().isActive());

    bool stopped = false;
    onProgress = [&](search::TFinderStateObject&) {
        if (!std::exchange(stopped, true)) engine->Stop();
    };
    engine->Resume();
    ASSERT_TRUE(RunUntilStopped());
    QTimer::singleShot(100, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_EQ(log.back(), "stop");
    EXPECT_FALSE(engine->MasterTimer().isActive());
    EXPECT_TRUE(messages.Texts().empty()); // stopped, not finished

    // Resume belongs to a suspended search only.
    engine->Resume();
    EXPECT_FALSE(engine->MasterTimer().isActive());
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
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_NE(messages.Texts()[0].find("LoadedFriends.xml"), std::string::npos) << messages.Texts()[0];

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
