#include "grid/TColumnTitle.h"

#include "grid/TDBGColumn.h"
#include "grid/TMDBGridHost.h"
#include "platform/db/TField.h"

namespace grid {

TColumnTitle::TColumnTitle(TDBGColumn& column) : m_column(column), m_font(DefaultFont()) {}

bool TColumnTitle::IsAssigned(TColumnValue value) const { return m_column.IsAssigned(value); }

void TColumnTitle::Changed(bool allItems) { m_column.Changed(allItems); }

void TColumnTitle::Assign(const TColumnTitle& source) {
    if (&source == this) return;
    if (source.IsAssigned(TColumnValue::cvTitleAlignment)) SetAlignment(source.Alignment());
    if (source.IsAssigned(TColumnValue::cvTitleColor)) SetColor(source.Color());
    if (source.IsAssigned(TColumnValue::cvTitleCaption)) SetCaption(source.Caption());
    if (source.IsAssigned(TColumnValue::cvTitleFont)) SetFont(source.Font());
    SetTitleButton(source.TitleButton());
    SetSortMarker(source.SortMarker());
    SetEndEllipsis(source.EndEllipsis());
}

void TColumnTitle::RestoreDefaults() {
    const bool fontAssigned = IsAssigned(TColumnValue::cvTitleFont);
    for (auto bit : {TColumnValue::cvTitleColor, TColumnValue::cvTitleCaption, TColumnValue::cvTitleAlignment,
                     TColumnValue::cvTitleFont})
        m_column.SetAssigned(bit, false);
    m_caption.clear();
    m_font = DefaultFont();
    Changed(fontAssigned);
}

std::string TColumnTitle::Caption() const {
    return IsAssigned(TColumnValue::cvTitleCaption) ? m_caption : DefaultCaption();
}

void TColumnTitle::SetCaption(std::string value) {
    if (IsAssigned(TColumnValue::cvTitleCaption) && value == m_caption) return;
    m_caption = std::move(value);
    m_column.SetAssigned(TColumnValue::cvTitleCaption, true);
    Changed(false);
}

std::string TColumnTitle::DefaultCaption() const {
    const db::TField* field = m_column.Field();
    return field ? field->DisplayName() : m_column.FieldName();
}

db::TAlignment TColumnTitle::Alignment() const {
    return IsAssigned(TColumnValue::cvTitleAlignment) ? m_alignment : db::TAlignment::taLeftJustify;
}

void TColumnTitle::SetAlignment(db::TAlignment value) {
    if (IsAssigned(TColumnValue::cvTitleAlignment) && value == m_alignment) return;
    m_alignment = value;
    m_column.SetAssigned(TColumnValue::cvTitleAlignment, true);
    Changed(false);
}

QColor TColumnTitle::Color() const { return IsAssigned(TColumnValue::cvTitleColor) ? m_color : DefaultColor(); }

void TColumnTitle::SetColor(const QColor& value) {
    if (IsAssigned(TColumnValue::cvTitleColor) && value == m_color) return;
    m_color = value;
    m_column.SetAssigned(TColumnValue::cvTitleColor, true);
    Changed(false);
}

QColor TColumnTitle::DefaultColor() const {
    const TMDBGridHost* grid = m_column.Grid();
    return grid ? grid->FixedColor() : clBtnFace();
}

QFont TColumnTitle::Font() const { return IsAssigned(TColumnValue::cvTitleFont) ? m_font : DefaultFont(); }

void TColumnTitle::SetFont(const QFont& value) {
    m_font = value;
    m_column.SetAssigned(TColumnValue::cvTitleFont, true);
    Changed(true);
}

QFont TColumnTitle::DefaultFont() const {
    const TMDBGridHost* grid = m_column.Grid();
    return grid ? grid->TitleFont() : m_column.Font();
}

void TColumnTitle::SetTitleButton(bool value) {
    if (value == m_titleButton) return;
    m_titleButton = value;
    Changed(false);
}

void TColumnTitle::SetSortMarker(TSortMarker value) {
    if (value == m_sortMarker) return;
    m_sortMarker = value;
    Changed(false);
}

void TColumnTitle::SetEndEllipsis(bool value) {
    m_endEllipsis = value;
    Changed(false);
}

void TColumnTitle::StoreProperties(TStoredProperties& out, std::string_view prefix) const {
    auto put = [&](const char* name, QVariant value) { out.push_back({std::string(prefix) + name, std::move(value)}); };
    if (IsAssigned(TColumnValue::cvTitleAlignment) && m_alignment != db::TAlignment::taLeftJustify)
        put("Alignment", static_cast<int>(m_alignment));
    if (IsAssigned(TColumnValue::cvTitleCaption) && m_caption != DefaultCaption())
        put("Caption", QString::fromStdString(m_caption));
    if (IsAssigned(TColumnValue::cvTitleColor) && m_color != DefaultColor()) put("Color", m_color);
    if (IsAssigned(TColumnValue::cvTitleFont)) put("Font", m_font.toString());
    if (m_titleButton) put("TitleButton", true);
    if (m_sortMarker != TSortMarker::smNone) put("SortMarker", static_cast<int>(m_sortMarker));
    if (m_endEllipsis) put("EndEllipsis", true);
}

bool TColumnTitle::ReadProperty(std::string_view name, const QVariant& value) {
    if (name == "Alignment") SetAlignment(static_cast<db::TAlignment>(value.toInt()));
    else if (name == "Caption") SetCaption(value.toString().toStdString());
    else if (name == "Color") SetColor(value.value<QColor>());
    else if (name == "Font") {
        QFont font;
        font.fromString(value.toString());
        SetFont(font);
    } else if (name == "TitleButton") SetTitleButton(value.toBool());
    else if (name == "SortMarker") SetSortMarker(static_cast<TSortMarker>(value.toInt()));
    else if (name == "EndEllipsis") SetEndEllipsis(value.toBool());
    else return false;
    return true;
}

} // namespace grid
