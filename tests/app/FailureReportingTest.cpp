// The whole program, driven through its main window against the local site,
// where something goes wrong: every failure is told in Russian with its
// cause, and no hit, favourite or choice is lost on the way.
#include "ConditionsTestSupport.h"
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/controls/TNumberEdit.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmFavourites.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmProxy.h"
#include "app/forms/TfrmSettings.h"
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

// Every file write of the process fails while it lives (EFBIG), as on a
// read-only disk; unlike folder permissions this holds for root as well.
class WritesFail {
public:
    WritesFail() {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~WritesFail() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

class FailureReporting : public ::testing::Test {
protected:
    FailureReporting() {
        app::RegisterFormClasses();
        platform::SetProgramDir(dir.path());
        for (int i = 1; i <= 12; ++i)
            site.Add(testsupport::SiteMember("m" + std::to_string(i)).Age(20 + i).Gender(i % 2 ? "M" : "F"));
        app::TfrmMain::OpenUrl = [](const QUrl&) { return true; };
    }
    ~FailureReporting() override {
        window.reset();
        dm.reset();
        app::TfrmMain::OpenUrl = nullptr;
        platform::SetProgramDir({});
    }

    // The settings a user saved before this start.
    void Saved(const std::string& server, int pages) {
        data::TdmFriend module;
        module.Settings().SetFinderServer(server);
        module.Settings().SetPageCount(pages);
        module.Settings().Save();
    }
    app::TfrmMain& Open() {
        dm = std::make_unique<data::TdmFriend>();
        window = std::make_unique<app::TfrmMain>();
        window->show();
        QTest::qWait(1); // the start-up messages come from the event loop
        return *window;
    }
    bool Idle() const { return window->acSettings->isEnabled() && !window->acStopSearch->isEnabled(); }
    // Start, then the search's end.
    bool Search(const std::function<void()>& meanwhile = {}) {
        app::TfrmConditions& conditions = *window->ConditionsForm();
        conditions.pcLeft->setCurrentWidget(conditions.tsSearch); // no search starts from the found list
        window->acStartSearch->Execute();
        if (meanwhile) meanwhile();
        QElapsedTimer clock;
        clock.start();
        while (!Idle())
            if (clock.elapsed() > 30000) return false;
            else QTest::qWait(5);
        return true;
    }
    app::TfrmSettings& SettingsPage() {
        window->acSettingsExecute();
        return *window->SettingsForm();
    }
    void SaveServer(const std::string& server, const QString& pages) {
        app::TfrmSettings& page = SettingsPage();
        page.edServer->setText(QString::fromStdString(server));
        page.sbAddServer->click();
        for (int i = 0; i < page.cblServer->count(); ++i)
            page.cblServer->item(i)->setCheckState(page.cblServer->item(i)->text().toStdString() == server
                                                       ? Qt::Checked
                                                       : Qt::Unchecked);
        page.edPageCount->setText(pages);
        page.btnSave->click();
    }
    std::string Last() const { return messages.Texts().empty() ? std::string() : messages.Texts().back(); }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::LocalSite site;
    testsupport::MessageRecorder messages;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<app::TfrmMain> window;
};

TEST_F(FailureReporting, StartSaysWhyItCannotSearch) {
    app::TfrmMain& w = Open(); // a fresh install: the placeholder server, no pages
    w.acStartSearch->Execute();
    EXPECT_TRUE(Idle());
    EXPECT_NE(Last().find("«site.example» — только образец имени"), std::string::npos) << Last();

    dm->Settings().SetFinderServer("my site");
    w.acStartSearch->Execute();
    EXPECT_NE(Last().find("Имя сервера «my site» не годится"), std::string::npos) << Last();

    SaveServer(site.Host(), "0");
    w.acStartSearch->Execute();
    EXPECT_TRUE(Idle());
    EXPECT_NE(Last().find("«Листать ... страниц»"), std::string::npos) << Last();
    EXPECT_EQ(site.RequestCount(), 0u);

    SaveServer(site.Host(), "1");
    ASSERT_TRUE(Search());
    EXPECT_TRUE(Last().starts_with("Поиск завершен.")) << Last();
}

TEST_F(FailureReporting, AFailedSaveLosesNoHitAndNoFavourite) {
    Saved(site.Host(), 2);
    WriteFile(dir / "LoadedFriends.xml", "<Friends/>");
    {
        data::TdmFriend module;
        for (const char* login : {"anna", "boris", "clara"})
            module.Friends().AddFriend(login, login, "http://x.example/" + std::string(login), "", 30, 0, 0, 0, 0, 0, "");
        module.Friends().Save();
    }
    app::TfrmMain& w = Open();
    std::optional<WritesFail> readOnly;
    ASSERT_TRUE(Search([&] { readOnly.emplace(); }));

    // The end and the failed save in one message; the hits stay listed.
    const std::string found = (dir / "LoadedFriends.xml").string();
    EXPECT_TRUE(Last().starts_with("Поиск завершен.")) << Last();
    EXPECT_NE(Last().find("Найденные анкеты не сохранены. Файл «" + found +
                          "» не записан: файл слишком велик (EFBIG)"),
              std::string::npos)
        << Last();
    app::TfrmConditions& conditions = *w.ConditionsForm();
    EXPECT_EQ(conditions.lbxLoad->count(), 12);
    EXPECT_EQ(w.Engine().FoundFriends().RecordCount(), 12);
    EXPECT_EQ(w.StatusText(0), "Найдено всего 12, новых 12");
    EXPECT_EQ(ReadFile(found), "<Friends/>");

    // A favourite whose removal cannot be written stays; so does a list
    // that ">" could not add to.
    auto* favourites = qobject_cast<app::TfrmFavourites*>(w.pnForm->findChild<app::TfrmFavourites*>());
    ASSERT_NE(favourites, nullptr);
    favourites->btnDelete->click();
    EXPECT_NE(Last().find("Изменения в избранных не сохранены. Файл «" + (dir / "Friends.xml").string()),
              std::string::npos)
        << Last();
    EXPECT_EQ(favourites->lbCount->text(), "3");
    EXPECT_EQ(favourites->PersonList()->Count(), 3);
    conditions.lbxLoad->setCurrentRow(0);
    conditions.btnAddToFavorites->click();
    EXPECT_NE(Last().find("не добавлен(а) в избранные"), std::string::npos) << Last();
    EXPECT_EQ(dm->Friends().RecordCount(), 3);

    // Leaving would lose the hits: the user is asked.
    messages.SetAnswer(platform::mrYes);
    EXPECT_TRUE(w.close());
    EXPECT_NE(Last().find("Если выйти сейчас, они будут потеряны."), std::string::npos) << Last();
    w.show();

    // Once the disk takes writes again, the next save keeps all of it.
    readOnly.reset();
    favourites->btnDelete->click();
    EXPECT_EQ(favourites->lbCount->text(), "2");
    ASSERT_TRUE(Search());
    EXPECT_NE(ReadFile(found).find("<Login>m12</Login>"), std::string::npos);
}

TEST_F(FailureReporting, DamagedTableFilesAreSetAsideOnceAndStartWorks) {
    Saved(site.Host(), 1);
    const std::string friends = "<Friends><Friend><Name>Анна", found = "<Friends><Friend></Name>";
    WriteFile(dir / "Friends.xml", friends);
    WriteFile(dir / "LoadedFriends.xml", found);
    app::TfrmMain& w = Open();
    w.acSettingsExecute();
    w.acFavoritesExecute(); // the favourites read their file again
    const std::vector<std::string> texts = messages.Texts();
    ASSERT_EQ(texts.size(), 2u) << "one message per file";
    for (const std::string name : {"Friends.xml", "LoadedFriends.xml"}) {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
            return t.starts_with("Файл «" + path + "» повреждён: разметка XML нарушена") &&
                   t.find("Он сохранён как «" + path + ".damaged»") != std::string::npos;
        })) << name;
    }
    EXPECT_EQ(ReadFile(dir / "Friends.xml.damaged"), friends);
    EXPECT_EQ(ReadFile(dir / "LoadedFriends.xml.damaged"), found);

    ASSERT_TRUE(Search());
    EXPECT_TRUE(Last().starts_with("Поиск завершен.")) << Last();
    EXPECT_NE(ReadFile(dir / "LoadedFriends.xml").find("<Login>m1</Login>"), std::string::npos);
}

