#pragma once
// The title of a grid column: caption, font, colour and alignment that
// follow the field and the grid until assigned, plus the title button and
// the sort marker.

#include "grid/GridTypes.h"
#include "platform/db/DbTypes.h"

#include <QFont>

#include <string>
#include <string_view>

namespace grid {

class TDBGColumn;

class TColumnTitle {
public:
    explicit TColumnTitle(TDBGColumn& column);
    virtual ~TColumnTitle() = default;
    TColumnTitle(const TColumnTitle&) = delete;
    TColumnTitle& operator=(const TColumnTitle&) = delete;

    TDBGColumn& Column() const { return m_column; }

    // Copies what the source has assigned, and the button, marker and
    // ellipsis settings always.
    virtual void Assign(const TColumnTitle& source);
    // Forgets caption, colour, alignment and font; reports one change.
    virtual void RestoreDefaults();

    // The field's display name, or the column's FieldName without a field.
    std::string Caption() const;
    virtual void SetCaption(std::string value);
    std::string DefaultCaption() const;
    db::TAlignment Alignment() const;
    void SetAlignment(db::TAlignment value);
    // The grid's FixedColor; clBtnFace without a grid.
    QColor Color() const;
    void SetColor(const QColor& value);
    QColor DefaultColor() const;
    // The grid's TitleFont; the column's font without a grid. Setting it
    // marks it assigned and relayouts the whole grid.
    QFont Font() const;
    void SetFont(const QFont& value);
    QFont DefaultFont() const;
    bool TitleButton() const { return m_titleButton; }
    void SetTitleButton(bool value);
    TSortMarker SortMarker() const { return m_sortMarker; }
    void SetSortMarker(TSortMarker value);
    bool EndEllipsis() const { return m_endEllipsis; }
    void SetEndEllipsis(bool value);

    // What is streamed, in published order, each name prefixed with `prefix`.
    void StoreProperties(TStoredProperties& out, std::string_view prefix) const;
    // False for a name the title does not know.
    bool ReadProperty(std::string_view name, const QVariant& value);

protected:
    bool IsAssigned(TColumnValue value) const;
    void Changed(bool allItems);

private:
    TDBGColumn& m_column;
    std::string m_caption;
    QFont m_font;
    QColor m_color;
    db::TAlignment m_alignment = db::TAlignment::taLeftJustify;
    bool m_endEllipsis = false;
    bool m_titleButton = false;
    TSortMarker m_sortMarker = TSortMarker::smNone;
};

} // namespace grid
