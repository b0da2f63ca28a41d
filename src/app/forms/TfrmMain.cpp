#include "app/forms/TfrmMain.h"

#include "app/forms/MainWindowPictures.h"
#include "app/forms/FormGuards.h"
#include "app/forms/TAboutBox.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmFavourites.h"
#include "app/forms/TfrmSettings.h"
#include "app/forms/WindowPlacement.h"
#include "data/ExportToHTML.h"
#include "data/DefaultServer.h"
#include "data/TCustomParams.h"
#include "data/TableRecovery.h"
#include "data/TdmFriend.h"
#include "platform/HostName.h"
#include "platform/MessageRoutines.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>
#include <utility>
#include <vector>

namespace app {

namespace {

// The original's 673 x 534 was laid out for an 8-point font; the desktop's
// larger default font needs more room for the pages to show whole. A
// smaller screen gets its available area (the pages scroll there).
constexpr QSize kOpeningSize(1260, 700);
// The conditions tree's share of that; more when its tabs or buttons need it.
constexpr int kTreeWidth = 380;
constexpr int kSplitterWidth = 4;
constexpr int kMinimumLines = 28;
// Room a status panel's frame and margins take beside its text.
constexpr int kStatusPanelPadding = 16;
const QString kProxyAccess = QStringLiteral("Доступ в Интернет через прокси");
const QString kDirectAccess = QStringLiteral("Прямой доступ в Интернет");

// Alt alone gives the menu bar the keys, but the desktop's style shows the
// title the keys are on only while its menu is open: nothing would tell the
// user that Alt did anything. That title is drawn as if pressed.
class TMenuBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && widget && widget->hasFocus() && (item->state & State_Selected)) {
            QStyleOptionMenuItem keyed(*item);
            keyed.state |= State_Sunken;
            QProxyStyle::drawControl(element, &keyed, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

std::function<bool(const QUrl& url)> TfrmMain::OpenUrl = [](const QUrl& url) {
    return QDesktopServices::openUrl(url);
};

TfrmMain::TfrmMain(QWidget* owner) : platform::TForm(owner), m_engine(std::make_unique<search::TVelmora>()) {
    setObjectName("frmMain");
    setWindowTitle("Velmora");
    setWindowIcon(ProgramIconPicture());
    resize(kOpeningSize);
    CreateActions();
    CreateLayout();
    CreateMenus();
    m_docking = std::make_unique<TDockedForms>(*this, splMain);

    // FormCreate.
    m_engine->OnProgress = [this](search::TFinderStateObject& sender) { FinderProgress(sender); };
    m_engine->OnStop = [this](search::TFinderStateObject&) { FinderStopped(); };
    m_engine->OnHitFound = [this](search::TFinderStateObject&) { UpdateFoundStatus(); };
    m_engine->SetFoundFriendsFile((platform::ProgramDir() / "LoadedFriends.xml").string());
    data::TdmFriend& dm = data::dmFriend();
    SetProgressMax(dm.Settings().PageCount());
    UpdateConnectionStatus();
    m_startupMessages = dm.StartupWarnings();
    const data::TRecoveredLoad favourites = data::LoadSettingDamagedAside(
        dm.Friends(), dm.Friends().FilePath(), "список избранных", [&dm] { dm.Friends().Load(); });
    if (!favourites.Message.empty()) m_startupMessages.push_back(favourites.Message);
    ShowConditionsTree();
    if (dm.FirstRun()) acSettingsExecute();
    else acFavoritesExecute();
    PlaceOnScreen();
    // Told once the window is up; the program goes on with what it has.
    if (!m_startupMessages.empty())
        QTimer::singleShot(0, this, [this] {
            const std::vector<std::string> messages = std::exchange(m_startupMessages, {});
            for (const std::string& message : messages) platform::ShowInfoMessage(message);
        });
}

void TfrmMain::PlaceOnScreen() {
    // The tree keeps the width it opens with whichever of its pages is
    // shown, so it opens as wide as the widest of them needs.
    auto* splitter = static_cast<QSplitter*>(splMain->parentWidget());
    const int tree = std::max(kTreeWidth, pnTree->minimumSizeHint().width());
    resize(size().expandedTo(minimumSizeHint()));
    CentreOnScreen(*this);
    splitter->setSizes({tree, std::max(0, width() - tree - kSplitterWidth)});
}

TfrmMain::~TfrmMain() {
    // The docked forms reach the engine: they go first.
    if (TfrmConditions* conditions = ConditionsForm()) conditions->SetEngine(nullptr);
    if (TfrmSettings* settings = SettingsForm()) settings->SetEngine(nullptr);
    m_engine->OnProgress = nullptr;
    m_engine->OnStop = nullptr;
    m_engine->OnHitFound = nullptr;
}

void TfrmMain::CreateActions() {
    ActionList = new platform::TActionList(this);
    ActionList->setObjectName("ActionList");
    FillMainWindowPictures(ActionList->Images());
    auto add = [this](const char* name, const char* caption, const char* hint, int image,
                      void (TfrmMain::*handler)()) {
        platform::TAction* action = ActionList->Add(name, caption, hint, image);
        if (handler) action->OnExecute = [this, handler](platform::TAction*) { Guarded([&] { (this->*handler)(); }); };
        return action;
    };
    acSettings = add("acSettings", "Настройки", "Настройки", 1, &TfrmMain::acSettingsExecute);
    acAbout = add("acAbout", "О программе", "О программе", 0, &TfrmMain::acAboutExecute);
    acExit = add("acExit", "Выход", "Выход", 4, nullptr);
    acExit->OnExecute = [this](platform::TAction*) { close(); };
    acFiles = add("acFiles", "Файл", "Файл", -1, nullptr);
    acFavorites = add("acFavorites", "Избранные", "Избранные", 6, &TfrmMain::acFavoritesExecute);
    acHelp = add("acHelp", "Справка", "Справка", -1, nullptr);
    acAdition = add("acAdition", "Дополнительно", "Дополнительно", -1, nullptr);
    acAdition->setVisible(false);
    acStartSearch = add("acStartSearch", "Старт", "Начать поиск", 2, &TfrmMain::acStartSearchExecute);
    acStopSearch = add("acStopSearch", "Стоп", "Остановить поиск", 5, &TfrmMain::acStopSearchExecute);
    acSuspendSearch = add("acSuspendSearch", "Пауза",
                          "Сделать паузу в поиске для просмотра промежуточных результатов", 3,
                          &TfrmMain::acSuspendSearchExecute);
    acResumeSearch = add("acResumeSearch", "Продолж.", "Продолжить поиск после паузы", 4,
                         &TfrmMain::acResumeSearchExecute);
    acClearLoaded = add("acClearLoaded", "acClearLoaded", "", -1, nullptr);
    acLoadedFriends = add("acLoadedFriends", "Найденные", "", -1, nullptr);
    acFriends = add("acFriends", "Избранные", "", -1, nullptr);
    acShowLoadedFriends = add("acShowLoadedFriends", "Показать", "", -1, &TfrmMain::acShowLoadedFriendsExecute);
    acBrowseLoadedFriends = add("acBrowseLoadedFriends", "Открыть в браузере", "", -1,
                                &TfrmMain::acBrowseLoadedFriendsExecute);
    acBrowseFavorites = add("acBrowseFavorites", "Открыть в браузере", "", -1,
                            &TfrmMain::acBrowseFavoritesExecute);
    SetIdleActions();
}

void TfrmMain::CreateLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ActionMainMenuBar = new QMenuBar(this);
    ActionMainMenuBar->setObjectName("ActionMainMenuBar");
    ActionMainMenuBar->setMaximumHeight(30);
    auto* menuStyle = new TMenuBarStyle(QStyleFactory::create(QApplication::style()->name()));
    menuStyle->setParent(ActionMainMenuBar);
    ActionMainMenuBar->setStyle(menuStyle);
    layout->addWidget(ActionMainMenuBar);
    // F10 opens the first menu, as on the desktops.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, ActionMainMenuBar, [this] {
        if (!ActionMainMenuBar->actions().isEmpty()) ActionMainMenuBar->setActiveAction(ActionMainMenuBar->actions().first());
    });

