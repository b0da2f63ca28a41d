#pragma once
// The data grid's link to its dataset. It keeps the field map (which
// dataset field each column shows) and the grid's record window: the run of
// consecutive records the grid's data rows show, BufferCount rows long, that
// follows the dataset's cursor the way a record buffer does (it moves only
// when the cursor leaves it). Painting reads the window's records by index,
// so it never moves the cursor.
//
// In insert state the record being inserted takes a place of its own in the
// window, before the stored record it precedes.

#include "platform/db/TDataLink.h"

#include <string_view>
#include <vector>

namespace grid {

class TCustomMDBGrid;

class TGridDataLink : public db::TDataLink {
public:
    // What a window row shows.
    static constexpr int kNoRecord = -1;
    static constexpr int kInsertedRecord = -2;

    explicit TGridDataLink(TCustomMDBGrid& grid);
    ~TGridDataLink() override;

    // The field map: entries in use, and the field of entry `i` (nullptr
    // outside the map or for a name the dataset does not hold).
    int FieldCount() const { return static_cast<int>(m_fieldMap.size()); }
    db::TField* Fields(int i) const;
    // Adds the field named `fieldName`. With a sparse map a missing field
    // gives an empty entry; otherwise the dataset's FieldByName throws.
    // Throws EInvalidGridOperation past the map's size limit.
    bool AddMapping(std::string_view fieldName);
    void ClearMapping() { m_fieldMap.clear(); }
    bool SparseMap() const { return m_sparseMap; }
    void SetSparseMap(bool value) { m_sparseMap = value; }
    // The dataset's own fields are shown, and no entry is empty.
    bool DefaultFields() const;

    // The editor holds a change not yet written to the field.
    bool Modified() const { return m_modified; }
    void SetModified() { m_modified = true; }
    // Escape: re-reads the record when the editor changed it, else cancels
    // the dataset's edit.
    void Reset();

    // The record window. BufferCount is at least 1.
    int BufferCount() const { return m_bufferCount; }
    void SetBufferCount(int value);
    // Records the window holds (0 when inactive or empty).
    int RecordCount() const;
    // Window row of the current record; -1 without one.
    int ActiveRecord() const;
    // The stored record index a window row shows, kInsertedRecord for the
    // record being inserted, kNoRecord past the records.
    int RecordIndexAt(int row) const;
    // Moves the window so that it holds the current record and stays full
    // where the records allow; answers how many rows it moved (positive
    // when it went towards the end).
    int SyncWindow();

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;
    void UpdateData() override;
    void FieldChanged(db::TField& field) override;
    void FocusControl(db::TField*& field) override;
    void FieldListChanging() override;

private:
    // Records including one being inserted, and the current one's place.
    int VirtualCount() const;
    int VirtualCurrent() const;

    TCustomMDBGrid& m_grid;
    std::vector<db::TField*> m_fieldMap;  // nullptr for a name the dataset lacks
    bool m_modified = false;
    bool m_inUpdateData = false;
    bool m_sparseMap = false;
    int m_bufferCount = 1;
    int m_first = 0;  // virtual index of window row 0
};

} // namespace grid
