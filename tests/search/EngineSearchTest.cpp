// Whole searches against the local site, run by the engine's own timers:
// the pages walked, the profiles checked, the events in order, the hits
// saved and the completion message; stopping, restarting and pausing.
#include "EngineTestSupport.h"

#include "data/TFriend.h"

#include <QElapsedTimer>
#include <QTest>
#include <fstream>

#include <set>

using enginetest::EngineTest;
using testsupport::LocalSite;
using testsupport::SiteLayout;
using testsupport::SiteMember;

namespace {

// The kernel's high-water mark of resident memory in bytes, reset by each call.
int64_t PeakResidentSinceLastCall() {
    std::ifstream status("/proc/self/status");
    int64_t kb = 0;
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) kb = std::stoll(line.substr(6));
    std::ofstream("/proc/self/clear_refs") << "5";
    return kb * 1024;
}

// The search condition of these tests, which needs every profile page.
constexpr int MinHeight = 170;

std::set<std::string> TallLogins(const std::vector<SiteMember>& members) {
    std::set<std::string> logins;
    for (const SiteMember& m : members)
        if (m.height >= MinHeight) logins.insert(m.login);
    return logins;
}

std::vector<std::string> Offsets(const LocalSite& site) {
    std::vector<std::string> offsets;
    for (const auto& r : site.Requests())
        if (r.path == "/search.phtml") offsets.push_back(r.Param("offset"));
    return offsets;
}

std::vector<std::string> SavedLogins(const std::filesystem::path& file) {
    data::TFriend saved;
    saved.LoadFromFile(file);
    std::vector<std::string> logins;
    saved.FillStrings("Login", logins);
    return logins;
}

} // namespace

TEST_F(EngineTest, SearchWalksPagesInBatchesAndKeepsTheHits) {
    const struct {
        SiteLayout layout;
        int pages;
        std::vector<std::string> offsets; // in the order the site saw them
        std::string lastProgress;
    } cases[] = {
        {SiteLayout::Old, 3, {"", "10", "20"}, "progress 42/42"},
        {SiteLayout::New, 7, {"", "10", "20", "30", "40", "50", "60"}, "progress 98/98"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pages);
        LocalSite site(c.layout);
        const auto members = SiteMember::Samples(100);
        site.Add(members);
        Configure(site, c.pages);
        engine->FoundFriends().ClearRecords();
        std::filesystem::remove(dir / "LoadedFriends.xml");
        engine->Params().SetStatureMin(MinHeight);
        log.clear();
        const size_t messagesBefore = messages.Texts().size();

        ASSERT_TRUE(Search());
        EXPECT_EQ(Offsets(site), c.offsets);
        const std::vector<SiteMember> walked(members.begin(), members.begin() + c.pages * 10);
        for (const SiteMember& m : walked) EXPECT_EQ(site.ProfileRequestCount(m.login), 1u) << m.login;
        EXPECT_EQ(site.ProfileRequestCount(members[size_t(c.pages) * 10].login), 0u);

        const auto found = FoundLogins();
        EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), TallLogins(walked));
        EXPECT_EQ(SavedLogins(dir / "LoadedFriends.xml"), found);

        // Events: progress from 0 up to the maximum, never past it, then
        // back to 0, the stop, and only then the completion message.
        const int max = 14 * c.pages;
        ASSERT_GE(log.size(), 4u);
        EXPECT_EQ(log.front(), "progress 0/" + std::to_string(max));
        EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
                  (std::vector<std::string>{c.lastProgress, "progress 0/" + std::to_string(max), "stop"}));
        int last = 0;
        for (auto it = log.begin(); it != log.end() - 2; ++it) {
            const int position = std::stoi(it->substr(9));
            EXPECT_GE(position, last) << *it;
            EXPECT_TRUE(it->ends_with("/" + std::to_string(max))) << *it;
            last = position;
        }
        EXPECT_EQ(messagesAtStop, messagesBefore);
        ASSERT_EQ(messages.Texts().size(), messagesBefore + 1);
        EXPECT_TRUE(messages.Texts().back().starts_with("Поиск завершен. Время выполнения: 0:"));
    }
}

