// The grid keeps one width per column and one height per row. Columns below
// FixedCols are always shown at the left; the others are shown from LeftCol
// on (rows likewise with FixedRows and TopRow). Every pixel computation walks
// only the shown cells, so painting and hit-testing cost what is visible,
// whatever the row count.
#include "platform/TCustomGrid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// How near a border the pointer must be to size a column or row.
constexpr int kSizingMargin = 3;
constexpr int kTimedScrollInterval = 60;
const QColor kFixedLineColor(128, 128, 128);
const QColor kLineColor(192, 192, 192);
// Edges are summed wide and kept at most this far out: far past any screen,
// and still room to add a cell and a line to without overflowing an int.
constexpr int64_t kFar = INT_MAX / 4;

int Far(int64_t pos) { return static_cast<int>(std::min(pos, kFar)); }
int CellSize(int size) { return std::clamp(size, 0, MaxCellSize); }

} // namespace

TCustomGrid::TCustomGrid(QWidget* parent)
    : QAbstractScrollArea(parent), m_colWidths(5, 64), m_rowHeights(5, 24), m_tabStops(5, true) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(kTimedScrollInterval);
    connect(m_scrollTimer, &QTimer::timeout, this, &TCustomGrid::OnTimer);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (!m_settingScrollBars) VerticalScroll(action, verticalScrollBar()->sliderPosition());
    });
    SetScrollBars(ScrollStyle::Both);
}

TCustomGrid::~TCustomGrid() = default;

// --- the matrix -------------------------------------------------------------

void TCustomGrid::SetColCount(int value) {
    value = std::max(1, value);
    if (value == ColCount()) return;
    m_colWidths.resize(static_cast<size_t>(value), m_defaultColWidth);
    m_tabStops.resize(static_cast<size_t>(value), true);
    m_fixedCols = std::min(m_fixedCols, value - 1);
    ClampCurrent();
}

void TCustomGrid::SetRowCount(int value) {
    value = std::max(1, value);
    if (value == RowCount()) return;
    m_rowHeights.resize(static_cast<size_t>(value), m_defaultRowHeight);
    m_fixedRows = std::min(m_fixedRows, value - 1);
    ClampCurrent();
}

void TCustomGrid::SetFixedCols(int value) {
    value = std::clamp(value, 0, ColCount() - 1);
    if (value == m_fixedCols) return;
    m_fixedCols = value;
    ClampCurrent();
}

void TCustomGrid::SetFixedRows(int value) {
    value = std::clamp(value, 0, RowCount() - 1);
    if (value == m_fixedRows) return;
    m_fixedRows = value;
    ClampCurrent();
}

void TCustomGrid::ClampCurrent() {
    m_col = std::clamp(m_col, m_fixedCols, ColCount() - 1);
    m_row = std::clamp(m_row, m_fixedRows, RowCount() - 1);
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, MaxLeftCol());
    m_topRow = std::clamp(m_topRow, m_fixedRows, MaxTopRow());
    UpdateScrollRange();
    PlaceEditor();
    InvalidateGrid();
}

int TCustomGrid::ColWidths(int col) const {
    return col >= 0 && col < ColCount() ? m_colWidths[static_cast<size_t>(col)] : 0;
}

void TCustomGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    width = CellSize(width);
    if (m_colWidths[static_cast<size_t>(col)] == width) return;
    m_colWidths[static_cast<size_t>(col)] = width;
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, MaxLeftCol());
    UpdateHorizontalScrollRange();
    PlaceEditor();
    InvalidateGrid();
}

int TCustomGrid::RowHeights(int row) const {
    return row >= 0 && row < RowCount() ? m_rowHeights[static_cast<size_t>(row)] : 0;
}

void TCustomGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= RowCount()) return;
    height = CellSize(height);
    if (m_rowHeights[static_cast<size_t>(row)] == height) return;
    m_rowHeights[static_cast<size_t>(row)] = height;
    m_topRow = std::clamp(m_topRow, m_fixedRows, MaxTopRow());
    UpdateScrollRange();
    PlaceEditor();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultColWidth(int value) {
    m_defaultColWidth = CellSize(value);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    ClampCurrent();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
    m_defaultRowHeight = CellSize(value);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    ClampCurrent();
}

void TCustomGrid::SetGridLineWidth(int value) {
    value = CellSize(value);
    if (value == m_gridLineWidth) return;
    m_gridLineWidth = value;
    ClampCurrent();
}

bool TCustomGrid::TabStops(int col) const {
    return col >= 0 && col < ColCount() && m_tabStops[static_cast<size_t>(col)];
}

void TCustomGrid::SetTabStops(int col, bool value) {
    if (col >= 0 && col < ColCount()) m_tabStops[static_cast<size_t>(col)] = value;
}

void TCustomGrid::SetOptions(GridOptions value) {
    if (value == m_options) return;
    m_options = value;
    if (!m_options.testFlag(GridOption::Editing) || m_options.testFlag(GridOption::RowSelect)) HideEditor();
    else if (m_options.testFlag(GridOption::AlwaysShowEditor)) ShowEditor();
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(ScrollStyle value) {
    m_scrollBars = value;
    const bool horz = value == ScrollStyle::Horizontal || value == ScrollStyle::Both;
    const bool vert = value == ScrollStyle::Vertical || value == ScrollStyle::Both;
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TCustomGrid::SetColor(const QColor& value) {
    m_color = value;
    InvalidateGrid();
}

void TCustomGrid::SetFixedColor(const QColor& value) {
    m_fixedColor = value;
    InvalidateGrid();
}

// --- geometry -----------------------------------------------------------------

int TCustomGrid::FixedWidth() const {
    int64_t width = 0;
    for (int c = 0; c < m_fixedCols && width < kFar; ++c) width += m_colWidths[static_cast<size_t>(c)] + m_gridLineWidth;
    return Far(width);
}

int TCustomGrid::FixedHeight() const {
    int64_t height = 0;
    for (int r = 0; r < m_fixedRows && height < kFar; ++r)
        height += m_rowHeights[static_cast<size_t>(r)] + m_gridLineWidth;
    return Far(height);
}

// The left edge of a shown column (at most kFar), or INT_MIN for a
// scrolled-out one.
int TCustomGrid::ColLeft(int col) const {
    if (col < 0 || col >= ColCount() || (col >= m_fixedCols && col < m_leftCol)) return INT_MIN;
    int64_t x = 0;
    const int first = col < m_fixedCols ? 0 : m_leftCol;
    if (col >= m_fixedCols) x = FixedWidth();
    for (int c = first; c < col && x < kFar; ++c) x += m_colWidths[static_cast<size_t>(c)] + m_gridLineWidth;
    return Far(x);
}

int TCustomGrid::RowTop(int row) const {
    if (row < 0 || row >= RowCount() || (row >= m_fixedRows && row < m_topRow)) return INT_MIN;
    int64_t y = 0;
    const int first = row < m_fixedRows ? 0 : m_topRow;
    if (row >= m_fixedRows) y = FixedHeight();
    for (int r = first; r < row && y < kFar; ++r) y += m_rowHeights[static_cast<size_t>(r)] + m_gridLineWidth;
    return Far(y);
}

QRect TCustomGrid::CellRect(int col, int row) const {
    const int x = ColLeft(col);
    const int y = RowTop(row);
    if (x == INT_MIN || y == INT_MIN) return {};
    const QRect rect(x, y, m_colWidths[static_cast<size_t>(col)], m_rowHeights[static_cast<size_t>(row)]);
    if (x >= viewport()->width() || y >= viewport()->height()) return {};
    return rect;
}

QRect TCustomGrid::BoxRect(int left, int top, int right, int bottom) const {
    QRect box;
    for (int c = std::max(0, left); c <= std::min(right, ColCount() - 1); ++c) {
        const QRect first = CellRect(c, std::max(0, top));
        const QRect last = CellRect(c, std::min(bottom, RowCount() - 1));
        if (!first.isEmpty()) box |= first;
        if (!last.isEmpty()) box |= last;
    }
    return box;
}

GridCoord TCustomGrid::MouseCoord(int x, int y) const {
    GridCoord coord;
    auto find = [this](int pos, int fixed, int first, const std::vector<int>& sizes) {
        if (pos < 0) return -1;
        int edge = 0;
        const int count = static_cast<int>(sizes.size());
        for (int i = 0; i < fixed; ++i) {
            edge += sizes[static_cast<size_t>(i)] + m_gridLineWidth;
            if (pos < edge) return i;
        }
        for (int i = first; i < count; ++i) {
            edge += sizes[static_cast<size_t>(i)] + m_gridLineWidth;
            if (pos < edge) return i;
        }
        return -1;
    };
    if (x >= viewport()->width() || y >= viewport()->height()) return coord;
    coord.X = find(x, m_fixedCols, m_leftCol, m_colWidths);
    coord.Y = find(y, m_fixedRows, m_topRow, m_rowHeights);
    if (coord.X < 0 || coord.Y < 0) coord = {};
    return coord;
}

// Borders are walked from the left (top) over the shown cells only. Where
// two lie as near the pointer (a column of 0 or 1 pixel between them), the
// later one is taken: the pointer is then on the narrow cell or its own
// line, and so that cell can always be widened again.
int TCustomGrid::SizingIndex(int pos, bool cols) const {
    const std::vector<int>& sizes = cols ? m_colWidths : m_rowHeights;
    const int fixed = cols ? m_fixedCols : m_fixedRows;
    const int first = cols ? m_leftCol : m_topRow;
    const int64_t limit = int64_t{cols ? viewport()->width() : viewport()->height()} + kSizingMargin;
    int nearest = -1;
    int64_t nearestDistance = kSizingMargin;
    int64_t edge = 0;
    for (int i = 0; i < static_cast<int>(sizes.size()) && edge <= limit; ++i) {
        if (i == fixed && first > i) i = first;
        if (i >= static_cast<int>(sizes.size())) break;
        edge += sizes[static_cast<size_t>(i)];
        const int64_t distance = std::abs(pos - (edge + m_gridLineWidth / 2));
        if (distance <= nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
        edge += m_gridLineWidth;
    }
    return nearest;
}

int TCustomGrid::SizingAt(int x, int y, bool& cols) const {
    cols = m_options.testFlag(GridOption::ColSizing) && y >= 0 && y < FixedHeight();
    if (cols) {
        const int col = SizingIndex(x, true);
        if (col >= 0) return col;
    }
    cols = false;
    if (m_options.testFlag(GridOption::RowSizing) && x >= 0 && x < FixedWidth()) return SizingIndex(y, false);
    return -1;
}

bool TCustomGrid::Sizing(int x, int y) const {
    bool cols = false;
    return SizingAt(x, y, cols) >= 0;
}

int TCustomGrid::VisibleColCount() const {
    int x = FixedWidth();
    int count = 0;
    for (int c = m_leftCol; c < ColCount(); ++c) {
        x += m_colWidths[static_cast<size_t>(c)];
        if (x > viewport()->width()) break;
        x += m_gridLineWidth;
        ++count;
    }
    return count;
}

int TCustomGrid::VisibleRowCount() const {
    int y = FixedHeight();
    int count = 0;
    for (int r = m_topRow; r < RowCount(); ++r) {
        y += m_rowHeights[static_cast<size_t>(r)];
        if (y > viewport()->height()) break;
        y += m_gridLineWidth;
        ++count;
    }
    return count;
}

// The largest LeftCol that still leaves the last column fully shown.
int TCustomGrid::MaxLeftCol() const {
    const int room = viewport()->width() - FixedWidth();
    int used = 0;
    int col = ColCount() - 1;
    for (; col >= m_fixedCols; --col) {
        used += m_colWidths[static_cast<size_t>(col)];
        if (used > room) break;
        used += m_gridLineWidth;
    }
    return std::clamp(col + 1, m_fixedCols, std::max(m_fixedCols, ColCount() - 1));
}

int TCustomGrid::MaxTopRow() const {
    const int room = viewport()->height() - FixedHeight();
    int used = 0;
    int row = RowCount() - 1;
    for (; row >= m_fixedRows; --row) {
        used += m_rowHeights[static_cast<size_t>(row)];
        if (used > room) break;
        used += m_gridLineWidth;
    }
    return std::clamp(row + 1, m_fixedRows, std::max(m_fixedRows, RowCount() - 1));
}

// --- scrolling ----------------------------------------------------------------

void TCustomGrid::SetLeftCol(int value) {
    value = std::clamp(value, m_fixedCols, MaxLeftCol());
    if (value == m_leftCol) return;
    m_leftCol = value;
    UpdateHorizontalScrollRange();
    PlaceEditor();
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomGrid::SetTopRow(int value) {
    value = std::clamp(value, m_fixedRows, MaxTopRow());
    if (value == m_topRow) return;
    m_topRow = value;
    UpdateScrollRange();
    PlaceEditor();
    InvalidateGrid();
    TopLeftChanged();
}

void TCustomGrid::UpdateHorizontalScrollRange() {
    QScrollBar* bar = horizontalScrollBar();
    m_settingScrollBars = true;
    bar->setRange(m_fixedCols, MaxLeftCol());
    bar->setPageStep(std::max(1, VisibleColCount()));
    bar->setValue(m_leftCol);
    m_settingScrollBars = false;
}

void TCustomGrid::UpdateScrollRange() {
    UpdateHorizontalScrollRange();
    QScrollBar* bar = verticalScrollBar();
    m_settingScrollBars = true;
    bar->setRange(m_fixedRows, MaxTopRow());
    bar->setPageStep(std::max(1, VisibleRowCount()));
    bar->setValue(m_topRow);
    m_settingScrollBars = false;
}

void TCustomGrid::VerticalScroll(int action, int position) {
    (void)action;
    SetTopRow(position);
    // The slider applies its position after this handler: keep it on TopRow.
    verticalScrollBar()->setSliderPosition(m_topRow);
}

void TCustomGrid::scrollContentsBy(int dx, int dy) {
    (void)dy; // the vertical bar is handled through its actions
    if (dx != 0 && !m_settingScrollBars) SetLeftCol(horizontalScrollBar()->value());
}

void TCustomGrid::ScrollIntoView(int col, int row) {
    if (row >= m_fixedRows) {
        if (row < m_topRow) {
            SetTopRow(row);
        } else {
            // Walk up from `row` to find the highest TopRow that shows it whole.
            const int room = viewport()->height() - FixedHeight();
            int used = 0;
            int top = row;
            for (; top >= m_fixedRows; --top) {
                used += m_rowHeights[static_cast<size_t>(top)];
                if (used > room) break;
                used += m_gridLineWidth;
            }
            const int needed = std::min(row, top + 1);
            if (m_topRow < needed) SetTopRow(needed);
        }
    }
    if (col >= m_fixedCols) {
        if (col < m_leftCol) {
            SetLeftCol(col);
        } else {
            const int room = viewport()->width() - FixedWidth();
            int used = 0;
            int left = col;
            for (; left >= m_fixedCols; --left) {
                used += m_colWidths[static_cast<size_t>(left)];
                if (used > room) break;
                used += m_gridLineWidth;
            }
            const int needed = std::min(col, left + 1);
            if (m_leftCol < needed) SetLeftCol(needed);
        }
    }
}

void TCustomGrid::TimedScroll(unsigned directions) {
    int col = m_col;
    int row = m_row;
    if ((directions & sdUp) && m_topRow > m_fixedRows) {
        SetTopRow(m_topRow - 1);
        row = m_topRow;
    }
    if ((directions & sdDown) && m_topRow < MaxTopRow()) {
        SetTopRow(m_topRow + 1);
        row = m_topRow + std::max(0, VisibleRowCount() - 1);
    }
    if ((directions & sdLeft) && m_leftCol > m_fixedCols) {
        SetLeftCol(m_leftCol - 1);
        col = m_leftCol;
    }
    if ((directions & sdRight) && m_leftCol < MaxLeftCol()) {
        SetLeftCol(m_leftCol + 1);
        col = m_leftCol + std::max(0, VisibleColCount() - 1);
    }
    MoveColRow(col, row, false, false);
}

void TCustomGrid::OnTimer() {
    if (m_state != GridState::Selecting || m_scrollDirections == 0) {
        m_scrollTimer->stop();
        return;
    }
    TimedScroll(m_scrollDirections);
}

// --- current cell and editor --------------------------------------------------

bool TCustomGrid::SelectCell(int col, int row) {
    (void)col;
    (void)row;
    return true;
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
    (void)moveAnchor;
    col = std::clamp(col, m_fixedCols, ColCount() - 1);
    row = std::clamp(row, m_fixedRows, RowCount() - 1);
    if (col != m_col || row != m_row) {
        if (!SelectCell(col, row)) return;
        const bool rowSelect = m_options.testFlag(GridOption::RowSelect);
        if (rowSelect) InvalidateRow(m_row);
        else InvalidateCell(m_col, m_row);
        m_col = col;
        m_row = row;
        if (rowSelect) InvalidateRow(m_row);
        else InvalidateCell(m_col, m_row);
    }
    if (show) ScrollIntoView(m_col, m_row);
    InvalidateEditor();
}

void TCustomGrid::MoveColumn(int fromIndex, int toIndex) {
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= ColCount() || toIndex >= ColCount() ||
        fromIndex == toIndex)
        return;
    auto move = [&](auto& values) {
        auto value = values[static_cast<size_t>(fromIndex)];
        values.erase(values.begin() + fromIndex);
        values.insert(values.begin() + toIndex, value);
    };
    move(m_colWidths);
    move(m_tabStops);
    ColumnMoved(fromIndex, toIndex);
    InvalidateGrid();
}

void TCustomGrid::ColumnMoved(int fromIndex, int toIndex) {
    (void)fromIndex;
    (void)toIndex;
}

bool TCustomGrid::CanEditShow() const {
    return m_options.testFlag(GridOption::Editing) && !m_options.testFlag(GridOption::RowSelect) &&
           m_editorMode;
}

void TCustomGrid::SetEditorMode(bool value) {
    if (value) ShowEditor();
    else HideEditor();
}

QWidget* TCustomGrid::CreateEditor() {
    auto* edit = new QLineEdit(viewport());
    edit->setFrame(false);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { SetEditText(m_col, m_row, text); });
    return edit;
}

void TCustomGrid::UpdateEditorText(QWidget* editor) {
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) edit->setText(GetEditText(m_col, m_row));
}

void TCustomGrid::ShowEditor() {
    m_editorMode = true;
    if (!CanEditShow()) return;
    if (!m_editor) m_editor = CreateEditor();
    if (!m_editor) return;
    UpdateEditorText(m_editor);
    PlaceEditor();
    if (hasFocus()) m_editor->setFocus();
}

void TCustomGrid::HideEditor() {
    m_editorMode = false;
    if (!m_editor || !m_editor->isVisible()) return;
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus) setFocus();
}

