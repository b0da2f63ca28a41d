// The grid's state, its data link's reports and its layout. Painting is in
// TCustomMDBGridPaint.cpp, keys, mouse and scrolling in
// TCustomMDBGridInput.cpp.
#include "grid/TCustomMDBGrid.h"

#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGridInplaceEdit.h"
#include "grid/TGridDataLink.h"
#include "grid/THeadTreeNode.h"
#include "grid/TPassthroughColumn.h"
#include "grid/TRecordmarkList.h"
#include "grid/TitleTree.h"
#include "platform/BitmapResource.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <unordered_map>

namespace grid {
namespace {

constexpr int kIndicatorWidth = 11;
// Room a shown sort marker takes from a title's caption.
constexpr int kMarkerRoom = 16;
// The posted event of a deferred layout.
const QEvent::Type kDeferredLayoutEvent = static_cast<QEvent::Type>(QEvent::User + 100);

// a * b / c rounded to the nearest, as the platform's MulDiv; 0 when c is 0
// rather than a division fault. The operands are widths or sums of widths
// (each below 2^31), and a result past an int's range stops at its end.
int MulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    const int64_t product = a * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    if (2 * (remainder < 0 ? -remainder : remainder) >= (c < 0 ? -c : c)) quotient += (product < 0) != (c < 0) ? -1 : 1;
    return static_cast<int>(std::clamp<int64_t>(quotient, INT_MIN, INT_MAX));
}

platform::GridOptions BaseOptions(TDBGridOptions options) {
    using platform::GridOption;
    platform::GridOptions base;
    if (options.Has(TDBGridOption::dgColLines)) base |= GridOption::FixedVertLine | GridOption::VertLine;
    if (options.Has(TDBGridOption::dgRowLines)) base |= GridOption::FixedHorzLine | GridOption::HorzLine;
    if (options.Has(TDBGridOption::dgColumnResize)) base |= GridOption::ColSizing | GridOption::ColMoving;
    if (options.Has(TDBGridOption::dgTabs)) base |= GridOption::Tabs;
    if (options.Has(TDBGridOption::dgRowSelect)) base |= GridOption::RowSelect;
    if (options.Has(TDBGridOption::dgEditing)) base |= GridOption::Editing;
    if (options.Has(TDBGridOption::dgAlwaysShowEditor)) base |= GridOption::AlwaysShowEditor;
    if (options.Has(TDBGridOption::dgFlat)) base &= ~(GridOption::FixedVertLine | GridOption::FixedHorzLine);
    if (options.Has(TDBGridOption::dgRowSizing)) base |= GridOption::RowSizing;
    return base;
}

} // namespace

TCustomMDBGrid::TCustomMDBGrid(QWidget* parent) : TCustomGrid(parent) {
    for (const char* name : {"MDBGARROW", "MDBEDIT", "MDBINSERT", "MDBMULTIDOT", "MDBMULTIARROW"})
        m_indicators.push_back(platform::LoadBitmapResource(name));
    for (const char* name : {"MDBSMDOWN", "MDBSMUP"}) m_sortMarkers.push_back(platform::LoadBitmapResource(name));
    m_options = DefaultGridOptions;
    m_titleFont = font();
    // The data grid keeps the vertical bar itself: it shows the record number.
    SetScrollBars(platform::ScrollStyle::Horizontal);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TCustomGrid::SetOptions(BaseOptions(m_options));
    m_columns = std::make_unique<TDBGGridColumns>(this);
    SetRowCount(2);
    SetColCount(2);
    m_dataLink = std::make_unique<TGridDataLink>(*this);
    SetColor(clWindow());
    SetFixedColor(clBtnFace());
    m_selectedRows = std::make_unique<TRecordmarkList>(*this);
    m_headTree = std::make_unique<THeadTreeNode>("корень", 0, 10);
    m_titleTextHeights = std::make_unique<TTitleTextHeights>();
    m_editButtonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Entering and leaving are about the grid and its editor together: the
    // focus going between them is neither.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        // No widget has the focus while the window is inactive: nobody left.
        if (!now) return;
        const bool was = OwnsFocus(old);
        const bool is = OwnsFocus(now);
        if (!was && is) DoEnter();
        else if (was && !is) DoExit();
    });
    LayoutChanged();
}

