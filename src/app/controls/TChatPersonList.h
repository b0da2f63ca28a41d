#pragma once
// The records of a profile table as pages of person cards: 50 records a
// page, one card expanded at a time, buttons for the previous and the next
// 50, and deletion of a card's record after a Yes/No question. The
// favourites window embeds it and binds its events.
//
// Cards are freed with deleteLater (a page rebuilt or a card deleted from
// within a card's own click handler must not destroy that card under it).
//
// The form is registered as "TChatPersonList" (RegisterChatPersonListForms),
// so the favourites window creates it by name and embeds it.

#include "platform/TForm.h"
#include "platform/TPanel.h"

#include <QPixmap>
#include <array>
#include <functional>
#include <string_view>
#include <vector>

class QPushButton;
class QScrollArea;

namespace data {
class TXMLTable;
}

namespace app {

class TChatPerson;

class TChatPersonList : public platform::TForm {
    Q_OBJECT

public:
    // Records a page shows.
    static constexpr int PageSize = 50;
    // The eight pictures every card of the list shares.
    static constexpr std::array<std::string_view, 8> SharedBitmapNames = {
        "GOTO", "LETTERSHORT", "ABSENT", "ABSENTSELECTED", "TOPLEFTABSENT", "CONNECTED", "CONNECTEDSELECTED",
        "TOPLEFTCONNECTED"};

    explicit TChatPersonList(QWidget* owner = nullptr);
    ~TChatPersonList() override;

    // The table shown (borrowed; fields read: Name, Age, Area, URL, Intim,
    // VipUser, RealUser, PhotoCount, VideoCount, NewMessage). Without one,
    // ShowPage shows nothing.
    data::TXMLTable* Friend() const { return m_friend; }
    void SetFriend(data::TXMLTable* table) { m_friend = table; }
    // Whether expanded cards offer the delete basket; copied to every card.
    bool BasketVisible() const { return m_basketVisible; }
    void SetBasketVisible(bool value) { m_basketVisible = value; }
    // The cards of the current page, in order.
    int Count() const { return static_cast<int>(m_cards.size()); }
    TChatPerson* Person(int index) const { return m_cards.at(index); }
    // The page window: 0-based record indexes, PageEnd = PageStart + 49.
    int PageStart() const { return m_pageStart; }
    int PageEnd() const { return m_pageEnd; }
    // The record whose card ShowPage expands; -1 (or a record off the page)
    // expands none. Follows its record when an earlier one is deleted, and
    // becomes -1 when its own is.
    int SelectedIndex() const { return m_selectedIndex; }

    // Rebuilds the cards of the current page, expanding the card of record
    // `selectedIndex`. A page left empty because the table shrank shows the
    // first page instead. Errors of the table pass to the caller.
    void ShowPage(int selectedIndex);
    // Frees every card, then fires OnRefresh.
    void ClearPersons();
    // The 0-based index of the first record whose "URL" equals the card's
    // exactly, or -1.
    int FindRecordByURL(const TChatPerson& card) const;
    // One of SharedBitmapNames (loaded when the list was made); any other
    // name gives a null pixmap.
    QPixmap SharedBitmap(std::string_view name) const;

    // The page buttons.
    void btnPrivClick();
    void btnNextClick();

    // Events. Card events have the card as sender; they are fired from within
    // the card's own click, so a handler must not destroy the card itself.
    // Before and after a card is clicked (expanded or collapsed) or its
    // deletion is asked for. After a deletion the removed card is collapsed,
    // hidden and freed from the event loop; the next page's first record
    // moves up into the page.
    std::function<void(TChatPerson& card)> OnBeginPersonClick;
    std::function<void(TChatPerson& card)> OnEndPersonClick;
    // After a card was clicked, so that its photo can be fetched.
    std::function<void(TChatPerson& card)> OnLoadPersonPhoto;
    // A card's "Открыть анкету" link was clicked.
    std::function<void(TChatPerson& card)> OnQuestionnaireClick;
    // A record was deleted from the table, which should now be saved.
    std::function<void(data::TXMLTable& table)> OnSaveChanges;
    // The cards were cleared or rebuilt, or a deletion was asked for.
    std::function<void(TChatPersonList& list)> OnRefresh;

    // Form components.
    QScrollArea* sbxPersons = nullptr;
    platform::TPanel* pnPriv = nullptr;
    QPushButton* btnPriv = nullptr;
    platform::TPanel* pnPersonList = nullptr;
    platform::TPanel* pnNext = nullptr;
    QPushButton* btnNext = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScrollToTop();
    // Scrolls the list as the arrow, page, Home and End keys ask; false for
    // any other key.
    bool ScrollByKey(int key);
    void PersonClick(TChatPerson& card);
    void PersonDeleteClick(TChatPerson& card);
    void FillPersonFromRecord(TChatPerson& card);
    // A card for record `index` after the others (not placed yet); none for
    // a record without a name.
    TChatPerson* AddCard(int index);
    // The page after record `deleted` (-1: none) went from the table.
    void FillPageAfterDeletion(int deleted);
    // Cards one under another, each as high as its style makes it.
    void LayoutCards();
    void Refresh();
    // Runs a page button's work; errors are shown, never thrown out of the click.
    void PageButton(void (TChatPersonList::*step)());

    data::TXMLTable* m_friend = nullptr;
    bool m_basketVisible = true;
    int m_pageStart = 0;
    int m_pageEnd = PageSize - 1;
    int m_selectedIndex = -1;
    std::vector<TChatPerson*> m_cards;
    std::array<QPixmap, SharedBitmapNames.size()> m_sharedBitmaps;
};

// Registers TChatPersonList by class name.
void RegisterChatPersonListForms();

} // namespace app
