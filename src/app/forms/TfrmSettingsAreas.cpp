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
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "platform/Text.h"
#include "search/TVelmora.h"

#include <QApplication>
#include <QProgressDialog>

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

bool TfrmSettings::RunAreaLoad(const QString& what, const std::function<void()>& load) {
    if (!m_engine || m_loadingArea) return false;
    // The box is application-modal, so while the pages load (and events are
    // let through between them) the user can do nothing but watch or stop.
    QProgressDialog box(QString("Загрузка списка %1 с сайта...").arg(what), "Стоп", 0, 1, window());
    box.setWindowTitle(QApplication::applicationName());
    box.setWindowModality(Qt::ApplicationModal);
    box.setAutoClose(false);
    box.setAutoReset(false);
    box.setMinimumDuration(0);
    box.setValue(0);
    box.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    struct Restore {
        TfrmSettings& page;
        ~Restore() {
            page.m_loadingArea = false;
            if (page.m_engine) page.m_engine->OnAreaPage = nullptr;
            QApplication::restoreOverrideCursor();
        }
    } restore{*this};
    m_loadingArea = true;
    m_engine->OnAreaPage = [&box, what](int page, int pageCount) {
        box.setMaximum(pageCount);
        box.setValue(page - 1);
        box.setLabelText(QString("Загрузка списка %1 с сайта: страница %2 из %3").arg(what).arg(page).arg(pageCount));
        QCoreApplication::processEvents();
        return !box.wasCanceled();
    };
    load();
    return !box.wasCanceled();
}

bool TfrmSettings::FetchAreaList(const QString& what, data::TArea& loaded, const std::function<void()>& load,
                                 TComboBox& combo, data::TArea& table, const std::string& noChoiceId,
                                 const char* noChoiceText, const std::string& emptyMessage) {
    if (!RunAreaLoad(what, load)) return false;
    if (loaded.RecordCount() == 0) {
        platform::ShowInfoMessage(emptyMessage);
        return false;
    }
    TakeLoadedRows(combo, table, loaded, noChoiceId, NoChoiceName(table, noChoiceId, noChoiceText));
    return true;
}

void TfrmSettings::cbCountryDropDown() {
    if (!m_countriesLoaded && m_engine) {
        data::TCountry loaded;
        m_countriesLoaded =
            FetchAreaList("стран", loaded, [&] { m_engine->LoadCountries("id", "Country", loaded); }, *cbCountry,
                          data::dmFriend().Countries(), NoCountry, "Выберите страну...", kConnectionError);
    }
    SelectFirstWhenNone(*cbCountry);
}

void TfrmSettings::cbRegionDropDown() {
    data::TdmFriend& dm = data::dmFriend();
    if (m_regionsStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        if (Chosen(country, NoCountry, kAskCountry)) {
            data::TRegion loaded;
            if (FetchAreaList("регионов", loaded, [&] { m_engine->LoadRegions(country, "id", loaded, "Region"); },
                              *cbRegion, dm.Regions(), NoRegion, "Выберите регион...", kConnectionError))
                m_regionsStale = false;
        }
    }
    SelectFirstWhenNone(*cbRegion);
}

void TfrmSettings::cbCityDropDown() {
    data::TdmFriend& dm = data::dmFriend();
    if (m_citiesStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        const std::string region = SelectedId(*cbRegion, dm.Regions());
        if (Chosen(country, NoCountry, kAskCountry) && Chosen(region, NoRegion, kAskRegion)) {
            data::TCity loaded;
            if (FetchAreaList("городов", loaded, [&] { m_engine->LoadCities(country, region, loaded, "City", "id"); },
                              *cbCity, dm.Cities(), NoCity, "Выберите город...", kConnectionError))
                m_citiesStale = false;
        }
    }
    SelectFirstWhenNone(*cbCity);
}

void TfrmSettings::cbStationDropDown() {
    data::TdmFriend& dm = data::dmFriend();
    if (m_stationsStale && m_engine) {
        const std::string country = SelectedId(*cbCountry, dm.Countries());
        const std::string region = SelectedId(*cbRegion, dm.Regions());
        const std::string city = SelectedId(*cbCity, dm.Cities());
        if (Chosen(country, NoCountry, kAskCountry) && Chosen(region, NoRegion, kAskRegion) &&
            Chosen(city, NoCity, "Выберите, пожалуйста, город.")) {
            data::TStation loaded;
            if (FetchAreaList(
                    "станций метро",
                    loaded, [&] { m_engine->LoadMetroStations(country, region, loaded, "Station", "id", city); },
                    *cbStation, dm.Stations(), NoStation, "Выберите станцию...",
                    "В городе " + cbCity->currentText().toStdString() + " не найдено ни одной станции метро!"))
                m_stationsStale = false;
        }
    }
    SelectFirstWhenNone(*cbStation);
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
    data::TdmFriend& dm = data::dmFriend();
    data::TTesselSettings& s = dm.Settings();

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