    ActionToolBar = new QToolBar(this);
    ActionToolBar->setObjectName("ActionToolBar");
    ActionToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ActionToolBar->setIconSize(QSize(16, 16));
    ActionToolBar->setMaximumHeight(30);
    for (QAction* action : {acStartSearch, acStopSearch, acSuspendSearch, acResumeSearch, acFavorites, acSettings,
                            acAbout})
        ActionToolBar->addAction(action);
    layout->addWidget(ActionToolBar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(kSplitterWidth);
    pnTree = new platform::TPanel(splitter);
    pnTree->setObjectName("pnTree");
    pnForm = new platform::TPanel(splitter);
    pnForm->setObjectName("pnForm");
    splitter->addWidget(pnTree);
    splitter->addWidget(pnForm);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kTreeWidth, kOpeningSize.width() - kTreeWidth - kSplitterWidth});
    // Lower than some 28 lines the tree and the pages, though every control
    // still fits, show too little to be used (the width follows the pages).
    pnTree->setMinimumHeight(kMinimumLines * QFontMetrics(font()).height());
    splMain = splitter->handle(1);
    splMain->setObjectName("splMain");
    layout->addWidget(splitter, 1);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setFixedHeight(16);
    ProgressBar->setTextVisible(false);
    SetProgressMax(0);
    layout->addWidget(ProgressBar);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(true);
    // Panel 0 takes whatever width panel 1 (fixed) leaves, as the window is
    // resized.
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(StatusBar);
        // Names from the site appear here: never read as markup.
        m_statusPanels[i]->setTextFormat(Qt::PlainText);
        m_statusPanels[i]->setFrameShape(QFrame::StyledPanel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
    }
    m_statusPanels[0]->setMinimumWidth(0);
    m_statusPanels[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar->addWidget(m_statusPanels[0], 1);
    // Panel 1 is as wide as the longer of its two texts needs.
    const QFontMetrics panelMetrics(m_statusPanels[1]->font());
    m_statusPanels[1]->setFixedWidth(std::max(panelMetrics.horizontalAdvance(kProxyAccess),
                                              panelMetrics.horizontalAdvance(kDirectAccess)) +
                                     kStatusPanelPadding);
    StatusBar->addPermanentWidget(m_statusPanels[1]);
    layout->addWidget(StatusBar);
}

