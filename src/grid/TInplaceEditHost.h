#pragma once
// What the in-place cell editor needs of the grid that hosts it. The data
// grid implements it; tests implement it with a small stand-in.

#include <QColor>
#include <QFont>

#include <exception>
#include <string>

class QKeyEvent;

namespace grid {

class TDBGColumn;

class TInplaceEditHost {
public:
    virtual ~TInplaceEditHost() = default;

    // The column of the cell being edited; nullptr when there is none.
    virtual TDBGColumn* SelectedColumn() const = 0;
    // The text the editor shows for the cell (the field's edit text).
    virtual std::string GetEditText() const = 0;
    // The user changed the editor's text.
    virtual void SetEditText(const std::string& text) = 0;
    // Whether the cell may be changed now; answering true puts the dataset
    // in edit state. Errors of the dataset propagate.
    virtual bool CanEditModify() = 0;
    // The edit button of an ellipsis cell was clicked (or Ctrl+Enter).
    virtual void EditButtonClick() = 0;
    // May change the editor's font and background (the grid's cell event).
    virtual void GetCellParams(TDBGColumn& column, QFont& font, QColor& background) {
        (void)column, (void)font, (void)background;
    }
    // Keys the editor does not use itself (row and cell moves, Enter,
    // Escape without a list, Ctrl+Delete, arrows past the text's ends when
    // the editor is always shown); answer true when the grid took the key.
    virtual bool EditKeyDown(QKeyEvent& event) { (void)event; return false; }
    // Keys the editor uses itself are shown to the grid's key event first;
    // false when its handler stopped the key (the editor drops it).
    virtual bool EditKeyNotify(QKeyEvent& event) { (void)event; return true; }
    // A character typed in the editor: the grid may change it or drop it
    // (empty).
    virtual void EditKeyPress(QString& text) { (void)text; }
    virtual void EditKeyUp(QKeyEvent& event) { (void)event; }
    // Longest text the cell takes; 0 for no limit.
    virtual int GetEditLimit() const { return 0; }
    // The editor stays shown while moving between cells, so arrows past the
    // text's ends move to the neighbouring cell.
    virtual bool AlwaysShowEditor() const { return false; }
    // An error raised while the editor wrote a value (shown by the grid).
    virtual void EditError(const std::exception& error) = 0;
};

} // namespace grid
