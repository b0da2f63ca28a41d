#include "platform/db/TDataLink.h"

#include "platform/db/TDataSet.h"
#include "platform/db/TDataSource.h"

namespace db {

TDataLink::~TDataLink() {
    if (m_dataSource) m_dataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == m_dataSource) return;
    if (m_dataSource) m_dataSource->RemoveLink(this);
    m_dataSource = source;
    if (source) source->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const { return m_dataSource ? m_dataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
    if (value == m_readOnly) return;
    m_readOnly = value;
    UpdateState();
}

bool TDataLink::Edit() {
    if (!m_readOnly && m_active && DataSet()->State() == TDataSetState::dsBrowse) DataSet()->Edit();
    return m_editing;
}

void TDataLink::UpdateRecord() {
    if (m_active) UpdateData();
}

void TDataLink::UpdateState() {
    const TDataSetState state = m_dataSource ? m_dataSource->State() : TDataSetState::dsInactive;
    const bool active = state != TDataSetState::dsInactive;
    if (active != m_active) {
        m_active = active;
        ActiveChanged();
    }
    const bool editing =
        active && !m_readOnly && (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert);
    if (editing != m_editing) {
        m_editing = editing;
        EditingChanged();
    }
}

} // namespace db
