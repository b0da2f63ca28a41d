// The profile checker against the local site, grouped by condition kind.
// Each case sets conditions on a fresh engine and checks one member of a
// site that lists every case's member; the site's request counts tell which
// checks needed the profile page.
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace testsupport;
using data::TFinderParams;
using search::TChecker;
using search::TVelmora;

namespace {

constexpr SiteLayout kLayouts[] = {SiteLayout::Old, SiteLayout::New};

using Setter = std::function<void(TFinderParams&)>;
// Conditions set on the engine's parameters `p`: WITH(SetSmoking("NoSmoking")).
#define WITH(...) [](TFinderParams& p) { p.__VA_ARGS__; }

// Conditions, a member, and whether the member passes them.
struct Case {
    const char* what;
    Setter set;
    SiteMember member;
    bool passes;
};

// The candidate record that a result page of `site` gives the member.
data::TFriendRecord Candidate(const LocalSite& site, const SiteMember& m) {
    return {m.ShownName(), m.login, site.ResultLink(m.login), m.area, m.age, m.realUser, m.vip,
            m.photos + m.intimPhotos, m.video, m.intim, m.wantedAge};
}

class Checker : public ::testing::Test {
protected:
    Checker() {
        platform::SetProgramDir(m_dir.path());
        m_dm = std::make_unique<data::TdmFriend>();
        for (auto [id, make, model] : {std::tuple{"16", "BMW", ""}, {"48", "Volkswagen", "Golf"}, {"54", "ВАЗ", ""}})
            m_dm->CarGroup().AddCar(id, make, make, model);
    }
    ~Checker() override {
        m_dm.reset();
        platform::SetProgramDir({});
    }

    // Checks `f` against `site` under the conditions `set` gives a fresh engine.
    bool Check(const LocalSite& site, const Setter& set, const data::TFriendRecord& f) {
        TVelmora engine;
        engine.SetSiteVersion(site.Layout() == SiteLayout::New ? TVelmora::svNew : TVelmora::svOld);
        m_dm->Settings().SetFinderServer(site.Host());
        set(engine.Params());
        engine.Checker(0).Friend() = f;
        return engine.Checker(0).CheckProfile();
    }

    // Checks every case on one site whose members are the cases' (renamed
    // "c0", "c1", ...); returns the number of requests the site got.
    size_t Run(std::vector<Case> cases, SiteLayout layout, SiteEncoding encoding = SiteEncoding::Cp1251) {
        LocalSite site(layout);
        site.SetEncoding(encoding);
        for (size_t i = 0; i < cases.size(); ++i) {
            cases[i].member.login = "c" + std::to_string(i);
            site.Add(cases[i].member);
        }
        for (const Case& c : cases)
            EXPECT_EQ(Check(site, c.set, Candidate(site, c.member)), c.passes)
                << c.what << (layout == SiteLayout::New ? " (new layout)" : " (old layout)");
        return site.RequestCount();
    }

    TempDir m_dir;
    std::unique_ptr<data::TdmFriend> m_dm;
};

} // namespace

TEST_F(Checker, RecordConditionsAreDecidedWithoutARequest) {
    const SiteMember x("x");
    const std::vector<Case> cases{
        {"no condition", WITH(SetS_ty("")), x, true},
        {"name", WITH(SetFriendName("Анна")), SiteMember(x).Name("Аня"), false},
        {"age in range", WITH(SetMyAge(30)), SiteMember(x).WantedAge("25-35"), true},
        {"age above range", WITH(SetMyAge(40)), SiteMember(x).WantedAge("25-35"), false},
        {"age in second pair", WITH(SetMyAge(30)), SiteMember(x).WantedAge("18-22, 28-33"), true},
        {"one-digit ends", WITH(SetMyAge(6)), SiteMember(x).WantedAge("5-7"), true},
        {"dashes at the ends", WITH(SetMyAge(30)), SiteMember(x).WantedAge("-30-"), false},
        {"no photo", WITH(SetNs_p("checked")), SiteMember(x).Photos(2), false},
        {"photos 3-5", WITH(SetS_p("checked"); p.SetPhotoMin(3); p.SetPhotoMax(5)),
         SiteMember(x).Photos(2).IntimPhotos(2), true},
        {"photos 3-5", WITH(SetS_p("checked"); p.SetPhotoMin(3); p.SetPhotoMax(5)), SiteMember(x).Photos(6), false},
        {"video", WITH(SetS_v("checked")), x, false},
        {"no video", WITH(SetNs_v("checked")), SiteMember(x).Video(1), false},
        {"intim", WITH(SetNs_w("checked")), SiteMember(x).Intim(), true},
        {"not real", WITH(SetNs_real("checked")), SiteMember(x).RealUser(), false},
        {"record before page", WITH(SetFriendName("Анна"); p.SetSmoking("NoSmoking")), x, false},
    };
    EXPECT_EQ(Run(cases, SiteLayout::Old), 0u);

    // A candidate without an address fails without a request in either layout.
    for (SiteLayout layout : kLayouts) {
        LocalSite site(layout);
        EXPECT_FALSE(Check(site, WITH(SetSmoking("NoSmoking")), {}));
        EXPECT_EQ(site.RequestCount(), 0u);
    }
}

