#pragma once
// The favourites page docked in the main window's "pnForm" by "Избранные":
// the favourites table (dmFriend().Friends(), "Friends.xml") as a
// read-only grid whose titles sort it, and as pages of person cards whose
// photos are fetched from the members' profile pages on the site.
//
// The grid shows either the favourites table itself or the sorted view, a
// table of copies of the favourites in the order of the title clicked. The
// sort orders are built one timer tick after each refresh; a title click
// before that changes nothing. Every change made here is saved at once and
// followed by RefreshFavourites, which shows the unsorted table again.
//
// Registered as "TfrmFavourites" (RegisterFavouritesForms). Needs the data
// module, and "TChatPersonList" registered for the card page.

#include "app/forms/TFavouritesIndex.h"
#include "grid/GridTypes.h"
#include "platform/TForm.h"
#include "platform/db/DbTypes.h"

#include <QPointer>
#include <array>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace data {
class TFriend;
class TXMLTable;
} // namespace data
namespace db {
class TDataSource;
}
namespace grid {
class TDBGColumn;
class TMDBGrid;
} // namespace grid
namespace platform {
class TPanel;
}

namespace app {

class TChatPerson;
class TChatPersonList;
class TPersonPhotoLoader;

class TfrmFavourites : public platform::TForm {
    Q_OBJECT

public:
    // The grid's nine columns: field, title, alignment.
    struct TColumnSpec {
        const char* Field;
        const char* Title;
        db::TAlignment Alignment;
    };
    static constexpr std::array<TColumnSpec, 9> GridColumns = {{
        {"Name", "Имя", db::TAlignment::taLeftJustify},
        {"Age", "Возраст", db::TAlignment::taCenter},
        {"Area", "Регион", db::TAlignment::taLeftJustify},
        {"Login", "Ник", db::TAlignment::taLeftJustify},
        {"RealUser", "Real", db::TAlignment::taCenter},
        {"VipUser", "VIP", db::TAlignment::taLeftJustify},
        {"PhotoCount", "Фото", db::TAlignment::taRightJustify},
        {"VideoCount", "Видео", db::TAlignment::taRightJustify},
        {"Intim", "Интим", db::TAlignment::taCenter},
    }};
    // The marker of a column sorted ascending, and descending.
    static constexpr grid::TSortMarker SortedAscending = grid::TSortMarker::smDown;
    static constexpr grid::TSortMarker SortedDescending = grid::TSortMarker::smUp;

    // Loads the favourites (a damaged file is reported and left as it is),
    // embeds the card list and shows everything. The data module must exist.
    explicit TfrmFavourites(QWidget* owner = nullptr);
    ~TfrmFavourites() override;

    // Shows the favourites afresh: the first card page with no card expanded,
    // the unsorted table in the grid with no sort marker, the count; the
    // sort orders are rebuilt on the next tick of tmrGenIndex.
    Q_INVOKABLE void RefreshFavourites();
    // Detaches dsrFavourites from its table (before the favourites are
    // changed elsewhere); RefreshFavourites attaches it again.
    Q_INVOKABLE void DetachData();

    // Handlers of the components. None lets an exception out: failures are
    // shown with the information box.
    // "Открыть": the expanded card's profile (cards page) or the current
    // row's (table page) in the browser; only http and https addresses.
    void btnShowClick();
    // "Удалить": the expanded card's record after the card list's question
    // (cards page), or the selected rows (the current row when none is
    // selected) after a question; "Friends.xml" is saved.
    void btnDeleteClick();
    // "Очистить": every favourite after a question; "Friends.xml" is saved.
    void btnClearClick();
    // Opens the current row's profile, unless the double click belongs to
    // the title clicked just before it.
    void dbgFavouritesDblClick();
    // Sorts by the column clicked: its marker goes none -> ascending ->
    // descending -> ascending, every other column's to none. Nothing until
    // the sort orders are built.
    void dbgFavouritesTitleClick(grid::TDBGColumn& column);
    // Builds the sort orders and stops the timer.
    void tmrGenIndexTimer();

    // State, for the main window and for tests.
    // The card list; nullptr when "TChatPersonList" could not be created.
    TChatPersonList* PersonList() const;
    // The expanded card; nullptr when none is.
    TChatPerson* ExpandedPerson() const;
    bool IndicesReady() const { return m_index.Ready(); }
    // The sorted view: copies of the favourites in display order.
    data::TFriend& SortedView() const { return *m_sortedView; }
    // The favourites index each row of the sorted view was copied from.
    const std::vector<int>& SortedViewSource() const { return m_viewSource; }
    // What fetches the cards' photos.
    TPersonPhotoLoader& PhotoLoader() const { return *m_photos; }

    // Components.
    platform::TPanel* pnButtons = nullptr;
    QPushButton* btnShow = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClear = nullptr;
    QLabel* lbCount1 = nullptr;
    QLabel* lbCount = nullptr;
    QTabWidget* pcFavorites = nullptr;
    QWidget* tsFavotiteTable = nullptr;
    QWidget* tsFavotiteQueues = nullptr;
    grid::TMDBGrid* dbgFavourites = nullptr;
    platform::TPanel* pnFavoriteFriends = nullptr;
    db::TDataSource* dsrFavourites = nullptr;
    QTimer* tmrGenIndex = nullptr;

private:
    void BuildComponents();
    void BuildGrid();
    // Sort markers off, widths from the field sizes.
    void ResetColumns();
    void SortByColumn(std::string_view field, bool descending);
    // The favourites indices of the rows chosen for deletion.
    std::vector<int> SelectedFavourites() const;
    int FavouriteIndexOfRow(int recordIndex) const;
    void OpenCurrentRow();
    // Saves the favourites; a failure goes to ReloadAfterFailedSave with
    // `favourite`, and false is answered.
    bool SaveFavourites(int favourite);
    // The favourites as their file holds them, shown again with the cursor
    // on `favourite` (an index of the table, -1: the first row) before the
    // failure is told, so the box stands over the list it speaks of.
    void ReloadAfterFailedSave(const std::exception& error, int favourite);
    // The favourite the grid's cursor is on; -1 when none.
    int CurrentFavourite() const;
    void UpdateShowButton();
    // Card-list events.
    void EndPersonClick(TChatPerson& card);
    void LoadPersonPhoto(TChatPerson& card);
    void SaveChanges(data::TXMLTable& table);

    data::TFriend& Favourites() const;

    QPointer<TChatPersonList> m_personList;
    QPointer<TChatPerson> m_expandedPerson;
    bool m_titleClicked = false;
    std::unique_ptr<data::TFriend> m_sortedView;
    std::vector<int> m_viewSource;
    TFavouritesIndex m_index;
    // The field the view was last sorted by; empty when the shown order is
    // the table's own.
    std::string m_currentSort;
    std::unique_ptr<db::TDataSource> m_dataSource;
    bool m_docking = false;
    // Last, so that it goes first: what is under way is given up before
    // the cards go.
    std::unique_ptr<TPersonPhotoLoader> m_photos;
};

// Registers TfrmFavourites by class name.
void RegisterFavouritesForms();

} // namespace app
