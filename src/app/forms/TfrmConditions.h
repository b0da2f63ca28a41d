#pragma once
// The conditions form docked on the left of the main window. Three pages:
// the simple and the extended search, each a tree of check-box nodes built
// from the stored settings and the condition vocabulary, and the list of the
// profiles the searches found.
//
// A click on a node's check box toggles it; some nodes ask for a value in a
// small dialog and show it in their caption. StartSearch turns the tree of
// the active page into the engine's search parameters.
//
// The main window sets Engine and FoundBaseline, binds the four events and
// its search actions, and calls StartSearch, RebuildActiveTree,
// RefreshLoadedList and LockLoadedButtons.

#include "platform/TForm.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QListWidget;
class TSubmit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace data {
class TFinderParams;
class TXMLTable;
} // namespace data
namespace search {
class TVelmora;
}

namespace app {

class TCheckedTreeNode;

class TfrmConditions : public platform::TForm {
    Q_OBJECT

public:
    // (Sender): the found list for OnAddToFavourites, the form otherwise.
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    // A minimum and maximum as a range dialog returns them; 0 = open bound.
    struct TStoredRange {
        int32_t Min = 0;
        int32_t Max = 0;
        bool operator==(const TStoredRange&) const = default;
    };

    // Builds the simple tree from the settings of the data module (which
    // must exist) and binds the search actions of the main window ("frmMain",
    // its "ActionList") when `owner` is that window or one is open.
    explicit TfrmConditions(QWidget* owner = nullptr);
    ~TfrmConditions() override;

    // The search engine whose parameters StartSearch writes and whose found
    // table the third page lists; none = StartSearch and the list do nothing.
    search::TVelmora* Engine() const { return m_engine; }
    void SetEngine(search::TVelmora* engine) { m_engine = engine; }
    // The number of found profiles when the current search started; rows
    // from this index on are drawn as new.
    int32_t FoundBaseline() const { return m_foundBaseline; }
    void SetFoundBaseline(int32_t value);

    // Fired once per selected found row by ">", the found table positioned
    // on that row.
    TNotifyEvent OnAddToFavourites;
    // Around ">>", which copies every found profile into the favourites and
    // saves them.
    TNotifyEvent OnBeforeSaveFavourites;
    TNotifyEvent OnAfterSaveFavourites;
    // After found profiles were deleted or cleared.
    TNotifyEvent OnLoadedChanged;

    // The buttons "Старт", "Стоп", "Пауза", "Продолж." run the actions
    // "acStartSearch", "acStopSearch", "acSuspendSearch", "acResumeSearch"
    // found among the children of `actionList` and follow their enabled
    // state; a missing action leaves its button unbound.
    void BindSearchActions(QObject* actionList);

    // Writes the tree of the active page into the engine's parameters. On
    // the found list's page the user is told to choose a search page and
    // nothing changes.
    void StartSearch();
    // The checked conditions of `tree` into the engine's parameters.
    void TreeToParams(QTreeWidget* tree);
    void TreeToParams(QTreeWidget* tree, data::TFinderParams& params);
    // The ids of the rows of `table` whose item under `root` is checked,
    // joined with "|", in table order; rows without an item count as
    // unchecked.
    static std::string CollectCheckedIds(const TCheckedTreeNode* root, const data::TXMLTable& table);

    // Rebuilds the tree of the active page from the settings; the other one
    // is rebuilt when its page is next shown.
    void RebuildActiveTree();
    // Clears and rebuilds `tree` from the stored settings.
    void BuildTree(QTreeWidget* tree);

    // What the user chose in a tree is the search's until "Старт" writes it
    // into the settings; "Сохранить" of the settings page must not undo it.
    // Fired after a click (or a car list that came) changed the conditions
    // `tree` writes: `choice` holds them all, `changed` names the
    // properties that changed with it.
    using TChoiceEvent =
        std::function<void(const data::TFinderParams& choice, const std::vector<std::string>& changed)>;
    TChoiceEvent OnTreeChoiceChanged;
    // The properties whose value the user changed in the built trees since
    // they were built from the settings, their values put into `choice`;
    // where both trees changed one, the tree that changed it last wins.
    std::vector<std::string> TreeChoicesSinceBuilt(data::TFinderParams& choice);
    // Shows the found list's page with the list refilled.
    void RefreshLoadedList();
    // Refills the found list from the engine's found table.
    void FillLoadedList();
    // Disables (or enables again) delete, clear and ">>" while a search runs.
    void LockLoadedButtons(bool locked);
    // The background of found row `row`: light green for the new ones, white
    // for the rest.
    QColor LoadedRowColor(int row) const;

    // A press of the left button at `pos` (viewport coordinates) of `tree`:
    // toggles the node whose check box lies there. True when a node acted.
    bool tvSearchMouseDown(QTreeWidget* tree, QPoint pos);
    // What a click on `node`'s check box does; Space does it to the current node.
    void ToggleNode(QTreeWidget* tree, TCheckedTreeNode* node);
    // The car root's makes are read from the site the first time it opens,
    // and again after a read that failed. The read runs beside the window:
    // until the makes have come the root holds one "Загрузка..." line.
    void tvExSearchExpanding(QTreeWidgetItem* item);

    // The values the dialogs chose, written into the parameters by the
    // range, name and age nodes of the extended tree.
    const std::string& StoredName() const { return m_storedName; }
    const TStoredRange& PhotoRange() const { return m_photoRange; }
    const TStoredRange& VideoRange() const { return m_videoRange; }
    const TStoredRange& MonthViewRange() const { return m_monthViewRange; }
    int32_t StoredMyAge() const { return m_storedMyAge; }
    const TStoredRange& StatureRange() const { return m_statureRange; }
    const TStoredRange& WeightRange() const { return m_weightRange; }
    // The car makes were read from the site since the extended tree was built.
    bool CarMakesLoaded() const { return m_carMakesLoaded; }
    // The car makes are being read.
    bool CarMakesLoading() const;
    // The site that lends its car makes when the chosen one has none.
    void SetCarCatalogueFallbackHost(std::string host) { m_carFallbackHost = std::move(host); }