void TfrmMain::CreateMenus() {
    // Menu items show no pictures.
    auto item = [](QMenu* menu, QAction* action, const QString& caption = {}) {
        auto* shown = new QAction(caption.isEmpty() ? action->text() : caption, menu);
        shown->setIconVisibleInMenu(false);
        shown->setEnabled(action->isEnabled());
        shown->setVisible(action->isVisible());
        QObject::connect(action, &QAction::changed, shown, [shown, action] {
            shown->setEnabled(action->isEnabled());
            shown->setVisible(action->isVisible());
        });
        QObject::connect(shown, &QAction::triggered, action, [action] { static_cast<platform::TAction*>(action)->Execute(); });
        menu->addAction(shown);
    };
    QMenu* files = ActionMainMenuBar->addMenu(acFiles->text());
    QMenu* loaded = files->addMenu(acLoadedFriends->text());
    item(loaded, acShowLoadedFriends);
    item(loaded, acBrowseLoadedFriends);
    QMenu* friends = files->addMenu(acFriends->text());
    item(friends, acFavorites, "Показать");
    item(friends, acBrowseFavorites);
    item(files, acExit);
    auto top = [this](QAction* action) {
        auto* shown = ActionMainMenuBar->addAction(action->text());
        shown->setVisible(action->isVisible());
        connect(shown, &QAction::triggered, action, [action] { static_cast<platform::TAction*>(action)->Execute(); });
        connect(action, &QAction::changed, shown, [shown, action] {
            shown->setEnabled(action->isEnabled());
            shown->setVisible(action->isVisible());
        });
    };
    top(acFavorites);
    top(acSettings);
    top(acAdition);
    QMenu* help = ActionMainMenuBar->addMenu(acHelp->text());
    item(help, acAbout);

    // The tool bar's context menu: two entries without handlers.
    ActionToolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(this);
    popup->setObjectName("ActionBarPopupMenu");
    popup->addAction("Основное меню");
    QAction* toolBarEntry = popup->addAction("Панель инструментов");
    toolBarEntry->setCheckable(true);
    toolBarEntry->setChecked(true);
    connect(ActionToolBar, &QWidget::customContextMenuRequested, popup,
            [this, popup](const QPoint& pos) { popup->popup(ActionToolBar->mapToGlobal(pos)); });
}

// --- docking ----------------------------------------------------------------

TfrmConditions* TfrmMain::ConditionsForm() const { return m_docking->DockedAs<TfrmConditions>(pnTree); }
TfrmSettings* TfrmMain::SettingsForm() const { return m_docking->DockedAs<TfrmSettings>(pnForm); }

