// Keys, mouse, title buttons and scrolling. Every move through the data is
// a move of the dataset's cursor; the data link then moves the grid's row.
// Event handlers never let an error out: it is shown in an error box.
#include "grid/TCustomMDBGrid.h"

#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGridInplaceEdit.h"
#include "grid/TGridDataLink.h"
#include "grid/THeadTreeNode.h"
#include "grid/TRecordmarkList.h"
#include "grid/TitleTree.h"
#include "platform/MessageRoutines.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

namespace grid {
namespace {

const char* const kDeleteRecord = "Delete record?";
const char* const kDeleteSelected = "Delete all selected records?";

// The same press or release, as the left button.
QMouseEvent AsLeft(const QMouseEvent& event) {
    return QMouseEvent(event.type(), event.position(), event.scenePosition(), event.globalPosition(), Qt::LeftButton,
                       event.type() == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                       event.modifiers(), event.pointingDevice());
}

} // namespace

void TCustomMDBGrid::EditError(const std::exception& error) {
    platform::ShowMessageQuery(error.what(), platform::TMsgDlgType::mtError, {platform::TMsgDlgBtn::mbOK});
}

// --- rows ---------------------------------------------------------------------

void TCustomMDBGrid::ClearSelection() {
    if (m_options.Has(TDBGridOption::dgMultiSelect)) {
        m_selectedRows->Clear();
        m_selecting = false;
        m_selectionAnchor = {};
    }
}

void TCustomMDBGrid::DoSelection(bool select, int direction) {
    db::TDataSet* dataSet = DataSet();
    if (!m_options.Has(TDBGridOption::dgMultiSelect) || !m_dataLink->Active()) {
        dataSet->MoveBy(direction);
        return;
    }
    if (!select) {
        ClearSelection();
        dataSet->MoveBy(direction);
        return;
    }
    if (!m_selecting) {
        m_selectionAnchor = m_selectedRows->CurrentRow();
        m_selectedRows->SetCurrentRowSelected(true);
        m_selecting = true;
    } else {
        // Going back towards the anchor unselects the row being left.
        const int side = m_selectedRows->Compare(m_selectedRows->CurrentRow(), m_selectionAnchor);
        if (side == -direction) m_selectedRows->SetCurrentRowSelected(false);
    }
    if (dataSet->MoveBy(direction) != 0) m_selectedRows->SetCurrentRowSelected(true);
}

void TCustomMDBGrid::NextRow(bool select, bool shift) {
    db::TDataSet* dataSet = DataSet();
    if (dataSet->State() == db::TDataSetState::dsInsert && !dataSet->Modified() && !m_dataLink->Modified()) {
        if (dataSet->Eof()) return;
        dataSet->Cancel();
    } else {
        DoSelection(select && shift, 1);
    }
    if (dataSet->Eof() && dataSet->CanModify() && !m_readOnly && m_options.Has(TDBGridOption::dgEditing))
        dataSet->Append();
}

void TCustomMDBGrid::PriorRow(bool select, bool shift) {
    db::TDataSet* dataSet = DataSet();
    if (dataSet->State() == db::TDataSetState::dsInsert && !dataSet->Modified() && dataSet->Eof() &&
        !m_dataLink->Modified())
        dataSet->Cancel();
    else
        DoSelection(select && shift, -1);
}

void TCustomMDBGrid::DataMoveBy(int distance, bool select, bool shift) {
    (void)select;
    (void)shift;
    if (distance != 0) DataSet()->MoveBy(distance);
}

bool TCustomMDBGrid::DeletePrompt() const {
    const char* text = m_selectedRows->Count() > 1 ? kDeleteSelected : kDeleteRecord;
    if (!m_options.Has(TDBGridOption::dgConfirmDelete)) return true;
    return platform::ShowMessageQuery(text, platform::TMsgDlgType::mtConfirmation,
                                      {platform::TMsgDlgBtn::mbOK, platform::TMsgDlgBtn::mbCancel}) == platform::mrOk;
}

// --- columns ------------------------------------------------------------------

void TCustomMDBGrid::MoveCol(int rawCol) {
    WritePendingEdit();
    rawCol = std::clamp(rawCol, m_indicatorOffset + FrozenColsInUse(), ColCount() - 1);
    if (rawCol == Col()) return;
    const int before = Col();
    if (!m_inColExit) {
        m_inColExit = true;
        try {
            ColExit();
        } catch (...) {
            m_inColExit = false;
            throw;
        }
        m_inColExit = false;
        if (Col() != before) return;
    }
    if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
    SetCol(rawCol);
    ColEnter();
}

void TCustomMDBGrid::ColEnter() {
    if (OnColEnter) OnColEnter(*this);
}

void TCustomMDBGrid::ColExit() {
    if (OnColExit) OnColExit(*this);
}

void TCustomMDBGrid::TabStep(bool back) {
    const int first = m_indicatorOffset + FrozenColsInUse();
    const int start = Col();
    int col = start;
    for (;;) {
        col += back ? -1 : 1;
        if (col >= ColCount()) {
            col = first;
            NextRow(false, false);
        } else if (col < first) {
            col = ColCount() - 1;
            PriorRow(false, false);
        }
        if (col == start || TabStops(col)) break;
    }
    MoveCol(col);
}

// --- keys ---------------------------------------------------------------------

bool TCustomMDBGrid::CanEditAcceptKey(const QString& text, Qt::KeyboardModifiers modifiers) const {
    if (text.isEmpty() || text.front() < QChar(' ') || (modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const db::TField* field = SelectedField();
    return m_dataLink->Active() && field && field->CanModify();
}

bool TCustomMDBGrid::EditKeyDown(QKeyEvent& event) {
    KeyDown(&event);
    return true;
}

bool TCustomMDBGrid::EditKeyNotify(QKeyEvent& event) {
    // A key the grid hands to the editor was shown to the key event already.
    if (m_forwardingKey) return true;
    int key = event.key();
    Guarded([&] { if (OnKeyDown) OnKeyDown(*this, key, event.modifiers()); });
    return key != 0;
}

void TCustomMDBGrid::EditKeyPress(QString& text) {
    if (!m_forwardingKey) KeyPress(text);
}

void TCustomMDBGrid::EditKeyUp(QKeyEvent& event) { KeyUp(event); }

void TCustomMDBGrid::KeyPress(QString& key) {
    if (OnKeyPress) Guarded([&] { OnKeyPress(*this, key); });
}

void TCustomMDBGrid::KeyUp(QKeyEvent& event) {
    int key = event.key();
    if (OnKeyUp) Guarded([&] { OnKeyUp(*this, key, event.modifiers()); });
}

void TCustomMDBGrid::keyReleaseEvent(QKeyEvent* event) {
    KeyUp(*event);
    TCustomGrid::keyReleaseEvent(event);
}

void TCustomMDBGrid::KeyDown(QKeyEvent* event) {
    // The key event comes first; a handler that takes the key (0) ends it.
    int key = event->key();
    Guarded([&] { if (OnKeyDown) OnKeyDown(*this, key, event->modifiers()); });
    if (key == 0) return;
    if (!m_dataLink->Active()) {
        event->ignore();
        return;
    }
    Guarded([&] {
        db::TDataSet* dataSet = DataSet();
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        const bool rowSelect = m_options.Has(TDBGridOption::dgRowSelect);
        const int firstCol = m_indicatorOffset + FrozenColsInUse();
        const int page = std::max(1, DataRowCount());
        if (ctrl) {
            switch (key) {
            case Qt::Key_Up:
            case Qt::Key_PageUp:
                ClearSelection();
                DataMoveBy(-m_dataLink->ActiveRecord(), false, false);
                return;
            case Qt::Key_Down:
            case Qt::Key_PageDown:
                ClearSelection();
                DataMoveBy(m_dataLink->RecordCount() - m_dataLink->ActiveRecord() - 1, false, false);
                return;
            case Qt::Key_Home:
                ClearSelection();
                dataSet->First();
                return;
            case Qt::Key_End:
                ClearSelection();
                dataSet->Last();
                return;
            case Qt::Key_Left:
                MoveCol(firstCol);
                return;
            case Qt::Key_Right:
                MoveCol(ColCount() - 1);
                return;
            case Qt::Key_Delete:
                if (!m_readOnly && !dataSet->IsEmpty() && dataSet->CanModify() && DeletePrompt()) {
                    if (m_selectedRows->Count() > 0) m_selectedRows->Delete();
                    else dataSet->Delete();
                }
                return;
            default:
                break;
            }
        }
        switch (key) {
        case Qt::Key_Up: PriorRow(true, shift); return;
        case Qt::Key_Down: NextRow(true, shift); return;
        case Qt::Key_Left:
            if (rowSelect) SetLeftCol(std::max(firstCol, LeftCol() - 1));
            else MoveCol(Col() - 1);
            return;
        case Qt::Key_Right:
            if (rowSelect) SetLeftCol(LeftCol() + 1);
            else MoveCol(Col() + 1);
            return;
        case Qt::Key_Home:
            if (ColCount() == m_indicatorOffset + 1 || rowSelect) {
                ClearSelection();
                dataSet->First();
            } else {
                MoveCol(firstCol);
            }
            return;
        case Qt::Key_End:
            if (ColCount() == m_indicatorOffset + 1 || rowSelect) {
                ClearSelection();
                dataSet->Last();
            } else {
                MoveCol(ColCount() - 1);
            }
            return;
        case Qt::Key_PageUp:
            ClearSelection();
            dataSet->MoveBy(-page);
            return;
        case Qt::Key_PageDown:
            ClearSelection();
            dataSet->MoveBy(page);
            return;
        case Qt::Key_Insert:
            if (dataSet->CanModify() && !m_readOnly && m_options.Has(TDBGridOption::dgEditing)) {
                ClearSelection();
                dataSet->Insert();
            }
            return;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!event->modifiers().testFlag(Qt::AltModifier)) TabStep(key == Qt::Key_Backtab || shift);
            return;
        case Qt::Key_Escape:
            m_dataLink->Reset();
            ClearSelection();
            if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
            return;
        case Qt::Key_F2:
            ShowEditor();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            QString enter = QStringLiteral("\r");
            KeyPress(enter);
            if (enter.isEmpty()) return;
            if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) {
                WritePendingEdit();
                if (EditorMode()) HideEditor();
                else ShowEditor();
            }
            return;
        }
        default:
            break;
        }
        QString text = event->text();
        if (!text.isEmpty() && text.front() >= QChar(' ')) {
            KeyPress(text);
            if (text.isEmpty()) return;
        }
        if (m_options.Has(TDBGridOption::dgEditing) && !rowSelect && CanEditAcceptKey(text, event->modifiers())) {
            ShowEditor();
            auto* editor = qobject_cast<TDBGridInplaceEdit*>(InplaceEditor());
            if (editor && editor->isVisible()) {
                editor->LineEdit()->selectAll();
                QKeyEvent copy(event->type(), key, event->modifiers(), text);
                m_forwardingKey = true;
                QApplication::sendEvent(editor->LineEdit(), &copy);
                m_forwardingKey = false;
            }
            return;
        }
        event->ignore();
    });
}

