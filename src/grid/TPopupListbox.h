#pragma once
// The cell editor's drop-down list: a frameless top-level list that never
// takes the focus (the editor hands it the keys) and selects the first item
// that begins with what was typed, pausing more than two seconds starting a
// new search. As a lookup list its items are rows of several fields, their
// texts kept apart (FieldsRole) and shown in columns; the search then looks
// at one of those columns.

#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

namespace grid {

class TPopupListbox : public QListWidget {
    Q_OBJECT
public:
    explicit TPopupListbox(QWidget* owner = nullptr);

    // Characters typed so far (at most 32), as UTF-8.
    std::string SearchText() const { return m_searchText.toStdString(); }
    // One typed character (a whole one: a surrogate pair stays together): Backspace or Escape empties the search text and
    // answers false (not used); a printable character extends the search
    // text and selects the first item that begins with it, ignoring letter
    // case (Cyrillic too), and answers true. Control characters answer false.
    bool KeyPress(const QString& character);
    // Milliseconds of a monotonic clock; tests put their own clock here.
    std::function<qint64()> TickCount;
    // A left button release in the list: `inside` tells whether it was over
    // the list's client area.
    std::function<void(bool inside)> OnMouseUp;

    // Height of one item with the list's font.
    int ItemHeight() const;

    // The texts of an item's fields (a QStringList), for a list with columns.
    static constexpr int FieldsRole = Qt::UserRole + 1;
    // Widths of the columns of items with FieldsRole; none (the default)
    // shows each item as one text. `searchColumn` is the column typed text
    // is looked for in.
    void SetColumns(std::vector<int> widths, int searchColumn);
    const std::vector<int>& Columns() const { return m_columns; }
    // The text of an item's search column.
    QString SearchedText(const QListWidgetItem& item) const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_searchText;
    qint64 m_searchTickCount = 0;
    std::vector<int> m_columns;
    int m_searchColumn = 0;
};

} // namespace grid
