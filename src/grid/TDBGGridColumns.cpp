#include "grid/TDBGGridColumns.h"

#include "grid/TDBGColumn.h"
#include "grid/TMDBGridHost.h"
#include "grid/TPassthroughColumn.h"

#include <algorithm>
#include <string>

namespace grid {
namespace {

[[noreturn]] void IndexError(int index) {
    throw EInvalidGridOperation("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

TDBGGridColumns::TDBGGridColumns(TMDBGridHost* grid, TColumnFactory columnClass)
    : m_grid(grid), m_columnClass(std::move(columnClass)) {
    if (!m_columnClass) m_columnClass = [](TDBGGridColumns& owner) { return std::make_unique<TDBGColumn>(owner); };
}

TDBGGridColumns::~TDBGGridColumns() = default;

TDBGColumn& TDBGGridColumns::Items(int index) const {
    if (index < 0 || index >= Count()) IndexError(index);
    return *m_items[static_cast<size_t>(index)];
}

int TDBGGridColumns::IndexOf(const TDBGColumn& column) const {
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<size_t>(i)].get() == &column) return i;
    return -1;
}

TDBGColumn& TDBGGridColumns::Add() {
    // A new column changes the grid's layout once, when it is complete.
    if (m_grid) m_grid->BeginLayout();
    TDBGColumn* column = nullptr;
    try {
        column = &AddItem(m_columnClass(*this));
    } catch (...) {
        if (m_grid) m_grid->EndLayout();
        throw;
    }
    if (m_grid) m_grid->EndLayout();
    return *column;
}

TDBGColumn& TDBGGridColumns::AddItem(std::unique_ptr<TDBGColumn> column) {
    TDBGColumn& added = *column;
    m_items.push_back(std::move(column));
    Changed(nullptr);
    return added;
}

void TDBGGridColumns::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    m_items.erase(m_items.begin() + index);
    Changed(nullptr);
}

void TDBGGridColumns::Clear() {
    if (m_items.empty()) return;
    BeginUpdate();
    m_items.clear();
    EndUpdate();
}

void TDBGGridColumns::Move(int from, int to) {
    if (from < 0 || from >= Count()) IndexError(from);
    if (to < 0 || to >= Count()) IndexError(to);
    if (from == to) return;
    const auto first = m_items.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    Changed(nullptr);
}

void TDBGGridColumns::Arrange(const std::vector<int>& order) {
    std::vector<bool> seen(m_items.size(), false);
    bool moved = false;
    for (size_t i = 0; i < order.size(); ++i) {
        const int from = order[i];
        if (order.size() != m_items.size() || from < 0 || from >= Count() || seen[static_cast<size_t>(from)])
            throw EInvalidGridOperation("Invalid column order");
        seen[static_cast<size_t>(from)] = true;
        moved = moved || from != static_cast<int>(i);
    }
    if (order.size() != m_items.size()) throw EInvalidGridOperation("Invalid column order");
    if (!moved) return;
    std::vector<std::unique_ptr<TDBGColumn>> arranged(m_items.size());
    for (size_t i = 0; i < order.size(); ++i) arranged[i] = std::move(m_items[static_cast<size_t>(order[i])]);
    m_items = std::move(arranged);
    Changed(nullptr);
}

void TDBGGridColumns::ColumnMoved(int fromIndex, int toIndex) { Items(fromIndex).SetIndex(toIndex); }

void TDBGGridColumns::Assign(const TDBGGridColumns& source) {
    if (&source == this) return;
    BeginUpdate();
    try {
        m_items.clear();
        for (const auto& item : source.m_items) AddItem(m_columnClass(*this)).Assign(*item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TDBGridColumnsState TDBGGridColumns::State() const {
    if (m_items.empty() || dynamic_cast<const TPassthroughColumn*>(m_items.front().get()))
        return TDBGridColumnsState::csDefault;
    return TDBGridColumnsState::csCustomized;
}

void TDBGGridColumns::EndUpdate() {
    if (m_updateCount == 0) return;
    if (--m_updateCount == 0) Changed(nullptr);
}

std::vector<TStoredProperties> TDBGGridColumns::Store() const {
    std::vector<TStoredProperties> out;
    out.reserve(m_items.size());
    for (const auto& item : m_items) out.push_back(item->StoredProperties());
    return out;
}

void TDBGGridColumns::Load(const std::vector<TStoredProperties>& columns) {
    BeginUpdate();
    try {
        m_items.clear();
        for (const auto& properties : columns) {
            TDBGColumn& column = AddItem(m_columnClass(*this));
            for (const auto& property : properties) column.ReadProperty(property.Name, property.Value);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TDBGGridColumns::Changed(TDBGColumn* item) {
    if (m_updateCount == 0) Update(item);
}

void TDBGGridColumns::Update(TDBGColumn* item) {
    if (!m_grid || m_grid->IsLoading()) return;
    if (!item) {
        m_grid->LayoutChanged();
        return;
    }
    const TDBGridOptions options = m_grid->Options();
    const int rawCol = item->Index() + m_grid->IndicatorOffset();
    m_grid->InvalidateCol(rawCol);
    if (!options.Has(TDBGridOption::dgAutoFitColumns)) m_grid->SetColWidth(rawCol, item->Width());
    // Group titles depend on every caption and width.
    if (options.Has(TDBGridOption::dgMultilineTitle)) m_grid->LayoutChanged();
}

} // namespace grid
