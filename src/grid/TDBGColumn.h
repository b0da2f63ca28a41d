#pragma once
// One column of the data grid: the field it shows (bound by name), its
// appearance and editing settings, its title, footer and checkbox.
//
// Every appearance property follows the grid or the field until it is set;
// the column's assigned-value set records which properties hold values of
// their own. That set decides what is streamed and what RestoreDefaults
// forgets. Every change is reported to the collection once: compound
// operations (RestoreDefaults, FieldName) gather their changes into one
// report.

#include "grid/GridTypes.h"
#include "platform/db/DbTypes.h"

#include <QFont>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QMenu;

namespace db {
class TField;
}

namespace grid {

class TColumnCheckbox;
class TColumnFooter;
class TColumnTitle;
class TDBGGridColumns;
class TMDBGridHost;

class TDBGColumn {
public:
    // Made by its collection (TDBGGridColumns::Add), which owns it.
    explicit TDBGColumn(TDBGGridColumns& collection);
    virtual ~TDBGColumn();
    TDBGColumn(const TDBGColumn&) = delete;
    TDBGColumn& operator=(const TDBGColumn&) = delete;

    TDBGGridColumns& Collection() const { return m_collection; }
    // The owning grid; nullptr for a collection without one.
    TMDBGridHost* Grid() const;
    // Position in the collection.
    int Index() const;
    // Moves the column to `value` and relayouts; throws EInvalidGridOperation
    // outside the collection.
    virtual void SetIndex(int value);
    // The FieldName, or the class name when it is empty.
    virtual std::string DisplayName() const;
    // Takes over the field name, what the source has assigned and its other
    // settings; the collection reports one change at the end.
    virtual void Assign(const TDBGColumn& source);
    // Forgets every assigned value (title, footer, checkbox included), the
    // pick list and the button style; reports one change.
    virtual void RestoreDefaults();
    TColumnValues AssignedValues() const { return m_assigned; }

    // The field, looked up by FieldName in the grid's dataset when none is
    // held (only an open dataset is asked); nullptr when there is none.
    db::TField* Field() const;
    virtual void SetField(db::TField* value);
    // Forgets the field without a report, so that the next read looks it up
    // again (the grid's layout, a field that went away).
    void ClearFieldReference() { m_field = nullptr; }
    const std::string& FieldName() const { return m_fieldName; }
    // A name the dataset does not hold leaves the column without a field.
    void SetFieldName(std::string value);

    QColor Color() const;
    void SetColor(const QColor& value);
    QColor DefaultColor() const;
    int Width() const;
    virtual void SetWidth(int value);
    // 64 without a grid; the grid's default column width without a field;
    // otherwise the field's display width in digits of the column font.
    int DefaultWidth() const;
    QFont Font() const;
    void SetFont(const QFont& value);
    QFont DefaultFont() const;
    db::TAlignment Alignment() const;
    virtual void SetAlignment(db::TAlignment value);
    db::TAlignment DefaultAlignment() const;
    bool ReadOnly() const;
    virtual void SetReadOnly(bool value);
    bool DefaultReadOnly() const;
    bool WordWrap() const;
    void SetWordWrap(bool value);
    bool DefaultWordWrap() const;
    // The fields a lookup list shows, ";" between names: the lookup
    // field's result field until assigned; empty for other fields.
    std::string LookupDisplayFields() const;
    void SetLookupDisplayFields(std::string value);
    std::string DefaultLookupDisplayFields() const;

