#pragma once
// The program's one top-level window. It owns the search engine, docks the
// conditions tree on the left and one page (settings or favourites) on the
// right, and turns the engine's progress and stop events into the states of
// its actions and the texts of its progress and status bars.
//
// Search states of the actions:
//   idle     Start, Settings on;  Stop, Pause, Resume off
//   running  Start, Settings off; Stop, Pause on; Resume unchanged
//   paused   Start, Settings off; Stop, Resume on; Pause off

#include "app/forms/TDockedForms.h"
#include "data/TableRecovery.h"
#include "platform/TActionList.h"
#include "platform/TForm.h"
#include "platform/TPanel.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenuBar;
class QProgressBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class QUrl;

namespace data {
class TTesselSettings;
}
namespace search {
struct TFinderStateObject;
class TVelmora;
} // namespace search

namespace app {

class TfrmConditions;
class TfrmSettings;

class TfrmMain : public platform::TForm {
    Q_OBJECT

public:
    // Creates the engine, opens the favourites and docks the conditions tree
    // and the first page. The data module must exist.
    explicit TfrmMain(QWidget* owner = nullptr);
    // Frees the docked forms, then the engine (which saves nothing: closing
    // the window has saved the hits already).
    ~TfrmMain() override;

    platform::TPanel* pnTree = nullptr;
    platform::TPanel* pnForm = nullptr;
    QWidget* splMain = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QStatusBar* StatusBar = nullptr;
    QToolBar* ActionToolBar = nullptr;
    QMenuBar* ActionMainMenuBar = nullptr;
    platform::TActionList* ActionList = nullptr;
    platform::TAction* acAbout = nullptr;
    platform::TAction* acSettings = nullptr;
    platform::TAction* acExit = nullptr;
    platform::TAction* acFiles = nullptr;
    platform::TAction* acFavorites = nullptr;
    platform::TAction* acHelp = nullptr;
    platform::TAction* acAdition = nullptr;
    platform::TAction* acStartSearch = nullptr;
    platform::TAction* acStopSearch = nullptr;
    platform::TAction* acResumeSearch = nullptr;
    platform::TAction* acSuspendSearch = nullptr;
    platform::TAction* acClearLoaded = nullptr;
    platform::TAction* acLoadedFriends = nullptr;
    platform::TAction* acFriends = nullptr;
    platform::TAction* acShowLoadedFriends = nullptr;
    platform::TAction* acBrowseLoadedFriends = nullptr;
    platform::TAction* acBrowseFavorites = nullptr;

    search::TVelmora& Engine() { return *m_engine; }
    TDockedForms& Docking() { return *m_docking; }
    // The conditions form in the tree panel; nullptr when none is docked.
    TfrmConditions* ConditionsForm() const;
    // The settings page in the page panel; nullptr when another page is.
    TfrmSettings* SettingsForm() const;
    // The text of a status-bar panel (0 or 1).
    QString StatusText(int panel) const;

    // Asks "Вы действительно желаете завершить работу с программой?";
    // an error while asking counts as Yes.
    bool FormCloseQuery();

    // The action handlers, also run by the actions.
    void acStartSearchExecute();
    void acStopSearchExecute();
    void acSuspendSearchExecute();
    void acResumeSearchExecute();
    void acSettingsExecute();
    void acFavoritesExecute();
    void acShowLoadedFriendsExecute();
    void acBrowseLoadedFriendsExecute();
    void acBrowseFavoritesExecute();
    void acAboutExecute();

    // Where the exports go: "~tmp.html" in the program's data folder.
    static std::string ExportFileName();
    // Opens `fileName` in the user's browser; only local files and http(s)
    // addresses are opened, anything else is refused with a message. Tests
    // replace it so that no browser starts.
    static std::function<bool(const QUrl& url)> OpenUrl;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    // The opening size, centred on the screen; the tree as wide as it needs.
    void PlaceOnScreen();
    void ShowConditionsTree();
    void SetProgressMax(int max);
    void UpdateFoundStatus();
    void UpdateConnectionStatus();
    void FinderProgress(search::TFinderStateObject& sender);
    void FinderStopped();
    void SettingsApplied();
    void TakeTreeChoices(data::TTesselSettings& settings);
    void ResetNewCount();
    void DetachFavouritesData();
    void RefreshFavouritesForm();
    void AddToFavourites(QObject* sender);
    void BrowseExport(const std::function<void(const std::string&)>& exportTo);
    void SetIdleActions();
    std::string StartProblem();
    bool ConfirmLosingUnsavedHits();
    data::TRecoveredLoad LoadFoundFriendsRecovering();

    std::unique_ptr<search::TVelmora> m_engine;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    std::unique_ptr<TDockedForms> m_docking;
    QPointer<TfrmConditions> m_conditions;
    // What start-up could not load, told once the window is up.
    std::vector<std::string> m_startupMessages;
};

// The main window's action list, found by the names "frmMain" and
// "ActionList" among the application's windows; nullptr when either is
// missing.
platform::TActionList* FindMainActionList();
// The first action of `list` named `name` exactly; nullptr when none (or no
// list).
platform::TAction* FindAction(const platform::TActionList* list, std::string_view name);

} // namespace app
