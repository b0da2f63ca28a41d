#pragma once
// The data grid: a dataset's records as rows and its fields as columns, on
// our grid base. It adds to the base an indicator column with glyphs for
// the current, edited, inserted and selected rows, titles that can act as
// push buttons and show sort markers, multi-level titles, a footer row kept
// at the bottom edge, checkbox columns, frozen columns, a uniform row height
// and proportional column fitting.
//
// The grid's rows are the records of its data link's window (see
// TGridDataLink): title row, one row per windowed record, and with footers a
// spacer row and the footer row. Moving through the data moves the dataset's
// cursor; the window follows it and the vertical scroll bar shows the record
// number. Painting never moves the cursor: while a data cell is drawn, its
// record is the dataset's record being drawn, so the cell events read the
// painted record through the column's field.
//
// Layout runs under a lock: BeginLayout/EndLayout nest, and only the
// outermost EndLayout rebuilds columns, widths, heights and row count.

#include "grid/GridTypes.h"
#include "grid/TInplaceEditHost.h"
#include "grid/TMDBGridHost.h"
#include "platform/TCustomGrid.h"
#include "platform/db/DbTypes.h"

#include <QPixmap>
#include <QPointer>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

namespace db {
class TDataSource;
class TField;
} // namespace db

namespace grid {

class TDBGColumn;
class TDBGGridColumns;
class TGridDataLink;
class THeadTreeNode;
class TRecordmarkList;
class TTitleTextHeights;

using platform::GridDrawState;

class TCustomMDBGrid : public platform::TCustomGrid, public TMDBGridHost, public TInplaceEditHost {
    Q_OBJECT

public:
    // Events. While a data cell's events run, field reads see the painted
    // record (see TDataSet::TDrawingRecord); the cursor stays where it is.
    using TMDBGridClickEvent = std::function<void(TDBGColumn& column)>;
    using TTitleClickEvent = std::function<void(TCustomMDBGrid& sender, int acol, TDBGColumn& column)>;
    using TCheckTitleBtnEvent =
        std::function<void(TCustomMDBGrid& sender, int acol, TDBGColumn& column, bool& enabled)>;
    using TGetBtnParamsEvent = std::function<void(TCustomMDBGrid& sender, TDBGColumn& column, QFont& font,
                                                  QColor& background, TSortMarker& marker, bool isDown)>;
    using TGetCellParamsEvent = std::function<void(TCustomMDBGrid& sender, TDBGColumn& column, QFont& font,
                                                   QColor& background, GridDrawState state)>;
    using TDrawColumnCellEvent = std::function<void(TCustomMDBGrid& sender, QPainter& painter, const QRect& rect,
                                                    int dataCol, TDBGColumn& column, GridDrawState state)>;
    using TDrawDataCellEvent = std::function<void(TCustomMDBGrid& sender, QPainter& painter, const QRect& rect,
                                                  db::TField* field, GridDrawState state)>;
    using TMovedEvent = std::function<void(TCustomMDBGrid& sender, int fromIndex, int toIndex)>;
    using TNotifyEvent = std::function<void(TCustomMDBGrid& sender)>;
    // A key (Qt::Key) with its modifiers; setting `key` to 0 stops the grid's
    // own handling of it.
    using TKeyEvent = std::function<void(TCustomMDBGrid& sender, int& key, Qt::KeyboardModifiers shift)>;
    // A typed character; emptying `key` drops it, changing it types another.
    using TKeyPressEvent = std::function<void(TCustomMDBGrid& sender, QString& key)>;
    using TMouseEvent = std::function<void(TCustomMDBGrid& sender, QMouseEvent& event)>;
    // Dragging between grids. `source` is the grid dragged from, `target`
    // the grid that took the drop (nullptr when none did); points are in
    // the viewport of the grid the event belongs to.
    using TStartDragEvent = std::function<void(TCustomMDBGrid& sender)>;
    using TDragOverEvent = std::function<void(TCustomMDBGrid& sender, QObject* source, int x, int y,
                                              TDragState state, bool& accept)>;
    using TDragDropEvent = std::function<void(TCustomMDBGrid& sender, QObject* source, int x, int y)>;
    using TEndDragEvent = std::function<void(TCustomMDBGrid& sender, QObject* target, int x, int y)>;

    explicit TCustomMDBGrid(QWidget* parent = nullptr);
    ~TCustomMDBGrid() override;