// --- mouse --------------------------------------------------------------------

int TCustomMDBGrid::LastDragRow() const {
    // The spacer and the footer below the data rows are neither.
    return m_footerRows > 0 ? RowCount() - 3 : RowCount() - 1;
}

bool TCustomMDBGrid::IsDataRow(int row) const { return row >= m_titleOffset && row <= LastDragRow(); }

void TCustomMDBGrid::CheckTitleButton(int acol, bool& enabled) {
    if (acol < 0 || acol >= m_columns->Count()) {
        enabled = false;
        return;
    }
    if (OnCheckButton) OnCheckButton(*this, acol, m_columns->Items(acol), enabled);
}

void TCustomMDBGrid::CellClick(TDBGColumn& column) {
    if (OnCellClick) OnCellClick(column);
}

void TCustomMDBGrid::TitleClick(TDBGColumn& column) {
    if (OnTitleClick) OnTitleClick(column);
}

void TCustomMDBGrid::TitleBtnClick(int acol, TDBGColumn& column) {
    if (OnTitleBtnClick) OnTitleBtnClick(*this, acol, column);
}

void TCustomMDBGrid::TrackTitleButton(const QPoint& pos) {
    const platform::GridCoord cell = MouseCoord(pos.x(), pos.y());
    const bool pressed = viewport()->rect().contains(pos) && cell.Y == 0 && cell.X == m_pressedCol;
    if (pressed == m_pressed) return;
    m_pressed = pressed;
    InvalidateRow(0);
}

