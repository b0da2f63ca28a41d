// The grid's cell painter: indicator glyphs, titles with buttons and sort
// markers, multi-level title groups, footers, data cells with highlighting,
// colour events and checkboxes. Records are read by index from the link's
// window, never by moving the cursor: each data cell's record is the
// dataset's record being drawn while the cell and its events are painted.
#include "grid/TCustomMDBGrid.h"

#include "grid/ColumnPainters.h"
#include "grid/TColumnCheckbox.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TGridDataLink.h"
#include "grid/THeadTreeNode.h"
#include "grid/TRecordmarkList.h"
#include "grid/TitleTree.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <QPainter>
#include <QPalette>
#include <QTimer>

#include <stdexcept>

namespace grid {
namespace {

// Room a sort marker takes from the title's caption.
constexpr int kMarkerRoom = 16;

int TextFlags(db::TAlignment alignment) {
    return int(QtAlignment(alignment));
}

QString Elided(const QPainter& painter, const QString& text, int width, bool ellipsis) {
    return ellipsis ? painter.fontMetrics().elidedText(text, Qt::ElideRight, std::max(width, 0)) : text;
}

} // namespace

bool TCustomMDBGrid::ShowsSelection() const {
    if (m_options.Has(TDBGridOption::dgAlwaysShowSelection) || hasFocus()) return true;
    const QWidget* editor = InplaceEditor();
    return editor && editor->isVisible() && editor->hasFocus();
}

void TCustomMDBGrid::DrawBevel(QPainter& painter, const QRect& rect, bool sunken) const {
    const QPalette& palette = this->palette();
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor& bottomRight = sunken ? light : dark;
    const QColor& topLeft = sunken ? dark : light;
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), topLeft);
}

bool TCustomMDBGrid::HighlightCell(int dataCol, int dataRow, int record, GridDrawState state) {
    (void)dataCol;
    (void)dataRow;
    if (m_options.Has(TDBGridOption::dgMultiSelect) && m_dataLink->Active() && record >= 0) {
        int index = 0;
        if (m_selectedRows->Find(db::TBookmark{record}, index)) return true;
    }
    return (state & platform::gdSelected) && ShowsSelection() &&
           (!InUpdate() || m_options.Has(TDBGridOption::dgRowSelect));
}

void TCustomMDBGrid::DrawIndicatorCell(QPainter& painter, int row, const QRect& rect, int dataRow) {
    painter.fillRect(rect, FixedColor());
    if (m_dataLink->Active() && dataRow >= 0 && dataRow < DataRowCount()) {
        const int record = m_dataLink->RecordIndexAt(dataRow);
        const bool current = dataRow == m_dataLink->ActiveRecord();
        int index = 0;
        const bool selected =
            record >= 0 && m_options.Has(TDBGridOption::dgMultiSelect) && m_selectedRows->Find(db::TBookmark{record}, index);
        if (current || selected) {
            int glyph = 0;
            switch (DataSet()->State()) {
            case db::TDataSetState::dsEdit: glyph = 1; break;
            case db::TDataSetState::dsInsert: glyph = 2; break;
            case db::TDataSetState::dsBrowse: glyph = selected ? (current ? 4 : 3) : 0; break;
            default: break;
            }
            const QPixmap& pixmap = m_indicators[static_cast<size_t>(glyph)];
            const bool bevels = (m_options.Has(TDBGridOption::dgColLines) && m_options.Has(TDBGridOption::dgRowLines)) ||
                                m_options.Has(TDBGridOption::dgFlat);
            const int offset = bevels ? 1 : 2;
            const int x = rect.left() + rect.width() - pixmap.width() - offset;
            const int y = rect.top() + (rect.height() - pixmap.height()) / 2;
            // A row that gave way to the footer shows what fits of the glyph.
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
            painter.drawPixmap(x, y, pixmap);
            painter.restore();
            if (current) m_selRow = row;
        }
    }
}

