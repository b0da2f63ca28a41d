// The whole program driven through its main window as a user would: against
// the local site, with the settings, the program's folder and the message
// boxes kept to the test.
#include "ConditionsTestSupport.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmSettings.h"
#include "app/controls/TNumberEdit.h"
#include "data/TCustomParams.h"
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace std::chrono_literals;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        app::RegisterFormClasses();
        platform::SetProgramDir(dir.path());
        // Men and women in turn; two women's names need escaping in the export.
        for (int i = 1; i <= 24; ++i) {
            testsupport::SiteMember member("m" + std::to_string(i));
            member.Gender(i % 2 ? "M" : "F").Age(20 + i).Photos(i % 4);
            if (i == 2) member.Name("<b>Ann & Co</b>");
            site.Add(member);
        }
        site.SetDelay(15ms);
        app::TfrmMain::OpenUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        dm = std::make_unique<data::TdmFriend>();
    }
    ~MainWindowTest() override {
        window.reset();
        dm.reset();
        app::TfrmMain::OpenUrl = nullptr;
        platform::SetProgramDir({});
    }

    app::TfrmMain& Open() {
        window = std::make_unique<app::TfrmMain>();
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }

    // Runs the event loop until `done` holds; false after `ms`.
    static bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms) return false;
            QTest::qWait(5);
        }
        return true;
    }

    // Start itself also follows the conditions form's page (it is off while
    // the found list is shown), so it is checked apart.
    bool Idle() const {
        return window->acSettings->isEnabled() &&
               !window->acStopSearch->isEnabled() && !window->acSuspendSearch->isEnabled() &&
               !window->acResumeSearch->isEnabled();
    }

    // Types the site's address into the settings page as the server and saves.
    void SetServerThroughSettingsPage(int pages) {
        app::TfrmSettings* settings = window->SettingsForm();
        ASSERT_NE(settings, nullptr);
        settings->edServer->setText(QString::fromStdString(site.Host()));
        settings->sbAddServer->click();
        for (int i = 0; i < settings->cblServer->count(); ++i) {
            QListWidgetItem* item = settings->cblServer->item(i);
            if (item->text().toStdString() == site.Host()) item->setCheckState(Qt::Checked);
        }
        settings->edPageCount->setText(QString::number(pages));
        settings->btnSave->click();
        ASSERT_EQ(dm->Settings().FinderServer(), site.Host());
        ASSERT_EQ(dm->Settings().PageCount(), pages);
    }

    std::vector<std::string> FoundLogins() {
        std::vector<std::string> logins;
        window->Engine().FoundFriends().FillStrings("Login", logins);
        std::sort(logins.begin(), logins.end());
        return logins;
    }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::LocalSite site{testsupport::SiteLayout::Old};
    testsupport::MessageRecorder messages;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<app::TfrmMain> window;
    std::vector<QUrl> opened;
};

TEST_F(MainWindowTest, ASearchRunFromTheWindowFindsWhatTheEngineFinds) {
    app::TfrmMain& w = Open();
    // First start: the settings page, the conditions tree, idle actions.
    ASSERT_NE(w.SettingsForm(), nullptr);
    app::TfrmConditions* conditions = w.ConditionsForm();
    ASSERT_NE(conditions, nullptr);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(w.StatusText(1), "Прямой доступ в Интернет");
    SetServerThroughSettingsPage(3);

    // Look for women only.
    conditions->pcLeft->setCurrentWidget(conditions->tsSearch);
    ASSERT_TRUE(conditionstest::Click(*conditions, *conditions->tvSearch,
                                      conditionstest::Node(*conditions->tvSearch, "Девушку")));

    w.acStartSearch->Execute();
    EXPECT_FALSE(w.acStartSearch->isEnabled());
    EXPECT_FALSE(w.acSettings->isEnabled());
    EXPECT_TRUE(w.acStopSearch->isEnabled());
    EXPECT_TRUE(w.acSuspendSearch->isEnabled());
    EXPECT_FALSE(conditions->btnClear->isEnabled()) << "the found list is locked while the search runs";
    ASSERT_TRUE(WaitFor([&] { return w.ProgressBar->value() > 0; }));

    w.acSuspendSearch->Execute();
    EXPECT_FALSE(w.acSuspendSearch->isEnabled());
    EXPECT_TRUE(w.acResumeSearch->isEnabled());
    EXPECT_EQ(conditions->pcLeft->currentWidget(), conditions->tsLoadedFriends) << "pausing shows the hits so far";
    QTest::qWait(50);
    w.acResumeSearch->Execute();
    EXPECT_TRUE(w.acSuspendSearch->isEnabled());
    EXPECT_FALSE(w.acResumeSearch->isEnabled());
    const bool ended = WaitFor([&] { return Idle(); });
    ASSERT_TRUE(ended);
    EXPECT_FALSE(w.acStartSearch->isEnabled()) << "the found list is shown";
    conditions->pcLeft->setCurrentWidget(conditions->tsSearch);
    EXPECT_TRUE(w.acStartSearch->isEnabled());

    // The same conditions through the engine alone find the same profiles.
    std::vector<std::string> expected;
    {
        search::TVelmora engine;
        data::CopyProperties(engine.Params(), w.Engine().Params());
        engine.SetFoundFriendsFile((dir / "Reference.xml").string());
        bool stopped = false;
        engine.OnStop = [&](search::TFinderStateObject&) { stopped = true; };
        engine.Start();
        ASSERT_TRUE(WaitFor([&] { return stopped; }));
        engine.FoundFriends().FillStrings("Login", expected);
        std::sort(expected.begin(), expected.end());
    }
    const std::vector<std::string> found = FoundLogins();
    EXPECT_EQ(found.size(), 12u);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(conditions->lbxLoad->count(), int(found.size()));
    EXPECT_EQ(w.StatusText(0), QString("Найдено всего %1, новых %1").arg(found.size()));
    const auto texts = messages.Texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.rfind("Поиск завершен. Время выполнения: ", 0) == 0; }));
    const std::string saved = testsupport::ReadFile(dir / "LoadedFriends.xml");
    for (const std::string& login : found) EXPECT_NE(saved.find(login), std::string::npos) << login;

    // The found profiles as a page in the browser, names escaped.
    w.acBrowseLoadedFriends->Execute();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(app::TfrmMain::ExportFileName())));
    const std::string page = testsupport::ReadFile(app::TfrmMain::ExportFileName());
    EXPECT_NE(page.find("&lt;b&gt;Ann &amp; Co&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<b>Ann"), std::string::npos);
}