void TfrmMain::ShowConditionsTree() {
    if (ConditionsForm()) return;
    auto* form = dynamic_cast<TfrmConditions*>(m_docking->ShowDockedForm(pnTree, "TfrmConditions"));
    m_conditions = form;
    if (!form) return;
    form->SetEngine(m_engine.get());
    form->OnBeforeSaveFavourites = [this](QObject*) { DetachFavouritesData(); };
    form->OnAfterSaveFavourites = [this](QObject*) { RefreshFavouritesForm(); };
    form->OnLoadedChanged = [this](QObject*) { ResetNewCount(); };
    form->OnAddToFavourites = [this](QObject* sender) { AddToFavourites(sender); };
    // The settings page shows what the tree changed last of what both show.
    form->OnTreeChoiceChanged = [this](const data::TFinderParams& choice, const std::vector<std::string>& changed) {
        if (TfrmSettings* settings = SettingsForm()) settings->ShowTreeChoice(choice, changed);
    };
    if (const data::TRecoveredLoad found = LoadFoundFriendsRecovering(); !found.Message.empty())
        m_startupMessages.push_back(found.Message);
    form->SetFoundBaseline(m_engine->FoundFriends().RecordCount());
    form->FillLoadedList();
    UpdateFoundStatus();
}

void TfrmMain::acSettingsExecute() {
    if (SettingsForm()) return;
    auto* form = dynamic_cast<TfrmSettings*>(m_docking->ShowDockedForm(pnForm, "TfrmSettings"));
    if (!form) return;
    form->SetEngine(m_engine.get());
    form->OnSave = [this](TfrmSettings&) { SettingsApplied(); };
    form->OnStoring = [this](data::TTesselSettings& settings) { TakeTreeChoices(settings); };
    // The page is built from the settings; what the tree changed since is newer.
    if (TfrmConditions* conditions = ConditionsForm()) {
        data::TFinderParams choice;
        const std::vector<std::string> changed = conditions->TreeChoicesSinceBuilt(choice);
        if (!changed.empty()) form->ShowTreeChoice(choice, changed);
    }
}

// "Сохранить" keeps what the user chose in the trees and has not started a
// search with: those choices go into the settings before the page's own
// values (which show the tree's last change of what both show), so that the
// trees rebuilt from the settings show them again.
void TfrmMain::TakeTreeChoices(data::TTesselSettings& settings) {
    TfrmConditions* conditions = ConditionsForm();
    if (!conditions) return;
    const std::vector<std::string> changed = conditions->TreeChoicesSinceBuilt(settings);
    // A car model chosen in the tree lives in the car table.
    if (std::find(changed.begin(), changed.end(), "car") != changed.end()) data::dmFriend().CarGroup().SaveToRegistry();
}

void TfrmMain::acFavoritesExecute() {
    if (m_docking->DockedAs<TfrmFavourites>(pnForm)) return;
    m_docking->ShowDockedForm(pnForm, "TfrmFavourites");
}

// The favourites page, when it is docked, follows changes made to the
// favourites from the conditions form.
void TfrmMain::DetachFavouritesData() {
    if (auto* page = m_docking->DockedAs<TfrmFavourites>(pnForm)) page->DetachData();
}

void TfrmMain::RefreshFavouritesForm() {
    if (auto* page = m_docking->DockedAs<TfrmFavourites>(pnForm)) page->RefreshFavourites();
}

// The favourites are the data module's whichever page is docked; the
// favourites page, when it is, follows.
void TfrmMain::AddToFavourites(QObject* sender) {
    if (!qobject_cast<QListWidget*>(sender)) return;
    data::TFriend& found = m_engine->FoundFriends();
    data::TFriend& friends = data::dmFriend().Friends();
    const std::string name = found.GetFieldValue("Name");
    if (friends.FindByURL(found.GetFieldValue("URL"))) {
        platform::ShowInfoMessage(name + " уже в избранных.");
        return;
    }
    DetachFavouritesData();
    const int count = friends.RecordCount();
    friends.AddFromCurrent(found);
    try {
        friends.SaveAppended(count);
    } catch (const std::exception& e) {
        RefreshFavouritesForm();
        platform::ShowInfoMessage(name + " не добавлен(а) в избранные. " + e.what() + ".");
        return;
    }
    RefreshFavouritesForm();
    m_statusPanels[0]->setText(QString::fromStdString(name + " добавлен(а) в избранные."));
}

// --- search -----------------------------------------------------------------

void TfrmMain::SetIdleActions() {
    acSettings->setEnabled(true);
    acStartSearch->setEnabled(true);
    acSuspendSearch->setEnabled(false);
    acStopSearch->setEnabled(false);
    acResumeSearch->setEnabled(false);
}

