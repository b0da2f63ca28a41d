// The whole program, driven through its main window against the local site,
// where something goes wrong: every failure is told in Russian with its
// cause, and no hit, favourite or choice is lost on the way.
#include "ConditionsTestSupport.h"
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/controls/TNumberEdit.h"
#include "app/forms/FormRegistration.h"
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
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
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
struct WritesFail {
    rlimit old{};
    WritesFail() {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~WritesFail() { setrlimit(RLIMIT_FSIZE, &old); }
};

class FailureReporting : public ::testing::Test {
protected:
    FailureReporting() {
        app::RegisterFormClasses();
        platform::SetProgramDir(dir.path());
        for (int i = 1; i <= 12; ++i) site.Add(testsupport::SiteMember("m" + std::to_string(i)).Age(20 + i));
        app::TfrmMain::OpenUrl = [](const QUrl&) { return true; };
    }
    ~FailureReporting() override {
        window.reset();
        dm.reset();
        app::TfrmMain::OpenUrl = nullptr;
        platform::SetProgramDir({});
    }

    // A start after the site and two pages were saved; with `favourites`
    // in "Friends.xml".
    app::TfrmMain& Open(bool saved = true, std::vector<std::string> favourites = {}) {
        if (saved) {
            data::TdmFriend module;
            module.Settings().SetFinderServer(site.Host());
            module.Settings().SetPageCount(2);
            module.Settings().Save();
            for (const std::string& login : favourites)
                module.Friends().AddFriend(login, login, "http://x.example/" + login, "", 30, 0, 0, 0, 0, 0, "");
            module.Friends().Save();
        }
        dm = std::make_unique<data::TdmFriend>();
        window = std::make_unique<app::TfrmMain>();
        window->show();
        QTest::qWait(1); // the start-up messages come from the event loop
        return *window;
    }
    bool Idle() const { return window->acSettings->isEnabled() && !window->acStopSearch->isEnabled(); }
    // Start, `meanwhile`, then the search's end.
    bool Search(const std::function<void()>& meanwhile = [] {}) {
        window->ConditionsForm()->pcLeft->setCurrentIndex(0); // no search starts from the found list
        window->acStartSearch->Execute();
        meanwhile();
        for (int waited = 0; !Idle(); waited += 5)
            if (waited > 30000) return false;
            else QTest::qWait(5);
        return true;
    }
    app::TfrmSettings& SaveServer(const std::string& server, const QString& pages) {
        window->acSettingsExecute();
        app::TfrmSettings& page = *window->SettingsForm();
        page.edServer->setText(QString::fromStdString(server));
        page.sbAddServer->click();
        for (int i = 0; i < page.cblServer->count(); ++i)
            page.cblServer->item(i)->setCheckState(page.cblServer->item(i)->text() == page.edServer->text()
                                                       ? Qt::Checked
                                                       : Qt::Unchecked);
        page.edPageCount->setText(pages);
        page.btnSave->click();
        return page;
    }
    std::string Last() const { return messages.Texts().back(); }
    bool Told(const std::string& part) const { return Last().find(part) != std::string::npos; }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::LocalSite site;
    testsupport::MessageRecorder messages;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<app::TfrmMain> window;
};

TEST_F(FailureReporting, StartSaysWhyItCannotSearchAndKeepsPurposesTheTreeCannotShow) {
    app::TfrmMain& w = Open(false); // a fresh install: the placeholder server, no pages
    w.acStartSearch->Execute();
    EXPECT_TRUE(Told("«site.example» — только образец имени")) << Last();
    dm->Settings().SetFinderServer("my site");
    w.acStartSearch->Execute();
    EXPECT_TRUE(Told("Имя сервера «my site» не годится")) << Last();
    app::TfrmSettings& page = SaveServer(site.Host(), "0");
    w.acStartSearch->Execute();
    EXPECT_TRUE(Told("«Листать ... страниц»")) << Last();
    EXPECT_TRUE(Idle() && site.RequestCount() == 0);

    // The tree has no item for "Регулярный секс вдвоем": its root stays
    // ticked and the choice goes into the search.
    page.chbRegSex->setChecked(true);
    page.chbFriendship->setChecked(true);
    SaveServer(site.Host(), "1");
    app::TfrmConditions& conditions = *w.ConditionsForm();
    app::TCheckedTreeNode* purposes = conditionstest::Node(*conditions.tvSearch, "Цель знакомства");
    EXPECT_TRUE(purposes->Checked());
    ASSERT_TRUE(Search());
    EXPECT_TRUE(Last().starts_with("Поиск завершен.")) << Last();
    EXPECT_EQ(dm->Settings().target(), "Friendship|RegSex");
    // Unticking the root gives up every purpose, shown or not.
    conditions.pcLeft->setCurrentWidget(conditions.tsSearch);
    ASSERT_TRUE(conditionstest::Click(conditions, *conditions.tvSearch, purposes));
    ASSERT_TRUE(Search());
    EXPECT_EQ(dm->Settings().target(), "");
}

TEST_F(FailureReporting, AFailedSaveLosesNoHitAndNoFavourite) {
    WriteFile(dir / "LoadedFriends.xml", "<Friends/>");
    app::TfrmMain& w = Open(true, {"anna", "boris", "clara"});
    std::optional<WritesFail> readOnly;
    ASSERT_TRUE(Search([&] { readOnly.emplace(); }));

    // The end and the failed save in one message; the hits stay listed.
    const std::string found = (dir / "LoadedFriends.xml").string();
    EXPECT_TRUE(Last().starts_with("Поиск завершен.")) << Last();
    EXPECT_TRUE(Told("Найденные анкеты не сохранены. Файл «" + found + "» не записан: файл слишком велик (EFBIG)"));
    app::TfrmConditions& conditions = *w.ConditionsForm();
    EXPECT_EQ(conditions.lbxLoad->count(), 12);
    EXPECT_EQ(w.StatusText(0), "Найдено всего 12, новых 12");
    EXPECT_EQ(ReadFile(found), "<Friends/>");

    // A favourite whose removal cannot be written stays; ">" adds nothing.
    auto* favourites = w.pnForm->findChild<app::TfrmFavourites*>();
    favourites->btnDelete->click();
    EXPECT_TRUE(Told("Изменения в избранных не сохранены. Файл «" + (dir / "Friends.xml").string())) << Last();
    EXPECT_EQ(favourites->PersonList()->Count(), 3);
    conditions.lbxLoad->setCurrentRow(0);
    conditions.btnAddToFavorites->click();
    EXPECT_TRUE(Told("не добавлен(а) в избранные")) << Last();
    EXPECT_EQ(dm->Friends().RecordCount(), 3);
    // Leaving would lose the hits: the user is asked.
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(Told("Если выйти сейчас, они будут потеряны.")) << Last();

    // Once the disk takes writes again, the next save keeps all of it.
    readOnly.reset();
    favourites->btnDelete->click();
    EXPECT_EQ(favourites->lbCount->text(), "2");
    ASSERT_TRUE(Search());
    EXPECT_NE(ReadFile(found).find("<Login>m12</Login>"), std::string::npos);
}

TEST_F(FailureReporting, DamagedTableFilesAreSetAsideOnceAndStartWorks) {
    const std::string friends = "<Friends><Friend><Name>Анна", found = "<Friends><Friend></Name>";
    WriteFile(dir / "Friends.xml", friends);
    WriteFile(dir / "LoadedFriends.xml", found);
    app::TfrmMain& w = Open(false);
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
    SaveServer(site.Host(), "1");
    ASSERT_TRUE(Search());
    EXPECT_NE(ReadFile(dir / "LoadedFriends.xml").find("<Login>m1</Login>"), std::string::npos);
}

TEST_F(FailureReporting, NetworkFailuresNameTheServerOrTheProxy) {
    Open(false);
    SaveServer("127.0.0.1:1", "2"); // nothing listens on port 1
    ASSERT_TRUE(Search());
    EXPECT_EQ(Last(), "Сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (libcurl 7)");

    // The proxy's address is checked as it is saved, and blamed when it fails.
    app::TfrmSettings& page = SaveServer(site.Host(), "2");
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
    ASSERT_TRUE(Search());
    EXPECT_EQ(Last(), "Прокси-сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (libcurl 7)");
    EXPECT_EQ(site.RequestCount(), 0u);
}

TEST_F(FailureReporting, FoundListButtonsActOrSayWhyAndShowNamesAsWritten) {
    site.Add(testsupport::SiteMember("bold").Name("<b>Жирный</b>").Age(30));
    app::TfrmMain& w = Open(false); // the settings page stays docked
    SaveServer(site.Host(), "2");
    ASSERT_TRUE(Search());
    app::TfrmConditions& conditions = *w.ConditionsForm();
    conditions.lbxLoad->clearSelection();
    conditions.btnAddToFavorites->setEnabled(true);
    conditions.btnAddToFavorites->click();
    EXPECT_EQ(Last(), "Выберите в списке анкету, которую нужно добавить в избранные.");
    conditions.lbxLoad->setCurrentItem(conditions.lbxLoad->findItems("<b>Жирный</b>, 30", Qt::MatchStartsWith).value(0));
    conditions.btnAddToFavorites->click();
    EXPECT_NE(ReadFile(dir / "Friends.xml").find("<Login>bold</Login>"), std::string::npos);
    EXPECT_EQ(w.StatusText(0), "<b>Жирный</b> добавлен(а) в избранные.");
    for (const QLabel* label : w.StatusBar->findChildren<QLabel*>()) EXPECT_EQ(label->textFormat(), Qt::PlainText);

    // A list out of step with the found table is shown anew, and said so.
    w.Engine().FoundFriends().AddFriend("Новая", "new", "http://x.example/new", "", 40, 0, 0, 0, 0, 0, "");
    conditions.btnDelete->click();
    EXPECT_TRUE(Last().starts_with("Список найденных анкет изменился")) << Last();
    EXPECT_EQ(conditions.lbxLoad->count(), 14);

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
