#pragma once
// The generic grid under the data grid: a matrix of cells with fixed rows at
// the top and fixed columns at the left, scrolled by whole cells, painted cell
// by cell through DrawCell, with column and row sizing and column moving by
// mouse, timed scrolling while a selection is dragged past the edge, and a
// host for an in-place editor. It knows nothing of datasets: the data grid
// derives from it and overrides the virtual notifications.
//
// Coordinates: columns and rows are raw indices (fixed ones included); pixel
// rectangles are in viewport coordinates. Every cell is followed by a grid
// line of GridLineWidth pixels on its right and bottom. A cell is at most
// MaxCellSize pixels wide or high (as a widget is), and edges are reckoned
// so that no number of such cells overflows.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFlags>
#include <QRect>
#include <vector>

class QTimer;

namespace platform {

enum class GridOption : unsigned {
    FixedVertLine = 1u << 0,
    FixedHorzLine = 1u << 1,
    VertLine = 1u << 2,
    HorzLine = 1u << 3,
    RowSizing = 1u << 4,
    ColSizing = 1u << 5,
    ColMoving = 1u << 6,
    Editing = 1u << 7,
    Tabs = 1u << 8,
    RowSelect = 1u << 9,
    AlwaysShowEditor = 1u << 10,
};
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

// How a cell is painted.
enum GridDrawStateFlag : unsigned { gdSelected = 1u, gdFocused = 2u, gdFixed = 4u };
using GridDrawState = unsigned;

enum class GridState { Normal, Selecting, RowSizing, ColSizing, ColMoving };
enum class ScrollStyle { None, Horizontal, Vertical, Both };

// Directions of a timed scroll; several may be combined.
enum GridScrollDirection : unsigned { sdUp = 1u, sdDown = 2u, sdLeft = 4u, sdRight = 8u };

// The widest column, highest row and widest grid line: a widget's limit
// (QWIDGETSIZE_MAX); larger values are taken as this.
inline constexpr int MaxCellSize = 16777215;

struct GridCoord {
    int X = -1;
    int Y = -1;
    friend bool operator==(const GridCoord&, const GridCoord&) = default;
};

class TCustomGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    // The matrix. Counts below 1 are taken as 1; fixed counts are kept below
    // the totals. New columns and rows take the default width and height.
    int ColCount() const { return static_cast<int>(m_colWidths.size()); }
    void SetColCount(int value);
    int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
    void SetRowCount(int value);
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int value);

    // The current cell. Setting it asks SelectCell first; a refusal keeps the
    // old cell.
    int Col() const { return m_col; }
    void SetCol(int value) { MoveColRow(value, m_row, true, true); }
    int Row() const { return m_row; }
    void SetRow(int value) { MoveColRow(m_col, value, true, true); }
    // The first scrollable column and row shown; clamped to what can scroll.
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int value);
    int TopRow() const { return m_topRow; }
    void SetTopRow(int value);
    // Scrollable columns and rows fully inside the client area (at least 0).
    int VisibleColCount() const;
    int VisibleRowCount() const;

    // Out-of-range indices read 0 and are ignored on writing; sizes are
    // kept within 0..MaxCellSize.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    // Setting a default resets every column (row) to it.
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int value);
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int value);
    bool TabStops(int col) const;
    void SetTabStops(int col, bool value);

    GridOptions Options() const { return m_options; }
    void SetOptions(GridOptions value);
    ScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(ScrollStyle value);
    QColor Color() const { return m_color; }
    void SetColor(const QColor& value);
    QColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(const QColor& value);

    // The cell's rectangle without its grid lines; empty when not shown.
    QRect CellRect(int col, int row) const;
    // The rectangle covering the shown cells of a range (inclusive).
    QRect BoxRect(int left, int top, int right, int bottom) const;
    // The cell under a viewport point; -1 for a coordinate past the cells.
    GridCoord MouseCoord(int x, int y) const;
    // The point is on a border that can be dragged to size a column or row.
    bool Sizing(int x, int y) const;
    GridState State() const { return m_state; }

    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateCol(int col);
    void InvalidateGrid();
    // Moves the current cell (asking SelectCell); with `show`, scrolls it into
    // view.
    void MoveColRow(int col, int row, bool moveAnchor, bool show);
    // Moves a column (its width and tab stop with it) and tells ColumnMoved.
    void MoveColumn(int fromIndex, int toIndex);

    // The in-place editor, created on first use by CreateEditor.
    QWidget* InplaceEditor() const { return m_editor; }
    bool EditorMode() const { return m_editorMode; }
    void SetEditorMode(bool value);
    void ShowEditor();
    void HideEditor();
    // Re-reads the editor's text and position when it is shown.
    void InvalidateEditor();

    // Nesting of updates: no painting is done while one runs.
    bool InUpdate() const { return m_updateDepth > 0; }

