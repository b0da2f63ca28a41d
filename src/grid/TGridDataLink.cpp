#include "grid/TGridDataLink.h"

#include "grid/GridTypes.h"
#include "grid/TCustomMDBGrid.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <algorithm>

namespace grid {
namespace {

// The largest field map the grid takes.
constexpr size_t kMaxMapSize = 268435455;

} // namespace

TGridDataLink::TGridDataLink(TCustomMDBGrid& grid) : m_grid(grid) {}

TGridDataLink::~TGridDataLink() = default;

db::TField* TGridDataLink::Fields(int i) const {
    if (i < 0 || i >= FieldCount()) return nullptr;
    return m_fieldMap[static_cast<size_t>(i)];
}

bool TGridDataLink::AddMapping(std::string_view fieldName) {
    if (m_fieldMap.size() >= kMaxMapSize) throw EInvalidGridOperation("Grid requested to display more than 256 columns");
    db::TDataSet* dataSet = DataSet();
    db::TField* field = nullptr;
    if (dataSet) field = m_sparseMap ? dataSet->FindField(fieldName) : &dataSet->FieldByName(fieldName);
    m_fieldMap.push_back(field);
    return true;
}

bool TGridDataLink::DefaultFields() const {
    const db::TDataSet* dataSet = DataSet();
    if (dataSet && !dataSet->DefaultFields()) return false;
    if (m_sparseMap) return std::find(m_fieldMap.begin(), m_fieldMap.end(), nullptr) == m_fieldMap.end();
    return true;
}

void TGridDataLink::Reset() {
    if (m_modified) {
        RecordChanged(nullptr);
    } else if (db::TDataSet* dataSet = DataSet()) {
        dataSet->Cancel();
    }
}

void TGridDataLink::SetBufferCount(int value) {
    m_bufferCount = std::max(1, value);
    SyncWindow();
}

int TGridDataLink::VirtualCount() const {
    const db::TDataSet* dataSet = DataSet();
    if (!Active() || !dataSet) return 0;
    return dataSet->RecordCount() + (dataSet->InsertIndex() >= 0 ? 1 : 0);
}

int TGridDataLink::VirtualCurrent() const {
    const db::TDataSet* dataSet = DataSet();
    if (!Active() || !dataSet) return -1;
    if (const int inserted = dataSet->InsertIndex(); inserted >= 0) return inserted;
    if (dataSet->RecordCount() == 0) return -1;
    return std::max(dataSet->RecNo(), 1) - 1;
}

int TGridDataLink::RecordCount() const {
    return std::clamp(VirtualCount() - m_first, 0, m_bufferCount);
}

int TGridDataLink::ActiveRecord() const {
    const int current = VirtualCurrent();
    return current < 0 ? -1 : current - m_first;
}

int TGridDataLink::RecordIndexAt(int row) const {
    if (row < 0 || row >= RecordCount()) return kNoRecord;
    const int index = m_first + row;
    const int inserted = DataSet()->InsertIndex();
    if (inserted < 0 || index < inserted) return index;
    return index == inserted ? kInsertedRecord : index - 1;
}

int TGridDataLink::SyncWindow() {
    const int old = m_first;
    const int current = VirtualCurrent();
    if (current >= 0) {
        if (current < m_first) m_first = current;
        else if (current >= m_first + m_bufferCount) m_first = current - m_bufferCount + 1;
    }
    // Keep the window full when records were removed at the end.
    m_first = std::max(0, std::min(m_first, VirtualCount() - m_bufferCount));
    return m_first - old;
}

void TGridDataLink::ActiveChanged() {
    m_first = 0;
    m_modified = false;
    SyncWindow();
    m_grid.LinkActive(Active());
}

void TGridDataLink::DataSetChanged() {
    SyncWindow();
    m_grid.DataChanged();
    m_modified = false;
}

void TGridDataLink::DataSetScrolled(int distance) {
    (void)distance;  // the cursor's move; the grid wants the window's
    m_grid.Scroll(SyncWindow());
}

void TGridDataLink::EditingChanged() { m_grid.EditingChanged(); }

void TGridDataLink::LayoutChanged() {
    m_grid.m_layoutFromDataset = true;
    try {
        m_grid.LayoutChanged();
    } catch (...) {
        m_grid.m_layoutFromDataset = false;
        throw;
    }
    m_grid.m_layoutFromDataset = false;
    m_grid.m_recordsKept = true;
    DataSetChanged();
}

void TGridDataLink::RecordChanged(db::TField* field) {
    SyncWindow();
    m_grid.RecordChanged(field);
    m_modified = false;
}

void TGridDataLink::FieldChanged(db::TField& field) { m_grid.FieldChanged(field); }

void TGridDataLink::FocusControl(db::TField*& field) { m_grid.FocusControl(field); }

void TGridDataLink::FieldListChanging() {
    m_fieldMap.clear();
    m_grid.FieldListChanging();
}

void TGridDataLink::UpdateData() {
    m_inUpdateData = true;
    try {
        if (m_modified) {
            if (db::TField* field = m_grid.SelectedField()) field->SetAsString(m_grid.GetEditText());
        }
    } catch (...) {
        m_inUpdateData = false;
        m_modified = false;
        throw;
    }
    m_inUpdateData = false;
    m_modified = false;
}

} // namespace grid
