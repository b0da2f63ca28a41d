// The whole program driven through its main window as a user would: against
// the local site, with the settings, the program's folder and the message
// boxes kept to the test. What the user sees of every window is whole, and
// every failure is told with its cause.
#include "ConditionsTestSupport.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TAboutBox.h"
#include "app/forms/TdlgMessages.h"
#include "app/forms/TdlgMessagesEx.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmCarModel.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmFavourites.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmName.h"
#include "app/forms/TfrmProxy.h"
#include "app/forms/TfrmRange.h"
#include "app/forms/TfrmSettings.h"
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/controls/TNumberEdit.h"
#include "data/TCustomParams.h"
#include "data/TdmFriend.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"
#include "platform/ProgramDir.h"
#include "platform/db/TDataSource.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/ModalAction.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
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
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/resource.h>

using namespace std::chrono_literals;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

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
        QTest::qWait(1); // the start-up messages come from the event loop
        return *window;
    }
    // A later start, after the site, `pages` and `favourites` were saved.
    app::TfrmMain& OpenSaved(int pages, const std::vector<std::string>& favourites = {}) {
        dm->Settings().SetFinderServer(site.Host());
        dm->Settings().SetPageCount(pages);
        dm->Settings().Save();
        for (const std::string& login : favourites)
            dm->Friends().AddFriend(login, login, "http://x.example/" + login, "", 30, 0, 0, 0, 0, 0, "");
        dm->Friends().Save();
        dm.reset();
        dm = std::make_unique<data::TdmFriend>();
        return Open();
    }

    // Start itself also follows the conditions form's page (it is off while
    // the found list is shown), so it is checked apart.
    bool Idle() const {
        return window->acSettings->isEnabled() &&
               !window->acStopSearch->isEnabled() && !window->acSuspendSearch->isEnabled() &&
               !window->acResumeSearch->isEnabled();
    }
    // Start, `meanwhile`, then the search's end.
    bool Search(const std::function<void()>& meanwhile = [] {}) {
        window->ConditionsForm()->pcLeft->setCurrentIndex(0); // no search starts from the found list
        window->acStartSearch->Execute();
        meanwhile();
        return QTest::qWaitFor([&] { return Idle(); }, kLong);
    }
    // Types `server` into the settings page, ticks it alone and saves.
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

    std::vector<std::string> FoundLogins() {
        std::vector<std::string> logins;
        window->Engine().FoundFriends().FillStrings("Login", logins);
        std::sort(logins.begin(), logins.end());
        return logins;
    }
    std::string Last() const { return messages.Texts().back(); }
    bool Told(const std::string& part) const { return Last().find(part) != std::string::npos; }

    static constexpr int kLong = 30000; // ms a search may take here

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
    EXPECT_EQ(w.StatusText(1), "Прямой доступ в Интернет");
    SaveServer(site.Host(), "3");

    // Look for women only.
    conditions->pcLeft->setCurrentWidget(conditions->tsSearch);
    ASSERT_TRUE(conditionstest::Click(*conditions, *conditions->tvSearch,
                                      conditionstest::Node(*conditions->tvSearch, "Девушку")));

    // The actions of each state are checked in MenusAndToolBarFollowTheSearchState.
    w.acStartSearch->Execute();
    EXPECT_FALSE(conditions->btnClear->isEnabled()) << "the found list is locked while the search runs";
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.ProgressBar->value() > 0; }, kLong));
    w.acSuspendSearch->Execute();
    EXPECT_EQ(conditions->pcLeft->currentWidget(), conditions->tsLoadedFriends) << "pausing shows the hits so far";
    QTest::qWait(50);
    w.acResumeSearch->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, kLong));
    EXPECT_FALSE(w.acStartSearch->isEnabled()) << "the found list is shown";

    // The same conditions through the engine alone find the same profiles.
    std::vector<std::string> expected;
    {
        search::TVelmora engine;
        data::CopyProperties(engine.Params(), w.Engine().Params());
        engine.SetFoundFriendsFile((dir / "Reference.xml").string());
        bool stopped = false;
        engine.OnStop = [&](search::TFinderStateObject&) { stopped = true; };
        engine.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, kLong));
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
    const std::string saved = ReadFile(dir / "LoadedFriends.xml");
    for (const std::string& login : found) EXPECT_NE(saved.find(login), std::string::npos) << login;

    // The found profiles as a page in the browser, names escaped.
    w.acBrowseLoadedFriends->Execute();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(app::TfrmMain::ExportFileName())));
    const std::string page = ReadFile(app::TfrmMain::ExportFileName());
    EXPECT_NE(page.find("&lt;b&gt;Ann &amp; Co&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<b>Ann"), std::string::npos);
}