TEST_F(FailureReporting, NetworkFailuresNameTheServerOrTheProxy) {
    app::TfrmMain& w = Open();
    SaveServer("127.0.0.1:1", "2"); // nothing listens on port 1
    ASSERT_TRUE(Search());
    EXPECT_EQ(Last(), "Сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (libcurl 7)");

    // The proxy's address is checked as it is saved, and blamed when it fails.
    SaveServer(site.Host(), "2");
    app::TfrmSettings& page = *w.SettingsForm();
    app::TfrmProxy& proxy = *page.ProxyPage();
    proxy.chbUseProxy->click();
    proxy.edProxyServer->setText("1.9990");
    page.btnSave->click();
    EXPECT_TRUE(Last().starts_with("«1.9990» в поле «Сервер IP» — не адрес прокси-сервера")) << Last();
    EXPECT_FALSE(dm->Settings().ProxyParams().UseProxy());
    EXPECT_EQ(QApplication::focusWidget(), proxy.edProxyServer);
    proxy.edProxyServer->setText("127.0.0.1");
    proxy.edProxyPort->setText("1");
    page.btnSave->click();
    ASSERT_EQ(dm->Settings().ProxyParams().ProxyServer(), "127.0.0.1");
    ASSERT_TRUE(Search());
    EXPECT_EQ(Last(), "Прокси-сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (libcurl 7)");
    EXPECT_EQ(site.RequestCount(), 0u);
}