TEST_F(EngineTest, NotFoundPageEndsTheWalkAndKnownProfilesAreNotCheckedAgain) {
    LocalSite site;
    const auto members = SiteMember::Samples(12);
    site.Add(members);
    Configure(site, 8);
    engine->Params().SetStatureMin(MinHeight);
    ASSERT_TRUE(Search());
    EXPECT_EQ(site.SearchRequestCount(), 5u); // pages 2-4 read "not found": no second batch
    const auto tall = TallLogins(members);
    const auto found = FoundLogins();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), tall);

    // The hits saved earlier are loaded first; listed again, they are no candidates.
    site.ClearRequests();
    engine->FoundFriends().ClearRecords();
    ASSERT_TRUE(Search());
    EXPECT_EQ(site.SearchRequestCount(), 5u);
    for (const SiteMember& m : members)
        EXPECT_EQ(site.ProfileRequestCount(m.login), tall.count(m.login) ? 0u : 1u) << m.login;
    EXPECT_EQ(FoundLogins().size(), tall.size());
    EXPECT_EQ(messages.Texts().size(), 2u);
}

TEST_F(EngineTest, NewSearchAfterAStopInMidBatchStartsAtTheFirstPage) {
    LocalSite site;
    site.Add(SiteMember::Samples(70));
    Configure(site, 7);
    onProgress = [&](search::TFinderStateObject&) {
        if (engine->FetchSubPhase() == 1 && !engine->ActiveExtractors().empty()) {
            onProgress = nullptr;
            engine->Stop();
        }
    };
    ASSERT_TRUE(Search());
    EXPECT_EQ(site.SearchRequestCount(), 0u); // the armed fetchers were called off
    EXPECT_TRUE(messages.Texts().empty());

    ASSERT_TRUE(Search());
    EXPECT_EQ(Offsets(site), (std::vector<std::string>{"", "10", "20", "30", "40", "50", "60"}));
    EXPECT_EQ(FoundLogins().size(), 70u);
    EXPECT_EQ(messages.Texts().size(), 1u);
}

TEST_F(EngineTest, SuspendLetsArmedCheckersFinishAndResumeGoesOnWithTheSameBatch) {
    LocalSite site;
    const auto members = SiteMember::Samples(30);
    site.Add(members);
    site.SetDelay(std::chrono::milliseconds(2));
    Configure(site, 3);
    engine->Params().SetStatureMin(MinHeight);
    onProgress = [&](search::TFinderStateObject&) {
        if (engine->CheckSubPhase() == 1) {
            onProgress = nullptr;
            engine->Suspend();
        }
    };
    engine->Start();
    // Wait for the armed checkers: every profile of the batch gets asked for.
    QElapsedTimer clock;
    clock.start();
    auto profileRequests = [&] {
        size_t n = 0;
        for (const SiteMember& m : members) n += site.ProfileRequestCount(m.login);
        return n;
    };
    while (profileRequests() < members.size() && clock.elapsed() < 20000) QTest::qWait(10);
    const size_t eventsAtPause = log.size();
    QTest::qWait(100);
    EXPECT_EQ(profileRequests(), members.size());
    EXPECT_EQ(log.size(), eventsAtPause); // nothing moves while paused
    EXPECT_FALSE(engine->MasterTimer().isActive());
    EXPECT_TRUE(SavedLogins(dir / "LoadedFriends.xml").empty()); // saved when paused, before any hit

    engine->Resume();
    ASSERT_TRUE(RunUntilStopped());
    EXPECT_EQ(site.SearchRequestCount(), 3u);
    EXPECT_EQ(profileRequests(), members.size()); // the same batch, not checked twice
    const auto found = FoundLogins();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), TallLogins(members));
    EXPECT_EQ(SavedLogins(dir / "LoadedFriends.xml"), found);
    EXPECT_EQ(messages.Texts().size(), 1u);
}

TEST_F(EngineTest, HugeResultPagesEndTheSearchWithinAFewHundredMegabytes) {
    // Every result page is 32 MiB of tags: each is refused once its first
    // 4 MiB have come, and the search ends as one that found nobody, saying
    // why nothing was read.
    LocalSite site;
    site.Add(SiteMember::Samples(20));
    std::string huge;
    while (huge.size() < (size_t(32) << 20)) huge += "<b>";
    site.Server().Route("/search.phtml", [&huge](const testsupport::HttpRequestRecord&) {
        return testsupport::HttpReply::Page(huge);
    });
    Configure(site, 10);
    PeakResidentSinceLastCall();
    ASSERT_TRUE(Search());
    EXPECT_LT(PeakResidentSinceLastCall(), int64_t(300) << 20);
    EXPECT_EQ(site.SearchRequestCount(), 10u);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_TRUE(messages.Texts().back().starts_with("Поиск завершен."));
    EXPECT_NE(messages.Texts().back().find("Не получено страниц результатов: 10 из 10.\nОтвет сервера " + site.Host() +
                                           " не принят: страница больше 4 МБ"),
              std::string::npos)
        << messages.Texts().back();
}