    // --- what the grid's users set ------------------------------------------
    db::TDataSource* DataSource() const;
    // A new source clears the selected rows and relayouts.
    void SetDataSource(db::TDataSource* value);
    TDBGridOptions Options() const override { return m_options; }
    // dgRowSelect drops dgEditing and dgAlwaysShowEditor; switching
    // dgMultiSelect off clears the selected rows.
    void SetOptions(TDBGridOptions value);
    TDBGGridColumns& Columns() const { return *m_columns; }
    // Copies the given columns.
    void SetColumns(const TDBGGridColumns& value);
    TRecordmarkList& SelectedRows() const { return *m_selectedRows; }
    // Columns kept at the left while the others scroll. Negative values and
    // the current value are ignored; more than the columns that exist
    // freezes all but the last.
    int FrozenCols() const { return m_frozenCols; }
    void SetFrozenCols(int value);
    // Height of the data rows; 0 follows the font. Negative is taken as 0.
    int RowsHeight() const { return m_rowsHeight; }
    void SetRowsHeight(int value);
    QFont TitleFont() const override;
    void SetTitleFont(const QFont& value);
    bool ReadOnly() const override { return m_readOnly; }
    void SetReadOnly(bool value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value) { m_defaultDrawing = value; }
    // The data row height holds more than one line of text.
    bool WrapAllowed() const { return m_wrapAllowed; }
    int TitleOffset() const { return m_titleOffset; }
    int IndicatorOffset() const override { return m_indicatorOffset; }
    int FooterRows() const { return m_footerRows; }

    // The current data column (Col minus the indicator), and its field
    // (nullptr without one).
    int SelectedIndex() const { return Col() - m_indicatorOffset; }
    void SetSelectedIndex(int value) { MoveCol(value + m_indicatorOffset); }
    db::TField* SelectedField() const;
    TDBGColumn* SelectedColumn() const override;
    // The stored record index a painted data row shows; -1 outside painting.
    int PaintingRecord() const { return m_paintingRecord; }
    // Longest text the editor takes: the selected field's size (0 = any).
    int GetEditLimit() const override;
    TGridDataLink& DataLink() const { return *m_dataLink; }

    TMDBGridClickEvent OnCellClick;
    TMDBGridClickEvent OnTitleClick;
    TTitleClickEvent OnTitleBtnClick;
    TCheckTitleBtnEvent OnCheckButton;
    TGetBtnParamsEvent OnGetBtnParams;
    TGetCellParamsEvent OnGetCellParams;
    TDrawColumnCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TMovedEvent OnColumnMoved;
    TNotifyEvent OnEditButtonClick;
    TNotifyEvent OnDblClick;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    // The focus came into the grid (or its editor) from elsewhere, or left both.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;

    // --- dragging -------------------------------------------------------------
    // dmAutomatic: a left press that moves past the drag distance starts a
    // drag; dmManual: only BeginDrag does.
    TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TDragMode value) { m_dragMode = value; }
    // The pointer's shape while a drop is accepted.
    Qt::CursorShape DragCursor() const { return m_dragCursor; }
    void SetDragCursor(Qt::CursorShape value) { m_dragCursor = value; }
    // Starts dragging from this grid at once, or (not `immediate`) when the
    // held pointer has moved past the drag distance; nothing while dragging.
    void BeginDrag(bool immediate);
    // Ends a drag: dropped on the grid under the pointer when `drop` and it
    // accepts, otherwise cancelled.
    void EndDrag(bool drop);
    bool Dragging() const { return m_drag.active; }

    // --- layout -------------------------------------------------------------
    void BeginUpdate() { TCustomGrid::BeginUpdate(); }
    void EndUpdate() { TCustomGrid::EndUpdate(); }
    void BeginLayout() override;
    void EndLayout() override;
    void LayoutChanged() override;
    // Inside BeginLayout: leaves that layout level without laying out, and
    // lays out once the event loop comes round (again later while the
    // layout is locked then).
    void DeferLayout();