void TCustomMDBGrid::StopTitleTracking() {
    if (!m_tracking) return;
    m_tracking = false;
    m_pressed = false;
    InvalidateRow(0);
}

void TCustomMDBGrid::DblClick(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick) Guarded([&] { OnDblClick(*this); });
}

void TCustomMDBGrid::MouseDown(QMouseEvent* event) {
    Guarded([&] {
        // The grid takes the focus first; when it could not (the control
        // losing it kept it, say over a value it refused), the press does
        // nothing here.
        if ((focusPolicy() & Qt::ClickFocus) && isEnabled() && !OwnsFocus(window()->focusWidget())) {
            setFocus(Qt::MouseFocusReason);
            if (!OwnsFocus(window()->focusWidget())) return;
        }
        m_columnDragMoved = false;
        const QPoint pos = event->position().toPoint();
        if (Sizing(pos.x(), pos.y())) {
            WritePendingEdit();
            TCustomGrid::MouseDown(event);
            return;
        }
        const platform::GridCoord cell = MouseCoord(pos.x(), pos.y());
        if (cell.X < 0 || cell.Y < 0) return;
        const int dataCol = cell.X - m_indicatorOffset;
        const bool resize = m_options.Has(TDBGridOption::dgColumnResize);
        if (cell.Y < m_titleOffset) {
            if (m_dataLink->Active() && dataCol >= 0 && dataCol < m_columns->Count()) {
                bool inLeaf = true;
                if (m_options.Has(TDBGridOption::dgMultilineTitle) && dataCol < static_cast<int>(m_leaves.size())) {
                    const QRect rect = CellRect(cell.X, cell.Y);
                    inLeaf = pos.y() >= LeafTop(rect, *m_leaves[static_cast<size_t>(dataCol)]);
                }
                if (inLeaf && resize && event->button() == Qt::RightButton) {
                    // A right press drags columns as a left one does.
                    m_swapButtons = true;
                    QMouseEvent left = AsLeft(*event);
                    TCustomGrid::MouseDown(&left);
                    return;
                }
                if (inLeaf && event->button() == Qt::LeftButton) {
                    bool enabled = m_columns->Items(dataCol).Title().TitleButton();
                    CheckTitleButton(dataCol, enabled);
                    if (enabled) {
                        m_tracking = true;
                        m_pressedCol = cell.X;
                        TrackTitleButton(pos);
                        return;
                    }
                }
            }
            if (resize) {
                WritePendingEdit();
                TCustomGrid::MouseDown(event);
            }
            if (OnMouseDown) OnMouseDown(*this, *event);
            return;
        }
        if (m_dataLink->Active() && IsDataRow(cell.Y)) {
            const int dataRow = cell.Y - m_titleOffset;
            const bool wasCurrent = cell.X == Col() && cell.Y == Row();
            BeginUpdate();
            try {
                if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
                if (dataRow < DataRowCount() && m_dataLink->ActiveRecord() >= 0)
                    DataSet()->MoveBy(dataRow - m_dataLink->ActiveRecord());
                MoveCol(cell.X);
                if (m_options.Has(TDBGridOption::dgMultiSelect)) {
                    if (event->modifiers().testFlag(Qt::ControlModifier)) {
                        m_selectedRows->SetCurrentRowSelected(!m_selectedRows->CurrentRowSelected());
                    } else if (event->button() == Qt::LeftButton || !m_selectedRows->CurrentRowSelected()) {
                        m_selectedRows->Clear();
                        m_selectedRows->SetCurrentRowSelected(true);
                    }
                    m_selecting = false;
                    m_selectionAnchor = {};
                }
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
            if (event->button() == Qt::LeftButton && m_dragMode == TDragMode::dmAutomatic) {
                BeginDragAt(false, event->globalPosition().toPoint());
            } else if (event->button() == Qt::LeftButton) {
                BeginSelecting();
                const TDBGColumn* column = SelectedColumn();
                const QRect rect = CellRect(cell.X, cell.Y);
                const bool onButton = column && column->AlwaysShowEditButton() &&
                                      column->EditStyle() != TEditStyle::esSimple &&
                                      pos.x() >= rect.left() + rect.width() - m_editButtonWidth;
                if (m_options.Has(TDBGridOption::dgAlwaysShowEditor) || onButton || wasCurrent) {
                    ShowEditor();
                    auto* editor = qobject_cast<TDBGridInplaceEdit*>(InplaceEditor());
                    if (onButton && editor && editor->isVisible()) {
                        const QPoint at = editor->mapFrom(viewport(), pos);
                        QMouseEvent press(QEvent::MouseButtonPress, at, event->globalPosition(), Qt::LeftButton,
                                          Qt::LeftButton, event->modifiers());
                        QApplication::sendEvent(editor, &press);
                    }
                }
            } else {
                InvalidateEditor();
            }
        }
        if (OnMouseDown) OnMouseDown(*this, *event);
    });
}

void TCustomMDBGrid::MouseMove(QMouseEvent* event) {
    Guarded([&] {
        const QPoint global = event->globalPosition().toPoint();
        if (m_drag.pending && (event->buttons() & Qt::LeftButton) &&
            (global - m_drag.origin).manhattanLength() >= QApplication::startDragDistance()) {
            m_drag.pending = false;
            m_drag.active = true;
            DoStartDrag();
        }
        if (m_drag.active) {
            DragMove(global);
            return;
        }
        if (m_tracking) TrackTitleButton(event->position().toPoint());
        else TCustomGrid::MouseMove(event);
        if (OnMouseMove) OnMouseMove(*this, *event);
    });
}

void TCustomMDBGrid::MouseUp(QMouseEvent* event) {
    Guarded([&] {
        m_drag.pending = false;
        if (m_drag.active && event->button() == Qt::LeftButton) {
            DragMove(event->globalPosition().toPoint());
            EndDrag(true);
            return;
        }
        const QPoint pos = event->position().toPoint();
        const platform::GridState state = State();
        if (state == platform::GridState::RowSizing) m_rowSized = true;
        if (m_tracking) {
            const platform::GridCoord cell = MouseCoord(pos.x(), pos.y());
            const bool clicked = viewport()->rect().contains(pos) && cell.Y == 0 && cell.X == m_pressedCol;
            const int dataCol = m_pressedCol - m_indicatorOffset;
            StopTitleTracking();
            m_pressedCol = -1;
            if (clicked && m_dataLink->Active() && dataCol >= 0 && dataCol < m_columns->Count())
                TitleBtnClick(dataCol, m_columns->Items(dataCol));
        }
        bool left = event->button() == Qt::LeftButton;
        if (m_swapButtons && event->button() == Qt::RightButton) {
            m_swapButtons = false;
            left = true;
            QMouseEvent asLeft = AsLeft(*event);
            TCustomGrid::MouseUp(&asLeft);
        } else {
            TCustomGrid::MouseUp(event);
        }
        const bool sized = state == platform::GridState::RowSizing || state == platform::GridState::ColSizing;
        // A column dragged to a new place was not a click on its title.
        if (!sized && !m_columnDragMoved && left) {
            const QWidget* editor = InplaceEditor();
            const platform::GridCoord cell = MouseCoord(pos.x(), pos.y());
            const int dataCol = cell.X - m_indicatorOffset;
            if (editor && editor->isVisible() && editor->geometry().contains(pos)) {
                // the editor took this release itself
            } else if (IsDataRow(cell.Y) && cell.X >= 0) {
                if (TDBGColumn* column = SelectedColumn()) CellClick(*column);
            } else if (cell.Y >= 0 && cell.Y < m_titleOffset && dataCol >= 0 && dataCol < m_columns->Count()) {
                TitleClick(m_columns->Items(dataCol));
            }
        }
        m_columnDragMoved = false;
        // A column's own menu opens on a right release over its cells.
        if (event->button() == Qt::RightButton && !sized) {
            const platform::GridCoord cell = MouseCoord(pos.x(), pos.y());
            const int dataCol = cell.X - m_indicatorOffset;
            if (IsDataRow(cell.Y) && dataCol >= 0 && dataCol < m_columns->Count())
                if (QMenu* menu = m_columns->Items(dataCol).PopupMenu()) menu->popup(event->globalPosition().toPoint());
        }
        if (OnMouseUp) OnMouseUp(*this, *event);
    });
}

void TCustomMDBGrid::ColumnMoved(int fromIndex, int toIndex) {
    m_columnDragMoved = true;
    const int from = fromIndex - m_indicatorOffset;
    const int to = toIndex - m_indicatorOffset;
    if (from < 0 || to < 0 || from >= m_columns->Count() || to >= m_columns->Count()) return;
    m_columns->ColumnMoved(from, to);
    if (OnColumnMoved) OnColumnMoved(*this, from, to);
}

void TCustomMDBGrid::RowHeightsChanged() {
    if (!m_rowSized) return;
    m_rowSized = false;
    const int last = m_titleOffset + DataRowCount();
    for (int row = m_titleOffset; row < last; ++row)
        if (RowHeights(row) != DefaultRowHeight()) {
            SetRowsHeight(RowHeights(row));
            return;
        }
}

void TCustomMDBGrid::focusOutEvent(QFocusEvent* event) {
    TCustomGrid::focusOutEvent(event);
    StopTitleTracking();
}

bool TCustomMDBGrid::OwnsFocus(const QWidget* widget) const {
    return widget && (widget == this || isAncestorOf(widget));
}

void TCustomMDBGrid::DoEnter() {
    if (OnEnter) Guarded([&] { OnEnter(*this); });
}

void TCustomMDBGrid::DoExit() {
    if (m_drag.active) EndDrag(false);
    if (m_dataLink->Active()) {
        try {
            db::TDataSet* dataSet = DataSet();
            if (m_options.Has(TDBGridOption::dgCancelOnExit) && dataSet->State() == db::TDataSetState::dsInsert &&
                !dataSet->Modified() && !m_dataLink->Modified())
                dataSet->Cancel();
            else
                WritePendingEdit();
        } catch (const std::exception& error) {
            // The edit could not be written: the focus comes back to it.
            setFocus();
            EditError(error);
            return;
        }
    }
    if (OnExit) Guarded([&] { OnExit(*this); });
}

// --- dragging -----------------------------------------------------------------

void TCustomMDBGrid::BeginDrag(bool immediate) { BeginDragAt(immediate, QCursor::pos()); }

void TCustomMDBGrid::BeginDragAt(bool immediate, const QPoint& globalPos) {
    if (m_drag.active) return;
    m_drag.origin = globalPos;
    m_drag.last = globalPos;
    m_drag.pending = !immediate;
    if (!immediate) return;
    m_drag.active = true;
    Guarded([&] {
        DoStartDrag();
        DragMove(globalPos);
    });
}

void TCustomMDBGrid::DragMove(const QPoint& globalPos) {
    // The grid under the pointer, if any; the others know of no drags.
    TCustomMDBGrid* target = nullptr;
    for (QWidget* w = QApplication::widgetAt(globalPos); w && !target; w = w->parentWidget())
        target = qobject_cast<TCustomMDBGrid*>(w);
    m_drag.last = globalPos;
    bool ignored = false;
    if (m_drag.over && m_drag.over != target)
        m_drag.over->DragOver(this, m_drag.over->viewport()->mapFromGlobal(globalPos), TDragState::dsDragLeave, ignored);
    const TDragState state = m_drag.over == target ? TDragState::dsDragMove : TDragState::dsDragEnter;
    m_drag.over = target;
    m_drag.accepted = false;
    if (target) target->DragOver(this, target->viewport()->mapFromGlobal(globalPos), state, m_drag.accepted);
    viewport()->setCursor(m_drag.accepted ? m_dragCursor : Qt::ForbiddenCursor);
}

void TCustomMDBGrid::EndDrag(bool drop) {
    if (!m_drag.active) {
        m_drag.pending = false;
        return;
    }
    const QPoint global = m_drag.last;
    TCustomMDBGrid* target = m_drag.over;
    const bool dropped = drop && target && m_drag.accepted;
    m_drag.active = false;
    m_drag.over = nullptr;
    viewport()->unsetCursor();
    if (target && !dropped) {
        bool ignored = false;
        target->DragOver(this, target->viewport()->mapFromGlobal(global), TDragState::dsDragLeave, ignored);
    }
    const QPoint at = dropped ? target->viewport()->mapFromGlobal(global) : viewport()->mapFromGlobal(global);
    if (dropped) target->DragDrop(this, at);
    DoEndDrag(dropped ? target : nullptr, at);
}

void TCustomMDBGrid::DragOver(QObject* source, const QPoint& pos, TDragState state, bool& accept) {
    // A grid with a handler takes drops unless the handler refuses.
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) Guarded([&] { OnDragOver(*this, source, pos.x(), pos.y(), state, accept); });
}