void TCustomMDBGrid::DrawTitleCell(QPainter& painter, int col, const QRect& cell, TDBGColumn& column, bool footer) {
    TColumnTitle& title = column.Title();
    const bool pressed = !footer && m_pressedCol == col && m_pressed;
    const bool multiline = m_options.Has(TDBGridOption::dgMultilineTitle);
    const int index = col - m_indicatorOffset;
    THeadTreeNode* leaf =
        multiline && index >= 0 && index < static_cast<int>(m_leaves.size()) ? m_leaves[static_cast<size_t>(index)] : nullptr;
    // Multi-level bands are measured with the grid's title font, so their
    // leaves are written with it too.
    QFont font = leaf && !footer ? TitleFont() : title.Font();
    QColor background = title.Color();
    TSortMarker marker = title.SortMarker();
    if (column.Field() && OnGetBtnParams) OnGetBtnParams(*this, column, font, background, marker, pressed);

    if (footer) {
        painter.fillRect(cell, background);
        painter.setPen(palette().color(QPalette::WindowText));
        DrawFooterText(painter, cell, m_footerTextHeight, column.Footer());
        DrawBevel(painter, cell, false);
        return;
    }
    // The whole cell is filled: the band above a leaf is the groups', and
    // where no group is painted over it (a frozen column's band, a leaf
    // beside a group) it must not keep stale pixels.
    painter.fillRect(cell, background);
    QRect rect = cell;
    if (leaf) rect.setTop(LeafTop(cell, *leaf));
    const int shift = pressed ? (multiline ? 2 : 1) : 0;
    QRect textRect = rect.adjusted(2 + shift, shift, -2 + shift, shift);
    if (leaf) textRect.setTop(rect.top() + 2 + shift);
    const QPixmap& glyph = SortMarkerGlyph(marker);
    if (!glyph.isNull()) textRect.setRight(textRect.right() - kMarkerRoom);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::ButtonText));
    // Only what can be seen of the caption is laid out: a leaf's lines down
    // to the bottom of the grid, a one-line caption's width.
    const int lineSpacing = painter.fontMetrics().lineSpacing();
    if (leaf) {
        const QRect seen = textRect.intersected(QRect(textRect.left(), 0, textRect.width(), viewport()->height()));
        const QString caption = ShownCellText(leaf->Text, seen, lineSpacing, true);
        painter.drawText(textRect, TextFlags(title.Alignment()) | Qt::AlignVCenter | Qt::TextWordWrap,
                         Elided(painter, caption, textRect.width(), title.EndEllipsis()));
    } else {
        const QString caption = ShownCellText(title.Caption(), textRect, lineSpacing, false);
        painter.drawText(textRect, TextFlags(title.Alignment()) | Qt::AlignVCenter | Qt::TextSingleLine,
                         Elided(painter, caption, textRect.width(), title.EndEllipsis()));
    }
    if (!glyph.isNull()) {
        const int x = rect.left() + rect.width() - glyph.width() - 4 + shift;
        const int y = rect.top() + (rect.height() - glyph.height()) / 2 + shift;
        painter.drawPixmap(x, y, glyph);
    }
    const bool bevels = (m_options.Has(TDBGridOption::dgColLines) && m_options.Has(TDBGridOption::dgRowLines)) ||
                        m_options.Has(TDBGridOption::dgFlat);
    if (bevels || pressed) DrawBevel(painter, rect, pressed);
}

void TCustomMDBGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, GridDrawState state) {
    const int dataCol = col - m_indicatorOffset;
    const int dataRow = row - m_titleOffset;
    const int footerRow = m_footerRows > 0 ? RowCount() - 1 : -1;
    const int spacerRow = m_footerRows > 0 ? RowCount() - 2 : -1;
    const bool bevels = (m_options.Has(TDBGridOption::dgColLines) && m_options.Has(TDBGridOption::dgRowLines)) ||
                        m_options.Has(TDBGridOption::dgFlat);

    if (row == spacerRow) {
        painter.fillRect(rect, Color());
        return;
    }
    if (dataCol < 0 || dataCol >= m_columns->Count()) {
        DrawIndicatorCell(painter, row, rect, row < m_titleOffset || row == footerRow ? -1 : dataRow);
        if (bevels || row == footerRow) DrawBevel(painter, rect, false);
        return;
    }
    TDBGColumn& column = m_columns->Items(dataCol);
    if (row < m_titleOffset || row == footerRow) {
        DrawTitleCell(painter, col, rect, column, row == footerRow);
        return;
    }

    const int record = m_dataLink->Active() ? m_dataLink->RecordIndexAt(dataRow) : TGridDataLink::kNoRecord;
    if (record == TGridDataLink::kNoRecord) {
        painter.fillRect(rect, column.Color());
        return;
    }
    try {
        DrawRecordCell(painter, rect, dataCol, dataRow, record, column, state);
    } catch (const std::exception& error) {
        // A cell event failed: the paint goes on, the error is told after it.
        if (m_paintError.empty()) m_paintError = error.what();
    }
}

