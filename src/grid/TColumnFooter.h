#pragma once
// The static text a column shows in the grid's footer row. Nothing is
// computed: the footer shows what was assigned.

#include "grid/GridTypes.h"
#include "platform/db/DbTypes.h"

#include <QFont>

#include <string>
#include <string_view>

namespace grid {

class TDBGColumn;

class TColumnFooter {
public:
    explicit TColumnFooter(TDBGColumn& column);
    TColumnFooter(const TColumnFooter&) = delete;
    TColumnFooter& operator=(const TColumnFooter&) = delete;

    TDBGColumn& Column() const { return m_column; }

    // Copies alignment, text and font where the source has them assigned.
    void Assign(const TColumnFooter& source);
    // Forgets text, alignment and font; reports one change.
    void RestoreDefaults();

    db::TAlignment Alignment() const;
    void SetAlignment(db::TAlignment value);
    // Empty until assigned.
    const std::string& Text() const { return m_text; }
    void SetText(std::string value);
    // The grid's TitleFont; the column's font without a grid.
    QFont Font() const;
    void SetFont(const QFont& value);
    QFont DefaultFont() const;

    void StoreProperties(TStoredProperties& out, std::string_view prefix) const;
    // False for a name the footer does not know.
    bool ReadProperty(std::string_view name, const QVariant& value);

private:
    bool IsAssigned(TColumnValue value) const;

    TDBGColumn& m_column;
    QFont m_font;
    db::TAlignment m_alignment = db::TAlignment::taLeftJustify;
    std::string m_text;
};

} // namespace grid