TEST_F(MainWindowTest, StoppingOrClosingInMidSearchKeepsTheHitsFoundSoFar) {
    // Fifteen pages: the hits come in three batches of five pages.
    for (int i = 25; i <= 150; ++i) site.Add(testsupport::SiteMember("m" + std::to_string(i)).Age(30));
    app::TfrmMain& w = OpenSaved(15);
    EXPECT_EQ(w.SettingsForm(), nullptr) << "later starts open the favourites";

    // Without a server nothing starts.
    dm->Settings().SetFinderServer("");
    w.acStartSearch->Execute();
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Last(), "Не задано имя сервера");
    dm->Settings().SetFinderServer(site.Host());

    w.acStartSearch->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Engine().FoundFriends().RecordCount() > 0; }, kLong));
    w.acSuspendSearch->Execute();
    w.acStopSearch->Execute();
    EXPECT_TRUE(Idle()) << "Stop from a pause ends idle";
    const size_t afterStop = FoundLogins().size();
    ASSERT_LT(afterStop, 100u);
    site.SetDelay(60ms); // the last batch takes long enough to close the window in it
    EXPECT_EQ(ReadFile(dir / "LoadedFriends.xml").empty(), false);

    // Closing during a search: Yes stops it and saves what it found.
    app::TfrmConditions* conditions = w.ConditionsForm();
    conditions->pcLeft->setCurrentWidget(conditions->tsSearch);
    w.acStartSearch->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return FoundLogins().size() > afterStop; }, kLong));
    messages.SetAnswer(platform::mrNo);
    EXPECT_FALSE(w.close()) << "No keeps the window";
    EXPECT_FALSE(Idle());
    messages.SetAnswer(platform::mrYes);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(Idle());
    const std::vector<std::string> hits = FoundLogins();
    window.reset();
    const std::string saved = ReadFile(dir / "LoadedFriends.xml");
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

namespace {

int Advance(const QWidget& w, const QString& text) { return w.fontMetrics().horizontalAdvance(text); }

// The width `w` needs for its text whole, by the style's own margins; 0 for
// a widget without a text checked here.
int Needs(const QWidget& w) {
    QStyle& style = *w.style();
    if (const auto* label = qobject_cast<const QLabel*>(&w))
        return label->text().isEmpty() || label->wordWrap() ? 0 : Advance(w, label->text()) + w.width() - w.contentsRect().width();
    if (qobject_cast<const QCheckBox*>(&w)) return w.sizeHint().width();
    if (const auto* button = qobject_cast<const QPushButton*>(&w)) {
        QStyleOptionButton option;  // without the style's least width for a button with text
        option.initFrom(button);
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return button->text().isEmpty() ? 0 : style.sizeFromContents(QStyle::CT_PushButton, &option, {Advance(w, button->text()) + icon, 0}, &w).width();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&w))
        return edit->echoMode() != QLineEdit::Normal || edit->text().isEmpty() ? 0 : Advance(w, edit->text()) + 4 + 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth);
    if (const auto* combo = qobject_cast<const QComboBox*>(&w)) {
        QStyleOptionComboBox option;  // the text is drawn a pixel inside the edit field
        option.initFrom(combo);
        const QRect field = style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &w);
        return Advance(w, combo->currentText()) + 2 + w.width() - field.width();
    }
    return 0;
}