void TCustomMDBGrid::DrawRecordCell(QPainter& painter, const QRect& rect, int dataCol, int dataRow, int record,
                                    TDBGColumn& column, GridDrawState state) {
    // Field reads of the cell's events see the painted record; the one
    // being inserted is the dataset's current record.
    const db::TDataSet::TDrawingRecord drawing(
        *DataSet(), record == TGridDataLink::kInsertedRecord ? db::TDataSet::kCurrentRecord : record);
    struct PaintingRecord {
        int& value;
        ~PaintingRecord() { value = -1; }
    } painting{m_paintingRecord};
    m_paintingRecord = record;
    db::TField* field = column.Field();
    const std::string text = field ? field->DisplayText() : std::string();

    QFont font = column.Font();
    QColor background = column.Color();
    QColor foreground = palette().color(QPalette::Text);
    if (HighlightCell(dataCol, dataRow, record, state)) {
        background = palette().color(QPalette::Highlight);
        foreground = palette().color(QPalette::HighlightedText);
    }
    GetCellParams(column, font, background, state);

    QRect textArea = rect;
    if (column.AlwaysShowEditButton() && column.EditStyle() != TEditStyle::esSimple) {
        const QRect button(rect.left() + rect.width() - m_editButtonWidth, rect.top(), m_editButtonWidth, rect.height());
        textArea.setRight(button.left() - 1);
        DrawEditButton(painter, column.EditStyle(), button, true, false);
    }
    if (m_defaultDrawing) {
        painter.fillRect(textArea, background);
        if (painter.font() != font) painter.setFont(font);
        painter.setPen(foreground);
        const db::TAlignment alignment = column.Alignment();
        const QRect textRect = textArea.adjusted(2, 1, alignment == db::TAlignment::taRightJustify ? -3 : -2, 0);
        const bool wrap = column.WordWrap() && m_wrapAllowed;
        const QString value = ShownCellText(text, textRect, painter.fontMetrics().lineSpacing(), wrap);
        painter.drawText(textRect, TextFlags(alignment) | Qt::AlignTop | (wrap ? Qt::TextWordWrap : Qt::TextSingleLine),
                         Elided(painter, value, textRect.width(), column.EndEllipsis() && !wrap));
    }
    if (column.Checkbox().Active()) {
        const bool white = (state & platform::gdSelected) && ShowsSelection();
        DrawCheckbox(painter, rect, column.Checkbox().IsChecked(text, !field || field->IsNull()),
                     column.Checkbox().CheckType(), white ? QColor(Qt::white) : column.Checkbox().Color());
    }
    if (m_columns->State() == TDBGridColumnsState::csDefault) DrawDataCell(painter, rect, field, state);
    DrawColumnCell(painter, rect, dataCol, column, state);
    // A cell with no room (a row that gave way to the footer) has no frame:
    // drawn, it would lie on the line above.
    if (m_defaultDrawing && (state & platform::gdSelected) && ShowsSelection() && hasFocus() &&
        !m_options.Has(TDBGridOption::dgRowSelect) && !InUpdate() && !rect.isEmpty()) {
        painter.save();
        painter.setPen(QPen(foreground, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

void TCustomMDBGrid::DrawColumnCell(QPainter& painter, const QRect& rect, int dataCol, TDBGColumn& column,
                                    GridDrawState state) {
    if (OnDrawColumnCell) OnDrawColumnCell(*this, painter, rect, dataCol, column, state);
}

void TCustomMDBGrid::DrawDataCell(QPainter& painter, const QRect& rect, db::TField* field, GridDrawState state) {
    if (OnDrawDataCell) OnDrawDataCell(*this, painter, rect, field, state);
}

void TCustomMDBGrid::PaintTitleGroups(QPainter& painter) {
    // Group cells span several columns, so they go on top once the cells
    // and their lines are painted. The frozen columns and the scrolled ones
    // beside them are painted apart: a group's part in each is placed from
    // a leaf of that part, so it covers its own columns there and no other.
    TTitleGroupStyle style;
    style.Font = TitleFont();
    style.TextColor = palette().color(QPalette::ButtonText);
    style.Background = FixedColor();
    style.ColLines = m_options.Has(TDBGridOption::dgColLines);
    style.RowLines = m_options.Has(TDBGridOption::dgRowLines);
    style.ClipBottom = viewport()->height();
    const int left = m_indicatorOffset > 0 ? ColWidths(0) + GridLineWidth() : 0;
    const int frozen = FrozenColsInUse();
    int frozenRight = left;
    if (frozen > 0) {
        const QRect last = CellRect(m_indicatorOffset + frozen - 1, 0);
        if (!last.isNull()) frozenRight = last.left() + last.width() + GridLineWidth();
    }
    const int count = std::min(static_cast<int>(m_leaves.size()), m_columns->Count());
    auto pass = [&](int first, int end, int clipLeft, int clipRight) {
        style.ClipLeft = clipLeft;
        style.ClipRight = clipRight;
        for (int i = first; i < end; ++i) {
            const QRect cell = CellRect(i + m_indicatorOffset, 0);
            // Past the right edge; a column of no width still has its place.
            if (cell.isNull()) break;
            style.EndEllipsis = m_columns->Items(i).Title().EndEllipsis();
            DrawTitleGroups(painter, *m_leaves[static_cast<size_t>(i)], cell, style);
        }
        ClearDrawn(*m_headTree);
    };
    if (frozen > 0) pass(0, std::min(frozen, count), left, frozenRight);
    pass(std::max(frozen, LeftCol() - m_indicatorOffset), count, frozenRight, viewport()->width());
}

void TCustomMDBGrid::PaintBlankRow(QPainter& painter) {
    // A grid with no record to show draws no row, not an empty one: the
    // blank row is part of the empty space below the titles, which the
    // column lines cross only where they go on down to a footer.
    const QRect row = CellRect(FixedCols() > 0 ? 0 : LeftCol(), m_titleOffset);
    if (row.isNull()) return;
    const int lw = GridLineWidth();
    if (m_footerRows == 0) {
        painter.fillRect(QRect(0, row.top(), viewport()->width(), row.height() + lw), Color());
        return;
    }
    auto blank = [&](int col) {
        const QRect cell = CellRect(col, m_titleOffset);
        if (!cell.isNull()) painter.fillRect(QRect(cell.left(), cell.top(), cell.width(), cell.height() + lw), Color());
        return !cell.isNull();
    };
    for (int col = 0; col < FixedCols(); ++col) blank(col);
    int col = LeftCol();
    while (col < ColCount() && blank(col)) ++col;
}

void TCustomMDBGrid::Paint(QPainter& painter, const QRect& dirty) {
    m_paintError.clear();
    TCustomGrid::Paint(painter, dirty);
    if (m_titleOffset > 0 && m_options.Has(TDBGridOption::dgMultilineTitle) && !m_leaves.empty())
        PaintTitleGroups(painter);
    if (DataRowCount() == 0 && RowCount() > m_titleOffset) PaintBlankRow(painter);
    if (m_options.Has(TDBGridOption::dgRowSelect) && m_defaultDrawing && hasFocus() && Row() >= m_titleOffset &&
        Row() - m_titleOffset < DataRowCount()) {
        const QRect row = BoxRect(FixedCols(), Row(), ColCount() - 1, Row());
        if (!row.isEmpty()) {
            painter.save();
            painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(row.adjusted(0, 0, -1, -1));
            painter.restore();
        }
    }
    ReportPaintError();
}

void TCustomMDBGrid::ReportPaintError() {
    // Told once after the paint (a box now would paint over the grid), and
    // not again while every paint fails the same way.
    if (m_paintError.empty() || m_paintError == m_reportedPaintError) {
        if (m_paintError.empty()) m_reportedPaintError.clear();
        return;
    }
    m_reportedPaintError = m_paintError;
    QTimer::singleShot(0, this, [this, text = m_paintError] { EditError(std::runtime_error(text)); });
}

} // namespace grid
