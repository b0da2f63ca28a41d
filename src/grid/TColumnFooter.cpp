#include "grid/TColumnFooter.h"

#include "grid/TDBGColumn.h"
#include "grid/TMDBGridHost.h"

namespace grid {

TColumnFooter::TColumnFooter(TDBGColumn& column) : m_column(column), m_font(DefaultFont()) {}

bool TColumnFooter::IsAssigned(TColumnValue value) const { return m_column.IsAssigned(value); }

void TColumnFooter::Assign(const TColumnFooter& source) {
    if (&source == this) return;
    if (source.IsAssigned(TColumnValue::cvFooterAlignment)) SetAlignment(source.Alignment());
    if (source.IsAssigned(TColumnValue::cvFooterText)) SetText(source.Text());
    if (source.IsAssigned(TColumnValue::cvFooterFont)) SetFont(source.Font());
}

void TColumnFooter::RestoreDefaults() {
    const bool fontAssigned = IsAssigned(TColumnValue::cvFooterFont);
    for (auto bit : {TColumnValue::cvFooterText, TColumnValue::cvFooterAlignment, TColumnValue::cvFooterFont})
        m_column.SetAssigned(bit, false);
    m_text.clear();
    m_font = DefaultFont();
    m_column.Changed(fontAssigned);
}

db::TAlignment TColumnFooter::Alignment() const {
    return IsAssigned(TColumnValue::cvFooterAlignment) ? m_alignment : db::TAlignment::taLeftJustify;
}

void TColumnFooter::SetAlignment(db::TAlignment value) {
    if (IsAssigned(TColumnValue::cvFooterAlignment) && value == m_alignment) return;
    m_alignment = value;
    m_column.SetAssigned(TColumnValue::cvFooterAlignment, true);
    m_column.Changed(false);
}

void TColumnFooter::SetText(std::string value) {
    if (IsAssigned(TColumnValue::cvFooterText) && value == m_text) return;
    m_text = std::move(value);
    m_column.SetAssigned(TColumnValue::cvFooterText, true);
    m_column.Changed(false);
}

QFont TColumnFooter::Font() const { return IsAssigned(TColumnValue::cvFooterFont) ? m_font : DefaultFont(); }

void TColumnFooter::SetFont(const QFont& value) {
    m_font = value;
    m_column.SetAssigned(TColumnValue::cvFooterFont, true);
    m_column.Changed(true);
}

QFont TColumnFooter::DefaultFont() const {
    const TMDBGridHost* grid = m_column.Grid();
    return grid ? grid->TitleFont() : m_column.Font();
}

void TColumnFooter::StoreProperties(TStoredProperties& out, std::string_view prefix) const {
    auto put = [&](const char* name, QVariant value) { out.push_back({std::string(prefix) + name, std::move(value)}); };
    if (IsAssigned(TColumnValue::cvFooterAlignment) && m_alignment != db::TAlignment::taLeftJustify)
        put("Alignment", static_cast<int>(m_alignment));
    if (!m_text.empty()) put("Text", QString::fromStdString(m_text));
    if (IsAssigned(TColumnValue::cvFooterFont)) put("Font", m_font.toString());
}

bool TColumnFooter::ReadProperty(std::string_view name, const QVariant& value) {
    if (name == "Alignment") SetAlignment(static_cast<db::TAlignment>(value.toInt()));
    else if (name == "Text") SetText(value.toString().toStdString());
    else if (name == "Font") {
        QFont font;
        font.fromString(value.toString());
        SetFont(font);
    } else return false;
    return true;
}

} // namespace grid
