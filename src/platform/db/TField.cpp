#include "platform/db/TField.h"

#include "platform/db/TDataSet.h"

namespace db {

TField::TField(TDataSet& dataSet, int slot, std::string name, int size, bool required)
    : m_dataSet(dataSet),
      m_slot(slot),
      m_fieldName(std::move(name)),
      m_size(size),
      m_required(required),
      m_displayWidth(size) {}

int TField::Index() const {
    for (int i = 0; i < m_dataSet.FieldCount(); ++i)
        if (&m_dataSet.Fields(i) == this) return i;
    return -1;
}

void TField::SetIndex(int value) { m_dataSet.FieldIndexChanged(*this, value); }

void TField::SetDisplayLabel(std::string value) {
    if (value == m_fieldName) value.clear();
    if (value == m_displayLabel) return;
    m_displayLabel = std::move(value);
    LayoutChanged();
}

void TField::SetDisplayWidth(int value) {
    if (value == m_displayWidth) return;
    m_displayWidth = value;
    LayoutChanged();
}

void TField::SetAlignment(TAlignment value) {
    if (value == m_alignment) return;
    m_alignment = value;
    SettingChanged();
}

void TField::SetReadOnly(bool value) {
    if (value == m_readOnly) return;
    m_readOnly = value;
    SettingChanged();
}

void TField::SetVisible(bool value) {
    if (value == m_visible) return;
    m_visible = value;
    LayoutChanged();
}

std::string TField::AsString() const { return m_dataSet.CurrentText(*this); }

bool TField::IsNull() const { return !m_dataSet.HasCurrentRecord(); }

void TField::SetAsString(std::string_view value) { m_dataSet.SetCurrentText(*this, value); }

bool TField::CanModify() const {
    return !m_readOnly && m_dataSet.CanModify() && (!Lookup() || m_dataSet.LookupKeysModifiable(*this));
}

void TField::FocusControl() { m_dataSet.DataEvent(TDataSet::TDataEvent::FocusControl, 0, this); }

void TField::LayoutChanged() { m_dataSet.DataEvent(TDataSet::TDataEvent::LayoutChange); }

void TField::SettingChanged() { m_dataSet.DataEvent(TDataSet::TDataEvent::FieldChange, 0, this); }

} // namespace db
