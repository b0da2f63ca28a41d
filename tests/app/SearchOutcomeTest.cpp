// The whole program against the local site and against servers that are no
// site at all: what a search finds survives a crash, what the user chose in
// the tree survives the settings page, every outcome is told as what it is,
// and one box stands at a time.
#include "ConditionsTestSupport.h"
#include "app/controls/TButton.h"
#include "app/controls/TComboBox.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TMessageForm.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmRange.h"
#include "app/forms/TfrmSettings.h"
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/ModalAction.h"
#include "support/RawHttpServer.h"
#include "support/site/LocalSite.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <tuple>

using namespace std::chrono_literals;
using conditionstest::Click;
using conditionstest::FillEverySetting;
using conditionstest::Node;

namespace {

constexpr int kLong = 30000; // ms a search may take here

class WholeProgram : public ::testing::Test {
protected:
    WholeProgram() : dm((app::RegisterFormClasses(), platform::SetProgramDir(dir.path()), std::make_unique<data::TdmFriend>())) {}
    ~WholeProgram() override {
        window.reset();
        dm.reset();
        platform::SetProgramDir({});
    }
    // The window of a later start, with `server` and `pages` saved.
    app::TfrmMain& Open(const std::string& server, int pages) {
        dm->Settings().SetFinderServer(server);
        dm->Settings().SetPageCount(pages);
        dm->Settings().Save();
        window = std::make_unique<app::TfrmMain>();
        window->show();
        return *window;
    }
    bool Idle() const { return window->acSettings->isEnabled() && !window->acStopSearch->isEnabled(); }
    // A search from the simple tree, to its end.
    bool Search() {
        window->ConditionsForm()->pcLeft->setCurrentIndex(0);
        window->acStartSearch->Execute();
        return QTest::qWaitFor([&] { return Idle(); }, kLong);
    }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<app::TfrmMain> window;
};

} // namespace

TEST_F(WholeProgram, ASearchKilledKeepsEveryHitFoundMoreThanASecondBefore) {
    // Every candidate's profile page is read, 40 ms each: hits come one by
    // one for seconds, and the kill falls in the middle of a batch.
    testsupport::LocalSite site;
    for (int i = 1; i <= 100; ++i) site.Add(testsupport::SiteMember("k" + std::to_string(i)).Height(180));
    site.SetDelay(40ms);
    testsupport::TempDir childConfig;
    QProcess child; // killed and waited for by its end, whatever the test does
    child.start(VELMORA_SEARCH_UNTIL_KILLED, {QString::fromStdString(site.Host()), QString::fromStdString(dir.path().string()),
                                             QString::fromStdString(childConfig.path().string()), "10"});
    const auto now = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
    // Hits as the program told them (HIT <ms> <login>), until 2.5 s after the first.
    std::vector<std::pair<int64_t, std::string>> hits;
    for (int64_t killAt = 0; killAt == 0 || now() < killAt;) {
        if (!child.canReadLine() && !child.waitForReadyRead(killAt ? int(std::max<int64_t>(1, killAt - now())) : 20000)) {
            if (killAt == 0) break;
            continue;
        }
        long long at = 0;
        char login[64] = {};
        if (std::sscanf(child.readLine().constData(), "HIT %lld %63s", &at, login) != 2) continue;
        hits.emplace_back(at, login);
        if (killAt == 0) killAt = at + 2500;
    }
    ASSERT_FALSE(hits.empty()) << "the search found nothing";
    const int64_t killed = now();
    child.kill();
    ASSERT_TRUE(child.waitForFinished());
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the search ended before it was killed";
    EXPECT_LT(hits.size(), 100u) << "killed in mid-search";

    ASSERT_TRUE(std::filesystem::exists(dir / "LoadedFriends.xml")) << "no hit was written";
    const std::string saved = testsupport::ReadFile(dir / "LoadedFriends.xml");
    size_t older = 0;
    for (const auto& [at, login] : hits) {
        if (at < killed - 1000 && ++older) {
            EXPECT_NE(saved.find("<Login>" + login + "</Login>"), std::string::npos) << login << ", " << killed - at << " ms";
        }
    }
    EXPECT_GE(older, 10u) << "too few hits to tell";
}