void TCustomMDBGrid::DragDrop(QObject* source, const QPoint& pos) {
    if (OnDragDrop) Guarded([&] { OnDragDrop(*this, source, pos.x(), pos.y()); });
}

void TCustomMDBGrid::DoStartDrag() {
    if (OnStartDrag) Guarded([&] { OnStartDrag(*this); });
}

void TCustomMDBGrid::DoEndDrag(QObject* target, const QPoint& pos) {
    if (OnEndDrag) Guarded([&] { OnEndDrag(*this, target, pos.x(), pos.y()); });
}

// --- scrolling ----------------------------------------------------------------

void TCustomMDBGrid::Scroll(int distance) {
    if (!m_dataLink->Active()) return;
    InvalidateRow(Row());
    const int expected = m_titleOffset + DataRowCount() + (m_footerRows > 0 ? 2 : 0);
    if (RowCount() != expected) UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    if (distance != 0) {
        if (!m_options.Has(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
        InvalidateGrid();
        if (m_options.Has(TDBGridOption::dgAlwaysShowEditor)) ShowEditor();
    }
    InvalidateRow(Row());
    if (m_selRow >= 0) InvalidateCell(0, m_selRow);
}

void TCustomMDBGrid::UpdateScrollRange() {
    UpdateHorizontalScrollRange();
    if (m_dataLink) UpdateScrollBar();
}

void TCustomMDBGrid::UpdateScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    const db::TDataSet* dataSet = m_dataLink->Active() ? DataSet() : nullptr;
    const int count = dataSet ? dataSet->RecordCount() : 0;
    const int maximum = std::max(1, count);
    const int page = std::max(1, DataRowCount());
    const int position = dataSet ? std::clamp(dataSet->RecNo(), 1, maximum) : 1;
    if (bar->minimum() != 1 || bar->maximum() != maximum) bar->setRange(1, maximum);
    if (bar->pageStep() != page) bar->setPageStep(page);
    if (bar->value() != position) bar->setValue(position);
    bar->setSliderPosition(position);
}

void TCustomMDBGrid::VerticalScroll(int action, int position) {
    Guarded([&] {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        if (!m_dataLink->Active()) return;
        db::TDataSet* dataSet = DataSet();
        const int page = std::max(1, DataRowCount());
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: dataSet->MoveBy(-(m_dataLink->ActiveRecord() + 1)); break;
        case QAbstractSlider::SliderSingleStepAdd:
            dataSet->MoveBy(m_dataLink->RecordCount() - m_dataLink->ActiveRecord());
            break;
        case QAbstractSlider::SliderPageStepSub: dataSet->MoveBy(-page); break;
        case QAbstractSlider::SliderPageStepAdd: dataSet->MoveBy(page); break;
        case QAbstractSlider::SliderToMinimum: dataSet->First(); break;
        case QAbstractSlider::SliderToMaximum: dataSet->Last(); break;
        case QAbstractSlider::SliderMove:
            if (position <= 1) dataSet->First();
            else if (position >= dataSet->RecordCount()) dataSet->Last();
            else dataSet->SetRecNo(position);
            break;
        default: break;
        }
    });
    UpdateScrollBar();
}

void TCustomMDBGrid::TimedScroll(unsigned directions) {
    Guarded([&] {
        if (m_dataLink->Active()) {
            // Past the top or bottom edge the drag reaches the record just
            // outside the window, which then follows.
            if (directions & platform::sdUp) DataSet()->MoveBy(-(m_dataLink->ActiveRecord() + 1));
            if (directions & platform::sdDown) DataSet()->MoveBy(m_dataLink->RecordCount() - m_dataLink->ActiveRecord());
        }
        const unsigned sideways = directions & (platform::sdLeft | platform::sdRight);
        if (sideways != 0) TCustomGrid::TimedScroll(sideways);
    });
}

void TCustomMDBGrid::SizeChanged() {
    if (m_updateLock > 0) return;
    Guarded([&] {
        // Title texts cut to a lower grid are measured again for this one.
        if (m_options.Has(TDBGridOption::dgAutoFitColumns) || viewport()->height() > m_titlesCutAt) LayoutChanged();
        UpdateRowCount();
        UpdateActive();
        UpdateScrollBar();
    });
}

} // namespace grid