TEST_F(FailureReporting, PurposesTheTreeCannotShowSurviveStart) {
    app::TfrmMain& w = Open();
    app::TfrmSettings& page = SettingsPage();
    page.chbRegSex->setChecked(true);
    page.chbFriendship->setChecked(true);
    page.chbNo->setChecked(true);
    SaveServer(site.Host(), "1");
    app::TfrmConditions& conditions = *w.ConditionsForm();
    EXPECT_TRUE(conditionstest::Node(*conditions.tvSearch, "Цель знакомства")->Checked());
    ASSERT_TRUE(Search());
    EXPECT_EQ(w.Engine().Params().target(), "Friendship|RegSex");
    EXPECT_EQ(dm->Settings().target(), "Friendship|RegSex");
    EXPECT_EQ(dm->Settings().sponsor(), "No");

    // Unticking the root gives up every purpose, shown or not.
    conditions.pcLeft->setCurrentWidget(conditions.tsSearch);
    ASSERT_TRUE(conditionstest::Click(conditions, *conditions.tvSearch,
                                      conditionstest::Node(*conditions.tvSearch, "Цель знакомства")));
    ASSERT_TRUE(Search());
    EXPECT_EQ(dm->Settings().target(), "");
}

TEST_F(FailureReporting, FoundListButtonsActOrSayWhyAndShowNamesAsWritten) {
    site.Add(testsupport::SiteMember("bold").Name("<b>Жирный</b>").Age(30));
    app::TfrmMain& w = Open(); // the settings page stays docked
    SaveServer(site.Host(), "2");
    ASSERT_TRUE(Search());
    app::TfrmConditions& conditions = *w.ConditionsForm();
    const QList<QListWidgetItem*> rows = conditions.lbxLoad->findItems("<b>Жирный</b>", Qt::MatchStartsWith);
    ASSERT_EQ(rows.size(), 1);
    const int bold = conditions.lbxLoad->row(rows[0]);

    conditions.lbxLoad->clearSelection();
    conditions.btnAddToFavorites->setEnabled(true);
    conditions.btnAddToFavorites->click();
    EXPECT_EQ(Last(), "Выберите в списке анкету, которую нужно добавить в избранные.");
    conditions.lbxLoad->setCurrentRow(bold);
    conditions.btnAddToFavorites->click();
    EXPECT_EQ(dm->Friends().RecordCount(), 1);
    EXPECT_NE(ReadFile(dir / "Friends.xml").find("<Login>bold</Login>"), std::string::npos);
    EXPECT_EQ(w.StatusText(0), "<b>Жирный</b> добавлен(а) в избранные.");
    for (const QLabel* label : w.StatusBar->findChildren<QLabel*>()) EXPECT_EQ(label->textFormat(), Qt::PlainText);

    // A list out of step with the found table is shown anew, and said so.
    w.Engine().FoundFriends().AddFriend("Новая", "new", "http://x.example/new", "", 40, 0, 0, 0, 0, 0, "");
    conditions.btnDelete->click();
    EXPECT_TRUE(Last().starts_with("Список найденных анкет изменился")) << Last();
    EXPECT_EQ(conditions.lbxLoad->count(), w.Engine().FoundFriends().RecordCount());
    EXPECT_EQ(w.Engine().FoundFriends().RecordCount(), 14);

    // The card shows the name as it is written.
    w.acFavoritesExecute();
    auto* favourites = w.pnForm->findChild<app::TfrmFavourites*>();
    favourites->pcFavorites->setCurrentWidget(favourites->tsFavotiteQueues);
    app::TChatPerson& card = *favourites->PersonList()->Person(0);
    QTest::mouseClick(card.imgShortInfo, Qt::LeftButton);
    ASSERT_EQ(card.ChatPersonStyle(), app::TChatPersonStyle::cpFull);
    for (const QLabel* label : {card.lbPersonName1, card.lbPersonName2}) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_TRUE(label->text().startsWith("<b>Жирный</b>")) << label->text().toStdString();
    }
}

} // namespace