void TfrmMain::acStartSearchExecute() {
    data::TdmFriend& dm = data::dmFriend();
    if (dm.Settings().FinderServer().empty()) {
        platform::ShowInfoMessage("Не задано имя сервера");
        return;
    }
    if (const std::string problem = StartProblem(); !problem.empty()) {
        platform::ShowInfoMessage(problem);
        return;
    }
    TfrmConditions* conditions = ConditionsForm();
    if (conditions) conditions->LockLoadedButtons(true);
    if (TfrmSettings* settings = SettingsForm()) settings->LockSaveControls(true);
    acSettings->setEnabled(false);
    acStartSearch->setEnabled(false);
    acStopSearch->setEnabled(true);
    acSuspendSearch->setEnabled(true);
    try {
        if (conditions) conditions->StartSearch();
        data::CopyProperties(dm.Settings(), m_engine->Params());
        dm.Settings().Save();
        dm.CarGroup().SaveToRegistry();
        // StartProblem has read the found table afresh.
        if (conditions) conditions->SetFoundBaseline(m_engine->FoundFriends().RecordCount());
        SetProgressMax(dm.Settings().PageCount());
        m_engine->Start();
    } catch (...) {
        // Nothing was started: back to idle before the error is shown.
        FinderStopped();
        throw;
    }
}

// A search that cannot find anything is not started: the user is told
// what to set instead of getting an empty result.
std::string TfrmMain::StartProblem() {
    data::TdmFriend& dm = data::dmFriend();
    const std::string& server = dm.Settings().FinderServer();
    if (server == data::DefaultServerHost)
        return "Сервер для поиска не выбран: «" + server +
               "» — только образец имени. Откройте «Настройки», введите адрес сайта в поле «Сервер», "
               "добавьте его в список, отметьте и нажмите «Сохранить».";
    if (const std::string problem = platform::ServerAddressProblem(server); !problem.empty())
        return problem + " Исправьте его в «Настройках».";
    if (dm.Settings().PageCount() <= 0)
        return "Не задано, сколько страниц просматривать: в «Настройках» укажите в поле «Листать ... страниц» "
               "число больше 0 и нажмите «Сохранить».";
    // The hits go to the found list's file: a damaged one is set aside now,
    // one that can be neither read nor set aside would lose them.
    const data::TRecoveredLoad found = LoadFoundFriendsRecovering();
    if (!found.Message.empty()) platform::ShowInfoMessage(found.Message);
    if (!found.Usable) return "Поиск не начат: найденные анкеты некуда сохранить.";
    return {};
}

data::TRecoveredLoad TfrmMain::LoadFoundFriendsRecovering() {
    return data::LoadSettingDamagedAside(m_engine->FoundFriends(), m_engine->FoundFriendsFile(),
                                         "список найденных анкет", [this] { m_engine->LoadFoundFriends(); });
}

void TfrmMain::acStopSearchExecute() {
    m_engine->Stop();
    ProgressBar->setValue(0);
}

void TfrmMain::acSuspendSearchExecute() {
    acSuspendSearch->setEnabled(false);
    acResumeSearch->setEnabled(true);
    m_engine->Suspend();
    if (TfrmConditions* conditions = ConditionsForm()) conditions->RefreshLoadedList();
}

void TfrmMain::acResumeSearchExecute() {
    acSuspendSearch->setEnabled(true);
    acResumeSearch->setEnabled(false);
    m_engine->Resume();
}

void TfrmMain::acShowLoadedFriendsExecute() {
    if (TfrmConditions* conditions = ConditionsForm()) conditions->RefreshLoadedList();
}

std::string TfrmMain::ExportFileName() { return (platform::ProgramDir() / "~tmp.html").string(); }

