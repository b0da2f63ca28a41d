#pragma once
// The grid's in-place cell editor: a text line with, depending on the
// column, an ellipsis button or a drop-down button that opens the column's
// pick list, or for a lookup field the lookup list (the rows of the lookup
// dataset; choosing one writes its keys into the key fields). A list never
// takes the focus: while it is open the editor hands it the keys (arrows
// move in it, typed characters search it).
//
// Keys the editor has no use for go to the grid (row moves, Tab, Escape,
// Ctrl+Delete, and with the editor always shown the arrows past the text's
// ends); the grid's key events see the editor's own keys first.

#include "grid/GridTypes.h"

#include <QWidget>

class QLineEdit;

namespace grid {

class TInplaceEditHost;
class TPopupListbox;

class TDBGridInplaceEdit : public QWidget {
    Q_OBJECT
public:
    explicit TDBGridInplaceEdit(TInplaceEditHost& host, QWidget* parent = nullptr);
    ~TDBGridInplaceEdit() override;

    // Takes the style, colour, font and text of the host's current cell.
    void UpdateContents();
    TEditStyle EditStyle() const { return m_editStyle; }
    void SetEditStyle(TEditStyle value);
    // Width of the edit button (the width of a vertical scroll bar).
    int ButtonWidth() const { return m_buttonWidth; }
    // The button's rectangle; empty for the plain style.
    QRect ButtonRect() const;

    QLineEdit* LineEdit() const { return m_edit; }
    QString Text() const;
    void SetText(const QString& text);

    // The pick list and the lookup list, each made the first time its
    // style is taken.
    TPopupListbox* PickList() const { return m_pickList; }
    TPopupListbox* DataList() const { return m_dataList; }
    bool ListVisible() const { return m_listVisible; }
    // Opens the list of the current style under the editor (above it when
    // it would pass the screen's bottom); nothing when open or without one.
    void DropDown();
    // Closes an open list; accepting writes the chosen item into the field
    // (a lookup row: its keys into the key fields) when the grid allows
    // editing. Not accepting a lookup row gives the editor the field's text
    // back. Errors of the field propagate, the list already closed.
    void CloseUp(bool accept);

    // Where a drop-down of `list` size goes for an editor at `editor` (both
    // in screen coordinates) on `screen`: below, else above; no wider than
    // the screen and moved left to end at its right edge.
    static QRect DropDownRect(const QRect& editor, QSize list, const QRect& screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // A hidden editor leaves no list open (not accepting).
    void hideEvent(QHideEvent* event) override;

private:
    // Keys of the line: true when used here.
    bool KeyDown(QKeyEvent& key);
    bool DoDropDownKeys(QKeyEvent& key);
    // The caret (or a selection of all of the text) is at the text's start
    // or end.
    bool AtLeftSide() const;
    bool AtRightSide() const;
    // Fills the lookup list from the lookup dataset (`width`: its fields'
    // columns); no rows from a closed one.
    void FillDataList(TPopupListbox& list, int& width);
    // With the lookup list, the editor shows the list's current row.
    void FollowList();
    // Hands a key to the open list: moves in it or searches it.
    void SendToList(QKeyEvent& key);
    void StopTracking();
    void SetPressed(bool value);
    void UpdateBounds();
    // Runs an action of an event handler; its errors go to the host.
    template <class F>
    void Guarded(F&& action);

    TInplaceEditHost& m_host;
    QLineEdit* m_edit;
    int m_buttonWidth;
    TPopupListbox* m_pickList = nullptr;
    TPopupListbox* m_dataList = nullptr;
    TPopupListbox* m_activeList = nullptr;
    TEditStyle m_editStyle = TEditStyle::esSimple;
    bool m_listVisible = false;
    bool m_tracking = false;
    bool m_pressed = false;
    // The pointer went from the button into the open list while held.
    bool m_listDrag = false;
};

} // namespace grid
