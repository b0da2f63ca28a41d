#include "grid/TDBGColumn.h"

#include "grid/TColumnCheckbox.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGridHost.h"
#include "platform/TCustomGrid.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <QFontMetrics>
#include <QMenu>

#include <algorithm>
#include <cstdint>
#include <exception>

namespace grid {

TDBGColumn::TChangeBatch::TChangeBatch(TDBGColumn& column)
    : m_column(column), m_uncaught(std::uncaught_exceptions()) {
    ++m_column.m_batchDepth;
}

TDBGColumn::TChangeBatch::~TChangeBatch() noexcept(false) {
    if (--m_column.m_batchDepth > 0 || !m_column.m_pendingChange) return;
    m_column.m_pendingChange = false;
    const bool all = std::exchange(m_column.m_pendingAll, false);
    if (std::uncaught_exceptions() == m_uncaught) m_column.Changed(all);
}

TDBGColumn::TDBGColumn(TDBGGridColumns& collection) : m_collection(collection) {
    // The parts read the column's font, so they come once every member is made.
    m_font = DefaultFont();
    m_title = std::make_unique<TColumnTitle>(*this);
    m_footer = std::make_unique<TColumnFooter>(*this);
    m_checkbox = std::make_unique<TColumnCheckbox>(*this);
    m_autoFitBase = Width();
}

TDBGColumn::~TDBGColumn() = default;

TMDBGridHost* TDBGColumn::Grid() const { return m_collection.Grid(); }

int TDBGColumn::Index() const { return m_collection.IndexOf(*this); }

void TDBGColumn::SetIndex(int value) { m_collection.Move(Index(), value); }

std::string TDBGColumn::DisplayName() const {
    return m_fieldName.empty() ? std::string(ClassName()) : m_fieldName;
}

void TDBGColumn::SetTitleObject(std::unique_ptr<TColumnTitle> title) { m_title = std::move(title); }

void TDBGColumn::Changed(bool allItems) {
    if (m_batchDepth > 0) {
        m_pendingChange = true;
        m_pendingAll = m_pendingAll || allItems;
        return;
    }
    m_collection.Changed(allItems ? nullptr : this);
}

void TDBGColumn::Assign(const TDBGColumn& source) {
    if (&source == this) return;
    m_collection.BeginUpdate();
    try {
        RestoreDefaults();
        SetFieldName(source.FieldName());
        if (source.IsAssigned(TColumnValue::cvColor)) SetColor(source.Color());
        if (source.IsAssigned(TColumnValue::cvWidth)) SetWidth(source.Width());
        if (source.IsAssigned(TColumnValue::cvFont)) SetFont(source.Font());
        if (source.IsAssigned(TColumnValue::cvAlignment)) SetAlignment(source.Alignment());
        if (source.IsAssigned(TColumnValue::cvReadOnly)) SetReadOnly(source.ReadOnly());
        m_title->Assign(source.Title());
        m_footer->Assign(source.Footer());
        m_checkbox->Assign(source.Checkbox());
        m_dropDownRows = source.m_dropDownRows;
        SetButtonStyle(source.ButtonStyle());
        m_pickList = source.m_pickList;
        SetPopupMenu(source.PopupMenu());
        m_autoFitBase = source.m_autoFitBase;
        if (source.IsAssigned(TColumnValue::cvWordWrap)) SetWordWrap(source.WordWrap());
        SetEndEllipsis(source.EndEllipsis());
        SetDropDownWidth(source.DropDownWidth());
        if (source.IsAssigned(TColumnValue::cvLookupDisplayFields))
            SetLookupDisplayFields(source.LookupDisplayFields());
        SetAutoDropDown(source.AutoDropDown());
        SetAlwaysShowEditButton(source.AlwaysShowEditButton());
        SetWordWrap(source.WordWrap());
    } catch (...) {
        m_collection.EndUpdate();
        throw;
    }
    m_collection.EndUpdate();
}

void TDBGColumn::RestoreDefaults() {
    TChangeBatch batch(*this);
    const bool fontAssigned = IsAssigned(TColumnValue::cvFont);
    m_title->RestoreDefaults();
    m_footer->RestoreDefaults();
    m_checkbox->RestoreDefaults();
    m_assigned = {};
    m_font = DefaultFont();
    m_pickList.clear();
    m_buttonStyle = TColumnButtonStyle::cbsAuto;
    Changed(fontAssigned);
}

db::TField* TDBGColumn::Field() const {
    if (m_field == nullptr && !m_fieldName.empty()) {
        const TMDBGridHost* grid = Grid();
        const db::TDataSet* dataSet = grid ? grid->DataSet() : nullptr;
        // Fields of ours always come from the definitions, so only an open
        // dataset is asked.
        if (dataSet && dataSet->Active())
            const_cast<TDBGColumn*>(this)->SetField(dataSet->FindField(m_fieldName));
    }
    return m_field;
}

void TDBGColumn::SetField(db::TField* value) {
    if (m_field == value) return;
    m_field = value;
    if (value) m_fieldName = value->FieldName();
    m_autoFitBase = Width();
    Changed(false);
}

void TDBGColumn::SetFieldName(std::string value) {
    TChangeBatch batch(*this);
    db::TField* field = nullptr;
    const TMDBGridHost* grid = Grid();
    if (grid && grid->DataSet() && !grid->IsLoading() && !value.empty()) field = grid->DataSet()->FindField(value);
    m_fieldName = std::move(value);
    SetField(field);
    m_autoFitBase = Width();
    Changed(false);
}

QColor TDBGColumn::Color() const { return IsAssigned(TColumnValue::cvColor) ? m_color : DefaultColor(); }

void TDBGColumn::SetColor(const QColor& value) {
    if (IsAssigned(TColumnValue::cvColor) && value == m_color) return;
    m_color = value;
    SetAssigned(TColumnValue::cvColor, true);
    Changed(false);
}

QColor TDBGColumn::DefaultColor() const {
    const TMDBGridHost* grid = Grid();
    return grid ? grid->Color() : clWindow();
}

int TDBGColumn::Width() const { return IsAssigned(TColumnValue::cvWidth) ? m_width : DefaultWidth(); }

void TDBGColumn::SetWidth(int value) { StoreWidth(value); }

void TDBGColumn::StoreWidth(int value) {
    // No grid shows a column wider than a widget can be.
    value = std::min(value, platform::MaxCellSize);
    if (IsAssigned(TColumnValue::cvWidth) || value != DefaultWidth()) {
        m_width = value;
        SetAssigned(TColumnValue::cvWidth, true);
    }
    Changed(false);
}

int TDBGColumn::DefaultWidth() const {
    const TMDBGridHost* grid = Grid();
    if (!grid) return 64;
    if (const db::TField* field = Field()) {
        // Qt's metrics have no overhang: the digits' width plus a margin.
        const QFontMetrics metrics(Font());
        const int64_t width = int64_t{field->DisplayWidth()} * metrics.horizontalAdvance(QLatin1Char('0')) + 4;
        return static_cast<int>(std::clamp<int64_t>(width, 0, platform::MaxCellSize));
    }
    return grid->DefaultColWidth();
}

QFont TDBGColumn::Font() const { return IsAssigned(TColumnValue::cvFont) ? m_font : DefaultFont(); }

void TDBGColumn::SetFont(const QFont& value) {
    m_font = value;
    SetAssigned(TColumnValue::cvFont, true);
    Changed(false);
}

QFont TDBGColumn::DefaultFont() const {
    const TMDBGridHost* grid = Grid();
    return grid ? grid->Font() : m_font;
}

db::TAlignment TDBGColumn::Alignment() const {
    return IsAssigned(TColumnValue::cvAlignment) ? m_alignment : DefaultAlignment();
}

void TDBGColumn::SetAlignment(db::TAlignment value) { StoreAlignment(value); }

void TDBGColumn::StoreAlignment(db::TAlignment value) {
    if (IsAssigned(TColumnValue::cvAlignment) && value == m_alignment) return;
    m_alignment = value;
    SetAssigned(TColumnValue::cvAlignment, true);
    Changed(false);
}

db::TAlignment TDBGColumn::DefaultAlignment() const {
    const db::TField* field = Field();
    return field ? field->Alignment() : db::TAlignment::taLeftJustify;
}

bool TDBGColumn::ReadOnly() const { return IsAssigned(TColumnValue::cvReadOnly) ? m_readOnly : DefaultReadOnly(); }

void TDBGColumn::SetReadOnly(bool value) { StoreReadOnly(value); }

void TDBGColumn::StoreReadOnly(bool value) {
    if (IsAssigned(TColumnValue::cvReadOnly) && value == m_readOnly) return;
    m_readOnly = value;
    SetAssigned(TColumnValue::cvReadOnly, true);
    Changed(false);
}

bool TDBGColumn::DefaultReadOnly() const {
    const TMDBGridHost* grid = Grid();
    if (grid && grid->ReadOnly()) return true;
    const db::TField* field = Field();
    return field && field->ReadOnly();
}

bool TDBGColumn::WordWrap() const { return IsAssigned(TColumnValue::cvWordWrap) ? m_wordWrap : DefaultWordWrap(); }

void TDBGColumn::SetWordWrap(bool value) {
    const TMDBGridHost* grid = Grid();
    if (IsAssigned(TColumnValue::cvWordWrap) || value != DefaultWordWrap() || (grid && grid->IsLoading())) {
        m_wordWrap = value;
        SetAssigned(TColumnValue::cvWordWrap, true);
    }
    Changed(false);
}

// Every field of ours holds text, and text wraps.
bool TDBGColumn::DefaultWordWrap() const { return Grid() != nullptr && Field() != nullptr; }

std::string TDBGColumn::LookupDisplayFields() const {
    return IsAssigned(TColumnValue::cvLookupDisplayFields) ? m_lookupDisplayFields : DefaultLookupDisplayFields();
}

std::string TDBGColumn::DefaultLookupDisplayFields() const {
    const db::TField* field = Field();
    return field && field->Lookup() ? field->LookupResultField() : std::string();
}

void TDBGColumn::SetLookupDisplayFields(std::string value) {
    if (IsAssigned(TColumnValue::cvLookupDisplayFields) || value != DefaultLookupDisplayFields()) {
        m_lookupDisplayFields = std::move(value);
        SetAssigned(TColumnValue::cvLookupDisplayFields, true);
    }
    Changed(false);
}

QMenu* TDBGColumn::PopupMenu() const { return m_popupMenu.data(); }

void TDBGColumn::SetPopupMenu(QMenu* value) { m_popupMenu = value; }

void TDBGColumn::SetButtonStyle(TColumnButtonStyle value) {
    if (value == m_buttonStyle) return;
    m_buttonStyle = value;
    Changed(false);
}

void TDBGColumn::SetDropDownWidth(int value) {
    if (value == m_dropDownWidth) return;
    m_dropDownWidth = value;
    Changed(false);
}

void TDBGColumn::SetAlwaysShowEditButton(bool value) {
    if (value == m_alwaysShowEditButton) return;
    m_alwaysShowEditButton = value;
    Changed(false);
}

void TDBGColumn::SetAutoDropDown(bool value) {
    if (value == m_autoDropDown) return;
    m_autoDropDown = value;
    Changed(false);
}

void TDBGColumn::SetEndEllipsis(bool value) {
    m_endEllipsis = value;
    Changed(false);
}

void TDBGColumn::SetAutoFit(bool value) {
    TChangeBatch batch(*this);
    m_autoFit = value;
    const TMDBGridHost* grid = Grid();
    if (grid && grid->Options().Has(TDBGridOption::dgAutoFitColumns) && !grid->IsLoading()) SetWidth(m_autoFitBase);
    Changed(false);
}

TEditStyle TDBGColumn::EditStyle() const {
    switch (m_buttonStyle) {
    case TColumnButtonStyle::cbsEllipsis:
        return TEditStyle::esEllipsis;
    case TColumnButtonStyle::cbsNone:
        return TEditStyle::esSimple;
    case TColumnButtonStyle::cbsAuto:
        break;
    }
    if (const db::TField* field = Field(); field && field->Lookup()) {
        // A lookup list writes the key fields, so they must be there and
        // writable, and nothing may forbid editing this column.
        const TMDBGridHost* grid = Grid();
        const bool keysWritable = field->DataSet().CanModify() && field->DataSet().LookupKeysModifiable(*field);
        const bool readOnly = IsAssigned(TColumnValue::cvReadOnly) && m_readOnly;
        const bool open = grid && !grid->ReadOnly() && grid->LinkActive() && !grid->LinkReadOnly();
        return keysWritable && !readOnly && open ? TEditStyle::esDataList : TEditStyle::esSimple;
    }
    return !m_pickList.isEmpty() && !ReadOnly() ? TEditStyle::esPickList : TEditStyle::esSimple;
}

TStoredProperties TDBGColumn::StoredProperties() const {
    TStoredProperties out;
    auto put = [&](const char* name, QVariant value) { out.push_back({name, std::move(value)}); };
    if (IsAssigned(TColumnValue::cvAlignment) && m_alignment != DefaultAlignment())
        put("Alignment", static_cast<int>(m_alignment));
    if (!m_autoFit) put("AutoFit", false);
    if (m_buttonStyle != TColumnButtonStyle::cbsAuto) put("ButtonStyle", static_cast<int>(m_buttonStyle));
    if (IsAssigned(TColumnValue::cvColor) && m_color != DefaultColor()) put("Color", m_color);
    if (m_dropDownRows != 7) put("DropDownRows", m_dropDownRows);
    if (!m_fieldName.empty()) put("FieldName", QString::fromStdString(m_fieldName));
    if (IsAssigned(TColumnValue::cvFont)) put("Font", m_font.toString());
    if (!m_pickList.isEmpty()) put("PickList", m_pickList);
    if (IsAssigned(TColumnValue::cvReadOnly) && m_readOnly != DefaultReadOnly()) put("ReadOnly", m_readOnly);
    m_title->StoreProperties(out, "Title.");
    m_footer->StoreProperties(out, "Footer.");
    m_checkbox->StoreProperties(out, "Checkbox.");
    if (IsAssigned(TColumnValue::cvWidth)) put("Width", m_width);
    if (m_alwaysShowEditButton) put("AlwaysShowEditButton", true);
    if (IsAssigned(TColumnValue::cvWordWrap) && m_wordWrap != DefaultWordWrap()) put("WordWrap", m_wordWrap);
    if (m_endEllipsis) put("EndEllipsis", true);
    if (m_dropDownWidth != 0) put("DropDownWidth", m_dropDownWidth);
    if (IsAssigned(TColumnValue::cvLookupDisplayFields) && m_lookupDisplayFields != DefaultLookupDisplayFields())
        put("LookupDisplayFields", QString::fromStdString(m_lookupDisplayFields));
    if (m_autoDropDown) put("AutoDropDown", true);
    return out;
}

bool TDBGColumn::ReadProperty(std::string_view name, const QVariant& value) {
    auto nested = [&](std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; };
    if (nested("Title.")) return m_title->ReadProperty(name.substr(6), value);
    if (nested("Footer.")) return m_footer->ReadProperty(name.substr(7), value);
    if (nested("Checkbox.")) return m_checkbox->ReadProperty(name.substr(9), value);
    if (name == "Alignment") SetAlignment(static_cast<db::TAlignment>(value.toInt()));
    else if (name == "AutoFit") SetAutoFit(value.toBool());
    else if (name == "ButtonStyle") SetButtonStyle(static_cast<TColumnButtonStyle>(value.toInt()));
    else if (name == "Color") SetColor(value.value<QColor>());
    else if (name == "DropDownRows") SetDropDownRows(value.toUInt());
    else if (name == "FieldName") SetFieldName(value.toString().toStdString());
    else if (name == "Font") {
        QFont font;
        font.fromString(value.toString());
        SetFont(font);
    } else if (name == "PickList") SetPickList(value.toStringList());
    else if (name == "ReadOnly") SetReadOnly(value.toBool());
    else if (name == "Width") SetWidth(value.toInt());
    else if (name == "AlwaysShowEditButton") SetAlwaysShowEditButton(value.toBool());
    else if (name == "WordWrap") SetWordWrap(value.toBool());
    else if (name == "EndEllipsis") SetEndEllipsis(value.toBool());
    else if (name == "DropDownWidth") SetDropDownWidth(value.toInt());
    else if (name == "LookupDisplayFields") SetLookupDisplayFields(value.toString().toStdString());
    else if (name == "AutoDropDown") SetAutoDropDown(value.toBool());
    else return false;
    return true;
}

} // namespace grid
