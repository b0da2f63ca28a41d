// The whole program against the local site and against servers that are no
// site at all: what a search finds survives a crash, what the user chose in
// the tree survives the settings page, every outcome is told as what it is,
// and one box stands at a time.
#include "ConditionsTestSupport.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TConditionDialog.h"
#include "app/forms/TMessageForm.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmProxy.h"
#include "app/forms/TfrmSettings.h"
#include "app/controls/TButton.h"
#include "app/controls/TComboBox.h"
#include "app/controls/TNumberEdit.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/ModalAction.h"
#include "support/RawHttpServer.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
using conditionstest::Click;
using conditionstest::Node;

namespace {

constexpr int kLong = 30000; // ms a search may take here

class WholeProgram : public ::testing::Test {
protected:
    WholeProgram() {
        app::RegisterFormClasses();
        platform::SetProgramDir(dir.path());
        dm = std::make_unique<data::TdmFriend>();
    }
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
        QTest::qWait(1);
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

// A child process, killed and waited for however the test ends.
struct Child {
    pid_t pid = -1;
    int out = -1; // its standard output
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
    // The next line of its output within `timeout`; nullopt at its end or time-out.
    std::optional<std::string> Line(std::chrono::milliseconds timeout) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (true) {
            if (const size_t eol = buffer.find('\n'); eol != std::string::npos) {
                std::string line = buffer.substr(0, eol);
                buffer.erase(0, eol + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            pollfd fd{out, POLLIN, 0};
            if (left.count() <= 0 || poll(&fd, 1, int(left.count())) <= 0) return std::nullopt;
            char bytes[4096];
            const ssize_t n = read(out, bytes, sizeof bytes);
            if (n <= 0) return std::nullopt;
            buffer.append(bytes, size_t(n));
        }
    }
    std::string buffer;
};

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

TEST_F(WholeProgram, ASearchKilledKeepsEveryHitFoundMoreThanASecondBefore) {
    // Every candidate's profile page is read, 40 ms each: hits come one by
    // one for several seconds, and the kill falls in the middle of a batch.
    testsupport::LocalSite site;
    for (int i = 1; i <= 100; ++i) site.Add(testsupport::SiteMember("k" + std::to_string(i)).Height(180));
    site.SetDelay(40ms);
    testsupport::TempDir childConfig;

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string program = VELMORA_SEARCH_UNTIL_KILLED;
    const std::string host = site.Host(), folder = dir.path().string(), configFolder = childConfig.path().string();
    std::vector<char*> args = {const_cast<char*>(program.c_str()), const_cast<char*>(host.c_str()),
                               const_cast<char*>(folder.c_str()), const_cast<char*>(configFolder.c_str()),
                               const_cast<char*>("10"), nullptr};
    Child child;
    const int spawned = posix_spawn(&child.pid, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    child.out = pipeFds[0];
    ASSERT_EQ(spawned, 0);

    // Hits as the program told them, until 2.5 s after the first.
    std::vector<std::pair<int64_t, std::string>> hits;
    int64_t killAt = 0;
    while (killAt == 0 || NowMs() < killAt) {
        const std::optional<std::string> line = child.Line(killAt == 0 ? 20000ms : std::chrono::milliseconds(killAt - NowMs()));
        if (!line) break;
        long long at = 0;
        char login[64] = {};
        if (std::sscanf(line->c_str(), "HIT %lld %63s", &at, login) != 2) continue;
        hits.emplace_back(at, login);
        if (killAt == 0) killAt = at + 2500;
    }
    ASSERT_FALSE(hits.empty()) << "the search found nothing";
    const int64_t killed = NowMs();
    kill(child.pid, SIGKILL);
    int status = 0;
    waitpid(child.pid, &status, 0);
    child.pid = -1;
    ASSERT_TRUE(WIFSIGNALED(status)) << "the search ended before it was killed";

    ASSERT_TRUE(std::filesystem::exists(dir / "LoadedFriends.xml")) << "no hit was written";
    const std::string saved = testsupport::ReadFile(dir / "LoadedFriends.xml");
    size_t older = 0;
    for (const auto& [at, login] : hits) {
        if (at >= killed - 1000) continue;
        ++older;
        EXPECT_NE(saved.find("<Login>" + login + "</Login>"), std::string::npos) << login << " found "
                                                                               << killed - at << " ms before the kill";
    }
    EXPECT_GE(older, 10u) << "too few hits to tell";
    EXPECT_LT(hits.size(), 100u) << "killed in mid-search";
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
    {
        testsupport::ModalAction age([](QWidget& w) {
            dynamic_cast<app::TfrmAge&>(w).edAge->setText("30");
            dynamic_cast<app::TConditionDialog&>(w).btnOK->click();
        });
        ASSERT_TRUE(Click(conditions, extended, Node(extended, "Мой возраст")));
        ASSERT_TRUE(age.Done());
    }
    Node(extended, "Автомобиль")->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return conditions.CarMakesLoaded(); }, kLong));
    {
        testsupport::ModalAction model([](QWidget& w) { static_cast<QDialog&>(w).reject(); });
        ASSERT_TRUE(Click(conditions, extended, Node(extended, "Acura")));
    }
    // The page's own change, made after the tree's, is what the page saves.
    page.edTo->setText("40");
    EXPECT_EQ(page.edFrom->text(), "25");