void TCustomGrid::InvalidateEditor() {
    if (!m_editor || !m_editor->isVisible()) return;
    UpdateEditorText(m_editor);
    PlaceEditor();
}

void TCustomGrid::PlaceEditor() {
    if (!m_editor || !m_editorMode || !CanEditShow()) return;
    const QRect rect = CellRect(m_col, m_row);
    if (rect.isEmpty()) {
        m_editor->hide();
        return;
    }
    m_editor->setGeometry(rect);
    m_editor->show();
}

// --- painting -----------------------------------------------------------------

GridDrawState TCustomGrid::DrawStateOf(int col, int row) const {
    GridDrawState state = 0;
    if (col < m_fixedCols || row < m_fixedRows) return gdFixed;
    const bool current = col == m_col && row == m_row;
    if (current || (m_options.testFlag(GridOption::RowSelect) && row == m_row)) state |= gdSelected;
    if (current && hasFocus()) state |= gdFocused;
    return state;
}

void TCustomGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, GridDrawState state) {
    (void)col;
    (void)row;
    painter.fillRect(rect, (state & gdFixed) ? m_fixedColor : m_color);
}

void TCustomGrid::Paint(QPainter& painter, const QRect& dirty) {
    const int width = viewport()->width();
    const int height = viewport()->height();
    struct Span {
        int index, pos, size;
    };
    auto spans = [](int fixed, int first, const std::vector<int>& sizes, int line, int limit) {
        std::vector<Span> out;
        int pos = 0;
        const int count = static_cast<int>(sizes.size());
        for (int i = 0; i < count && pos < limit; ++i) {
            if (i >= fixed && i < first) i = first;
            if (i >= count) break;
            out.push_back({i, pos, sizes[static_cast<size_t>(i)]});
            pos += sizes[static_cast<size_t>(i)] + line;
        }
        return out;
    };
    const std::vector<Span> cols = spans(m_fixedCols, m_leftCol, m_colWidths, m_gridLineWidth, width);
    const std::vector<Span> rows = spans(m_fixedRows, m_topRow, m_rowHeights, m_gridLineWidth, height);
    const int lw = m_gridLineWidth;
    int right = 0;
    int bottom = 0;
    for (const Span& r : rows) {
        for (const Span& c : cols) {
            const QRect cell(c.pos, r.pos, c.size, r.size);
            if (!cell.adjusted(0, 0, lw, lw).intersects(dirty)) continue;
            const bool fixed = c.index < m_fixedCols || r.index < m_fixedRows;
            DrawCell(painter, c.index, r.index, cell, DrawStateOf(c.index, r.index));
            if (lw <= 0) continue;
            const bool vert = m_options.testFlag(fixed ? GridOption::FixedVertLine : GridOption::VertLine);
            const bool horz = m_options.testFlag(fixed ? GridOption::FixedHorzLine : GridOption::HorzLine);
            const QColor& lineColor = fixed ? kFixedLineColor : kLineColor;
            painter.fillRect(QRect(cell.right() + 1, cell.top(), lw, cell.height() + lw),
                             vert ? lineColor : (fixed ? m_fixedColor : m_color));
            painter.fillRect(QRect(cell.left(), cell.bottom() + 1, cell.width(), lw),
                             horz ? lineColor : (fixed ? m_fixedColor : m_color));
        }
    }
    if (!cols.empty()) right = cols.back().pos + cols.back().size + lw;
    if (!rows.empty()) bottom = rows.back().pos + rows.back().size + lw;
    // What lies past the last column and row is the grid's background.
    if (right < width) painter.fillRect(QRect(right, 0, width - right, height), m_color);
    if (bottom < height) painter.fillRect(QRect(0, bottom, std::min(right, width), height - bottom), m_color);
    if (m_state == GridState::ColSizing || m_state == GridState::ColMoving) {
        painter.fillRect(QRect(m_dragPos - 1, 0, 2, height), Qt::black);
    } else if (m_state == GridState::RowSizing) {
        painter.fillRect(QRect(0, m_dragPos - 1, width, 2), Qt::black);
    }
}

void TCustomGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    Paint(painter, event->rect());
}

void TCustomGrid::InvalidateCell(int col, int row) {
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty()) viewport()->update(rect.adjusted(0, 0, m_gridLineWidth, m_gridLineWidth));
}

void TCustomGrid::InvalidateRow(int row) {
    const int top = RowTop(row);
    if (top != INT_MIN)
        viewport()->update(QRect(0, top, viewport()->width(), RowHeights(row) + m_gridLineWidth));
}

void TCustomGrid::InvalidateCol(int col) {
    const int left = ColLeft(col);
    if (left != INT_MIN)
        viewport()->update(QRect(left, 0, ColWidths(col) + m_gridLineWidth, viewport()->height()));
}

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

void TCustomGrid::EndUpdate() {
    if (m_updateDepth > 0 && --m_updateDepth == 0) InvalidateGrid();
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, MaxLeftCol());
    m_topRow = std::clamp(m_topRow, m_fixedRows, MaxTopRow());
    UpdateScrollRange();
    PlaceEditor();
    SizeChanged();
}

// --- input --------------------------------------------------------------------

bool TCustomGrid::event(QEvent* event) {
    // With tab stops, Tab moves between cells instead of leaving the grid.
    if (event->type() == QEvent::KeyPress && m_options.testFlag(GridOption::Tabs)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !key->modifiers().testFlag(Qt::AltModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TCustomGrid::keyPressEvent(QKeyEvent* event) { KeyDown(event); }

void TCustomGrid::KeyDown(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const int page = std::max(1, VisibleRowCount());
    int col = m_col;
    int row = m_row;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home: (ctrl ? row : col) = ctrl ? m_fixedRows : m_fixedCols; break;
    case Qt::Key_End: (ctrl ? row : col) = ctrl ? RowCount() - 1 : ColCount() - 1; break;
    case Qt::Key_F2: ShowEditor(); return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!m_options.testFlag(GridOption::Tabs)) {
            event->ignore();
            return;
        }
        {
            const int step = event->key() == Qt::Key_Backtab ? -1 : 1;
            const int cells = (ColCount() - m_fixedCols) * (RowCount() - m_fixedRows);
            for (int tries = 0; tries < cells; ++tries) {
                col += step;
                if (col >= ColCount()) col = m_fixedCols, ++row;
                if (col < m_fixedCols) col = ColCount() - 1, --row;
                if (row >= RowCount() || row < m_fixedRows) return;
                if (TabStops(col)) break;
            }
        }
        break;
    default: event->ignore(); return;
    }
    MoveColRow(col, row, true, true);
}

void TCustomGrid::mousePressEvent(QMouseEvent* event) { MouseDown(event); }
void TCustomGrid::mouseMoveEvent(QMouseEvent* event) { MouseMove(event); }
void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) { MouseUp(event); }

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is its own event; it neither moves nor selects.
    DblClick(event);
}