    // --- the host interfaces of the columns and the editor -------------------
    QColor Color() const override { return TCustomGrid::Color(); }
    QColor FixedColor() const override { return TCustomGrid::FixedColor(); }
    QFont Font() const override { return font(); }
    int DefaultColWidth() const override { return TCustomGrid::DefaultColWidth(); }
    bool IsLoading() const override { return false; }
    db::TDataSet* DataSet() const override;
    bool LinkActive() const override;
    bool LayoutFromDataset() const override { return m_layoutFromDataset; }
    bool LinkReadOnly() const override;
    db::TField* MappedField(int index) const override;
    // A column's width, widened where its title needs room for a sort marker.
    void SetColWidth(int rawCol, int width) override;
    void InvalidateCol(int rawCol) override { TCustomGrid::InvalidateCol(rawCol); }
    void InvalidateCurrentRow() override;
    void Invalidate() override { InvalidateGrid(); }
    std::string GetEditText() const override { return m_editText; }
    void SetEditText(const std::string& text) override;
    // The base grid's cell-text notifications reach the same editing: the
    // text of the field a raw column shows (also kept as the text being
    // edited; empty without one), and storing the edited text.
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& text) override;
    bool CanEditModify() override;
    void EditButtonClick() override;
    void GetCellParams(TDBGColumn& column, QFont& font, QColor& background) override;
    bool EditKeyDown(QKeyEvent& event) override;
    bool EditKeyNotify(QKeyEvent& event) override;
    void EditKeyPress(QString& text) override;
    void EditKeyUp(QKeyEvent& event) override;
    bool AlwaysShowEditor() const override { return m_options.Has(TDBGridOption::dgAlwaysShowEditor); }
    void EditError(const std::exception& error) override;

    // The indicator and sort-marker glyphs, by their list index.
    const QPixmap& IndicatorGlyph(int index) const { return m_indicators[static_cast<size_t>(index)]; }
    const QPixmap& SortMarkerGlyph(TSortMarker marker) const;