TEST_F(WholeProgram, TreeChoicesSurviveTheSettingsPagesSave) {
    testsupport::LocalSite site;
    site.SetCarMakes({{"1", "Acura"}, {"16", "BMW"}});
    testsupport::MessageRecorder messages;
    dm->Settings().SetS_l("F");
    dm->Settings().SetS_f("25");
    app::TfrmMain& w = Open(site.Host(), 2);
    app::TfrmConditions& conditions = *w.ConditionsForm();
    w.acSettingsExecute();
    app::TfrmSettings& page = *w.SettingsForm();
    ASSERT_EQ(page.cbFriendGender->currentText(), "Девушку");

    // "Ищу → Парня" in the simple tree: the page shows it at once.
    QTreeWidget& simple = *conditions.tvSearch;
    Node(simple, "Ищу Девушку")->setExpanded(true);
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "Парня")));
    EXPECT_EQ(page.cbFriendGender->currentText(), "Парня");
    // "Мой возраст 30" and "Автомобиль → Acura" in the extended tree, which
    // the page does not show.
    conditions.pcLeft->setCurrentWidget(conditions.tsExSearch);
    QTreeWidget& extended = *conditions.tvExSearch;
    testsupport::ModalAction age([](QWidget& w) {
        dynamic_cast<app::TfrmAge&>(w).edAge->setText("30");
        dynamic_cast<app::TfrmAge&>(w).btnOK->click();
    });
    ASSERT_TRUE(Click(conditions, extended, Node(extended, "Мой возраст")));
    Node(extended, "Автомобиль")->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return conditions.CarMakesLoaded(); }, kLong));
    testsupport::ModalAction model([](QWidget& w) { static_cast<QDialog&>(w).reject(); });
    ASSERT_TRUE(Click(conditions, extended, Node(extended, "Acura")));
    // The page's own change, made after the tree's, is what the page saves.
    page.edTo->setText("40");
    EXPECT_EQ(page.edFrom->text(), "25");

    ASSERT_TRUE(page.btnSaveClick());
    const data::TTesselSettings& s = dm->Settings();
    EXPECT_EQ(s.s_l() + " " + std::to_string(s.MyAge()) + " " + s.car() + " " + s.s_f() + "-" + s.s_t(), "M 30 1 25-40");
    // Rebuilt from the settings, the trees show the same choices.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !conditions.CarMakesLoading(); }, kLong));
    for (const char* choice : {"Ищу Парня", "Мой возраст 30", "Acura"}) EXPECT_TRUE(Node(extended, choice)->Checked()) << choice;
    conditions.pcLeft->setCurrentWidget(conditions.tsSearch);
    EXPECT_TRUE(Node(simple, "Ищу Парня")->Checked() && Node(simple, "В возрасте 25 — 40 лет")->Checked());

    // Unticking the age in the tree clears what the page shows; a page
    // opened afresh shows what the tree chose since the last save.
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "В возрасте 25 — 40 лет")));
    EXPECT_EQ(page.edFrom->text() + page.edTo->text(), "");
    w.acFavoritesExecute();
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "Ищу Парня")));
    w.acSettingsExecute();
    EXPECT_EQ(w.SettingsForm()->cbFriendGender->currentIndex() + w.SettingsForm()->edFrom->text().size(), 0);
}