void TCustomGrid::MouseDown(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    bool colSizing = false;
    if (const int sized = SizingAt(pos.x(), pos.y(), colSizing); sized >= 0) {
        // The border nearest the pointer decides which column or row is sized.
        m_state = colSizing ? GridState::ColSizing : GridState::RowSizing;
        m_dragIndex = sized;
        m_dragOrigin = colSizing ? ColLeft(sized) : RowTop(sized);
        m_dragPos = colSizing ? pos.x() : pos.y();
        InvalidateGrid();
        return;
    }
    const GridCoord cell = MouseCoord(pos.x(), pos.y());
    if (cell.X < 0) return;
    if (cell.Y < m_fixedRows && cell.X >= m_fixedCols && m_options.testFlag(GridOption::ColMoving)) {
        m_state = GridState::ColMoving;
        m_dragIndex = cell.X;
        m_moveTarget = cell.X;
        m_dragPos = pos.x();
        return;
    }
    if (cell.X < m_fixedCols || cell.Y < m_fixedRows) return;
    const bool wasCurrent = cell.X == m_col && cell.Y == m_row;
    MoveColRow(cell.X, cell.Y, true, true);
    m_state = GridState::Selecting;
    if (wasCurrent && m_options.testFlag(GridOption::Editing)) ShowEditor();
}

