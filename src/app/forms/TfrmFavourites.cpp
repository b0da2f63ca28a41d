#include "app/forms/TfrmFavourites.h"

#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/forms/FormGuards.h"
#include "app/forms/FormHosting.h"
#include "app/forms/TPersonPhotoLoader.h"
#include "app/forms/WebAddress.h"
#include "data/TFriend.h"
#include "data/TdmFriend.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"
#include "grid/TRecordmarkList.h"
#include "platform/FormRegistry.h"
#include "platform/MessageRoutines.h"
#include "platform/TPanel.h"
#include "platform/QtText.h"
#include "platform/db/TDataSource.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

// Beside a title's text: the cell's margins and the sort marker's room.
constexpr int kTitleRoom = 4 + 16 + 5;
// Beside a cell's text: its margins and the grid line.
constexpr int kCellRoom = 8;
// A text longer than this is cut rather than crowding the other columns out.
constexpr int kWidestColumn = 320;

// As wide as the column's title with a sort marker beside it, or as its
// widest text among the favourites, whichever is wider.
int FittingColumnWidth(const grid::TDBGColumn& column, const data::TXMLTable& table) {
    const QFontMetrics titleMetrics(column.Title().Font());
    const QFontMetrics cellMetrics(column.Font());
    int width = titleMetrics.horizontalAdvance(QString::fromStdString(column.Title().Caption())) + kTitleRoom;
    const int count = table.RecordCount();
    for (int i = 0; i < count && width < kWidestColumn; ++i) {
        // No character is narrower than a pixel: what lies past the widest
        // column's width in characters cannot widen it.
        const std::string text = data::TXMLTable::NodeText(table.RecordNode(i), column.FieldName(), kWidestColumn);
        width = std::max(width, cellMetrics.horizontalAdvance(platform::ToQString(text)) + kCellRoom);
    }
    return std::min(width, kWidestColumn);
}

// A question whose "Да" deletes more than one favourite: Enter and the
// focus are on "Нет", so that one key press loses nothing.
bool AskKeepingByDefault(const std::string& question) {
    return platform::ShowMessageQuery(question, platform::TMsgDlgType::mtConfirmation,
                                      platform::TMsgDlgButtons{platform::TMsgDlgBtn::mbYes, platform::TMsgDlgBtn::mbNo}
                                          .WithDefault(platform::TMsgDlgBtn::mbNo)) == platform::mrYes;
}

} // namespace

void RegisterFavouritesForms() { platform::RegisterFormClass<TfrmFavourites>("TfrmFavourites"); }

TfrmFavourites::TfrmFavourites(QWidget* owner)
    : TForm(owner), m_sortedView(std::make_unique<data::TFriend>()),
      m_dataSource(std::make_unique<db::TDataSource>()), m_photos(std::make_unique<TPersonPhotoLoader>()) {
    setObjectName("frmFavourites");
    dsrFavourites = m_dataSource.get();
    BuildComponents();

    data::TFriend& favourites = Favourites();
    // A file already known to fail was told about when it failed.
    const bool knownToFail = favourites.LoadFailedFor(favourites.FilePath());
    try {
        favourites.Load();
    } catch (const std::exception& error) {
        // The table keeps what it held and refuses to save over the file.
        if (!knownToFail) platform::ShowInfoMessage(std::string(error.what()) + ".");
    }
    m_personList = qobject_cast<TChatPersonList*>(ShowChildForm(*this, pnFavoriteFriends, "TChatPersonList", m_docking));
    if (m_personList) {
        m_personList->SetFriend(&favourites);
        m_personList->OnBeginPersonClick = [](TChatPerson&) {};
        m_personList->OnEndPersonClick = [this](TChatPerson& card) { EndPersonClick(card); };
        m_personList->OnLoadPersonPhoto = [this](TChatPerson& card) { LoadPersonPhoto(card); };
        m_personList->OnQuestionnaireClick = [](TChatPerson& card) { Guarded([&] { OpenWebAddress(card.URL()); }); };
        m_personList->OnSaveChanges = [this](data::TXMLTable& table) { SaveChanges(table); };
    }
    m_sortedView->Open();
    Guarded([this] { RefreshFavourites(); });
    m_titleClicked = false;
}