// The texts `window` shows cut, each naming its widget.
std::vector<std::string> CutTexts(const QWidget& window) {
    std::vector<std::string> cut;
    const auto check = [&cut](const QWidget& w, const QString& text, int needs, int has) {
        if (needs > has) cut.push_back(w.objectName().toStdString() + " «" + text.toStdString() + "» " + std::to_string(needs) + " > " + std::to_string(has));
    };
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window)) continue;
        const QString text = qobject_cast<const QComboBox*>(w) ? w->property("currentText").toString() : w->property("text").toString();
        check(*w, text, Needs(*w), w->width());
        // Sticking out of its parent it is cut by it (a scroll area's content scrolls).
        if (const QWidget* parent = w->parentWidget(); Needs(*w) && !qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()))
            check(*w, text + " in its parent", w->geometry().right() + 1, parent->width());
        if (const auto* label = qobject_cast<const QLabel*>(w); label && label->wordWrap())
            check(*w, text, label->heightForWidth(label->contentsRect().width()), label->height());
        if (const auto* bar = qobject_cast<const QTabBar*>(w))
            for (int i = 0; i < bar->count(); ++i)
                check(*w, bar->tabText(i), Advance(*w, bar->tabText(i)) + w->style()->pixelMetric(QStyle::PM_TabBarTabHSpace),
                      std::min(bar->tabRect(i).width(), w->width() - bar->tabRect(i).left()));
        // A column title with room for a sort marker, and the column's texts.
        if (const auto* grid = qobject_cast<const grid::TMDBGrid*>(w))
            for (int i = 0; i < grid->Columns().Count(); ++i) {
                const grid::TDBGColumn& column = grid->Columns()[i];
                const QString title = QString::fromStdString(column.Title().Caption());
                check(*w, title, QFontMetrics(column.Title().Font()).horizontalAdvance(title) + 4 + 16, column.Width());
                const auto* table = dynamic_cast<const data::TXMLTable*>(grid->DataSource()->DataSet());
                for (int row = 0; table && row < table->RecordCount(); ++row) {
                    const QString cell = QString::fromStdString(data::TXMLTable::NodeText(table->RecordNode(row), column.FieldName()));
                    check(*w, cell, QFontMetrics(column.Font()).horizontalAdvance(cell) + 6, column.Width());
                }
            }
    }
    return cut;
}

void ExpectWhole(const QWidget& window, const std::string& what) {
    QCoreApplication::processEvents();
    EXPECT_EQ(CutTexts(window), std::vector<std::string>{}) << what;
}

} // namespace

