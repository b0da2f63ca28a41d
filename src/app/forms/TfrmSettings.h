#pragma once
// The settings page, docked in the main window's page panel by "Настройки":
// the site servers, the login, the search defaults (genders, ages, area,
// page count, purposes and support) and, in its second tab, the proxy page.
// It shows the data module's settings and writes them back on "Сохранить".
//
// The main window gives the page the engine (SetEngine: the area lists are
// fetched through it), binds OnSave, and locks the save and server buttons
// while a search runs (LockSaveControls).
//
// Area lists are fetched from the site when their list is first opened:
// countries once per page life, a lower level again after its parent level
// changed. A fetch runs beside the window with a progress box whose "Стоп"
// ends it at once; meanwhile the area lists, "Сохранить" and the server
// buttons are locked. A fetch that is stopped, fails or finds nothing leaves
// the list as it was; one that brings rows opens the list with them.

#include "data/TXMLTableIndex.h"
#include "platform/TForm.h"
#include "search/TAreaLoad.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressDialog;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace platform {
class TPanel;
}

namespace data {
class TArea;
class TFinderParams;
class TTesselSettings;
} // namespace data
namespace search {
class TVelmora;
}

namespace app {

class TComboBox;
class TNumberEdit;
class TfrmProxy;

class TfrmSettings : public platform::TForm {
    Q_OBJECT
public:
    // Builds the page from the data module's settings (FormCreate); the
    // server list is read from its file here. A server file that cannot be
    // read is reported, and the page goes on with the servers it has.
    explicit TfrmSettings(QWidget* owner = nullptr);
    ~TfrmSettings() override;

    // The engine that fetches the area lists; nullptr (the default) fetches
    // nothing. Borrowed: the main window keeps it alive while the page lives.
    search::TVelmora* Engine() const { return m_engine; }
    void SetEngine(search::TVelmora* engine) { m_engine = engine; }

    // Raised after "Сохранить" has written the settings.
    std::function<void(TfrmSettings& Sender)> OnSave;
    // Raised by "Сохранить" once the fields are found fit, before the page
    // writes its own values over `settings`: what else is to be kept (the
    // conditions tree's choices) goes in here.
    std::function<void(data::TTesselSettings& settings)> OnStoring;

    // Shows on the page the conditions of `choice` that it also shows
    // (genders, ages, purposes and support) and whose names are in
    // `changed`; the others stay as they are. The area lists keep showing
    // the saved place: a tree only chooses how far down in it a search goes,
    // and "Сохранить" keeps that as the tree left it.
    void ShowTreeChoice(const data::TFinderParams& choice, const std::vector<std::string>& changed);

    // Locked while a search runs: "Сохранить" and the server buttons are
    // disabled and tell why in their tool tips.
    void LockSaveControls(bool Locked);

    // The embedded proxy page; nullptr when it could not be made.
    TfrmProxy* ProxyPage() const { return m_proxyPage; }

    // "Сохранить": checks the fields, then writes every value into the
    // settings and the registry and raises OnSave. A field that cannot be
    // stored (an age that is no number, an age range that runs backwards, a
    // page count or proxy port that is no whole number in range) is named in
    // a message, gets the focus, and nothing is changed. False when nothing
    // was saved.
    bool btnSaveClick();

    // Opening an area list (what each list's drop-down does first). True
    // when the list may open now; false when its fetch started (the list
    // opens when the rows have come) or another fetch is under way.
    bool cbCountryDropDown();
    bool cbRegionDropDown();
    bool cbCityDropDown();
    bool cbStationDropDown();
    // An area list is being fetched.
    bool AreaFetching() const { return m_areaFetch != nullptr; }

    platform::TPanel* pnButtons = nullptr;
    QPushButton* btnSave = nullptr;
    QTabWidget* pcSettings = nullptr;
    QWidget* tsSearch = nullptr;
    QWidget* tsProxy = nullptr;
    platform::TPanel* pnProxy = nullptr;

    QGroupBox* gbServer = nullptr;
    QLineEdit* edServer = nullptr;
    QToolButton* sbAddServer = nullptr;
    QToolButton* sbDeleteServer = nullptr;
    QListWidget* cblServer = nullptr;

    QLineEdit* edLogin = nullptr;
    QLineEdit* edPassword = nullptr;
    TComboBox* cbGender = nullptr;
    TComboBox* cbFriendGender = nullptr;
    QLineEdit* edFrom = nullptr;
    QLineEdit* edTo = nullptr;
    TComboBox* cbCountry = nullptr;
    TComboBox* cbRegion = nullptr;
    TComboBox* cbCity = nullptr;
    TComboBox* cbStation = nullptr;
    TNumberEdit* edPageCount = nullptr;
    QLabel* lbCalcRowCount = nullptr;