    ASSERT_TRUE(page.btnSaveClick());
    const data::TTesselSettings& s = dm->Settings();
    EXPECT_EQ(s.s_l(), "M");
    EXPECT_EQ(s.MyAge(), 30);
    EXPECT_EQ(s.car(), "1");
    EXPECT_EQ(s.s_f() + "-" + s.s_t(), "25-40");
    // Rebuilt from the settings, the trees show the same choices.
    EXPECT_TRUE(Node(extended, "Ищу Парня")->Checked());
    EXPECT_TRUE(Node(extended, "Мой возраст 30")->Checked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !conditions.CarMakesLoading(); }, kLong));
    ASSERT_NE(Node(extended, "Acura"), nullptr);
    EXPECT_TRUE(Node(extended, "Acura")->Checked());
    conditions.pcLeft->setCurrentWidget(conditions.tsSearch);
    EXPECT_TRUE(Node(simple, "Ищу Парня")->Checked());
    EXPECT_TRUE(Node(simple, "В возрасте 25 — 40 лет")->Checked());

    // Unticking the age in the tree clears what the page shows; a page
    // opened afresh shows what the tree chose since the last save.
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "В возрасте 25 — 40 лет")));
    EXPECT_EQ(page.edFrom->text() + page.edTo->text(), "");
    w.acFavoritesExecute();
    ASSERT_TRUE(Click(conditions, simple, Node(simple, "Ищу Парня")));
    w.acSettingsExecute();
    EXPECT_EQ(w.SettingsForm()->cbFriendGender->currentIndex(), 0);
    EXPECT_EQ(w.SettingsForm()->edFrom->text(), "");
}

TEST_F(WholeProgram, JunkAndNonHttpServersAreToldAsSuch) {
    testsupport::MessageRecorder messages;
    // Result pages that are no result pages: an ordinary page, random bytes,
    // and a page of filler near the size limit.
    testsupport::LocalSite site, junk;
    std::string noise(200000, '\0');
    std::mt19937 random(7);
    for (char& c : noise) c = char(random());
    const std::string filler(4000000, 'x');
    int served = 0;
    junk.Server().Route("/search.phtml", [&](const testsupport::HttpRequestRecord&) {
        const int n = served++ % 3;
        return testsupport::HttpReply::Page(
            n == 0 ? "<html><body><h1>Добро пожаловать</h1><a href=\"http://x.example/\">x</a></body></html>"
            : n == 1 ? noise
                     : filler);
    });
    Open(junk.Host(), 3);
    ASSERT_TRUE(Search());
    const std::string told = messages.Texts().back();
    EXPECT_EQ(told.rfind("Поиск завершен.", 0), 0u) << told;
    EXPECT_NE(told.find("Не распознано страниц результатов: 3 из 3.\nСервер " + junk.Host() + " прислал страницы"),
              std::string::npos)
        << told;

    // A real search that finds nobody says only that it ended.
    dm->Settings().SetFinderServer(site.Host());
    ASSERT_TRUE(Search());
    EXPECT_EQ(messages.Texts().back().find("Не распознано"), std::string::npos) << messages.Texts().back();

    // A server that answers raw bytes is reachable and its address right:
    // the site, the proxy and the area lists say what it answered.
    testsupport::RawHttpServer raw([](const std::string&) { return testsupport::RawReply{"\x01\x02 not http\r\n"}; });
    dm->Settings().SetFinderServer(raw.HostPort());
    ASSERT_TRUE(Search());
    EXPECT_EQ(messages.Texts().back(), "Сервер " + raw.HostPort() + " прислал ответ не по протоколу HTTP (libcurl 1)");

    dm->Settings().SetFinderServer(site.Host());
    dm->Settings().ProxyParams().SetUseProxy(true);
    dm->Settings().ProxyParams().SetProxyServer("127.0.0.1");
    dm->Settings().ProxyParams().SetProxyPort(raw.Port());
    ASSERT_TRUE(Search());
    EXPECT_EQ(messages.Texts().back(),
              "Прокси-сервер 127.0.0.1:" + std::to_string(raw.Port()) + " прислал ответ не по протоколу HTTP (libcurl 1)");
    dm->Settings().ProxyParams().SetUseProxy(false);

    dm->Settings().SetFinderServer("localhost:" + std::to_string(raw.Port()));
    window->acSettingsExecute();
    app::TfrmSettings& page = *window->SettingsForm();
    page.cbCountryDropDown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.AreaFetching(); }, kLong));
    EXPECT_NE(messages.Texts().back().find("прислал ответ не по протоколу HTTP"), std::string::npos)
        << messages.Texts().back();
}