// Every window and page, at its opening size and the main window at its
// smallest, shows its labels, buttons, check boxes, tabs, fields and column
// titles whole with the desktop font; showing the found list does not widen
// the tree pane; status panel 1 names the proxy once one is saved.
TEST_F(MainWindowTest, EveryWindowAndPageShowsItsTextsWhole) {
    dm->Settings().SetRegion("Москва и Московская область");
    dm->Settings().SetId_Region("3159_4312");
    for (const char* area : {"Санкт-Петербург", "Москва и Московская область"})
        dm->Friends().AddFriend("Мария-Александра", "m", "http://site.example/m", area, 25, 1, 0, 3, 0, 0, "");
    dm->Friends().Save();
    app::TfrmMain& w = Open();
    app::TfrmConditions& conditions = *w.ConditionsForm();
    const int treeWidth = w.pnTree->width();
    for (const bool smallest : {false, true}) {
        const auto whole = [&](const std::string& page) {
            if (smallest) w.resize(200, 150);
            ExpectWhole(w, page + (smallest ? " at the smallest size" : " at the opening size"));
        };
        w.acFavoritesExecute();
        app::TfrmFavourites& favourites = *w.Docking().DockedAs<app::TfrmFavourites>(w.pnForm);
        whole("favourites table");
        favourites.pcFavorites->setCurrentWidget(favourites.tsFavotiteQueues);
        favourites.PersonList()->ShowPage(0);
        conditions.pcLeft->setCurrentWidget(conditions.tsExSearch);
        whole("cards");
        w.acSettingsExecute();
        app::TfrmSettings& settings = *w.SettingsForm();
        settings.edServer->setText("localhost:8080");
        conditions.pcLeft->setCurrentWidget(conditions.tsLoadedFriends);
        whole("settings");
        if (!smallest) {
            EXPECT_EQ(w.pnTree->width(), treeWidth) << "the found list's buttons fit the tree pane";
        }
        settings.pcSettings->setCurrentWidget(settings.tsProxy);
        for (QCheckBox* box : {settings.ProxyPage()->chbUseProxy, settings.ProxyPage()->chbAuthorization})
            if (!box->isChecked()) box->click();
        settings.ProxyPage()->edProxyServer->setText("10.0.0.5");
        settings.btnSave->click();
        EXPECT_EQ(w.StatusText(1), "Доступ в Интернет через прокси");
        whole("proxy");
    }
    EXPECT_EQ(w.size(), w.minimumSize());

    app::TAboutBox about(&w);
    app::TfrmRange range(&w);
    range.SetMax(99999);
    app::TfrmAge age(&w);
    app::TfrmName name(&w);
    app::TfrmCarModel car(dm->CarGroup(), &w);
    dm->CarGroup().AddCar("2", "Hyundai", "", "Centennial");
    car.SetMake(0);
    using platform::TMsgDlgBtn, platform::TMsgDlgType;
    const std::unique_ptr<QWidget> boxes[] = {
        app::dlgMessages.MessageDialog("Поиск завершен. Время выполнения: 0:0:122", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}),
        app::dlgMessages.MessageDialog("Вы действительно желаете завершить работу с программой?", TMsgDlgType::mtInformation,
                                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}),
        app::dlgMessagesEx.CreateMessageDialogEx("Удалить контакт \"Мария-Александра\"?", TMsgDlgType::mtConfirmation,
                                                 {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo})};
    std::vector<QWidget*> dialogs = {&about, &range, &age, &name, &car};
    for (const auto& box : boxes) dialogs.push_back(box.get());
    for (QWidget* dialog : dialogs) {
        dialog->show();
        ExpectWhole(*dialog, dialog->windowTitle().toStdString());
    }
}

// The main window and the about box open centred, message boxes over the
// main window.
TEST_F(MainWindowTest, WindowsOpenCentredAndBoxesOverTheMainWindow) {
    app::TfrmMain& w = Open();
    // The middle placed before the window system adds its frame: off by at most the frame.
    const auto near = [](const QWidget& shown, QPoint middle) {
        const QPoint off = shown.frameGeometry().center() - middle;
        const int frame = shown.geometry().x() - shown.frameGeometry().x() + 1;
        return std::abs(off.x()) <= frame && std::abs(off.y()) <= frame;
    };
    const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_TRUE(near(w, screen)) << w.x() << "," << w.y();
    w.move(0, 0);
    app::TAboutBox about(&w);
    about.show();
    EXPECT_TRUE(near(about, screen)) << "on the screen's middle, not over the window";
    about.hide();
    bool overTheWindow = false;
    {
        testsupport::ModalAction close([&](QWidget& box) {
            overTheWindow = near(box, w.frameGeometry().center());
            box.close();
        });
        app::dlgMessages.ShowInfoMessage("Не задано имя сервера");
    }
    EXPECT_TRUE(overTheWindow);
}