    QGroupBox* gbTarget = nullptr;
    QCheckBox* chbFriendship = nullptr;
    QCheckBox* chbEmail = nullptr;
    QCheckBox* chbLove = nullptr;
    QCheckBox* chbRegSex = nullptr;
    QCheckBox* chbSomeSex = nullptr;
    QCheckBox* chbGroup = nullptr;
    QCheckBox* chbVirt = nullptr;
    QCheckBox* chbIntim = nullptr;
    QCheckBox* chbIntimBuy = nullptr;
    QCheckBox* chbFamily = nullptr;
    QCheckBox* chbChild = nullptr;
    QCheckBox* chbFiktive = nullptr;
    QCheckBox* chbRent = nullptr;
    QCheckBox* chbSport = nullptr;
    QGroupBox* gbSponsor = nullptr;
    QCheckBox* chbLookFor = nullptr;
    QCheckBox* chbIam = nullptr;
    QCheckBox* chbNo = nullptr;

private:
    void CreateControls();
    void FormCreate();

    void sbAddServerClick();
    void sbDeleteServerClick();
    void cblServerClickCheck(QListWidgetItem* item);
    void RefreshServerList(const std::optional<std::string>& Name);
    void SetServerLines();
    void CheckServerLine(int line);

    void cbCountryChange();
    void cbRegionChange();
    void cbCityChange();
    void edPageCountChange();

    // Each fills its list from its area table and selects the row of
    // SavedId (its level's no-choice row when empty); a row that is not
    // there selects nothing. The settings' own choice of the level is
    // always listed.
    void FillCountryList(const std::string& SavedId);
    void FillRegionList(const std::string& SavedId);
    void FillCityList(const std::string& SavedId);
    void FillStationList(const std::string& SavedId);

    // The id of the row selected in `combo` of `table`; "" when none is.
    static std::string SelectedId(const TComboBox& combo, const data::TArea& table);
    // One level's fetch under way (TfrmSettingsAreas.cpp).
    struct TAreaFetch;
    struct TAreaFetchDeleter {
        void operator()(TAreaFetch* fetch) const;
    };
    // Starts fetching one level's list (`query`) with the progress box and
    // the controls locked. Its rows go into `table` and `combo` after the
    // no-choice row, `onRows` runs and the list opens; a fetch that brings
    // none is reported with `emptyMessage`. Nothing without an engine or
    // while another fetch is under way.
    void StartAreaFetch(const QString& what, const search::TAreaLoad::TQuery& query,
                        std::unique_ptr<data::TArea> loaded, TComboBox& combo, data::TArea& table,
                        const std::string& noChoiceId, const char* noChoiceText, std::string emptyMessage,
                        std::function<void()> onRows);
    void AreaFetchDone();
    // "Стоп": the fetch is given up at once, the list stays as it was.
    void StopAreaFetch();
    // Ends the fetch under way and unlocks the controls; the fetch is handed
    // back for its rows (null when none was under way).
    std::unique_ptr<TAreaFetch, TAreaFetchDeleter> EndAreaFetch();
    // The controls that would start another fetch or a save, (un)locked.
    void LockAreaControls(bool locked);
    // Shows an error that escaped a handler.
    void ShowError(const std::exception& e) const;
    // Why the page cannot be stored, naming the field, with the field
    // focused; nothing when it can.
    std::optional<std::string> CheckValues();
    void StoreValues();
    // The chosen areas into the settings when the lists show a place other
    // than the saved one (TfrmSettingsAreas.cpp).
    void StoreAreas();
    // The place the lists show, with s_c and s_m for a search of all of it.
    void ListedAreasInto(data::TFinderParams& params) const;

    data::TXMLTableIndex m_serverIndex;
    bool m_countriesLoaded = false;
    bool m_regionsStale = true;
    bool m_citiesStale = true;
    bool m_stationsStale = true;
    search::TVelmora* m_engine = nullptr;
    TfrmProxy* m_proxyPage = nullptr;
    // Set while the page itself changes the server check marks.
    bool m_fillingServers = false;
    // Locked by LockSaveControls (a search runs).
    bool m_searchLocked = false;
    std::unique_ptr<TAreaFetch, TAreaFetchDeleter> m_areaFetch;
};

} // namespace app