TEST_F(Checker, ListItemsInEveryLayoutAndEncoding) {
    const std::vector<Case> cases{
        {"purposes", WITH(SetTarget("Friendship|Love")), SiteMember("x").Purposes({"Love", "Email", "Friendship"}),
         true},
        {"purposes", WITH(SetTarget("Friendship|Love")), SiteMember("x").Purposes({"Friendship"}), false},
        {"purposes", WITH(SetTarget("Friendship")), SiteMember("x").Purposes({"Дружба и общение!"}), false},
        {"sport and excite", WITH(SetSport("Run|Swim"); p.SetExcite("Jeans")),
         SiteMember("x").Sport({"Swim", "Run"}).Excite({"Jeans"}).Music({"RockMusic"}), true},
    };
    for (SiteLayout layout : kLayouts)
        for (SiteEncoding encoding : {SiteEncoding::Cp1251, SiteEncoding::Cp1251Meta, SiteEncoding::Utf8})
            EXPECT_EQ(Run(cases, layout, encoding), cases.size());
}

TEST_F(Checker, TitleTextsZodiacAndThePlusRule) {
    const SiteMember woman = SiteMember("x").Gender("F");
    const SiteMember man = SiteMember("x").Gender("M").LookingFor("F");
    const std::vector<Case> cases{
        {"smoking", WITH(SetSmoking("NoSmoking")), SiteMember(woman).Smoking("YesSmoking"), false},
        {"woman's marriage", WITH(SetMarriage("TogetherMarriage2")), SiteMember(woman).Marriage("TogetherMarriage1"),
         true},
        {"man's wording", WITH(SetMarriage("TogetherMarriage1")), SiteMember(woman).Marriage("TogetherMarriage1"),
         false},
        {"man's marriage", WITH(SetMarriage("TogetherMarriage1")), SiteMember(man).Marriage("TogetherMarriage1"), true},
        // Both wanted texts go with the one title text that begins with both.
        {"narcotic", WITH(SetNarcotic("NoNarcotic")), SiteMember(woman).Narcotic("NoNarcotic"), true},
        {"economic", WITH(SetEconomic("Huge")), SiteMember(woman).Economic("Huge"), true},
        {"economic", WITH(SetEconomic("Huge|Stable")), SiteMember(woman).Economic("Huge"), false},
        {"sponsor", WITH(SetSponsor("Iam")), SiteMember(man).Sponsor("Iam"), true},
        {"text holding +", WITH(SetSponsor("Iam")), SiteMember(woman).Sponsor("Готова стать спонсором (+)"), false},
        {"several answers",
         WITH(SetChildren("NoChildren"); p.SetHair("DarkHair"); p.SetFigure("SportsFigure"); p.SetSmoking("NoSmoking")),
         SiteMember(woman).Children("NoChildren").Hair("DarkHair").Figure("SportsFigure").Smoking("NoSmoking"), true},
        // "lev" comes after "rak" in the sign rows: not only the first chosen sign counts.
        {"any chosen sign", WITH(SetZodiac("lev|rak")), SiteMember(woman).Zodiac("lev"), true},
        {"any chosen sign", WITH(SetZodiac("lev|rak")), SiteMember(woman).Zodiac("deva"), false},
        {"no known sign is no condition", WITH(SetZodiac("nosuch")), woman, true},
    };
    for (SiteLayout layout : kLayouts) EXPECT_EQ(Run(cases, layout), cases.size());
}

TEST_F(Checker, CarsByMakeOrByMakeAndModel) {
    const std::vector<Case> cases{
        {"make only", WITH(SetCar("16")), SiteMember("x").Car("BMW", "X5"), true},
        {"make only", WITH(SetCar("16")), SiteMember("x").Car("Audi", "A4"), false},
        {"make and model", WITH(SetCar("48")), SiteMember("x").Car("Volkswagen", "Golf"), true},
        {"make and model", WITH(SetCar("48")), SiteMember("x").Car("Volkswagen", "Polo"), false},
        {"any of several", WITH(SetCar("16|48")), SiteMember("x").Car("Volkswagen", "Golf"), true},
        {"Cyrillic letter case", WITH(SetCar("54")), SiteMember("x").Car("Ваз", "2107"), true},
        {"no such make row", WITH(SetCar("999")), SiteMember("x"), true},
    };
    for (SiteLayout layout : kLayouts) EXPECT_EQ(Run(cases, layout), cases.size());
}