TEST_F(WholeProgram, TheStatusBarCountsHitsAsTheyAreFound) {
    testsupport::MessageRecorder messages;
    testsupport::LocalSite site;
    for (int i = 1; i <= 20; ++i) site.Add(testsupport::SiteMember("s" + std::to_string(i)).Height(180));
    site.SetDelay(30ms); // one profile page after another, all in one check batch
    app::TfrmMain& w = Open(site.Host(), 1);
    w.Engine().Params().SetStatureMin(150);
    w.ConditionsForm()->pcLeft->setCurrentIndex(0);
    w.acStartSearch->Execute();
    const data::TFriend& found = w.Engine().FoundFriends();
    ASSERT_TRUE(QTest::qWaitFor([&] { return found.RecordCount() >= 3 || Idle(); }, kLong));
    ASSERT_FALSE(Idle()) << "the search ended before its hits could be watched";
    EXPECT_EQ(w.StatusText(0).toStdString(), QString("Найдено всего %1, новых %1").arg(found.RecordCount()).toStdString());
    w.acStopSearch->Execute();
}

// Between the two trees and the page, the last change wins whatever tab is
// open when "Сохранить" is pressed.
TEST_F(WholeProgram, TheLastChoiceOfEitherTreeIsSaved) {
    testsupport::MessageRecorder messages;
    app::TfrmMain& w = Open("localhost:1", 2);
    w.acFavoritesExecute(); // the page is opened after both trees changed
    app::TfrmConditions& conditions = *w.ConditionsForm();
    QTreeWidget& simple = *conditions.tvSearch;
    QTreeWidget& extended = *conditions.tvExSearch;
    Node(simple, "Ищу")->setExpanded(true);
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "Парня")));
    conditions.pcLeft->setCurrentWidget(conditions.tsExSearch);
    Node(extended, "Ищу")->setExpanded(true);
    ASSERT_TRUE(Click(conditions, extended, Node(extended, "Пару М+Ж")));
    conditions.pcLeft->setCurrentWidget(conditions.tsSearch);
    w.acSettingsExecute();
    EXPECT_EQ(w.SettingsForm()->cbFriendGender->currentText(), "Пару М+Ж");
    ASSERT_TRUE(w.SettingsForm()->btnSaveClick());
    EXPECT_EQ(dm->Settings().s_l(), "MF");
    EXPECT_TRUE(Node(simple, "Ищу Пару М+Ж")->Checked());
}

// A tree chooses how far down in the saved place a search goes, never the
// place: after an untick of any level in either tree, "Сохранить" keeps the
// place and stores s_c and s_m as "Старт" from that tree (and after it) writes them.
TEST_F(WholeProgram, AnUntickedPlaceLevelIsSavedAsASearchNotAsAPlace) {
    testsupport::MessageRecorder messages;
    data::TTesselSettings& s = dm->Settings();
    const auto place = [](const data::TFinderParams& p) {
        return p.Country() + p.Region() + p.Town() + p.Station() + p.id_Country() + p.id_Region() + p.id_Town() + p.id_Station();
    };
    const auto search = [](const data::TFinderParams& p) { return p.s_c() + " " + p.s_m(); };
    for (int run = 0; run < 16; ++run) {
        FillEverySetting(s), s.SetS_c(s.id_Station());
        const std::string saved = place(s);
        const std::string names[] = {s.Country(), s.Region(), s.Town(), s.Station()};
        const bool extended = run & 8, pageFirst = run & 4;
        SCOPED_TRACE(names[run % 4] + (extended ? ", extended" : ", simple") + (pageFirst ? ", page first" : ""));
        window.reset();
        app::TfrmMain& w = Open("localhost:1", 1);
        w.acFavoritesExecute();
        app::TfrmConditions& conditions = *w.ConditionsForm();
        conditions.pcLeft->setCurrentIndex(extended);
        QTreeWidget& tree = extended ? *conditions.tvExSearch : *conditions.tvSearch;
        if (pageFirst) w.acSettingsExecute();
        ASSERT_TRUE(Click(conditions, tree, Node(tree, QString::fromStdString(names[run % 4]))));
        data::TFinderParams started, again;
        conditions.TreeToParams(&tree, started);
        w.acSettingsExecute();
        ASSERT_TRUE(w.SettingsForm()->btnSaveClick());
        data::TTesselSettings stored;
        stored.Load();
        conditions.TreeToParams(&tree, again);
        EXPECT_EQ(place(stored) + " " + search(stored) + " / " + search(again), saved + " " + search(started) + " / " + search(started));
    }
}