TfrmFavourites::~TfrmFavourites() {
    m_photos->AbortAll();
    // The grid (freed with the form's children, after the members) must let
    // go of the data source and the tables before they go.
    dbgFavourites->SetDataSource(nullptr);
    m_dataSource->SetDataSet(nullptr);
}

TChatPersonList* TfrmFavourites::PersonList() const { return m_personList; }

TChatPerson* TfrmFavourites::ExpandedPerson() const { return m_expandedPerson; }

data::TFriend& TfrmFavourites::Favourites() const { return data::dmFriend().Friends(); }

void TfrmFavourites::BuildComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pcFavorites = new QTabWidget(this);
    pcFavorites->setObjectName("pcFavorites");
    tsFavotiteTable = new QWidget;
    tsFavotiteTable->setObjectName("tsFavotiteTable");
    tsFavotiteQueues = new QWidget;
    tsFavotiteQueues->setObjectName("tsFavotiteQueues");
    pcFavorites->addTab(tsFavotiteTable, "Избранные (Таблица)");
    pcFavorites->addTab(tsFavotiteQueues, "Избранные (Анкеты)");
    pcFavorites->setCurrentWidget(tsFavotiteTable);
    layout->addWidget(pcFavorites, 1);

    BuildGrid();

    auto* queues = new QVBoxLayout(tsFavotiteQueues);
    queues->setContentsMargins(0, 0, 0, 0);
    pnFavoriteFriends = new platform::TPanel(tsFavotiteQueues);
    pnFavoriteFriends->setObjectName("pnFavoriteFriends");
    queues->addWidget(pnFavoriteFriends);

    pnButtons = new platform::TPanel(this);
    pnButtons->setObjectName("pnButtons");
    pnButtons->setFixedHeight(36);
    auto* row = new QHBoxLayout(pnButtons);
    row->setContentsMargins(6, 5, 6, 5);
    row->setSpacing(6);
    const auto button = [this, row](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, pnButtons);
        b->setObjectName(name);
        row->addWidget(b);
        return b;
    };
    btnShow = button("btnShow", "Открыть");
    btnDelete = button("btnDelete", "Удалить");
    btnClear = button("btnClear", "Очистить");
    row->addSpacing(16);
    lbCount1 = new QLabel("Всего", pnButtons);
    lbCount1->setObjectName("lbCount1");
    lbCount = new QLabel("0", pnButtons);
    lbCount->setObjectName("lbCount");
    row->addWidget(lbCount1);
    row->addWidget(lbCount);
    row->addStretch();
    layout->addWidget(pnButtons);

    tmrGenIndex = new QTimer(this);
    tmrGenIndex->setObjectName("tmrGenIndex");
    tmrGenIndex->setInterval(1000);

    connect(btnShow, &QPushButton::clicked, this, [this] { Guarded([this] { btnShowClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { Guarded([this] { btnDeleteClick(); }); });
    connect(btnClear, &QPushButton::clicked, this, [this] { Guarded([this] { btnClearClick(); }); });
    connect(tmrGenIndex, &QTimer::timeout, this, [this] { Guarded([this] { tmrGenIndexTimer(); }); });
    connect(pcFavorites, &QTabWidget::currentChanged, this, [this] { UpdateShowButton(); });
}

void TfrmFavourites::BuildGrid() {
    auto* table = new QVBoxLayout(tsFavotiteTable);
    table->setContentsMargins(0, 0, 0, 0);
    dbgFavourites = new grid::TMDBGrid(tsFavotiteTable);
    dbgFavourites->setObjectName("dbgFavourites");
    table->addWidget(dbgFavourites);
    using grid::TDBGridOption;
    dbgFavourites->SetOptions({TDBGridOption::dgTitles, TDBGridOption::dgColumnResize, TDBGridOption::dgColLines,
                               TDBGridOption::dgRowLines, TDBGridOption::dgRowSelect,
                               TDBGridOption::dgAlwaysShowSelection});
    dbgFavourites->SetReadOnly(true);
    grid::TDBGGridColumns& columns = dbgFavourites->Columns();
    columns.BeginUpdate();
    for (const TColumnSpec& spec : GridColumns) {
        grid::TDBGColumn& column = columns.Add();
        column.SetFieldName(spec.Field);
        column.SetAlignment(spec.Alignment);
        column.Title().SetCaption(spec.Title);
        column.Title().SetAlignment(db::TAlignment::taCenter);
        column.Title().SetSortMarker(grid::TSortMarker::smNone);
    }
    columns.EndUpdate();
    dbgFavourites->SetDataSource(dsrFavourites);
    dbgFavourites->OnTitleClick = [this](grid::TDBGColumn& column) {
        Guarded([&] { dbgFavouritesTitleClick(column); });
    };
    dbgFavourites->OnDblClick = [this](grid::TCustomMDBGrid&) { Guarded([this] { dbgFavouritesDblClick(); }); };
    // A press anywhere but on a title starts a gesture that is no title's:
    // a double click that follows it opens the row.
    dbgFavourites->OnMouseDown = [this](grid::TCustomMDBGrid& grid, QMouseEvent& event) {
        const QPoint at = event.position().toPoint();
        if (grid.MouseCoord(at.x(), at.y()).Y >= grid.TitleOffset()) m_titleClicked = false;
    };
}

void TfrmFavourites::ResetColumns() {
    const data::TFriend& favourites = Favourites();
    grid::TDBGGridColumns& columns = dbgFavourites->Columns();
    columns.BeginUpdate();
    for (int i = 0; i < columns.Count(); ++i) {
        grid::TDBGColumn& column = columns[i];
        column.Title().SetSortMarker(grid::TSortMarker::smNone);
        // A width equal to the column's default at this moment would not be
        // kept: the default changes once the column's field is bound again.
        const int width = FittingColumnWidth(column, favourites);
        if (width == column.DefaultWidth()) column.SetWidth(width + 1);
        column.SetWidth(width);
    }
    columns.EndUpdate();
}

void TfrmFavourites::DetachData() { m_dataSource->SetDataSet(nullptr); }

void TfrmFavourites::RefreshFavourites() {
    update();
    // The cards are rebuilt, so no card stays expanded and no photo is
    // waited for.
    m_expandedPerson = nullptr;
    m_photos->AbortAll();
    if (m_personList) m_personList->ShowPage(-1);
    DetachData();
    data::TFriend& favourites = Favourites();
    favourites.Open();
    favourites.First();
    ResetColumns();
    // The orders and the view refer to record positions that may have
    // changed: nothing is sorted until the orders are built again.
    m_index.Clear();
    m_currentSort.clear();
    m_sortedView->ClearRecords();
    m_viewSource.clear();
    m_dataSource->SetDataSet(&favourites);
    lbCount->setText(QString::number(favourites.RecordCount()));
    UpdateShowButton();
    tmrGenIndex->start();
}

void TfrmFavourites::tmrGenIndexTimer() {
    TCursorGuard cursor(Qt::BusyCursor);
    tmrGenIndex->stop();
    m_index.Build(Favourites());
}

void TfrmFavourites::SortByColumn(std::string_view field, bool descending) {
    TCursorGuard cursor(Qt::WaitCursor);
    DetachData();
    // A column without an order of its own keeps the order used last; with
    // none used yet, the table's own order.
    if (m_index.Order(field)) m_currentSort = field;
    const std::vector<int>* order = m_index.Order(m_currentSort);
    const data::TFriend& favourites = Favourites();
    const int count = favourites.RecordCount();
    std::vector<int> rows;
    if (order) {
        rows = *order;
    } else {
        rows.resize(size_t(count));
        for (int i = 0; i < count; ++i) rows[size_t(i)] = i;
    }
    if (descending) std::reverse(rows.begin(), rows.end());
    m_sortedView->ClearRecords();
    m_viewSource.clear();
    for (int index : rows) {
        if (index < 0 || index >= count) continue;
        m_sortedView->AddFromRecordAt(favourites, index);
        m_viewSource.push_back(index);
    }
    m_sortedView->First();
    m_dataSource->SetDataSet(m_sortedView.get());
}

void TfrmFavourites::dbgFavouritesTitleClick(grid::TDBGColumn& column) {
    m_titleClicked = true;
    if (!m_index.Ready()) return;
    const bool descending = column.Title().SortMarker() == SortedAscending;
    grid::TDBGGridColumns& columns = dbgFavourites->Columns();
    for (int i = 0; i < columns.Count(); ++i)
        if (&columns[i] != &column) columns[i].Title().SetSortMarker(grid::TSortMarker::smNone);
    column.Title().SetSortMarker(descending ? SortedDescending : SortedAscending);
    SortByColumn(column.FieldName(), descending);
}

int TfrmFavourites::FavouriteIndexOfRow(int recordIndex) const {
    const db::TDataSet* shown = m_dataSource->DataSet();
    if (shown == m_sortedView.get())
        return recordIndex >= 0 && size_t(recordIndex) < m_viewSource.size() ? m_viewSource[size_t(recordIndex)] : -1;
    return recordIndex;
}

std::vector<int> TfrmFavourites::SelectedFavourites() const {
    std::vector<int> result;
    const db::TDataSet* shown = m_dataSource->DataSet();
    const grid::TRecordmarkList& selected = dbgFavourites->SelectedRows();
    if (dbgFavourites->Options().Has(grid::TDBGridOption::dgMultiSelect) && selected.Count() > 0) {
        for (int i = 0; i < selected.Count(); ++i) result.push_back(FavouriteIndexOfRow(selected.Items(i).index));
    } else if (shown && shown->RecNo() > 0) {
        result.push_back(FavouriteIndexOfRow(shown->RecNo() - 1));
    }
    const int count = Favourites().RecordCount();
    std::erase_if(result, [count](int index) { return index < 0 || index >= count; });
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

bool TfrmFavourites::SaveFavourites(int favourite) {
    try {
        Favourites().Save();
        return true;
    } catch (const std::exception& error) {
        ReloadAfterFailedSave(error, favourite);
        return false;
    }
}

int TfrmFavourites::CurrentFavourite() const {
    const db::TDataSet* shown = m_dataSource->DataSet();
    return shown && shown->RecNo() > 0 ? FavouriteIndexOfRow(shown->RecNo() - 1) : -1;
}

// A change that could not be written is taken back: the favourites show
// what their file holds, so a contact whose removal failed stays listed.
void TfrmFavourites::ReloadAfterFailedSave(const std::exception& error, int favourite) {
    DetachData();
    try {
        Favourites().Load();
    } catch (const std::exception&) {
        // The table keeps what it has; the save's failure is what to tell.
    }
    RefreshFavourites();
    data::TFriend& favourites = Favourites();
    if (favourite >= 0 && favourite < favourites.RecordCount()) favourites.SetRecNo(favourite + 1);
    platform::ShowInfoMessage("Изменения в избранных не сохранены. " + std::string(error.what()) +
                              ".\nВ списке оставлено то, что записано в файле.");
}

void TfrmFavourites::btnDeleteClick() {
    if (pcFavorites->currentWidget() == tsFavotiteQueues) {
        if (m_expandedPerson) m_expandedPerson->Delete();
        return;
    }
    data::TFriend& favourites = Favourites();
    if (favourites.RecordCount() == 0) return;
    const std::vector<int> chosen = SelectedFavourites();
    if (chosen.empty()) return;
    const bool confirmed =
        chosen.size() == 1
            ? platform::MessageDlgEx("Удалить контакт \"" +
                                     data::TXMLTable::NodeDisplayText(favourites.RecordNode(chosen.front()), "Name") +
                                     "\"?") == platform::mrYes
            : AskKeepingByDefault("Удалить выбранные контакты (" + std::to_string(chosen.size()) + ")?");
    if (!confirmed) return;
    const int current = CurrentFavourite();
    DetachData();
    for (auto index = chosen.rbegin(); index != chosen.rend(); ++index) favourites.DeleteFriend(*index);
    if (SaveFavourites(current)) RefreshFavourites();
}

void TfrmFavourites::btnClearClick() {
    data::TFriend& favourites = Favourites();
    if (favourites.RecordCount() == 0) return;
    if (!AskKeepingByDefault("Удалить все контакты из избранных?")) return;
    const int current = CurrentFavourite();
    DetachData();
    favourites.ClearRecords();
    if (SaveFavourites(current)) RefreshFavourites();
}

void TfrmFavourites::dbgFavouritesDblClick() {
    // A double click on a title arrives here after the title's click; the
    // flag goes with the next press on a row, so that a later double click
    // on a row is never taken for the title's.
    if (m_titleClicked) {
        m_titleClicked = false;
        return;
    }
    OpenCurrentRow();
}

void TfrmFavourites::OpenCurrentRow() {
    if (Favourites().RecordCount() == 0) return;
    const auto* shown = dynamic_cast<const data::TXMLTable*>(m_dataSource->DataSet());
    if (!shown || shown->RecNo() == 0) return;
    OpenWebAddress(shown->GetFieldValue("URL"));
}

void TfrmFavourites::btnShowClick() {
    if (pcFavorites->currentWidget() == tsFavotiteQueues) {
        if (m_expandedPerson) OpenWebAddress(m_expandedPerson->URL());
        return;
    }
    OpenCurrentRow();
}

void TfrmFavourites::UpdateShowButton() {
    btnShow->setEnabled(pcFavorites->currentWidget() != tsFavotiteQueues || m_expandedPerson);
}

void TfrmFavourites::EndPersonClick(TChatPerson& card) {
    m_expandedPerson = card.ChatPersonStyle() == TChatPersonStyle::cpFull ? &card : nullptr;
    UpdateShowButton();
}

void TfrmFavourites::SaveChanges(data::TXMLTable& table) {
    auto* friends = dynamic_cast<data::TFriend*>(&table);
    if (!friends) return;
    const int current = CurrentFavourite();
    try {
        friends->Save();
    } catch (const std::exception& error) {
        if (friends != &Favourites()) {
            platform::ShowInfoMessage(error.what());
            return;
        }
        // The card of the contact comes back with the rest.
        ReloadAfterFailedSave(error, current);
        return;
    }
    if (friends != &Favourites()) return;
    // A card's record is gone: the grid, the count and the sort orders must
    // not go on showing or pointing at it. The card list builds its page again.
    DetachData();
    m_index.Clear();
    m_currentSort.clear();
    m_sortedView->ClearRecords();
    m_viewSource.clear();
    ResetColumns();
    friends->First();
    m_dataSource->SetDataSet(friends);
    lbCount->setText(QString::number(friends->RecordCount()));
    tmrGenIndex->start();
}

void TfrmFavourites::LoadPersonPhoto(TChatPerson& card) {
    if (card.HasPhoto()) return;
    // Tried once per card, whatever the outcome: a profile without a photo,
    // or one the site does not answer for, is not fetched again. The card
    // shows its "no photo" picture until the photo comes.
    card.SetHasPhoto(true);
    if (!IsWebAddress(QUrl(platform::ToQString(card.URL()), QUrl::StrictMode))) return;
    m_photos->Request(card);
}

} // namespace app