// The actions of each search state with either page docked; the menu's own
// "Настройки" entry and the settings page's save button follow.
TEST_F(MainWindowTest, MenusAndToolBarFollowTheSearchState) {
    site.SetDelay(500ms);
    dm->Settings().SetFinderServer(site.Host());
    dm->Settings().SetPageCount(3);
    app::TfrmMain& w = Open();
    app::TfrmConditions& conditions = *w.ConditionsForm();
    QAction* const actions[] = {w.acStartSearch, w.acSettings, w.acStopSearch, w.acSuspendSearch, w.acResumeSearch};
    QAction* settingsEntry = nullptr;
    for (QAction* entry : w.ActionMainMenuBar->actions())
        if (entry->text() == "Настройки") settingsEntry = entry;
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[] {}, "11000"},                                      // idle
        {[&] { w.acStartSearch->Execute(); }, "00110"},        // running
        {[&] { w.acSuspendSearch->Execute(); }, "00101"},      // paused
        {[&] { w.acResumeSearch->Execute(); }, "00110"},       // running again
        {[&] { w.acStopSearch->Execute(); }, "01000"},         // stopped, the found list shown
        {[&] { conditions.pcLeft->setCurrentWidget(conditions.tsSearch); }, "11000"}};
    for (const bool settingsDocked : {true, false}) {
        if (settingsDocked) w.acSettingsExecute();
        else w.acFavoritesExecute();
        for (const auto& [enter, expected] : steps) {
            enter();
            std::string states;
            for (QAction* action : actions) states += action->isEnabled() ? '1' : '0';
            EXPECT_EQ(states, expected) << (settingsDocked ? "settings docked" : "favourites docked");
            EXPECT_EQ(settingsEntry->isEnabled(), w.acSettings->isEnabled());
            if (settingsDocked) {
                EXPECT_EQ(w.SettingsForm()->btnSave->isEnabled(), w.acSettings->isEnabled());
            }
        }
    }
}

// Where something goes wrong: every failure is told in Russian with its
// cause, and no hit, favourite or choice is lost on the way.
namespace {
class FailureReporting : public MainWindowTest {};
} // namespace

TEST_F(FailureReporting, StartSaysWhyItCannotSearchAndKeepsPurposesTheTreeCannotShow) {
    app::TfrmMain& w = Open(); // a fresh install: the placeholder server, no pages
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
    app::TfrmMain& w = OpenSaved(2, {"anna", "boris", "clara"});
    std::optional<WritesFail> readOnly;
    ASSERT_TRUE(Search([&] { readOnly.emplace(); }));

    // The failed save told as the first hits failed, not again with the end;
    // the hits stay listed.
    const std::string found = (dir / "LoadedFriends.xml").string();
    EXPECT_TRUE(Last().starts_with("Поиск завершен.") && !Told("не записан")) << Last();
    EXPECT_NE(messages.Texts().end()[-2].find("Файл «" + found + "» не записан: файл слишком велик (EFBIG)"), std::string::npos);
    app::TfrmConditions& conditions = *w.ConditionsForm();
    EXPECT_EQ(conditions.lbxLoad->count(), 20);
    EXPECT_EQ(w.StatusText(0), "Найдено всего 20, новых 20");
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
    // Leaving would lose the hits: the user is asked, once, also when the
    // close stops a search.
    readOnly.reset(); // a search starts only with its settings written
    conditions.pcLeft->setCurrentIndex(0);
    w.acStartSearch->Execute();
    ASSERT_FALSE(Idle()) << Last();
    readOnly.emplace();
    const size_t before = messages.Texts().size();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(messages.Texts().size(), before + 2) << "the close question, then the one about the hits";
    EXPECT_TRUE(Told("Если выйти сейчас, они будут потеряны.")) << Last();
    EXPECT_EQ(messages.Calls().back().buttons.Default(), platform::TMsgDlgBtn::mbNo) << "Enter keeps the program open";

    // Once the disk takes writes again, the next save keeps all of it.
    readOnly.reset();
    favourites->btnDelete->click();
    EXPECT_EQ(favourites->lbCount->text(), "2");
    ASSERT_TRUE(Search());
    EXPECT_NE(ReadFile(found).find("<Login>m12</Login>"), std::string::npos);
}

