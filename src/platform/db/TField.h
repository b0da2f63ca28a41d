#pragma once
// One field of an open dataset: a string column with the display settings
// that data-aware controls read (label, width, alignment, visibility,
// read-only). Every field of this program is a string field.
//
// A lookup field shows the LookupResultField of the record of its
// LookupDataSet whose LookupKeyFields hold the same texts as this record's
// KeyFields (several names are separated by ";"). It stores nothing:
// writing it writes the key fields.

#include "platform/db/DbTypes.h"

#include <string>
#include <string_view>

namespace db {

class TDataSet;

class TField {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet& DataSet() const { return m_dataSet; }
    const std::string& FieldName() const { return m_fieldName; }
    TFieldKind FieldKind() const { return m_kind; }
    bool Lookup() const { return m_kind == TFieldKind::fkLookup; }
    // The lookup settings; empty (nullptr) for a data field.
    const std::string& KeyFields() const { return m_keyFields; }
    TDataSet* LookupDataSet() const { return m_lookupDataSet; }
    const std::string& LookupKeyFields() const { return m_lookupKeyFields; }
    const std::string& LookupResultField() const { return m_lookupResultField; }
    // Maximum length in characters; longer stored texts are cut to it.
    int Size() const { return m_size; }
    bool Required() const { return m_required; }

    // Position among the dataset's fields. Setting it moves the field there
    // (clamped to the field range) and reports a layout change.
    int Index() const;
    void SetIndex(int value);

    // The label controls show; empty means the field name.
    const std::string& DisplayLabel() const { return m_displayLabel.empty() ? m_fieldName : m_displayLabel; }
    void SetDisplayLabel(std::string value);
    std::string DisplayName() const { return DisplayLabel(); }
    // Width in characters that a control gives the field; starts as Size.
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    // The text of the current record ("" when there is none; the edited text
    // while the dataset is in edit or insert state; the drawn record's text
    // while a control draws one, see TDataSet::TDrawingRecord).
    std::string AsString() const;
    std::string DisplayText() const { return AsString(); }
    // Only when there is no current record: a record's empty text is data.
    bool IsNull() const;
    // Writes the current record's text. Throws EDatabaseError unless the
    // dataset is in edit or insert state and the field can be modified, and
    // while a record is being drawn. A lookup field writes its key fields:
    // "" empties them, another text must be a result of the lookup dataset.
    void SetAsString(std::string_view value);
    // The field is not read-only and its dataset can be modified; for a
    // lookup field, its key fields can be modified too.
    bool CanModify() const;
    // Asks the dataset's controls to bring this field into view and give it
    // the keyboard focus.
    void FocusControl();

private:
    friend class TDataSet;
    TField(TDataSet& dataSet, int slot, std::string name, int size, bool required);
    void LayoutChanged();
    void SettingChanged();

    TDataSet& m_dataSet;
    int m_slot;  // creation order; indexes the dataset's edit buffer
    std::string m_fieldName;
    int m_size;
    bool m_required;
    std::string m_displayLabel;
    int m_displayWidth;
    TAlignment m_alignment = TAlignment::taLeftJustify;
    bool m_readOnly = false;
    bool m_visible = true;
    TFieldKind m_kind = TFieldKind::fkData;
    std::string m_keyFields;
    TDataSet* m_lookupDataSet = nullptr;
    std::string m_lookupKeyFields;
    std::string m_lookupResultField;
};

} // namespace db