    // The drop-down choices of the cell editor; empty for none.
    const QStringList& PickList() const { return m_pickList; }
    void SetPickList(const QStringList& value) { m_pickList = value; }
    // Not owned; cleared when the menu is destroyed.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* value);
    uint32_t DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(uint32_t value) { m_dropDownRows = value; }
    TColumnButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TColumnButtonStyle value);
    // 0 = the editor's width, -1 = from the lookup fields, > 0 = pixels.
    int DropDownWidth() const { return m_dropDownWidth; }
    void SetDropDownWidth(int value);
    bool AlwaysShowEditButton() const { return m_alwaysShowEditButton; }
    void SetAlwaysShowEditButton(bool value);
    bool AutoDropDown() const { return m_autoDropDown; }
    void SetAutoDropDown(bool value);
    bool EndEllipsis() const { return m_endEllipsis; }
    void SetEndEllipsis(bool value);
    // Proportional fitting: the width that fitting scales (set to the width
    // whenever the field changes), and whether the column takes part.
    bool AutoFit() const { return m_autoFit; }
    void SetAutoFit(bool value);
    int AutoFitBaseWidth() const { return m_autoFitBase; }
    void SetAutoFitBaseWidth(int value) { m_autoFitBase = value; }

    TColumnTitle& Title() const { return *m_title; }
    TColumnFooter& Footer() const { return *m_footer; }
    TColumnCheckbox& Checkbox() const { return *m_checkbox; }

    // How the cell editor edits this column: an ellipsis button, a lookup
    // list (a lookup field whose keys may be written, in a grid that may
    // edit), a pick list (when it holds choices and the column is not
    // read-only), or plain.
    TEditStyle EditStyle() const;

    // What is streamed, in published order; nested objects as "Title.Caption".
    TStoredProperties StoredProperties() const;
    // Sets one streamed property; false for a name the column does not know.
    bool ReadProperty(std::string_view name, const QVariant& value);

    // Reports a change of this column (or of all columns) to the collection;
    // held back while a compound operation runs.
    void Changed(bool allItems);

protected:
    // The class name shown when the column has no field name.
    virtual std::string_view ClassName() const { return "TDBGColumn"; }
    void SetTitleObject(std::unique_ptr<TColumnTitle> title);
    // Stores a width without the write-through a derived column adds.
    void StoreWidth(int value);
    void StoreAlignment(db::TAlignment value);
    void StoreReadOnly(bool value);
    void ClearFieldName() { m_fieldName.clear(); }

    // Gathers the changes of a compound operation into one report.
    class TChangeBatch {
    public:
        explicit TChangeBatch(TDBGColumn& column);
        // Reports what was gathered, unless an exception is leaving.
        ~TChangeBatch() noexcept(false);
        TChangeBatch(const TChangeBatch&) = delete;
        TChangeBatch& operator=(const TChangeBatch&) = delete;

    private:
        TDBGColumn& m_column;
        int m_uncaught;
    };

private:
    friend class TColumnTitle;
    friend class TColumnFooter;
    friend class TColumnCheckbox;

    bool IsAssigned(TColumnValue value) const { return m_assigned.Has(value); }
    void SetAssigned(TColumnValue value, bool on) { m_assigned.Set(value, on); }

    TDBGGridColumns& m_collection;
    mutable db::TField* m_field = nullptr;
    std::string m_fieldName;
    QColor m_color;
    int m_width = 0;
    std::unique_ptr<TColumnTitle> m_title;
    QFont m_font;
    QStringList m_pickList;
    QPointer<QMenu> m_popupMenu;
    uint32_t m_dropDownRows = 7;
    TColumnButtonStyle m_buttonStyle = TColumnButtonStyle::cbsAuto;
    db::TAlignment m_alignment = db::TAlignment::taLeftJustify;
    bool m_readOnly = false;
    TColumnValues m_assigned;
    std::unique_ptr<TColumnFooter> m_footer;
    std::unique_ptr<TColumnCheckbox> m_checkbox;
    bool m_autoFit = true;
    int m_autoFitBase = 0;
    bool m_wordWrap = false;
    bool m_endEllipsis = false;
    int m_dropDownWidth = 0;
    std::string m_lookupDisplayFields;
    bool m_alwaysShowEditButton = false;
    bool m_autoDropDown = false;
    int m_batchDepth = 0;
    bool m_pendingChange = false;
    bool m_pendingAll = false;
};

} // namespace grid
