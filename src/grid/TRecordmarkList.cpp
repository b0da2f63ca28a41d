#include "grid/TRecordmarkList.h"

#include "grid/GridTypes.h"
#include "grid/TMDBGridHost.h"
#include "platform/db/TDataSet.h"

#include <string>

namespace grid {

TRecordmarkList::TRecordmarkList(TMDBGridHost& grid) : m_grid(grid) {}

void TRecordmarkList::Clear() {
    if (m_list.empty()) return;
    m_list.clear();
    ListChanged();
    m_grid.Invalidate();
}

const db::TBookmark& TRecordmarkList::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EInvalidGridOperation("List index out of bounds (" + std::to_string(index) + ")");
    return m_list[static_cast<size_t>(index)];
}

db::TBookmark TRecordmarkList::CurrentRow() const {
    const db::TDataSet* dataSet = m_grid.DataSet();
    if (!m_linkActive || !dataSet) throw EInvalidGridOperation("Cannot perform this operation on a closed dataset");
    return dataSet->GetBookmark();
}

bool TRecordmarkList::CurrentRowSelected() const {
    int index = 0;
    return Find(CurrentRow(), index);
}

void TRecordmarkList::SetCurrentRowSelected(bool value) {
    const db::TBookmark current = CurrentRow();
    if (current.IsNull()) return;
    int index = 0;
    if (Find(current, index) == value) return;
    if (value)
        m_list.insert(m_list.begin() + index, current);
    else
        m_list.erase(m_list.begin() + index);
    ListChanged();
    m_grid.InvalidateCurrentRow();
}

int TRecordmarkList::Compare(const db::TBookmark& a, const db::TBookmark& b) const {
    if (const db::TDataSet* dataSet = m_grid.DataSet()) return dataSet->CompareBookmarks(a, b);
    return a < b ? -1 : b < a ? 1 : 0;
}

bool TRecordmarkList::Find(const db::TBookmark& item, int& index) const {
    if (m_cacheIndex >= 0 && item == m_cacheItem) {
        index = m_cacheIndex;
        return m_cacheFind;
    }
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = (low + high) >> 1;
        const int order = Compare(m_list[static_cast<size_t>(middle)], item);
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (order == 0) {
                found = true;
                low = middle;
            }
        }
    }
    index = low;
    m_cacheItem = item;
    m_cacheIndex = low;
    m_cacheFind = found;
    return found;
}

int TRecordmarkList::Delete() {
    db::TDataSet* dataSet = m_grid.DataSet();
    if (!dataSet || m_list.empty()) return 0;
    int deleted = 0;
    dataSet->DisableControls();
    try {
        for (int i = Count() - 1; i >= 0; --i) {
            const db::TBookmark bookmark = m_list[static_cast<size_t>(i)];
            // Going to a bookmark whose record is gone would leave the
            // cursor where it was, and that record would be deleted instead.
            if (dataSet->BookmarkValid(bookmark)) {
                dataSet->GotoBookmark(bookmark);
                dataSet->Delete();
                ++deleted;
            }
            m_list.erase(m_list.begin() + i);
            ListChanged();
        }
    } catch (...) {
        dataSet->EnableControls();
        throw;
    }
    dataSet->EnableControls();
    return deleted;
}

bool TRecordmarkList::Refresh() {
    db::TDataSet* dataSet = m_grid.DataSet();
    if (!dataSet || !dataSet->Active()) return false;
    dataSet->CheckBrowseMode();
    bool dropped = false;
    for (int i = Count() - 1; i >= 0; --i) {
        if (dataSet->BookmarkValid(m_list[static_cast<size_t>(i)])) continue;
        m_list.erase(m_list.begin() + i);
        dropped = true;
    }
    if (dropped) {
        ListChanged();
        m_grid.Invalidate();
    }
    return dropped;
}

void TRecordmarkList::LinkActive(bool value) {
    Clear();
    m_linkActive = value;
}

} // namespace grid