protected:
    // Paints one cell; the default fills it with Color or FixedColor.
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, GridDrawState state);
    // Paints the cells that meet `dirty` and their grid lines.
    virtual void Paint(QPainter& painter, const QRect& dirty);
    // Answers whether the cell may become current (default: yes).
    virtual bool SelectCell(int col, int row);
    virtual void TopLeftChanged() {}
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void ColumnMoved(int fromIndex, int toIndex);
    virtual void TimedScroll(unsigned directions);
    // The last row a selecting drag moves through; below it the drag acts
    // as past the bottom edge (timed scrolling). The default: the last row.
    virtual int LastDragRow() const { return RowCount() - 1; }
    // The client area was resized.
    virtual void SizeChanged() {}
    // The vertical scroll bar was used: `action` is a QAbstractSlider action,
    // `position` the slider position. The default scrolls TopRow.
    virtual void VerticalScroll(int action, int position);
    // Sets the scroll bars' ranges from the matrix; the data grid overrides
    // the vertical one.
    virtual void UpdateScrollRange();
    void UpdateHorizontalScrollRange();

    // The editor. CreateEditor's widget is owned by the viewport; the default
    // is a line edit that reads GetEditText and writes SetEditText.
    virtual QWidget* CreateEditor();
    virtual bool CanEditShow() const;
    virtual QString GetEditText(int col, int row) { (void)col; (void)row; return {}; }
    virtual void SetEditText(int col, int row, const QString& text) { (void)col; (void)row; (void)text; }
    // Loads the editor with the current cell's text; called when shown or
    // invalidated.
    virtual void UpdateEditorText(QWidget* editor);

    // Input, overridable as a whole; each default is the grid's own handling.
    virtual void KeyDown(QKeyEvent* event);
    virtual void MouseDown(QMouseEvent* event);
    virtual void MouseMove(QMouseEvent* event);
    virtual void MouseUp(QMouseEvent* event);
    // A double click of any button; the default does nothing.
    virtual void DblClick(QMouseEvent* event) { (void)event; }

    // Starts the drag that a press on a cell starts (for a grid that handles
    // the press itself): moves of the held pointer move the current cell,
    // and past an edge timed scrolling runs until the release.
    void BeginSelecting() { m_state = GridState::Selecting; }

    void BeginUpdate() { ++m_updateDepth; }
    void EndUpdate();

    // Qt plumbing.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The column (`cols`) or row whose border a press at `pos` would drag:
    // the nearest within the sizing margin, -1 when none is that near.
    int SizingIndex(int pos, bool cols) const;
    // The column (then `cols` is set) or row a press at (x, y) would size,
    // or -1.
    int SizingAt(int x, int y, bool& cols) const;
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    int MaxLeftCol() const;
    int MaxTopRow() const;
    void ClampCurrent();
    void ScrollIntoView(int col, int row);
    void PlaceEditor();
    void OnTimer();
    void EndDrag(QMouseEvent* event);
    GridDrawState DrawStateOf(int col, int row) const;

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    std::vector<bool> m_tabStops;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_col = 1;
    int m_row = 1;
    int m_leftCol = 1;
    int m_topRow = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    GridOptions m_options = GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine |
                            GridOption::HorzLine;
    ScrollStyle m_scrollBars = ScrollStyle::Both;
    QColor m_color{255, 255, 255};
    QColor m_fixedColor{240, 240, 240};

    GridState m_state = GridState::Normal;
    int m_dragIndex = -1;     // column or row being sized or moved
    int m_dragOrigin = 0;     // pixel where the sized cell starts
    int m_dragPos = 0;        // current pointer pixel of a size or move drag
    int m_moveTarget = -1;    // where a moved column would land
    unsigned m_scrollDirections = 0;
    QTimer* m_scrollTimer = nullptr;

    QWidget* m_editor = nullptr;
    bool m_editorMode = false;
    bool m_settingScrollBars = false;
    int m_updateDepth = 0;
};

} // namespace platform