TEST_F(Checker, ViewsHeightAndWeightRanges) {
#define MEASURES SetStatureMin(160); p.SetStatureMax(180); p.SetWeightMax(60)
    const std::vector<Case> cases{
        {"views", WITH(SetMonthViewCountMin(100)), SiteMember("x").ViewsPerMonth(345), true},
        {"views", WITH(SetMonthViewCountMin(100)), SiteMember("x").ViewsPerMonth(50), false},
        {"views", WITH(SetMonthViewCountMax(300)), SiteMember("x").ViewsPerMonth(345), false},
        {"views", WITH(SetMonthViewCountMin(100)), SiteMember("x").ViewsPerMonth(-1), false},
        {"height", WITH(SetStatureMin(170)), SiteMember("x").Height(175), true},
        {"height", WITH(SetStatureMin(170)), SiteMember("x").Height(165), false},
        {"height", WITH(SetStatureMin(170)), SiteMember("x").Weight(50), false},
        {"measures", WITH(MEASURES), SiteMember("x").Height(170).Weight(65), false},
        {"views, measures", WITH(MEASURES; p.SetMonthViewCountMin(5)), SiteMember("x").Height(170).Weight(55)
         .ViewsPerMonth(9), true},
        // The sign "Весы" names no weight, though it holds "Вес".
        {"weight after Весы", WITH(MEASURES), SiteMember("x").Zodiac("vesi").Height(170).Weight(55), true},
    };
#undef MEASURES
    for (SiteLayout layout : kLayouts) EXPECT_EQ(Run(cases, layout), cases.size());
}

TEST_F(Checker, DamagedPagesFailEveryPageTest) {
    const std::vector<std::string> pages{"", "<br>", "<li>", "Рост:<br>", "<b class=\"b-title\">Рост:</b>",
                                         "<div class=\"age\">", "<img>Лев", "<font>Автомобиль:"};
    for (SiteLayout layout : kLayouts) {
        LocalSite site(layout);
        for (size_t i = 0; i < pages.size(); ++i) {
            const SiteMember m("d" + std::to_string(i));
            site.Add(m);
            site.Server().Page("/" + m.login + "/", pages[i]);
            for (const Setter& set : std::initializer_list<Setter>{WITH(SetZodiac("oven")), WITH(SetMusic("RockMusic")),
                                                                   WITH(SetCar("16")), WITH(SetStatureMin(1))})
                EXPECT_FALSE(Check(site, set, Candidate(site, m))) << pages[i];
        }
    }
}

TEST_F(Checker, CheckPhaseHandsOutBatchesOfSeventyAndKeepsTheHits) {
    LocalSite site(SiteLayout::New);
    m_dm->Settings().SetFinderServer(site.Host());
    TVelmora engine;
    engine.SetSiteVersion(TVelmora::svNew);
    engine.Params().SetSmoking("NoSmoking");
    for (int i = 0; i < 72; ++i) {
        const SiteMember m = SiteMember("m" + std::to_string(i)).Smoking(i % 3 ? "YesSmoking" : "NoSmoking");
        site.Add(m);
        engine.Candidates().AddFriendRecord(Candidate(site, m));
    }
    auto finishBatch = [&] {
        QElapsedTimer clock;
        clock.start();
        while (!engine.CheckPhase()) {
            ASSERT_LT(clock.elapsed(), 20000) << "batch never ended";
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    };
    EXPECT_FALSE(engine.CheckPhase());
    EXPECT_EQ(engine.ActiveCheckers().size(), 70u);
    EXPECT_EQ(engine.CandidateIndex(), 70);
    finishBatch();
    EXPECT_TRUE(engine.ActiveCheckers().empty());
    EXPECT_EQ(engine.FoundFriends().RecordCount(), 24);

    EXPECT_FALSE(engine.CheckPhase());
    EXPECT_EQ(engine.ActiveCheckers().size(), 2u);
    EXPECT_EQ(engine.CandidateIndex(), 140);
    finishBatch();
    EXPECT_EQ(engine.FoundFriends().RecordCount(), 24);
    EXPECT_EQ(site.RequestCount(), 72u);
    EXPECT_EQ(data::TFriend::ReadRecord(engine.FoundFriends(), 1).Login, "m3");
    // A batch with nobody to check is over at once.
    EXPECT_FALSE(engine.CheckPhase());
    EXPECT_TRUE(engine.CheckPhase());
}

TEST(CheckerTick, AFailedCheckIsNoHitAndTheCheckerIsDone) {
    // Without a data module the page cannot be asked for: the tick swallows that.
    TVelmora engine;
    engine.Params().SetMusic("RockMusic");
    TChecker& checker = engine.Checker(0);
    checker.Friend().URL = "http://127.0.0.1:1/x/";
    checker.Timer().start();
    EXPECT_NO_THROW(checker.TimerTick());
    EXPECT_TRUE(checker.Done());
    EXPECT_FALSE(checker.Timer().isActive());
    EXPECT_EQ(engine.FoundFriends().RecordCount(), 0);
    engine.Params().SetMusic("");
    checker.TimerTick();
    EXPECT_EQ(engine.FoundFriends().RecordCount(), 1);
}
