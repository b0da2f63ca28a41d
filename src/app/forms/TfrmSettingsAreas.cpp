// The settings page's area lists: countries, regions, cities and metro
// stations, shown from the data module's area tables and fetched from the
// site's WAP pages through the engine when a list is opened.
//
// Each table starts with its level's no-choice row ("0", "0_0", "0_0_0",
// "0_0_0_0"). A fetch fills a scratch table first; only when it brings rows
// are they put, after the no-choice row, into the module's table and the
// list. So a fetch that is stopped, fails or finds nothing leaves the list
// and the table as they were, and a list's items always stand row for row
// for its table's records.
#include "app/forms/TfrmSettings.h"

#include "app/controls/TComboBox.h"
#include "data/TCustomParams.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "platform/Text.h"
#include "search/TVelmora.h"

#include <QApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>

namespace app {
namespace {

using platform::ToQString;

const std::string NoCountry = "0";
const std::string NoRegion = "0_0";
const std::string NoCity = "0_0_0";
const std::string NoStation = "0_0_0_0";
const std::string DefaultCountry = "3159";

std::string IdAt(const data::TArea& table, int row) {
    return data::TXMLTable::NodeText(table.RecordNode(row), "id");
}
std::string NameAt(const data::TArea& table, int row) {
    return data::TXMLTable::NodeText(table.RecordNode(row), table.NameField());
}

int RowOfId(const data::TArea& table, const std::string& id) {
    for (int i = 0; i < table.RecordCount(); ++i)
        if (IdAt(table, i) == id) return i;
    return -1;
}

// An id padded to the four levels, so that the bare "3159" of the country
// offered before the catalogue is loaded matches the loaded "3159_0_0_0".
std::string Padded(const std::string& id) {
    std::vector<std::string> parts = text::Split(id, '_');
    while (parts.size() < 4) parts.push_back("0");
    std::string padded;
    for (const std::string& part : parts) padded += (padded.empty() ? "" : "_") + part;
    return padded;
}

// Whether two stored ids name the same area: "3159" and "3159_0_0_0" do, and
// so do "", "0", "0_0" ... (no choice).
bool SameAreaId(const std::string& a, const std::string& b) {
    const auto key = [](const std::string& id) { return id.empty() || Padded(id) == NoStation ? std::string() : Padded(id); };
    return key(a) == key(b);
}

// As RowOfId, but "3159" and "3159_0_0_0" name the same area.
int RowOfPaddedId(const data::TArea& table, const std::string& id) {
    const int exact = RowOfId(table, id);
    if (exact >= 0) return exact;
    const std::string padded = Padded(id);
    for (int i = 0; i < table.RecordCount(); ++i)
        if (Padded(IdAt(table, i)) == padded) return i;
    return -1;
}

void FillCombo(TComboBox& combo, const data::TArea& table, int selected) {
    QSignalBlocker block(combo);
    combo.clear();
    for (int i = 0; i < table.RecordCount(); ++i) combo.addItem(ToQString(NameAt(table, i)));
    combo.setCurrentIndex(selected < table.RecordCount() ? selected : -1);
}

// The list of one level: the settings' own choice is always listed; the row
// of `savedId` (the no-choice row when empty) is selected, none when absent.
void FillAreaList(TComboBox& combo, data::TArea& table, const std::string& savedId, const std::string& noChoiceId,
                  const std::string& settingsId, const std::string& settingsName) {
    const std::string id = savedId.empty() ? noChoiceId : savedId;
    if (!settingsId.empty() && RowOfPaddedId(table, settingsId) < 0) table.AddArea(settingsId, settingsName);
    const int exact = RowOfId(table, id);
    FillCombo(combo, table, exact >= 0 ? exact : RowOfPaddedId(table, id));
}

// The fetched rows into the module's table after its no-choice row; the list
// shows them and keeps the area that was selected when it is among them
// (the first row otherwise).
void TakeLoadedRows(TComboBox& combo, data::TArea& table, const data::TArea& loaded, const std::string& noChoiceId,
                    const std::string& noChoiceName) {
    const int selectedRow = combo.currentIndex();
    const std::string selected =
        selectedRow >= 0 && selectedRow < table.RecordCount() ? Padded(IdAt(table, selectedRow)) : std::string();
    table.ClearRecords();
    table.AddArea(noChoiceId, noChoiceName);
    int keep = 0;
    for (int i = 0; i < loaded.RecordCount(); ++i) {
        if (IdAt(loaded, i) == noChoiceId) continue;
        table.AddArea(IdAt(loaded, i), NameAt(loaded, i));
        if (!selected.empty() && Padded(IdAt(loaded, i)) == selected) keep = table.RecordCount() - 1;
    }
    FillCombo(combo, table, keep);
}

// The name of the no-choice row of `table`, or `fallback` when it is gone.
std::string NoChoiceName(const data::TArea& table, const std::string& id, const char* fallback) {
    const int row = RowOfId(table, id);
    return row >= 0 ? NameAt(table, row) : std::string(fallback);
}

void SelectFirstWhenNone(TComboBox& combo) {
    if (combo.currentIndex() < 0 && combo.count() > 0) combo.setCurrentIndex(0);
}

constexpr const char* kConnectionError = "Ошибка соединения с сервером!";
constexpr const char* kAskCountry = "Выберите, пожалуйста, страну.";
constexpr const char* kAskRegion = "Выберите, пожалуйста, регион.";

// Whether an area is chosen at a level above the one being fetched; the user
// is asked for it when not.
bool Chosen(const std::string& id, const std::string& noChoiceId, const char* ask) {
    if (!id.empty() && id != noChoiceId) return true;
    platform::ShowInfoMessage(ask);
    return false;
}

} // namespace

std::string TfrmSettings::SelectedId(const TComboBox& combo, const data::TArea& table) {
    const int row = combo.currentIndex();
    return row >= 0 && row < table.RecordCount() ? IdAt(table, row) : std::string();
}

void TfrmSettings::FillCountryList(const std::string& SavedId) {
    const data::TTesselSettings& s = data::dmFriend().Settings();
    FillAreaList(*cbCountry, data::dmFriend().Countries(), SavedId.empty() ? DefaultCountry : SavedId, NoCountry,
                 s.id_Country(), s.Country());
}

void TfrmSettings::FillRegionList(const std::string& SavedId) {
    const data::TTesselSettings& s = data::dmFriend().Settings();
    FillAreaList(*cbRegion, data::dmFriend().Regions(), SavedId, NoRegion, s.id_Region(), s.Region());
}

void TfrmSettings::FillCityList(const std::string& SavedId) {
    const data::TTesselSettings& s = data::dmFriend().Settings();
    FillAreaList(*cbCity, data::dmFriend().Cities(), SavedId, NoCity, s.id_Town(), s.Town());
}

void TfrmSettings::FillStationList(const std::string& SavedId) {
    const data::TTesselSettings& s = data::dmFriend().Settings();
    FillAreaList(*cbStation, data::dmFriend().Stations(), SavedId, NoStation, s.id_Station(), s.Station());
}

struct TfrmSettings::TAreaFetch {
    search::TAreaLoad load;
    std::unique_ptr<data::TArea> loaded; // the rows as they come
    QPointer<QProgressDialog> box;
    QPointer<TComboBox> combo;
    data::TArea* table = nullptr;
    std::string noChoiceId;
    const char* noChoiceText = "";
    std::string emptyMessage;
    std::function<void()> onRows;
};

void TfrmSettings::TAreaFetchDeleter::operator()(TAreaFetch* fetch) const { delete fetch; }

void TfrmSettings::StartAreaFetch(const QString& what, const search::TAreaLoad::TQuery& query,
                                  std::unique_ptr<data::TArea> loaded, TComboBox& combo, data::TArea& table,
                                  const std::string& noChoiceId, const char* noChoiceText, std::string emptyMessage,
                                  std::function<void()> onRows) {
    if (!m_engine || m_areaFetch) return;
    std::unique_ptr<TAreaFetch, TAreaFetchDeleter> fetch(new TAreaFetch);
    fetch->loaded = std::move(loaded);
    fetch->combo = &combo;
    fetch->table = &table;
    fetch->noChoiceId = noChoiceId;
    fetch->noChoiceText = noChoiceText;
    fetch->emptyMessage = std::move(emptyMessage);
    fetch->onRows = std::move(onRows);

    // Not modal: the window goes on answering (its close question too);
    // what could start another fetch or a save is locked instead.
    auto* box = new QProgressDialog(QString("Загрузка списка %1 с сайта...").arg(what), "Стоп", 0, 1, this);
    box->setWindowTitle(QApplication::applicationName());
    box->setWindowModality(Qt::NonModal);
    box->setAutoClose(false);
    box->setAutoReset(false);
    box->setMinimumDuration(0);
    box->setValue(0);
    connect(box, &QProgressDialog::canceled, this, [this] { StopAreaFetch(); });
    fetch->box = box;

    m_areaFetch = std::move(fetch);
    LockAreaControls(true);
    box->show();
    m_areaFetch->load.Start(
        query, *m_areaFetch->loaded,
        [box = m_areaFetch->box, what](int page, int pageCount) {
            if (!box) return;
            box->setMaximum(pageCount);
            box->setValue(page - 1);
            box->setLabelText(
                QString("Загрузка списка %1 с сайта: страница %2 из %3").arg(what).arg(page).arg(pageCount));
        },
        [this] { AreaFetchDone(); });
}

std::unique_ptr<TfrmSettings::TAreaFetch, TfrmSettings::TAreaFetchDeleter> TfrmSettings::EndAreaFetch() {
    std::unique_ptr<TAreaFetch, TAreaFetchDeleter> fetch = std::move(m_areaFetch);
    if (!fetch) return fetch;
    fetch->load.Abort();
    if (fetch->box) {
        // Its "canceled" on hiding must not stop a fetch that is over.
        fetch->box->disconnect(this);
        fetch->box->hide();
        // Later: "Стоп" may be what is running now.
        fetch->box->deleteLater();
    }
    LockAreaControls(false);
    return fetch;
}

void TfrmSettings::StopAreaFetch() {
    // The rows read so far go with the fetch; the level stays to be fetched.
    EndAreaFetch();
}

void TfrmSettings::AreaFetchDone() {
    const auto fetch = EndAreaFetch();
    if (!fetch || !fetch->combo) return;
    TComboBox& combo = *fetch->combo;
    if (fetch->loaded->RecordCount() == 0) {
        const std::string& cause = fetch->load.Failure();
        platform::PostInfoMessage(cause.empty() ? fetch->emptyMessage : fetch->emptyMessage + "\n\n" + cause);
        SelectFirstWhenNone(combo);
        return;
    }
    TakeLoadedRows(combo, *fetch->table, *fetch->loaded, fetch->noChoiceId,
                   NoChoiceName(*fetch->table, fetch->noChoiceId, fetch->noChoiceText));
    if (fetch->onRows) fetch->onRows();
    SelectFirstWhenNone(combo);
    // The user opened the list to choose from it: it opens now, with the
    // rows, unless a dialog holds the window meanwhile.
    if (combo.isVisible() && !QApplication::activeModalWidget()) combo.showPopup();
}

void TfrmSettings::LockAreaControls(bool locked) {
    for (QWidget* list : {cbCountry, cbRegion, cbCity, cbStation}) list->setEnabled(!locked);
    for (QWidget* button : {static_cast<QWidget*>(btnSave), static_cast<QWidget*>(sbAddServer),
                            static_cast<QWidget*>(sbDeleteServer)})
        button->setEnabled(!locked && !m_searchLocked);
}

bool TfrmSettings::cbCountryDropDown() {
    if (m_areaFetch) return false;
    if (!m_countriesLoaded && m_engine) {
        StartAreaFetch("стран", search::TAreaLoad::Countries("id", "Country"), std::make_unique<data::TCountry>(),
                       *cbCountry, data::dmFriend().Countries(), NoCountry, "Выберите страну...", kConnectionError,
                       [this] { m_countriesLoaded = true; });
        return false;
    }
    SelectFirstWhenNone(*cbCountry);
    return true;
}

bool TfrmSettings::cbRegionDropDown() {
    if (m_areaFetch) return false;
    data::TdmFriend& dm = data::dmFriend();
    if (m_regionsStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        if (Chosen(country, NoCountry, kAskCountry)) {
            StartAreaFetch("регионов", search::TAreaLoad::Regions(country, "id", "Region"),
                           std::make_unique<data::TRegion>(), *cbRegion, dm.Regions(), NoRegion,
                           "Выберите регион...", kConnectionError, [this] { m_regionsStale = false; });
            return false;
        }
    }
    SelectFirstWhenNone(*cbRegion);
    return true;
}

bool TfrmSettings::cbCityDropDown() {
    if (m_areaFetch) return false;
    data::TdmFriend& dm = data::dmFriend();
    if (m_citiesStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        const std::string region = SelectedId(*cbRegion, dm.Regions());
        if (Chosen(country, NoCountry, kAskCountry) && Chosen(region, NoRegion, kAskRegion)) {
            StartAreaFetch("городов", search::TAreaLoad::Cities(country, region, "id", "City"),
                           std::make_unique<data::TCity>(), *cbCity, dm.Cities(), NoCity, "Выберите город...",
                           kConnectionError, [this] { m_citiesStale = false; });
            return false;
        }
    }
    SelectFirstWhenNone(*cbCity);
    return true;
}

bool TfrmSettings::cbStationDropDown() {
    if (m_areaFetch) return false;
    data::TdmFriend& dm = data::dmFriend();
    if (m_stationsStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        const std::string region = SelectedId(*cbRegion, dm.Regions());
        const std::string city = SelectedId(*cbCity, dm.Cities());
        if (Chosen(country, NoCountry, kAskCountry) && Chosen(region, NoRegion, kAskRegion) &&
            Chosen(city, NoCity, "Выберите, пожалуйста, город.")) {
            StartAreaFetch("станций метро", search::TAreaLoad::MetroStations(country, region, city, "id", "Station"),
                           std::make_unique<data::TStation>(), *cbStation, dm.Stations(), NoStation,
                           "Выберите станцию...",
                           "В городе " + cbCity->currentText().toStdString() + " не найдено ни одной станции метро!",
                           [this] { m_stationsStale = false; });
            return false;
        }
    }
    SelectFirstWhenNone(*cbStation);
    return true;
}

// A new country leaves no region chosen, and so no city or station: their
// lists show their no-choice rows. Only the regions are fetched again, when
// their list is next opened; the lower levels follow their own parent.
void TfrmSettings::cbCountryChange() {
    m_regionsStale = true;
    FillRegionList({});
    FillCityList({});
    FillStationList({});
}

void TfrmSettings::cbRegionChange() {
    m_citiesStale = true;
    FillCityList({});
    FillStationList({});
}

void TfrmSettings::cbCityChange() {
    m_stationsStale = true;
    FillStationList({});
}

void TfrmSettings::StoreAreas() {
    data::TTesselSettings& s = data::dmFriend().Settings();
    data::TFinderParams shown;
    data::CopyProperties(shown, s);
    ListedAreasInto(shown);
    // The lists show the saved place unless the user chose another one on
    // this page: then the place stays, and so do s_c and s_m, which say how
    // far down in it a search goes (what the trees chose, or the last start).
    const bool samePlace = SameAreaId(shown.id_Country(), s.id_Country()) &&
                           SameAreaId(shown.id_Region(), s.id_Region()) && SameAreaId(shown.id_Town(), s.id_Town()) &&
                           SameAreaId(shown.id_Station(), s.id_Station());
    if (samePlace) return;
    for (const char* name : {"s_c", "s_m", "Country", "Region", "Town", "Station", "id_Country", "id_Region", "id_Town",
                             "id_Station"})
        if (const platform::TPropInfo* prop = platform::FindPropInfo(s, name)) prop->SetStr(s, prop->GetStr(shown));
}

void TfrmSettings::ListedAreasInto(data::TFinderParams& s) const {
    data::TdmFriend& dm = data::dmFriend();

    const int country = cbCountry->currentIndex();
    if (country < 0 || country >= dm.Countries().RecordCount()) {
        s.SetS_c(NoCountry);
    } else {
        s.SetId_Country(IdAt(dm.Countries(), country));
        s.SetCountry(NameAt(dm.Countries(), country));
        s.SetS_c(s.id_Country());
    }

    // Below a level with no choice nothing is chosen: a region, city or
    // station left over from an earlier choice is cleared with `s_m`, so it
    // can neither narrow the search nor come back as a selection.
    auto clearStation = [&] {
        s.SetId_Station({});
        s.SetStation({});
        s.SetS_m({});
    };
    auto clearCity = [&] {
        s.SetId_Town({});
        s.SetTown({});
        clearStation();
    };

    const std::string region = SelectedId(*cbRegion, dm.Regions());
    if (region.empty() || region == NoRegion) {
        s.SetId_Region({});
        s.SetRegion({});
        clearCity();
        return;
    }
    s.SetId_Region(region);
    s.SetRegion(NameAt(dm.Regions(), cbRegion->currentIndex()));
    s.SetS_c(region);

    // The no-choice row stands for no city, never for the row after it.
    const std::string city = SelectedId(*cbCity, dm.Cities());
    if (city.empty() || city == NoCity) {
        clearCity();
        return;
    }
    s.SetId_Town(city);
    s.SetTown(NameAt(dm.Cities(), cbCity->currentIndex()));
    s.SetS_c(city);

    const std::string station = SelectedId(*cbStation, dm.Stations());
    if (station.empty() || station == NoStation) {
        clearStation();
        return;
    }
    s.SetId_Station(station);
    s.SetStation(NameAt(dm.Stations(), cbStation->currentIndex()));
    s.SetS_m(station);
    s.SetS_c(station);
}

} // namespace app
