#pragma once
// The grid's columns. The collection owns its columns, tells the grid of
// every change (through Update) and streams the columns' stored values.
// BeginUpdate/EndUpdate hold the reports back; EndUpdate sends one report
// of all columns.

#include "grid/GridTypes.h"

#include <functional>
#include <memory>
#include <vector>

namespace grid {

class TDBGColumn;
class TMDBGridHost;

class TDBGGridColumns {
public:
    // Makes a column of the collection's class.
    using TColumnFactory = std::function<std::unique_ptr<TDBGColumn>(TDBGGridColumns&)>;

    // `grid` may be nullptr; `columnClass` defaults to TDBGColumn.
    explicit TDBGGridColumns(TMDBGridHost* grid, TColumnFactory columnClass = {});
    virtual ~TDBGGridColumns();
    TDBGGridColumns(const TDBGGridColumns&) = delete;
    TDBGGridColumns& operator=(const TDBGGridColumns&) = delete;

    TMDBGridHost* Grid() const { return m_grid; }
    int Count() const { return static_cast<int>(m_items.size()); }
    // Throws EInvalidGridOperation "List index out of bounds (i)" outside
    // 0..Count-1.
    TDBGColumn& Items(int index) const;
    TDBGColumn& operator[](int index) const { return Items(index); }
    // -1 when the column is not in this collection.
    int IndexOf(const TDBGColumn& column) const;

    // Appends a column of the collection's class, inside one grid layout.
    TDBGColumn& Add();
    // Appends a column made by the caller (the grid's generated columns).
    TDBGColumn& AddItem(std::unique_ptr<TDBGColumn> column);
    // Frees one column; throws outside 0..Count-1.
    void Delete(int index);
    void Clear();
    // Moves the column at `from` to `to` (both data-column positions).
    void Move(int from, int to);
    // Puts the columns in the order of `order`, a list of every position
    // once; throws EInvalidGridOperation for anything else.
    void Arrange(const std::vector<int>& order);
    // The grid moved a column by mouse: the column item follows, so that
    // the columns and what is shown stay in the same order.
    void ColumnMoved(int fromIndex, int toIndex);
    // Makes this collection hold copies of the source's columns.
    void Assign(const TDBGGridColumns& source);

    // Customized when the first column is not one the grid generated.
    TDBGridColumnsState State() const;

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // The stored values of every column, and the reverse: reading first
    // clears the collection. Unknown names are skipped.
    std::vector<TStoredProperties> Store() const;
    void Load(const std::vector<TStoredProperties>& columns);

    // Called by columns: one change report (`item` nullptr = all columns).
    void Changed(TDBGColumn* item);

protected:
    // Tells the grid: a column's change repaints it and sets its width, a
    // change of all columns relayouts. Nothing while the grid is loading.
    virtual void Update(TDBGColumn* item);

private:
    TMDBGridHost* m_grid;
    TColumnFactory m_columnClass;
    std::vector<std::unique_ptr<TDBGColumn>> m_items;
    int m_updateCount = 0;
};

} // namespace grid
