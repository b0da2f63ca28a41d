#pragma once
// The grid's selected rows: bookmarks of the dataset kept in its record
// order, so that a row is found by binary search. The last lookup is
// cached; every change of the list empties the cache.

#include "platform/db/DbTypes.h"

#include <vector>

namespace grid {

class TMDBGridHost;

class TRecordmarkList {
public:
    explicit TRecordmarkList(TMDBGridHost& grid);
    TRecordmarkList(const TRecordmarkList&) = delete;
    TRecordmarkList& operator=(const TRecordmarkList&) = delete;

    // Empties the list and repaints the grid; nothing when already empty.
    void Clear();
    int Count() const { return static_cast<int>(m_list.size()); }
    // Throws EInvalidGridOperation "List index out of bounds (i)" outside
    // 0..Count-1.
    const db::TBookmark& Items(int index) const;
    // The dataset's current bookmark; throws EInvalidGridOperation "Cannot
    // perform this operation on a closed dataset" while the link is inactive.
    db::TBookmark CurrentRow() const;
    bool CurrentRowSelected() const;
    // Selects or unselects the current row and repaints it; nothing without
    // a current record or when the row already is as asked.
    void SetCurrentRowSelected(bool value);
    // Whether `item` is selected; `index` is its place, or where it would go.
    bool Find(const db::TBookmark& item, int& index) const;
    // The dataset's bookmark order (-1, 0, 1).
    int Compare(const db::TBookmark& a, const db::TBookmark& b) const;
    // Deletes the selected records from the dataset, last first, with its
    // controls disabled, and empties the list. A bookmark whose record no
    // longer exists is dropped without deleting anything. Answers the number
    // of records deleted. On an error the entries not yet handled stay and
    // the controls are enabled again.
    int Delete();
    // Drops bookmarks whose records no longer exist (a pending edit is
    // posted first); answers whether any was dropped, and then repaints.
    bool Refresh();
    // The grid's link became active or inactive: the list empties.
    void LinkActive(bool value);

private:
    void ListChanged() { m_cacheIndex = -1; }

    TMDBGridHost& m_grid;
    std::vector<db::TBookmark> m_list;
    mutable db::TBookmark m_cacheItem;
    mutable int m_cacheIndex = -1;
    mutable bool m_cacheFind = false;
    bool m_linkActive = false;
};

} // namespace grid