// A favourite named with 200 MB (a file written by hand): the program
// starts and shows it cut on both pages, and the file keeps it whole.
TEST_F(FailureReporting, AHugeFieldInTheFavouritesIsShownCut) {
    dm->Friends().Open();
    dm->Friends().AddFriend(std::string(200'000'000, 'w'), "big", "http://x.example/big", "Москва", 30, 0, 0, 0, 0, 0, "");
    app::TfrmMain& w = OpenSaved(1, {"anna"});
    auto* favourites = w.pnForm->findChild<app::TfrmFavourites*>();
    ASSERT_NE(favourites, nullptr);
    for (int page = 0; page < favourites->pcFavorites->count(); ++page) {
        favourites->pcFavorites->setCurrentIndex(page);
        EXPECT_FALSE(w.grab().isNull());
    }
    app::TChatPerson& card = *favourites->PersonList()->Person(0);
    card.SetChatPersonStyle(app::TChatPersonStyle::cpFull);
    EXPECT_FALSE(card.grab().isNull());
    EXPECT_LE(card.InfoText().size(), 4 * text::kDisplayCodePoints);
    EXPECT_TRUE(card.InfoText().ends_with("…, 30, Москва"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Friends.xml") / 1'000'000, 200u);
}

TEST_F(FailureReporting, DamagedTableFilesAreSetAsideOnceAndStartWorks) {
    const std::string friends = "<Friends><Friend><Name>Анна", found = "<Friends><Friend></Name>";
    WriteFile(dir / "Friends.xml", friends);
    WriteFile(dir / "LoadedFriends.xml", found);
    dm.reset();
    dm = std::make_unique<data::TdmFriend>();
    app::TfrmMain& w = Open();
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

// That an unreachable server is named is the engine's own (EngineStateTest);
// here the proxy the settings page saved.
TEST_F(FailureReporting, NetworkFailuresNameTheProxy) {
    Open();
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
    EXPECT_EQ(Last(), "Прокси-сервер 127.0.0.1:1 недоступен: не удаётся установить соединение (код libcurl 7)"
                      " — и на главную страницу, и на страницу результатов");
    EXPECT_EQ(site.RequestCount(), 0u);
}

TEST_F(FailureReporting, FoundListButtonsActOrSayWhyAndShowNamesAsWritten) {
    app::TfrmMain& w = Open(); // the settings page stays docked
    SaveServer(site.Host(), "2");
    ASSERT_TRUE(Search());
    app::TfrmConditions& conditions = *w.ConditionsForm();
    conditions.lbxLoad->clearSelection();
    conditions.btnAddToFavorites->setEnabled(true);
    conditions.btnAddToFavorites->click();
    EXPECT_EQ(Last(), "Выберите в списке анкету, которую нужно добавить в избранные.");
    conditions.lbxLoad->setCurrentItem(conditions.lbxLoad->findItems("<b>Ann & Co</b>, 22", Qt::MatchStartsWith).value(0));
    conditions.btnAddToFavorites->click();
    EXPECT_NE(ReadFile(dir / "Friends.xml").find("<Login>m2</Login>"), std::string::npos);
    EXPECT_EQ(w.StatusText(0), "<b>Ann & Co</b> добавлен(а) в избранные.");
    for (const QLabel* label : w.StatusBar->findChildren<QLabel*>()) EXPECT_EQ(label->textFormat(), Qt::PlainText);

    // A list out of step with the found table is shown anew, and said so.
    w.Engine().FoundFriends().AddFriend("Новая", "new", "http://x.example/new", "", 40, 0, 0, 0, 0, 0, "");
    conditions.btnDelete->click();
    EXPECT_TRUE(Last().starts_with("Список найденных анкет изменился")) << Last();
    EXPECT_EQ(conditions.lbxLoad->count(), 21);

    // The card shows the name as it is written.
    w.acFavoritesExecute();
    auto* favourites = w.pnForm->findChild<app::TfrmFavourites*>();
    favourites->pcFavorites->setCurrentWidget(favourites->tsFavotiteQueues);
    app::TChatPerson& card = *favourites->PersonList()->Person(0);
    QTest::mouseClick(card.imgShortInfo, Qt::LeftButton);
    ASSERT_EQ(card.ChatPersonStyle(), app::TChatPersonStyle::cpFull);
    for (const QLabel* label : {card.lbPersonName1, card.lbPersonName2}) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_TRUE(label->text().startsWith("<b>Ann & Co</b>")) << label->text().toStdString();
    }
}