TCustomMDBGrid::~TCustomMDBGrid() {
    // The focus leaving the editor as it goes is no exit of a grid that is
    // half gone; the link goes next, so that no report reaches it either.
    disconnect(m_focusWatch);
    m_dataLink->SetDataSource(nullptr);
    m_dataLink.reset();
}

// --- properties ---------------------------------------------------------------

db::TDataSource* TCustomMDBGrid::DataSource() const { return m_dataLink->DataSource(); }

void TCustomMDBGrid::SetDataSource(db::TDataSource* value) {
    if (value == m_dataLink->DataSource()) return;
    m_selectedRows->Clear();
    m_dataLink->SetDataSource(value);
    LinkActive(m_dataLink->Active());
}

db::TDataSet* TCustomMDBGrid::DataSet() const { return m_dataLink->DataSet(); }

bool TCustomMDBGrid::LinkActive() const { return m_dataLink->Active(); }

bool TCustomMDBGrid::LinkReadOnly() const { return m_dataLink->ReadOnly(); }

db::TField* TCustomMDBGrid::MappedField(int index) const { return m_dataLink->Fields(index); }

void TCustomMDBGrid::SetOptions(TDBGridOptions value) {
    if (value.Has(TDBGridOption::dgRowSelect)) {
        value.Exclude(TDBGridOption::dgEditing);
        value.Exclude(TDBGridOption::dgAlwaysShowEditor);
    }
    if (value == m_options) return;
    const TDBGridOptions old = m_options;
    m_options = value;
    TCustomGrid::SetOptions(BaseOptions(value));
    m_footerRows = value.Has(TDBGridOption::dgFooters) ? 1 : 0;
    const bool fit = value.Has(TDBGridOption::dgAutoFitColumns);
    if (fit != old.Has(TDBGridOption::dgAutoFitColumns)) {
        for (int i = 0; i < m_columns->Count(); ++i) {
            TDBGColumn& column = m_columns->Items(i);
            if (fit) column.SetAutoFitBaseWidth(column.Width());
            else column.SetWidth(column.AutoFitBaseWidth());
        }
        SetScrollBars(fit ? platform::ScrollStyle::None : platform::ScrollStyle::Horizontal);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    if (old.Has(TDBGridOption::dgMultiSelect) && !value.Has(TDBGridOption::dgMultiSelect)) m_selectedRows->Clear();
    if (old.Has(TDBGridOption::dgFlat) != value.Has(TDBGridOption::dgFlat)) {
        // A flat grid has a one-pixel sunken edge instead of the styled frame.
        setFrameStyle(value.Has(TDBGridOption::dgFlat) ? QFrame::Panel | QFrame::Sunken
                                                       : QFrame::StyledPanel | QFrame::Sunken);
        setLineWidth(1);
    }
    static constexpr TDBGridOption kLayoutOptions[] = {
        TDBGridOption::dgEditing,        TDBGridOption::dgAlwaysShowEditor, TDBGridOption::dgTitles,
        TDBGridOption::dgIndicator,      TDBGridOption::dgColLines,         TDBGridOption::dgRowLines,
        TDBGridOption::dgRowSelect,      TDBGridOption::dgAlwaysShowSelection, TDBGridOption::dgMultilineTitle,
        TDBGridOption::dgDrawMemoText,   TDBGridOption::dgDrawGraphic,      TDBGridOption::dgFooters,
        TDBGridOption::dgAutoFitColumns, TDBGridOption::dgFlat};
    for (TDBGridOption option : kLayoutOptions)
        if (old.Has(option) != value.Has(option)) {
            LayoutChanged();
            break;
        }
}

void TCustomMDBGrid::SetColumns(const TDBGGridColumns& value) { m_columns->Assign(value); }

void TCustomMDBGrid::SetFrozenCols(int value) {
    if (value < 0 || value == m_frozenCols) return;
    m_frozenCols = value;
    LayoutChanged();
}

int TCustomMDBGrid::FrozenColsInUse() const {
    // One column always stays free to scroll and to hold the current cell.
    return std::clamp(m_frozenCols, 0, std::max(0, m_columns->Count() - 1));
}

void TCustomMDBGrid::SetRowsHeight(int value) {
    value = std::max(0, value);
    if (value == m_rowsHeight) return;
    m_rowsHeight = value;
    LayoutChanged();
}

QFont TCustomMDBGrid::TitleFont() const { return m_titleFontAssigned ? m_titleFont : font(); }

void TCustomMDBGrid::SetTitleFont(const QFont& value) {
    m_titleFont = value;
    m_titleFontAssigned = true;
    if (m_options.Has(TDBGridOption::dgTitles)) LayoutChanged();
}

void TCustomMDBGrid::SetReadOnly(bool value) {
    if (value == m_readOnly) return;
    m_readOnly = value;
    LayoutChanged();
}

void TCustomMDBGrid::changeEvent(QEvent* event) {
    TCustomGrid::changeEvent(event);
    // A new grid font gives every column its default font in one layout.
    if (event->type() == QEvent::FontChange) LayoutChanged();
}

db::TField* TCustomMDBGrid::SelectedField() const {
    const TDBGColumn* column = SelectedColumn();
    return column ? column->Field() : nullptr;
}

TDBGColumn* TCustomMDBGrid::SelectedColumn() const {
    const int index = SelectedIndex();
    return index >= 0 && index < m_columns->Count() ? &m_columns->Items(index) : nullptr;
}

const QPixmap& TCustomMDBGrid::SortMarkerGlyph(TSortMarker marker) const {
    static const QPixmap none;
    switch (marker) {
    case TSortMarker::smDown: return m_sortMarkers[0];
    case TSortMarker::smUp: return m_sortMarkers[1];
    case TSortMarker::smNone: break;
    }
    return none;
}

// --- layout locking -----------------------------------------------------------

void TCustomMDBGrid::BeginLayout() {
    BeginUpdate();
    ++m_updateLock;
    if (m_layoutLock == 0) m_columns->BeginUpdate();
    ++m_layoutLock;
}

void TCustomMDBGrid::EndLayout() {
    if (m_layoutLock == 0) return;
    // The lock is left even when the layout throws (a field that is missing).
    struct Unlock {
        TCustomMDBGrid& grid;
        ~Unlock() {
            // The columns' report of their update finds the lock still held.
            if (grid.m_layoutLock == 1) grid.m_columns->EndUpdate();
            --grid.m_layoutLock;
            --grid.m_updateLock;
            grid.EndUpdate();
        }
    } unlock{*this};
    if (m_layoutLock == 1) InternalLayout();
}

bool TCustomMDBGrid::AcquireLayoutLock() {
    if (m_updateLock != 0 || m_layoutLock != 0) return false;
    BeginLayout();
    return true;
}

void TCustomMDBGrid::LayoutChanged() {
    if (AcquireLayoutLock()) EndLayout();
}

void TCustomMDBGrid::DeferLayout() {
    if (!m_layoutDeferred) {
        m_layoutDeferred = true;
        QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
    }
    if (m_layoutLock == 0) return;
    // The level is left as EndLayout leaves it, only without the layout.
    if (m_layoutLock == 1) m_columns->EndUpdate();
    --m_layoutLock;
    --m_updateLock;
    EndUpdate();
}

bool TCustomMDBGrid::event(QEvent* event) {
    if (event->type() != kDeferredLayoutEvent) return TCustomGrid::event(event);
    m_layoutDeferred = false;
    Guarded([&] {
        if (AcquireLayoutLock()) {
            EndLayout();
        } else {
            m_layoutDeferred = true;
            QCoreApplication::postEvent(this, new QEvent(kDeferredLayoutEvent));
        }
    });
    return true;
}

// --- layout -------------------------------------------------------------------

void TCustomMDBGrid::DefineFieldMap() {
    if (m_columns->State() == TDBGridColumnsState::csCustomized) {
        m_dataLink->SetSparseMap(true);
        for (int i = 0; i < m_columns->Count(); ++i) m_dataLink->AddMapping(m_columns->Items(i).FieldName());
        return;
    }
    m_dataLink->SetSparseMap(false);
    const db::TDataSet* dataSet = DataSet();
    for (int i = 0; dataSet && i < dataSet->FieldCount(); ++i) {
        const db::TField& field = dataSet->Fields(i);
        if (field.Visible()) m_dataLink->AddMapping(field.FieldName());
    }
}

void TCustomMDBGrid::InternalLayout() {
    // This layout is the one a deferred layout waited for.
    if (m_layoutDeferred) {
        QCoreApplication::removePostedEvents(this, kDeferredLayoutEvent);
        m_layoutDeferred = false;
    }
    // Passthrough columns before a customized one are the remains of
    // default columns: they go.
    bool passthroughBeforeCustom = false;
    for (int i = 0; i + 1 < m_columns->Count(); ++i)
        if (dynamic_cast<TPassthroughColumn*>(&m_columns->Items(i)) &&
            !dynamic_cast<TPassthroughColumn*>(&m_columns->Items(i + 1)))
            passthroughBeforeCustom = true;
    if (passthroughBeforeCustom)
        for (int i = m_columns->Count() - 1; i >= 0; --i)
            if (dynamic_cast<TPassthroughColumn*>(&m_columns->Items(i))) m_columns->Delete(i);

    m_indicatorOffset = m_options.Has(TDBGridOption::dgIndicator) ? 1 : 0;
    m_dataLink->ClearMapping();
    if (m_dataLink->Active()) DefineFieldMap();

    if (m_columns->State() == TDBGridColumnsState::csCustomized) {
        for (int i = 0; i < m_columns->Count(); ++i) {
            // Looking the field up again must not lose the width fitting
            // scales, which the user may have changed by sizing.
            TDBGColumn& column = m_columns->Items(i);
            const int base = column.AutoFitBaseWidth();
            column.ClearFieldReference();
            (void)column.Field();
            column.SetAutoFitBaseWidth(base);
        }
    } else if (!m_dataLink->Active() && m_dataLink->DefaultFields()) {
        m_columns->Clear();
    } else {
        ArrangeDefaultColumns();
    }

    SetColCount(m_columns->Count() + m_indicatorOffset);
    SetFixedCols(m_indicatorOffset + FrozenColsInUse());
    m_titleOffset = m_options.Has(TDBGridOption::dgTitles) ? 1 : 0;

    const QFontMetrics metrics(font());
    int height = metrics.height() + 3;
    if (m_options.Has(TDBGridOption::dgRowLines)) height += GridLineWidth();
    SetDefaultRowHeight(m_rowsHeight >= 1 ? m_rowsHeight : height);
    // A font reporting no line height never wraps.
    m_wrapAllowed = metrics.height() > 0 && metrics.height() + metrics.leading() + 4 < DefaultRowHeight();

    if (m_options.Has(TDBGridOption::dgTitles)) {
        // The tallest of the titles' own fonts; the grid's title font only
        // when there is no column. Titles that follow the grid's title font
        // are measured once.
        const int gridTitle = QFontMetrics(TitleFont()).height() + 4;
        int titleHeight = m_columns->Count() == 0 ? gridTitle : 0;
        for (int i = 0; i < m_columns->Count(); ++i) {
            const TColumnTitle& title = m_columns->Items(i).Title();
            const bool own = m_columns->Items(i).AssignedValues().Has(TColumnValue::cvTitleFont);
            titleHeight = std::max(titleHeight, own ? QFontMetrics(title.Font()).height() + 4 : gridTitle);
        }
        SetRowCount(std::max(RowCount(), 2));
        m_titleHeight = titleHeight;
        SetRowHeights(0, titleHeight);
    }
    m_leaves.clear();
    SetColumnAttributes();
    if (m_options.Has(TDBGridOption::dgAutoFitColumns)) AutoFitColumns();
    if (m_options.Has(TDBGridOption::dgTitles) && m_options.Has(TDBGridOption::dgMultilineTitle)) {
        // Group cells span the columns as they are shown, fitted or not.
        std::vector<int> widths(static_cast<size_t>(m_columns->Count()));
        for (int i = 0; i < m_columns->Count(); ++i) widths[static_cast<size_t>(i)] = ColWidths(i + m_indicatorOffset);
        m_leaves = BuildTitleTree(*m_headTree, *m_columns, RowHeights(0), widths);
        m_titleTextHeights->Begin(TitleFont(), viewport()->height());
        m_titleHeight = TreeHeight(*m_headTree, *m_titleTextHeights) - 1;
        SetRowHeights(0, m_titleHeight);
    }
    m_titlesCutAt = m_leaves.empty() || !m_titleTextHeights->Cut() ? INT_MAX : viewport()->height();
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidateGrid();
}

void TCustomMDBGrid::ArrangeDefaultColumns() {
    // Default columns follow the field map: a column whose field left the
    // map goes, each entry gets the first column showing its field (a new
    // one when none does), and what is left over keeps its order behind.
    const int count = m_dataLink->FieldCount();
    std::unordered_map<const db::TField*, int> inMap;
    inMap.reserve(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j)
        if (const db::TField* field = m_dataLink->Fields(j)) inMap.emplace(field, j);
    for (int i = m_columns->Count() - 1; i >= 0; --i) {
        const db::TField* field = m_columns->Items(i).Field();
        if (!field || !inMap.count(field)) m_columns->Delete(i);
    }
    std::unordered_map<const db::TField*, int> columnOf;
    columnOf.reserve(static_cast<size_t>(m_columns->Count()));
    for (int i = m_columns->Count() - 1; i >= 0; --i) columnOf[m_columns->Items(i).Field()] = i;
    std::vector<bool> placed(static_cast<size_t>(m_columns->Count()), false);
    std::vector<int> order;
    order.reserve(static_cast<size_t>(std::max(count, m_columns->Count())));
    // An empty map still gets one (empty) column when there is none.
    for (int i = 0; i < count || (i == 0 && count == 0 && m_columns->Count() == 0); ++i) {
        db::TField* field = m_dataLink->Fields(i);
        const auto it = field ? columnOf.find(field) : columnOf.end();
        if (it != columnOf.end() && !placed[static_cast<size_t>(it->second)]) {
            placed[static_cast<size_t>(it->second)] = true;
            order.push_back(it->second);
            continue;
        }
        auto column = std::make_unique<TPassthroughColumn>(*m_columns);
        column->SetField(field);
        m_columns->AddItem(std::move(column));
        placed.push_back(true);
        order.push_back(m_columns->Count() - 1);
    }
    for (int i = 0; i < static_cast<int>(placed.size()); ++i)
        if (!placed[static_cast<size_t>(i)]) order.push_back(i);
    m_columns->Arrange(order);
}

void TCustomMDBGrid::SetColWidth(int rawCol, int width) {
    const int dataCol = rawCol - m_indicatorOffset;
    if (dataCol >= 0 && dataCol < m_columns->Count()) width = std::max(width, ShownWidth(m_columns->Items(dataCol)));
    SetColWidths(rawCol, width);
}

int TCustomMDBGrid::ShownWidth(const TDBGColumn& column) const {
    const int width = column.Width();
    const TColumnTitle& title = column.Title();
    // Fitting and word-wrapped titles decide widths of their own.
    if (title.SortMarker() == TSortMarker::smNone || !m_options.Has(TDBGridOption::dgTitles) ||
        m_options.Has(TDBGridOption::dgMultilineTitle) || m_options.Has(TDBGridOption::dgAutoFitColumns))
        return width;
    // The caption between its 2-pixel margins, and the marker beside it.
    const QFontMetrics metrics(title.Font());
    return std::max(width, metrics.horizontalAdvance(QString::fromStdString(title.Caption())) + 4 + kMarkerRoom);
}

void TCustomMDBGrid::SetColumnAttributes() {
    for (int i = 0; i < m_columns->Count(); ++i) {
        TDBGColumn& column = m_columns->Items(i);
        const db::TField* field = column.Field();
        // A lookup field is changed through its key fields.
        const bool stop = !column.ReadOnly() && m_dataLink->Active() && field &&
                          (field->Lookup() ? field->DataSet().LookupKeysModifiable(*field) : !field->ReadOnly());
        SetTabStops(i + m_indicatorOffset, stop);
        SetColWidths(i + m_indicatorOffset, ShownWidth(column));
    }
    if (m_indicatorOffset > 0) SetColWidths(0, kIndicatorWidth);
}

void TCustomMDBGrid::AutoFitColumns() {
    // Summed wide: a few columns as wide as a widget overflow an int.
    int64_t fitted = 0;
    int64_t fixed = 0;
    TDBGColumn* last = nullptr;
    for (int i = 0; i < m_columns->Count(); ++i) {
        TDBGColumn& column = m_columns->Items(i);
        if (column.AutoFit()) {
            fitted += column.AutoFitBaseWidth();
            last = &column;
        } else {
            fixed += column.Width();
        }
    }
    int64_t available = std::max<int64_t>(0, viewport()->width() - fixed);
    if (m_indicatorOffset > 0) available -= ColWidths(0);
    if (m_options.Has(TDBGridOption::dgColLines)) available -= ColCount();
    available = std::max<int64_t>(0, available);
    if (!last) return;
    int64_t used = 0;
    m_fittedWidths.assign(static_cast<size_t>(m_columns->Count()), 0);
    for (int i = 0; i < m_columns->Count(); ++i) {
        TDBGColumn& column = m_columns->Items(i);
        m_fittedWidths[static_cast<size_t>(i)] = ColWidths(i + m_indicatorOffset);
        if (!column.AutoFit()) continue;
        const int width = MulDiv(column.AutoFitBaseWidth(), available, fitted);
        used += width;
        SetColWidths(i + m_indicatorOffset, width);
    }
    const int lastCol = last->Index() + m_indicatorOffset;
    SetColWidths(lastCol, static_cast<int>(std::clamp<int64_t>(ColWidths(lastCol) + available - used, 0, INT_MAX)));
    for (int i = 0; i < m_columns->Count(); ++i)
        m_fittedWidths[static_cast<size_t>(i)] = ColWidths(i + m_indicatorOffset);
}

int TCustomMDBGrid::RowPitch() const {
    return DefaultRowHeight() + GridLineWidth();
}

int TCustomMDBGrid::DataRowCount() const {
    return m_dataLink->Active() ? m_dataLink->RecordCount() : 0;
}

void TCustomMDBGrid::UpdateRowCount() {
    // The title row's own height: a short grid may have taken some of it.
    const int titleHeight = m_titleOffset > 0 ? m_titleHeight : 0;
    SetTopRow(0);
    const int lw = GridLineWidth();
    const int footerHeight = (m_options.Has(TDBGridOption::dgRowLines) ? lw : 0) + QFontMetrics(font()).height();
    m_footerTextHeight = QFontMetrics(font()).height();
    const int clientHeight = viewport()->height();
    const int titleSpace = m_titleOffset > 0 ? titleHeight + lw : 0;
    // Rows keep their heights when the count changes, so a row that was the
    // spacer or the footer would stay as high as it was: every data row
    // gets the data row height again first.
    auto resetRows = [&](int dataRows) {
        if (m_titleOffset > 0) SetRowHeights(0, titleHeight);
        const int end = std::min(RowCount(), m_titleOffset + dataRows);
        for (int row = m_titleOffset; row < end; ++row) SetRowHeights(row, DefaultRowHeight());
    };
    auto placeFooter = [&](int dataRows) {
        // Title, data rows, spacer, footer: the footer ends on the client's
        // bottom edge. The spacer takes what is left; where nothing is, the
        // data rows give way from the last one up, then the title.
        int spacer = clientHeight - titleSpace - dataRows * RowPitch() - lw - footerHeight;
        SetRowCount(m_titleOffset + dataRows + 2);
        resetRows(dataRows);
        for (int row = m_titleOffset + dataRows - 1; spacer < 0 && row >= 0; --row) {
            const int given = std::min(-spacer, RowHeights(row));
            SetRowHeights(row, RowHeights(row) - given);
            spacer += given;
        }
        SetRowHeights(m_titleOffset + dataRows, std::max(0, spacer));
        SetRowHeights(m_titleOffset + dataRows + 1, footerHeight);
    };
    const db::TDataSet* dataSet = m_dataLink->Active() ? DataSet() : nullptr;
    if (dataSet && (dataSet->RecordCount() > 0 || dataSet->InsertIndex() >= 0)) {
        SetRowCount(1000);
        resetRows(RowCount());
        SetFixedRows(m_titleOffset);
        int buffer = VisibleRowCount();
        if (m_footerRows > 0) {
            const int room = clientHeight - titleSpace - lw - footerHeight;
            buffer = std::min(buffer, std::max(0, room / std::max(1, RowPitch())));
        }
        m_dataLink->SetBufferCount(std::max(1, buffer));
        const int rows = m_dataLink->RecordCount();
        if (m_footerRows > 0) placeFooter(rows);
        else SetRowCount(m_titleOffset + rows);
    } else if (m_footerRows > 0) {
        placeFooter(1);
    } else {
        SetRowCount(m_titleOffset + 1);
        resetRows(1);
    }
    SetFixedRows(m_titleOffset);
    SetTopRow(m_titleOffset);
}

int TCustomMDBGrid::ActiveRow() const {
    const int active = m_dataLink->Active() ? m_dataLink->ActiveRecord() : -1;
    return active < 0 ? -1 : active + m_titleOffset;
}

void TCustomMDBGrid::UpdateActive() {
    // Without an active record (an empty table) the row is the blank one:
    // fewer rows may have left the current cell on the spacer or the footer.
    int row = ActiveRow();
    if (row < 0 && Row() > LastDragRow()) row = LastDragRow();
    if (row < 0 || row == Row()) return;
    if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
    m_inUpdateActive = true;
    MoveColRow(Col(), row, false, false);
    m_inUpdateActive = false;
    InvalidateEditor();
}

bool TCustomMDBGrid::SelectCell(int col, int row) {
    (void)col;
    // Rows follow the dataset's cursor: a row move of the base grid is
    // made a move of the dataset, and the link then moves the row.
    if (m_inUpdateActive || row == Row() || !m_dataLink->Active()) return true;
    const int distance = row - Row();
    Guarded([&] { DataSet()->MoveBy(distance); });
    return false;
}

// --- the data link's reports --------------------------------------------------

void TCustomMDBGrid::LinkActive(bool value) {
    if (!value) HideEditor();
    m_selectedRows->LinkActive(value);
    m_selectionAnchor = {};
    m_lastRecordCount = value && DataSet() ? DataSet()->RecordCount() : 0;
    LayoutChanged();
    UpdateScrollBar();
    if (value && m_options.Has(TDBGridOption::dgAlwaysShowEditor)) ShowEditor();
}

void TCustomMDBGrid::DataChanged() {
    if (!m_dataLink->Active()) return;
    // Bookmarks are record indices: unless an edit of one record just ended
    // or only the columns changed, records may have moved under them.
    const int count = DataSet()->RecordCount();
    if (!m_recordsKept || count != m_lastRecordCount) {
        m_selectedRows->Clear();
        m_selectionAnchor = {};
        m_selecting = false;
    }
    m_recordsKept = false;
    m_lastRecordCount = count;
    // Inside a layout (a caption of a generated column changes the field's
    // label, say) the layout's end counts the rows once.
    if (m_layoutLock > 0) return;
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidateEditor();
    InvalidateGrid();
}

void TCustomMDBGrid::EditingChanged() {
    if (!m_dataLink->Editing()) m_recordsKept = true;
    if (m_options.Has(TDBGridOption::dgIndicator)) InvalidateCell(0, m_selRow);
    // Entering or leaving insert state adds or removes a window row.
    UpdateRowCount();
    UpdateActive();
}

void TCustomMDBGrid::RecordChanged(db::TField* field) {
    if (!m_dataLink->Active()) return;
    if (!field) {
        InvalidateGrid();
    } else {
        for (int i = 0; i < m_columns->Count(); ++i)
            if (m_columns->Items(i).Field() == field) TCustomGrid::InvalidateCol(i + m_indicatorOffset);
    }
    const db::TField* selected = SelectedField();
    if ((!field || field == selected) && selected && selected->AsString() != m_editText) {
        InvalidateEditor();
        if (auto* editor = qobject_cast<TDBGridInplaceEdit*>(InplaceEditor())) editor->LineEdit()->deselect();
    }
}

void TCustomMDBGrid::FieldChanged(db::TField& field) {
    // Alignment or read-only: the cells, tab stops and the editor follow;
    // no record moved, so the selection stays.
    SetColumnAttributes();
    for (int i = 0; i < m_columns->Count(); ++i)
        if (m_columns->Items(i).Field() == &field) TCustomGrid::InvalidateCol(i + m_indicatorOffset);
    InvalidateEditor();
}

void TCustomMDBGrid::FocusControl(db::TField*& field) {
    for (int i = 0; field && i < m_columns->Count(); ++i) {
        if (m_columns->Items(i).Field() != field) continue;
        MoveCol(i + m_indicatorOffset);
        const bool canFocus = isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
        if (SelectedField() == field && canFocus) {
            setFocus(Qt::OtherFocusReason);
            field = nullptr;
            ShowEditor();
        }
        return;
    }
}

void TCustomMDBGrid::FieldListChanging() {
    // The dataset is opening with new fields: nothing may keep the old
    // ones, and the layout waits until the new ones are there.
    m_dataLink->ClearMapping();
    for (int i = 0; i < m_columns->Count(); ++i) m_columns->Items(i).ClearFieldReference();
    if (AcquireLayoutLock()) DeferLayout();
}

void TCustomMDBGrid::InvalidateCurrentRow() {
    const int row = ActiveRow();
    if (row >= 0) InvalidateRow(row);
}

// --- editing ------------------------------------------------------------------

QWidget* TCustomMDBGrid::CreateEditor() { return new TDBGridInplaceEdit(*this, viewport()); }

bool TCustomMDBGrid::CanEditShow() const { return m_layoutLock == 0 && TCustomGrid::CanEditShow(); }

void TCustomMDBGrid::UpdateEditorText(QWidget* editor) {
    if (auto* edit = qobject_cast<TDBGridInplaceEdit*>(editor)) {
        GetEditText(Col(), Row());
        edit->UpdateContents();
    }
}

QString TCustomMDBGrid::GetEditText(int col, int row) {
    (void)row;  // the row is the current record's
    const int index = col - m_indicatorOffset;
    const db::TField* field = index >= 0 && index < m_columns->Count() ? m_columns->Items(index).Field() : nullptr;
    m_editText = field ? field->AsString() : std::string();
    return QString::fromStdString(m_editText);
}

void TCustomMDBGrid::SetEditText(int col, int row, const QString& text) {
    (void)col;
    (void)row;
    SetEditText(text.toStdString());
}

int TCustomMDBGrid::GetEditLimit() const {
    // Every field of ours is a string field.
    const db::TField* field = SelectedField();
    return field ? std::max(0, field->Size()) : 0;
}

void TCustomMDBGrid::SetEditText(const std::string& text) {
    m_editText = text;
    if (CanEditModify()) m_dataLink->SetModified();
}

bool TCustomMDBGrid::CanEditModify() {
    const TDBGColumn* column = SelectedColumn();
    db::TField* field = column ? column->Field() : nullptr;
    if (m_readOnly || m_dataLink->ReadOnly() || !m_dataLink->Active() || !column || column->ReadOnly() || !field ||
        !field->CanModify())
        return false;
    m_dataLink->Edit();
    m_dataLink->SetModified();
    return true;
}

void TCustomMDBGrid::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(*this);
}