TEST_F(WholeProgram, ClosingInMidSearchShowsOneBoxAtATime) {
    testsupport::LocalSite site;
    for (int i = 1; i <= 10; ++i) site.Add(testsupport::SiteMember("c" + std::to_string(i)));
    site.SetDelay(30ms);
    // The program's own boxes, answered from a timer as a user would.
    const platform::TMessageRoutines previous = platform::BindMessageRoutines({});
    app::BindMessageDialogs();
    app::TfrmMain& w = Open(site.Host(), 1);
    const auto boxes = [] {
        std::vector<QDialog*> shown;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QDialog*>(top); box && box->isVisible()) shown.push_back(box);
        return shown;
    };
    const auto text = [](QDialog* box) {
        auto* form = qobject_cast<app::TMessageForm*>(box);
        return form && form->MessageLabel() ? form->MessageLabel()->text().toStdString() : std::string();
    };

    for (const int answer : {platform::mrNo, platform::mrYes}) {
        SCOPED_TRACE(answer == platform::mrNo ? "No" : "Yes");
        w.ConditionsForm()->pcLeft->setCurrentIndex(0);
        w.acStartSearch->Execute();
        // The question stands until the search has ended under it; only
        // then is it answered.
        std::vector<std::string> seen;
        size_t most = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            const std::vector<QDialog*> shown = boxes();
            most = std::max(most, shown.size());
            // Boxes that stack are taken down, newest first, so that the test ends.
            if (shown.size() > 1) {
                for (QDialog* box : shown)
                    if (text(box).find("Вы действительно") == std::string::npos) box->done(platform::mrOk);
                return;
            }
            if (shown.size() != 1 || !Idle()) return;
            const std::string said = text(shown[0]);
            if (seen.empty() || seen.back() != said) seen.push_back(said);
            shown[0]->done(said.find("Вы действительно") != std::string::npos ? answer : platform::mrOk);
        });
        watch.start(20);
        const bool closed = w.close();
        EXPECT_EQ(closed, answer == platform::mrYes);
        QTest::qWait(300); // a box that waited would show now
        watch.stop();
        EXPECT_EQ(most, 1u) << "boxes stacked";
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), "Вы действительно желаете завершить работу с программой?");
        if (answer == platform::mrNo) {
            ASSERT_EQ(seen.size(), 2u) << "the search's end, after the question";
            EXPECT_EQ(seen[1].rfind("Поиск завершен. Время выполнения: ", 0), 0u) << seen[1];
        } else {
            EXPECT_EQ(seen.size(), 1u) << "nothing is told after Yes";
        }
    }
    EXPECT_NE(testsupport::ReadFile(dir / "LoadedFriends.xml").find("<Login>c10</Login>"), std::string::npos);
    window.reset();
    platform::BindMessageRoutines(previous);
}
