// Where a search waits for the site: never on the user-interface thread.
// A slow site leaves the event loop free, Stop cuts a stalled request short,
// and what the site sees is the very sequence of requests the engine has
// always made (kept in tests/data/requests, one file per layout).
#include "EngineTestSupport.h"
#include "support/Heartbeat.h"

#include <QElapsedTimer>
#include <QTest>

#include <fstream>
#include <map>
#include <sstream>

using enginetest::EngineTest;
using testsupport::LocalSite;
using testsupport::SiteLayout;
using testsupport::SiteMember;

namespace {

// Every request of a search as one line: method, target, headers and the
// connection it came on (numbered from 0 in order of first use), the site's
// port written as "PORT" so that runs compare.
std::string RequestLog(const LocalSite& site) {
    const std::string port = std::to_string(site.Port());
    auto portless = [&](std::string s) {
        for (size_t at = 0; (at = s.find(port, at)) != std::string::npos;) s.replace(at, port.size(), "PORT");
        return s;
    };
    std::map<std::string, size_t> connections;
    std::string log;
    for (const auto& r : site.Requests()) {
        log += r.method + " " + portless(r.target) + " " + r.version;
        for (const auto& [name, value] : r.headers) {
            if (name == "REMOTE_PORT") log += " | conn " + std::to_string(connections.emplace(value, connections.size()).first->second);
            else if (!name.starts_with("LOCAL_") && !name.starts_with("REMOTE_")) log += " | " + name + ": " + portless(value);
        }
        log += "\n";
    }
    return log;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

} // namespace

TEST_F(EngineTest, SiteSeesTheSameRequestsInTheSameOrder) {
    // Result pages in two fetch batches with "fromsearch" links to resolve
    // (old layout), warning redirects among the samples, a condition that
    // needs the profile pages, and a walk that runs out of members.
    for (SiteLayout layout : {SiteLayout::Old, SiteLayout::New}) {
        const std::string name = layout == SiteLayout::Old ? "old" : "new";
        SCOPED_TRACE(name);
        LocalSite site(layout);
        site.Add(SiteMember::Samples(64));
        site.SetFromSearchLinks(layout == SiteLayout::Old);
        Configure(site, 8);
        engine->FoundFriends().ClearRecords();
        engine->Params().SetStatureMin(170);
        ASSERT_TRUE(Search());
        const std::string file = std::string(VELMORA_TEST_SOURCE_DIR) + "/data/requests/search-" + name + ".txt";
        if (qEnvironmentVariableIsSet("VELMORA_RECORD_REQUESTS")) std::ofstream(file, std::ios::binary) << RequestLog(site);
        EXPECT_EQ(RequestLog(site), ReadFile(file));
    }
}

TEST_F(EngineTest, TheEventLoopRunsWhileTheSiteIsSlowAndStopCutsAStalledRequestShort) {
    {
        // Every answer takes 2 s: the probe, one result page, one profile page.
        LocalSite site;
        site.Add(SiteMember("tall").Height(180));
        site.SetDelay(std::chrono::milliseconds(2000));
        Configure(site, 1);
        engine->Params().SetStatureMin(170);
        testsupport::Heartbeat heartbeat;
        ASSERT_TRUE(Search());
        EXPECT_LT(heartbeat.LongestGap(), 100);
        EXPECT_EQ(site.RequestCount(), 3u);
        EXPECT_EQ(FoundLogins(), std::vector<std::string>{"tall"});
    }

    // The fourth profile page never comes: Stop ends the search at once,
    // with the hits of the three before saved, and nothing moves after it.
    LocalSite site;
    const auto members = SiteMember::Samples(6);
    site.Add(members);
    site.Server().Route("/" + members[3].login + "/", [](const auto&) { return testsupport::HttpReply::Stall(); });
    Configure(site, 1);
    engine->FoundFriends().ClearRecords();
    engine->Params().SetStatureMin(1);
    log.clear();
    engine->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return site.ProfileRequestCount(members[3].login) == 1; }, 10000));
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    engine->Stop();
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_EQ(log.back(), "stop");
    const std::vector<std::string> firstThree{members[0].login, members[1].login, members[2].login};
    EXPECT_EQ(FoundLogins(), firstThree);
    data::TFriend saved;
    saved.LoadFromFile(dir / "LoadedFriends.xml");
    EXPECT_EQ(saved.RecordCount(), 3);
    EXPECT_FALSE(engine->Checker(3).Submit().Busy());
    const size_t requests = site.RequestCount(), events = log.size();
    QTest::qWait(300);
    EXPECT_EQ(site.RequestCount(), requests);
    EXPECT_EQ(log.size(), events);
    EXPECT_EQ(messages.Texts().size(), 1u); // the first search's completion only
}