    // Components.
    QTabWidget* pcLeft = nullptr;
    QWidget* tsSearch = nullptr;
    QWidget* tsExSearch = nullptr;
    QWidget* tsLoadedFriends = nullptr;
    QTreeWidget* tvSearch = nullptr;
    QTreeWidget* tvExSearch = nullptr;
    QWidget* pnButtonsLeft = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnSuspend = nullptr;
    QPushButton* btnResume = nullptr;
    QWidget* pnLoadedFriendsButtons = nullptr;
    QPushButton* btnShowLoaded = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAddToFavorites = nullptr;
    QPushButton* btnAddAllToFavorites = nullptr;
    QListWidget* lbxLoad = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The tree's conditions over the settings, as Start would write them.
    std::unique_ptr<data::TFinderParams> ReadTree(QTreeWidget* tree);
    // Tells OnTreeChoiceChanged what a change of `tree` changed.
    void NoteTreeChange(QTreeWidget* tree);
    // What each tree wrote when it was built, and when last told; when
    // (in clicks of either tree) each property last changed since built.
    struct TTreeChoice {
        std::unique_ptr<data::TFinderParams> built;
        std::unique_ptr<data::TFinderParams> last;
        std::map<std::string, uint64_t, std::less<>> changedAt;
    };
    TTreeChoice& ChoiceOf(const QTreeWidget* tree) { return m_choices[IsExtended(tree) ? 1 : 0]; }

    // Building (TfrmConditionsTree.cpp).
    void BuildTreeNodes(QTreeWidget* tree);
    TCheckedTreeNode* AddRootNode(QTreeWidget* tree, const QString& caption, uint8_t kind);
    TCheckedTreeNode* AddChildNode(TCheckedTreeNode* parent, const QString& caption, std::string_view id,
                                   uint8_t kind);
    bool IsConditionSet(uint8_t kind, std::string_view id) const;
    void AddMyGenderNodes(TCheckedTreeNode* root);
    void AddSoughtGenderNodes(TCheckedTreeNode* root);
    void AddPeriodNodes(TCheckedTreeNode* root);
    void AddTargetNodes(TCheckedTreeNode* root);
    void AddSponsorNodes(TCheckedTreeNode* root);
    void AddConditionGroupNodes(TCheckedTreeNode* root, const data::TXMLTable& table, uint8_t itemKind);
    void AddCarModelNode(TCheckedTreeNode* root);
    // Starts reading the car makes for `root` (nothing while a read is under
    // way); CarMakesArrived puts them under the car root of that moment.
    void LoadCarMakes(TCheckedTreeNode* root);
    void CarMakesArrived(bool listed);
    // The car group's makes as `root`'s items; `loaded`: they came from the site.
    void FillCarMakes(TCheckedTreeNode* root, bool loaded);
    TCheckedTreeNode* CarRoot() const;
    void UpdateGenderNodes(QTreeWidget* tree, bool femaleWording);
    void SeedStoredValues();

    // Clicks (TfrmConditionsTree.cpp).
    void UncheckRoot(QTreeWidget* tree, TCheckedTreeNode* node);
    void CheckRoot(QTreeWidget* tree, TCheckedTreeNode* node);
    void CheckItem(QTreeWidget* tree, TCheckedTreeNode* node);
    void UncheckItem(QTreeWidget* tree, TCheckedTreeNode* node);
    void ExpandAll(TCheckedTreeNode* node);

    // Dialogs (TfrmConditionsDialogs.cpp); each answers true on OK.
    bool AskRange(const QString& prefix, int32_t lowerLimit, TStoredRange& range, QString& caption);
    bool AskMyAge();
    bool AskName();
    bool AskCarModel(TCheckedTreeNode* item);

    // Pages and the found list (TfrmConditions.cpp).
    void BuildForm();
    void pcLeftChange();
    void btnShowLoadedClick();
    void btnDeleteClick();
    void btnClearClick();
    void btnAddToFavoritesClick();
    void btnAddAllToFavoritesClick();
    void lbxLoadClick();
    void SaveFoundFriendsReporting();
    bool LoadedListInStep();
    bool IsExtended(const QTreeWidget* tree) const { return tree == tvExSearch; }

    search::TVelmora* m_engine = nullptr;
    int32_t m_foundBaseline = 0;
    QAction* m_acStart = nullptr;
    QAction* m_acStop = nullptr;

    bool m_searchTreeBuilt = false;
    bool m_exSearchTreeBuilt = false;
    bool m_carMakesLoaded = false;
    std::string m_carFallbackHost;
    // Reads the car makes; a read under way goes with it.
    std::unique_ptr<TSubmit> m_carClient;
    // The car root was checked while its makes were read: they all come checked.
    bool m_checkCarsWhenLoaded = false;

    std::string m_storedName;
    TStoredRange m_photoRange{1, 0};
    TStoredRange m_videoRange{1, 0};
    TStoredRange m_monthViewRange{1, 0};
    int32_t m_storedMyAge = 0;
    TStoredRange m_statureRange{140, 0};
    TStoredRange m_weightRange{40, 0};
    TTreeChoice m_choices[2];
    uint64_t m_changeCount = 0;
};

// Registers TfrmConditions by class name.
void RegisterConditionsForms();

} // namespace app
