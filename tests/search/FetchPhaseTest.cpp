// The fetch phase: search addresses of both layouts, batches of result pages
// fetched from the local site, and the scrape of each page into candidates.
#include "EngineTestSupport.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>


using namespace testsupport;
using search::TVelmora;

namespace {

class FetchPhase : public enginetest::EnginePhaseTest {
protected:

    // The engine pointed at `site`, as Start leaves it.
    void Aim(const LocalSite& site, int pageCount) {
        engine.SetHost(site.Host());
        engine.SetSiteVersion(site.Layout() == SiteLayout::New ? TVelmora::svNew : TVelmora::svOld);
        engine.SetPageIndex(0);
        dm.Settings().SetPageCount(pageCount);
    }

    // One whole batch: arm it, let the fetchers' timers fire, wait for it.
    void RunBatch() {
        ASSERT_TRUE(engine.FetchPhase());
        QElapsedTimer clock;
        clock.start();
        while (engine.FetchPhase()) {
            ASSERT_LT(clock.elapsed(), 20000) << "the batch never ended";
            QTest::qWait(10);
        }
        EXPECT_TRUE(engine.ActiveExtractors().empty());
    }
};

TEST_F(FetchPhase, SearchAddressesOfBothLayouts) {
    const std::string old = "s_ty=All&s_m=1&s_i=M&s_l=F&s_f=20&s_t=30&s_c=3159&s_p=checked&s_w=&s_real=&s_vw=5&s_v=";
    const std::string rest = "&s_m=1&ia=M&lf=F&af=20&at=30&s_c=3159";
    struct {
        bool isNew;
        int page;
        const char *s_ty, *s_p, *s_w, *s_real, *s_v;
        std::string query;
    } const rows[] = {
        {false, 0, "", "checked", "", "", "", old},
        {false, 3, "", "checked", "", "", "", "offset=30&" + old},
        {false, 1, "Week", "checked", "", "", "", "offset=10&s_ty=Week" + old.substr(8)},
        {true, 0, "", "checked", "", "", "", "&t=a" + rest + "&wp=1&s_vw=5"},
        {true, 3, "Week", "checked", "", "", "", "offset=30&&t=w" + rest + "&wp=1&s_vw=5"},
        {true, 0, "Online", "checked", "checked", "checked", "checked", "&t=o" + rest + "&wp=1&ni=1&wr=1&s_vw=5&wv=1"},
        {true, 0, "24h", "Checked", "", "", "", "&t=d" + rest + "&s_vw=5"},
        {true, 0, "month", "checked", "", "", "", "s_ty=month" + rest + "&wp=1&s_vw=5"},
    };
    for (const auto& row : rows) {
        auto& p = engine.Params();
        p.SetS_ty(row.s_ty), p.SetS_m("1"), p.SetS_i("M"), p.SetS_l("F"), p.SetS_f("20"), p.SetS_t("30");
        p.SetS_c("3159"), p.SetS_p(row.s_p), p.SetS_w(row.s_w), p.SetS_real(row.s_real), p.SetS_vw("5");
        p.SetS_v(row.s_v);
        engine.SetHost("Site.Example");
        engine.SetSiteVersion(row.isNew ? TVelmora::svNew : TVelmora::svNoAnswer);
        EXPECT_EQ(engine.SearchURL(row.page), "http://Site.Example/search.phtml?" + row.query);
        if (!*row.s_ty) {
            EXPECT_EQ(p.s_ty(), "All") << "an empty period is stored as All";
        }
    }
}

TEST_F(FetchPhase, BatchesOfFivePagesCollectEveryListedMember) {
    LocalSite site(SiteLayout::New);
    site.Add(SiteMember::Samples(64));
    Aim(site, 7);
    RunBatch();
    EXPECT_EQ(engine.PageIndex(), 4);
    EXPECT_EQ(engine.Candidates().RecordCount(), 50);
    EXPECT_EQ(engine.Extractor(3).URL(), engine.SearchURL(3));
    EXPECT_EQ(site.SearchRequestCount(), 5u);

    engine.SetPageIndex(5); // as the check phase leaves it
    RunBatch();
    EXPECT_EQ(engine.PageIndex(), 7) << "the walk ran out of pages";
    EXPECT_EQ(site.SearchRequestCount(), 7u);
    EXPECT_EQ(engine.Candidates().RecordCount(), 64);
}

TEST_F(FetchPhase, NotFoundPageEndsTheWalkAndKeepsTheBatchsCandidates) {
    for (SiteLayout layout : {SiteLayout::Old, SiteLayout::New}) {
        engine.Candidates().ClearRecords();
        LocalSite site(layout);
        site.Add(SiteMember::Samples(12));
        Aim(site, 9);
        RunBatch();
        EXPECT_EQ(engine.PageIndex(), 9) << "no page after the not-found page is fetched";
        EXPECT_EQ(engine.Candidates().RecordCount(), 12);
        EXPECT_EQ(engine.CandidateIndex(), 0) << "the candidates of pages 0 and 1 are still to be checked";
    }
}

TEST_F(FetchPhase, FetchersThatFailStillEndTheBatch) {
    dm.Settings().SetPageCount(2);
    engine.SetHost("127.0.0.1:1"); // nothing listens there
    RunBatch();
    EXPECT_EQ(engine.Candidates().RecordCount(), 0);
    EXPECT_TRUE(engine.Extractor(0).Done() && engine.Extractor(1).Done());

    engine.Extractor(0).SetURL(""); // the client refuses an empty address
    engine.Extractor(0).SetDone(false);
    EXPECT_NO_THROW(engine.Extractor(0).TimerTick());
    EXPECT_TRUE(engine.Extractor(0).Done());
}

} // namespace