// A range the dialog takes with one bound is stored, shown the same after
// a restart and searched: photos up to 5, height from 150 (the "до" left at
// 0), weight up to 30 raised to its limit 40.
TEST_F(WholeProgram, RangesWithOneBoundSurviveSaveAndRestart) {
    testsupport::MessageRecorder messages;
    Open("localhost:1", 2);
    const auto setRanges = [this] {
        app::TfrmConditions& conditions = *window->ConditionsForm();
        conditions.pcLeft->setCurrentWidget(conditions.tsExSearch);
        QTreeWidget& tree = *conditions.tvExSearch;
        for (auto [caption, min, max] : {std::tuple("Фотографии", "0", "5"), {"Рост", "150", nullptr}, {"Вес", "-1", "30"}}) {
            testsupport::ModalAction answer([min = min, max = max](QWidget& d) {
                auto& range = dynamic_cast<app::TfrmRange&>(d);
                range.edMin->setText(min);
                if (max) range.edMax->setText(max);
                range.btnOK->click();
            });
            ASSERT_TRUE(Click(conditions, tree, Node(tree, caption)));
        }
        window->acSettingsExecute();
        ASSERT_TRUE(window->SettingsForm()->btnSaveClick());
    };
    setRanges();
    for (int start = 0; start < 2; ++start) {
        app::TfrmConditions& conditions = *window->ConditionsForm();
        conditions.pcLeft->setCurrentWidget(conditions.tsExSearch);
        QTreeWidget& tree = *conditions.tvExSearch;
        for (const char* shown : {"Количество фотографий до 5", "Рост от 150", "Вес до 40"})
            EXPECT_TRUE(Node(tree, shown) && Node(tree, shown)->Checked()) << shown << " after start " << start;
        data::TFinderParams p;
        conditions.TreeToParams(&tree, p);
        EXPECT_EQ(p.s_p() + " " + std::to_string(p.PhotoMin()) + "-" + std::to_string(p.PhotoMax()) + " " +
                      std::to_string(p.StatureMin()) + "-" + std::to_string(p.StatureMax()) + " " +
                      std::to_string(p.WeightMin()) + "-" + std::to_string(p.WeightMax()),
                  "checked 0-5 150-0 0-40");
        window.reset();
        dm.reset();
        dm = std::make_unique<data::TdmFriend>();
        window = std::make_unique<app::TfrmMain>();
        window->show();
    }
}