void TCustomGrid::MouseMove(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    switch (m_state) {
    case GridState::ColSizing:
        m_dragPos = std::max(pos.x(), m_dragOrigin + 1);
        InvalidateGrid();
        return;
    case GridState::RowSizing:
        m_dragPos = std::max(pos.y(), m_dragOrigin + 1);
        InvalidateGrid();
        return;
    case GridState::ColMoving: {
        const int right = std::max(0, viewport()->width() - 1);
        m_dragPos = std::clamp(pos.x(), std::min(FixedWidth(), right), right);
        const GridCoord cell = MouseCoord(m_dragPos, 0);
        if (cell.X >= m_fixedCols) m_moveTarget = cell.X;
        InvalidateGrid();
        return;
    }
    case GridState::Selecting: {
        // Below the last row a drag goes through, it scrolls on as below
        // the bottom edge.
        int bottom = viewport()->height();
        const int last = LastDragRow();
        if (last >= 0 && last < RowCount() - 1) {
            const int top = RowTop(last);
            bottom = top == INT_MIN ? FixedHeight()
                                    : std::min(bottom, top + m_rowHeights[static_cast<size_t>(last)] + m_gridLineWidth);
        }
        unsigned directions = 0;
        if (pos.y() < FixedHeight()) directions |= sdUp;
        if (pos.y() >= bottom) directions |= sdDown;
        if (pos.x() < FixedWidth()) directions |= sdLeft;
        if (pos.x() >= viewport()->width()) directions |= sdRight;
        m_scrollDirections = directions;
        if (directions != 0) {
            if (!m_scrollTimer->isActive()) m_scrollTimer->start();
            return;
        }
        m_scrollTimer->stop();
        const GridCoord cell = MouseCoord(pos.x(), pos.y());
        if (cell.X >= m_fixedCols && cell.Y >= m_fixedRows) MoveColRow(cell.X, cell.Y, false, true);
        return;
    }
    case GridState::Normal:
        if (event->buttons() == Qt::NoButton) {
            bool colBorder = false;
            const bool sizing = SizingAt(pos.x(), pos.y(), colBorder) >= 0;
            viewport()->setCursor(!sizing ? Qt::ArrowCursor : colBorder ? Qt::SplitHCursor : Qt::SplitVCursor);
        }
        return;
    }
}

void TCustomGrid::MouseUp(QMouseEvent* event) { EndDrag(event); }

void TCustomGrid::EndDrag(QMouseEvent* event) {
    (void)event;
    const GridState state = m_state;
    m_state = GridState::Normal;
    m_scrollTimer->stop();
    m_scrollDirections = 0;
    switch (state) {
    case GridState::ColSizing:
        SetColWidths(m_dragIndex, m_dragPos - m_dragOrigin);
        ColWidthsChanged();
        break;
    case GridState::RowSizing:
        SetRowHeights(m_dragIndex, m_dragPos - m_dragOrigin);
        RowHeightsChanged();
        break;
    case GridState::ColMoving:
        if (m_moveTarget >= m_fixedCols && m_moveTarget != m_dragIndex) MoveColumn(m_dragIndex, m_moveTarget);
        break;
    default: break;
    }
    m_dragIndex = -1;
    m_moveTarget = -1;
    InvalidateGrid();
}

void TCustomGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    InvalidateCell(m_col, m_row);
}

void TCustomGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    InvalidateCell(m_col, m_row);
}

} // namespace platform