protected:
    // --- the data link's reports --------------------------------------------
    friend class TGridDataLink;
    virtual void LinkActive(bool value);
    void DataChanged();
    void EditingChanged();
    void RecordChanged(db::TField* field);
    void FieldChanged(db::TField& field);
    // Moves to the first column of `field`; clears it when the grid took it.
    void FocusControl(db::TField*& field);
    void FieldListChanging();
    virtual void Scroll(int distance);

    // --- layout -------------------------------------------------------------
    virtual void DefineFieldMap();
    virtual void SetColumnAttributes();
    void InternalLayout();
    void ArrangeDefaultColumns();
    void UpdateRowCount();
    void UpdateActive();
    void UpdateScrollBar();
    void AutoFitColumns();
    bool AcquireLayoutLock();

    // --- painting -----------------------------------------------------------
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect, GridDrawState state) override;
    void Paint(QPainter& painter, const QRect& dirty) override;
    virtual bool HighlightCell(int dataCol, int dataRow, int record, GridDrawState state);
    virtual void GetCellParams(TDBGColumn& column, QFont& font, QColor& background, GridDrawState state);
    virtual void DrawColumnCell(QPainter& painter, const QRect& rect, int dataCol, TDBGColumn& column,
                                GridDrawState state);
    virtual void DrawDataCell(QPainter& painter, const QRect& rect, db::TField* field, GridDrawState state);

    // --- input --------------------------------------------------------------
    void KeyDown(QKeyEvent* event) override;
    // A typed character (also from the editor); may be changed or dropped.
    virtual void KeyPress(QString& key);
    virtual void KeyUp(QKeyEvent& event);
    void keyReleaseEvent(QKeyEvent* event) override;
    void MouseDown(QMouseEvent* event) override;
    void MouseMove(QMouseEvent* event) override;
    void MouseUp(QMouseEvent* event) override;
    void DblClick(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    virtual void DoEnter();
    virtual void DoExit();
    virtual void DragOver(QObject* source, const QPoint& pos, TDragState state, bool& accept);
    virtual void DragDrop(QObject* source, const QPoint& pos);
    virtual void DoStartDrag();
    virtual void DoEndDrag(QObject* target, const QPoint& pos);
    bool event(QEvent* event) override;
    virtual void CellClick(TDBGColumn& column);
    virtual void TitleClick(TDBGColumn& column);
    virtual void TitleBtnClick(int acol, TDBGColumn& column);
    virtual void CheckTitleButton(int acol, bool& enabled);
    virtual void ColEnter();
    virtual void ColExit();
    void MoveCol(int rawCol);

    // --- the base grid's notifications ---------------------------------------
    bool SelectCell(int col, int row) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void SizeChanged() override;
    void VerticalScroll(int action, int position) override;
    void TimedScroll(unsigned directions) override;
    // A drag onto the spacer or the footer goes on as one past the last
    // data row: a row at a time, never to the footer's row number.
    int LastDragRow() const override;
    void UpdateScrollRange() override;
    QWidget* CreateEditor() override;
    bool CanEditShow() const override;
    void UpdateEditorText(QWidget* editor) override;
    void changeEvent(QEvent* event) override;

private:
    void SetTitleFontQuietly(const QFont& value);
    int FrozenColsInUse() const;
    // Data rows shown (the window's rows).
    int DataRowCount() const;
    int RowPitch() const;
    // The raw row of the dataset's current record, or -1.
    int ActiveRow() const;
    bool ShowsSelection() const;
    // A row of records (or the blank one of an empty grid), not a title,
    // spacer or footer row.
    bool IsDataRow(int row) const;
    // The width a column is shown with: its own, widened so that the
    // caption and a shown sort marker both fit.
    int ShownWidth(const TDBGColumn& column) const;
    // The focus is on the grid or inside its editor.
    bool OwnsFocus(const QWidget* widget) const;
    void PaintTitleGroups(QPainter& painter);
    void PaintBlankRow(QPainter& painter);
    void BeginDragAt(bool immediate, const QPoint& globalPos);
    void DragMove(const QPoint& globalPos);
    void DrawIndicatorCell(QPainter& painter, int row, const QRect& rect, int dataRow);
    void DrawTitleCell(QPainter& painter, int col, const QRect& rect, TDBGColumn& column, bool footer);
    void DrawRecordCell(QPainter& painter, const QRect& rect, int dataCol, int dataRow, int record, TDBGColumn& column,
                        GridDrawState state);
    void ReportPaintError();
    void DrawBevel(QPainter& painter, const QRect& rect, bool sunken) const;
    void DataMoveBy(int distance, bool select, bool shift);
    void NextRow(bool select, bool shift);
    void PriorRow(bool select, bool shift);
    void ClearSelection();
    void DoSelection(bool select, int direction);
    bool DeletePrompt() const;
    void WritePendingEdit();
    void TabStep(bool back);
    void TrackTitleButton(const QPoint& pos);
    void StopTitleTracking();
    bool CanEditAcceptKey(const QString& text, Qt::KeyboardModifiers modifiers) const;
    // Runs an event handler's work; errors are shown, never thrown out.
    template <class F>
    void Guarded(F&& action);

    std::vector<QPixmap> m_indicators;
    std::vector<QPixmap> m_sortMarkers;
    QFont m_titleFont;
    bool m_titleFontAssigned = false;
    bool m_readOnly = false;
    bool m_layoutFromDataset = false;
    TDBGridOptions m_options;
    int m_titleOffset = 1;
    int m_indicatorOffset = 1;
    int m_updateLock = 0;
    int m_layoutLock = 0;
    bool m_inColExit = false;
    bool m_defaultDrawing = true;
    bool m_selecting = false;
    int m_selRow = -1;
    std::unique_ptr<TGridDataLink> m_dataLink;
    std::string m_editText;
    std::unique_ptr<TDBGGridColumns> m_columns;
    std::unique_ptr<TRecordmarkList> m_selectedRows;
    db::TBookmark m_selectionAnchor;
    std::unique_ptr<THeadTreeNode> m_headTree;
    std::vector<THeadTreeNode*> m_leaves;
    std::unique_ptr<TTitleTextHeights> m_titleTextHeights;
    int m_footerRows = 0;
    int m_rowsHeight = 0;
    bool m_rowSized = false;
    bool m_wrapAllowed = false;
    int m_pressedCol = -1;
    bool m_pressed = false;
    bool m_tracking = false;
    bool m_swapButtons = false;
    int m_editButtonWidth = 16;
    int m_frozenCols = 0;
    TDragMode m_dragMode = TDragMode::dmManual;
    Qt::CursorShape m_dragCursor = Qt::DragMoveCursor;
    bool m_layoutDeferred = false;
    bool m_forwardingKey = false;  // a typed key goes on to the editor
    QMetaObject::Connection m_focusWatch;
    // A drag from this grid: waiting for the pointer to move far enough,
    // then under way over the grid `over` (nullptr when over no grid).
    struct {
        bool pending = false;
        bool active = false;
        QPoint origin;
        QPoint last;
        QPointer<TCustomMDBGrid> over;
        bool accepted = false;
    } m_drag;

    // Working state of one mouse gesture and of painting.
    bool m_columnDragMoved = false;
    bool m_inUpdateActive = false;
    bool m_recordsKept = false;  // the next data change moved no record
    int m_lastRecordCount = 0;
    int m_paintingRecord = -1;
    std::string m_paintError;          // of a cell event in this paint
    std::string m_reportedPaintError;  // told already
    std::vector<int> m_fittedWidths;  // widths the last fitting gave, by data column
    int m_footerTextHeight = 0;
    int m_titleHeight = 0;  // as the titles ask; a short grid may show less
    int m_titlesCutAt = INT_MAX;  // the grid height title texts were cut to
};

template <class F>
void TCustomMDBGrid::Guarded(F&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        EditError(error);
    }
}

} // namespace grid