TEST_F(WholeProgram, JunkAndNonHttpServersAreToldAsSuch) {
    testsupport::MessageRecorder messages;
    // Result pages that are no result pages: an ordinary page, random bytes,
    // and a page of filler near the size limit.
    testsupport::LocalSite site, junk;
    std::string noise(200000, '\0');
    std::generate(noise.begin(), noise.end(), std::mt19937(7));
    int served = 0;
    junk.Server().Route("/search.phtml", [&](const testsupport::HttpRequestRecord&) {
        const std::string pages[] = {"<h1>Добро пожаловать</h1><a href=\"http://x.example/\">x</a>", noise,
                                     std::string(4000000, 'x')};
        return testsupport::HttpReply::Page(pages[served++ % 3]);
    });
    Open(junk.Host(), 3);
    ASSERT_TRUE(Search());
    EXPECT_THAT(messages.Texts().back(), testing::AllOf(testing::StartsWith("Поиск завершен."), testing::HasSubstr(
        "Не распознано страниц результатов: 3 из 3.\nСервер " + junk.Host() + " прислал страницы")));

    // A real search that finds nobody says only that it ended.
    dm->Settings().SetFinderServer(site.Host());
    ASSERT_TRUE(Search());
    EXPECT_THAT(messages.Texts().back(), testing::Not(testing::HasSubstr("Не распознано")));

    // A server that answers raw bytes is reachable and its address right:
    // the site, the proxy and the area lists say what it answered.
    const std::string kBoth = " — и на главную страницу, и на страницу результатов";
    testsupport::RawHttpServer raw([](const std::string&) { return testsupport::RawReply{"\x01\x02 not http\r\n", false, {}, {}}; });
    dm->Settings().SetFinderServer(raw.HostPort());
    ASSERT_TRUE(Search());
    EXPECT_EQ(messages.Texts().back(), "Сервер " + raw.HostPort() + " прислал ответ не по протоколу HTTP (код libcurl 1)" + kBoth);

    data::TTesselProxyParams& proxy = dm->Settings().ProxyParams();
    dm->Settings().SetFinderServer(site.Host());
    proxy.SetUseProxy(true), proxy.SetProxyServer("127.0.0.1"), proxy.SetProxyPort(raw.Port());
    ASSERT_TRUE(Search());
    EXPECT_EQ(messages.Texts().back(), "Прокси-сервер " + raw.HostPort() + " прислал ответ не по протоколу HTTP (код libcurl 1)" + kBoth);
    proxy.SetUseProxy(false);

    dm->Settings().SetFinderServer("localhost:" + std::to_string(raw.Port()));
    window->acSettingsExecute();
    app::TfrmSettings& page = *window->SettingsForm();
    page.cbCountryDropDown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.AreaFetching(); }, kLong));
    EXPECT_THAT(messages.Texts().back(), testing::HasSubstr("прислал ответ не по протоколу HTTP"));
}

TEST_F(WholeProgram, ClosingInMidSearchShowsOneBoxAtATime) {
    testsupport::LocalSite site;
    for (int i = 1; i <= 10; ++i) site.Add(testsupport::SiteMember("c" + std::to_string(i)));
    site.SetDelay(30ms);
    // The program's own boxes, answered from a timer as a user would.
    const platform::TMessageRoutines previous = platform::BindMessageRoutines({});
    app::BindMessageDialogs();
    app::TfrmMain& w = Open(site.Host(), 1);
    // The texts of the boxes that stand, newest last.
    const auto boxes = [] {
        std::vector<std::pair<QDialog*, std::string>> shown;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<app::TMessageForm*>(top); box && box->isVisible())
                shown.emplace_back(box, box->MessageLabel()->text().toStdString());
        return shown;
    };
    for (const int answer : {platform::mrNo, platform::mrYes}) {
        SCOPED_TRACE(answer == platform::mrNo ? "No" : "Yes");
        w.ConditionsForm()->pcLeft->setCurrentIndex(0);
        w.acStartSearch->Execute();
        // The question is answered once the search has ended under it; boxes
        // that stack are taken down, so that the test ends.
        std::vector<std::string> seen;
        size_t most = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            const auto shown = boxes();
            most = std::max(most, shown.size());
            if (shown.empty() || !Idle()) return;
            const bool question = shown.back().second.rfind("Вы действительно", 0) == 0;
            if (shown.size() == 1) seen.push_back(shown.back().second);
            shown.back().first->done(question ? answer : platform::mrOk);
        });
        watch.start(20);
        EXPECT_EQ(w.close(), answer == platform::mrYes);
        QTest::qWait(300); // a box that waited shows now
        watch.stop();
        EXPECT_EQ(most, 1u) << "boxes stacked";
        ASSERT_EQ(seen.size(), answer == platform::mrNo ? 2u : 1u) << "after No the search's end; after Yes nothing";
        EXPECT_EQ(seen.front(), "Вы действительно желаете завершить работу с программой?");
        EXPECT_EQ(seen.back().rfind(answer == platform::mrNo ? "Поиск завершен. Время выполнения: " : "Вы", 0), 0u);
    }
    EXPECT_NE(testsupport::ReadFile(dir / "LoadedFriends.xml").find("<Login>c10</Login>"), std::string::npos);
    window.reset();
    platform::BindMessageRoutines(previous);
}