void TCustomMDBGrid::GetCellParams(TDBGColumn& column, QFont& font, QColor& background) {
    GetCellParams(column, font, background, platform::gdFocused);
}

void TCustomMDBGrid::GetCellParams(TDBGColumn& column, QFont& font, QColor& background, GridDrawState state) {
    if (OnGetCellParams) OnGetCellParams(*this, column, font, background, state);
}

void TCustomMDBGrid::WritePendingEdit() {
    if (m_dataLink->Active() && m_dataLink->Modified()) m_dataLink->UpdateRecord();
}

} // namespace grid

namespace grid {

void TCustomMDBGrid::ColWidthsChanged() {
    const bool customized = m_columns->State() == TDBGridColumnsState::csCustomized;
    if ((!m_dataLink->Active() && !customized) || !AcquireLayoutLock()) return;
    try {
        const bool fit = m_options.Has(TDBGridOption::dgAutoFitColumns);
        for (int i = 0; i < m_columns->Count(); ++i) {
            TDBGColumn& column = m_columns->Items(i);
            const int width = ColWidths(i + m_indicatorOffset);
            if (!fit) {
                // A column only widened for its sort marker keeps its own width.
                if (width != ShownWidth(column)) column.SetWidth(width);
                continue;
            }
            const int old = i < static_cast<int>(m_fittedWidths.size()) ? m_fittedWidths[static_cast<size_t>(i)] : width;
            if (old == width) continue;
            if (!column.AutoFit()) {
                column.SetWidth(width);
                continue;
            }
            // The sized column's share grows or shrinks; its neighbour gives
            // or takes the difference, so the others keep their places.
            const int base = column.AutoFitBaseWidth();
            const int newBase = old > 0 ? MulDiv(base, width, old) : base;
            column.SetAutoFitBaseWidth(newBase);
            if (i + 1 < m_columns->Count()) {
                TDBGColumn& next = m_columns->Items(i + 1);
                const int64_t nextBase = int64_t{next.AutoFitBaseWidth()} + base - newBase;
                next.SetAutoFitBaseWidth(static_cast<int>(std::clamp<int64_t>(nextBase, 0, INT_MAX)));
            }
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

} // namespace grid