TEST_F(MainWindowTest, StoppingOrClosingInMidSearchKeepsTheHitsFoundSoFar) {
    // Fifteen pages: the hits come in three batches of five pages.
    for (int i = 25; i <= 150; ++i) site.Add(testsupport::SiteMember("m" + std::to_string(i)).Age(30));
    dm->Settings().SetFinderServer(site.Host());
    dm->Settings().SetPageCount(15);
    dm->Settings().Save();
    dm.reset();
    dm = std::make_unique<data::TdmFriend>();
    app::TfrmMain& w = Open();
    EXPECT_EQ(w.SettingsForm(), nullptr) << "later starts open the favourites";

    // Without a server nothing starts.
    dm->Settings().SetFinderServer("");
    w.acStartSearch->Execute();
    EXPECT_TRUE(Idle());
    EXPECT_EQ(messages.Texts().back(), "Не задано имя сервера");
    dm->Settings().SetFinderServer(site.Host());

    w.acStartSearch->Execute();
    ASSERT_TRUE(WaitFor([&] { return w.Engine().FoundFriends().RecordCount() > 0; }));
    w.acSuspendSearch->Execute();
    w.acStopSearch->Execute();
    EXPECT_TRUE(Idle()) << "Stop from a pause ends idle";
    const size_t afterStop = FoundLogins().size();
    ASSERT_LT(afterStop, 100u);
    site.SetDelay(60ms); // the last batch takes long enough to close the window in it
    EXPECT_EQ(testsupport::ReadFile(dir / "LoadedFriends.xml").empty(), false);

    // Closing during a search: Yes stops it and saves what it found.
    app::TfrmConditions* conditions = w.ConditionsForm();
    conditions->pcLeft->setCurrentWidget(conditions->tsSearch);
    w.acStartSearch->Execute();
    ASSERT_TRUE(WaitFor([&] { return int(FoundLogins().size()) > int(afterStop); }));
    messages.SetAnswer(platform::mrNo);
    EXPECT_FALSE(w.close()) << "No keeps the window";
    EXPECT_FALSE(Idle());
    messages.SetAnswer(platform::mrYes);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(Idle());
    const std::vector<std::string> hits = FoundLogins();
    window.reset();
    const std::string saved = testsupport::ReadFile(dir / "LoadedFriends.xml");
    for (const std::string& login : hits) EXPECT_NE(saved.find("<Login>" + login + "</Login>"), std::string::npos);
}

TEST_F(MainWindowTest, AFailingCloseQuestionStillClosesAndActionsAreFoundByName) {
    app::TfrmMain& w = Open();
    EXPECT_EQ(app::FindAction(app::FindMainActionList(), "acStopSearch"), w.acStopSearch);
    EXPECT_EQ(app::FindAction(app::FindMainActionList(), "acstopsearch"), nullptr) << "names compare exactly";
    platform::TMessageRoutines failing;
    failing.ShowMessageQuery = [](const std::string&, platform::TMsgDlgType, platform::TMsgDlgButtons) -> int {
        throw std::runtime_error("no display");
    };
    failing.ShowInfoMessage = [](const std::string&) { return platform::mrOk; };
    const platform::TMessageRoutines previous = platform::BindMessageRoutines(failing);
    EXPECT_TRUE(w.close());
    platform::BindMessageRoutines(previous);
    window.reset();
    EXPECT_EQ(app::FindMainActionList(), nullptr);
}

} // namespace
