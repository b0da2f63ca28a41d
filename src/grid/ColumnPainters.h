#pragma once
// The painters the grid's cell painter calls for a column's footer text and
// checkbox. They draw with the painter's current pen colour for text; the
// grid fills and frames the cells itself.

#include "grid/GridTypes.h"
#include "platform/db/DbTypes.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <string_view>

class QPainter;

namespace grid {

class TColumnFooter;

// The horizontal Qt alignment of a column, title or footer alignment.
Qt::Alignment QtAlignment(db::TAlignment alignment);

// As much of a cell's, title's or footer's text as can be seen in `rect`,
// in lines `lineHeight` high (one line unless `wrap`). A character shown
// takes a pixel at least, so a longer text is cut (at a code point, with
// room to spare for marks that take none) before it is laid out, however
// long it is stored.
QString ShownCellText(std::string_view text, const QRect& rect, int lineHeight, bool wrap);
// The same cut, as a part of `text`.
std::string_view ShownTextPart(std::string_view text, const QRect& rect, int lineHeight, bool wrap);

// Where a footer's text goes, from the footer cell's own rectangle, so that
// footers stay under their columns whatever the grid scrolls past: 3 pixels
// in from the cell's left, 5 pixels narrower than the cell, `textHeight`
// (the grid font's height of "Wg") above the cell's bottom and
// textHeight - 4 high.
QRect FooterTextRect(const QRect& cell, int textHeight);
// Writes the footer's text (its font and alignment, ellipsis at the end, one
// line, no fill). Nothing for an empty text.
void DrawFooterText(QPainter& painter, const QRect& cell, int textHeight, const TColumnFooter& footer);

// The edit button of a cell or of the cell editor: a drop-down arrow for
// the list styles, three dots for the ellipsis style, nothing when plain.
void DrawEditButton(QPainter& painter, TEditStyle style, const QRect& rect, bool enabled, bool pressed);

// Top-left corner of the 11 x 11 box centred in a cell.
QPoint CheckboxOrigin(const QRect& cell);
// Draws the box, and the mark when `checked`, in `color`, inside the cell
// only.
void DrawCheckbox(QPainter& painter, const QRect& cell, bool checked, TCheckType type, const QColor& color);

} // namespace grid