void TfrmMain::BrowseExport(const std::function<void(const std::string&)>& exportTo) {
    const std::string path = ExportFileName();
    exportTo(path);
    if (!OpenUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        platform::ShowInfoMessage("Не удалось открыть " + path + " в браузере.");
}

void TfrmMain::acBrowseLoadedFriendsExecute() {
    BrowseExport([this](const std::string& path) { m_engine->ExportFoundToHtml(path); });
}

void TfrmMain::acBrowseFavoritesExecute() {
    BrowseExport([](const std::string& path) { data::ExportToHTML(data::dmFriend().Friends(), path); });
}

void TfrmMain::acAboutExecute() {
    TAboutBox box(this);
    box.exec();
}

// A range of 0 would make Qt's bar an endless "busy" animation; an empty
// bar is what nothing to do looks like.
void TfrmMain::SetProgressMax(int max) {
    ProgressBar->setRange(0, std::max(1, max));
}

void TfrmMain::FinderProgress(search::TFinderStateObject& sender) {
    SetProgressMax(sender.Max);
    ProgressBar->setValue(std::clamp(sender.Position, 0, ProgressBar->maximum()));
    UpdateFoundStatus();
}

void TfrmMain::FinderStopped() {
    if (TfrmSettings* settings = SettingsForm()) settings->LockSaveControls(false);
    SetIdleActions();
    Guarded([this] { m_engine->LoadFoundFriends(); });
    if (TfrmConditions* conditions = ConditionsForm()) {
        conditions->RefreshLoadedList();
        conditions->LockLoadedButtons(false);
    }
    UpdateFoundStatus();
}

void TfrmMain::SettingsApplied() {
    if (TfrmConditions* conditions = ConditionsForm()) conditions->RebuildActiveTree();
    data::CopyProperties(m_engine->Params(), data::dmFriend().Settings());
    UpdateConnectionStatus();
}

void TfrmMain::ResetNewCount() {
    if (TfrmConditions* conditions = ConditionsForm())
        conditions->SetFoundBaseline(m_engine->FoundFriends().RecordCount());
    UpdateFoundStatus();
}

void TfrmMain::UpdateFoundStatus() {
    const int count = m_engine->FoundFriends().RecordCount();
    const TfrmConditions* conditions = ConditionsForm();
    const int baseline = conditions ? conditions->FoundBaseline() : 0;
    m_statusPanels[0]->setText(QString("Найдено всего %1, новых %2").arg(count).arg(count - baseline));
}

void TfrmMain::UpdateConnectionStatus() {
    m_statusPanels[1]->setText(data::dmFriend().Settings().ProxyParams().UseProxy() ? kProxyAccess : kDirectAccess);
}

QString TfrmMain::StatusText(int panel) const {
    return panel == 0 || panel == 1 ? m_statusPanels[panel]->text() : QString();
}

// --- closing ------------------------------------------------------------------

bool TfrmMain::FormCloseQuery() {
    try {
        return platform::ShowMessageQuery("Вы действительно желаете завершить работу с программой?",
                                          platform::TMsgDlgType::mtInformation,
                                          {platform::TMsgDlgBtn::mbYes, platform::TMsgDlgBtn::mbNo}) ==
               platform::mrYes;
    } catch (const std::exception& e) {
        // The window closes all the same; the user hears why the question failed.
        try {
            platform::ShowInfoMessage(e.what());
        } catch (...) {
        }
        return true;
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // What a search or an area list had to tell while the question stood
    // goes with the program.
    platform::DropPostedMessages();
    // A search still under way is stopped here, which saves its hits: the
    // engine frees nothing to disk on its own. A save that fails is asked
    // about once, below.
    if (acStopSearch->isEnabled()) Guarded([this] { m_engine->StopQuietly(); });
    if (!ConfirmLosingUnsavedHits()) {
        event->ignore();
        return;
    }
    event->accept();
}

// Hits that no save could write go with the program: they are tried once
// more, and the user decides whether to leave without them.
bool TfrmMain::ConfirmLosingUnsavedHits() {
    if (!m_engine->HasUnsavedHits()) return true;
    const std::string failure = m_engine->TrySaveFoundFriends();
    if (failure.empty()) return true;
    try {
        return platform::ShowMessageQuery(failure + "\n\nЕсли выйти сейчас, они будут потеряны. Всё равно выйти?",
                                          platform::TMsgDlgType::mtWarning,
                                          platform::TMsgDlgButtons{platform::TMsgDlgBtn::mbYes, platform::TMsgDlgBtn::mbNo}
                                              .WithDefault(platform::TMsgDlgBtn::mbNo)) == platform::mrYes;
    } catch (const std::exception&) {
        return true; // as the close question: a failure to ask lets the window close
    }
}

// --- action lookup --------------------------------------------------------------

platform::TActionList* FindMainActionList() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != "frmMain") continue;
        if (auto* list = window->findChild<platform::TActionList*>("ActionList", Qt::FindDirectChildrenOnly))
            return list;
    }
    return nullptr;
}

platform::TAction* FindAction(const platform::TActionList* list, std::string_view name) {
    return list ? list->Find(name) : nullptr;
}

} // namespace app
