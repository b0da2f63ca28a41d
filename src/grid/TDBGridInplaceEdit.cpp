#include "grid/TDBGridInplaceEdit.h"

#include "grid/ColumnPainters.h"
#include "grid/TDBGColumn.h"
#include "grid/TInplaceEditHost.h"
#include "grid/TPopupListbox.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace grid {

template <class F>
void TDBGridInplaceEdit::Guarded(F&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        m_host.EditError(error);
    }
}

TDBGridInplaceEdit::TDBGridInplaceEdit(TInplaceEditHost& host, QWidget* parent)
    : QWidget(parent),
      m_host(host),
      m_edit(new QLineEdit(this)),
      m_buttonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent)) {
    m_edit->setFrame(false);
    m_edit->setTextMargins(1, 0, 1, 0);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    setAutoFillBackground(true);
    connect(m_edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { Guarded([&] { m_host.SetEditText(text.toStdString()); }); });
    UpdateBounds();
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() = default;

QString TDBGridInplaceEdit::Text() const { return m_edit->text(); }

void TDBGridInplaceEdit::SetText(const QString& text) { m_edit->setText(text); }

QRect TDBGridInplaceEdit::ButtonRect() const {
    if (m_editStyle == TEditStyle::esSimple) return {};
    return QRect(width() - m_buttonWidth, 0, m_buttonWidth, height());
}

void TDBGridInplaceEdit::UpdateContents() {
    TDBGColumn* column = m_host.SelectedColumn();
    SetEditStyle(column ? column->EditStyle() : TEditStyle::esSimple);
    QFont font = column ? column->Font() : m_edit->font();
    QColor background = column ? column->Color() : m_edit->palette().color(QPalette::Base);
    if (column) m_host.GetCellParams(*column, font, background);
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Base, background);
    m_edit->setPalette(palette);
    palette = this->palette();
    palette.setColor(QPalette::Window, background);
    setPalette(palette);
    m_edit->setFont(font);
    // Longer text would be cut when the field is written.
    const int limit = m_host.GetEditLimit();
    m_edit->setMaxLength(limit > 0 ? limit : 32767);
    m_edit->setText(QString::fromStdString(m_host.GetEditText()));
}

void TDBGridInplaceEdit::SetEditStyle(TEditStyle value) {
    if (value != m_editStyle) {
        if (m_listVisible) CloseUp(false);
        m_editStyle = value;
        auto make = [this] {
            auto* list = new TPopupListbox(this);
            list->OnMouseUp = [this](bool inside) { Guarded([&] { CloseUp(inside); }); };
            return list;
        };
        if (value == TEditStyle::esPickList && !m_pickList) m_pickList = make();
        if (value == TEditStyle::esDataList && !m_dataList) m_dataList = make();
        m_activeList = value == TEditStyle::esPickList ? m_pickList
                       : value == TEditStyle::esDataList ? m_dataList
                                                         : nullptr;
        UpdateBounds();
        update();
    }
    const TDBGColumn* column = m_host.SelectedColumn();
    m_edit->setReadOnly(column && column->ReadOnly());
}

void TDBGridInplaceEdit::UpdateBounds() {
    const int button = m_editStyle == TEditStyle::esSimple ? 0 : m_buttonWidth;
    m_edit->setGeometry(0, 0, std::max(width() - button, 0), height());
}

QRect TDBGridInplaceEdit::DropDownRect(const QRect& editor, QSize list, const QRect& screen) {
    list.setWidth(std::min(list.width(), screen.width()));
    int y = editor.top() + editor.height();
    if (y + list.height() > screen.top() + screen.height()) y = editor.top() - list.height();
    int x = editor.left();
    if (x + list.width() > screen.left() + screen.width()) x = screen.left() + screen.width() - list.width();
    return QRect(QPoint(x, y), list);
}

void TDBGridInplaceEdit::FillDataList(TPopupListbox& list, int& width) {
    width = 0;
    const TDBGColumn* column = m_host.SelectedColumn();
    const db::TField* field = column ? column->Field() : nullptr;
    const db::TDataSet* source = field && field->Lookup() ? field->LookupDataSet() : nullptr;
    // A closed source, or one without the fields to show, has no rows.
    if (!source || !source->Active()) return;
    const db::TField* result = source->FindField(field->LookupResultField());
    std::vector<const db::TField*> shown;
    for (const db::TField* f : source->GetFieldList(column->LookupDisplayFields()))
        if (f) shown.push_back(f);
    if (shown.empty() && result) shown.push_back(result);
    if (shown.empty()) return;
    const std::vector<db::TField*> lookupKeys = source->GetFieldList(field->LookupKeyFields());
    QStringList current;
    for (const db::TField* key : field->DataSet().GetFieldList(field->KeyFields()))
        current << QString::fromStdString(key ? key->AsString() : std::string());

    // Columns as wide as the fields' display widths in digits of the font.
    const QFontMetrics metrics(m_edit->font());
    std::vector<int> widths;
    int searchColumn = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        widths.push_back(shown[i]->DisplayWidth() * metrics.horizontalAdvance(QLatin1Char('0')) + 4);
        width += widths.back();
        if (shown[i] == result) searchColumn = static_cast<int>(i);
    }
    if (shown.size() == 1) widths.front() = std::max(widths.front(), this->width());
    list.SetColumns(widths, searchColumn);
    for (int record = 0; record < source->RecordCount(); ++record) {
        QStringList parts;
        for (const db::TField* f : shown) parts << QString::fromStdString(source->FieldText(record, *f));
        QStringList keys;
        for (const db::TField* key : lookupKeys)
            keys << QString::fromStdString(key ? source->FieldText(record, *key) : std::string());
        // The fields stay apart: a text may hold a tab of its own.
        auto* item = new QListWidgetItem(parts.join(QLatin1Char('\t')), &list);
        item->setData(TPopupListbox::FieldsRole, parts);
        item->setData(Qt::UserRole, keys);
        if (keys == current && list.currentRow() < 0) list.setCurrentItem(item);
    }
}

void TDBGridInplaceEdit::DropDown() {
    if (m_listVisible || !m_activeList) return;
    const TDBGColumn* column = m_host.SelectedColumn();
    if (!column) return;
    TPopupListbox& list = *m_activeList;
    list.setFont(m_edit->font());
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, m_edit->palette().color(QPalette::Base));
    list.setPalette(palette);
    list.clear();
    list.setCurrentRow(-1);
    list.clearSelection();
    const QFontMetrics metrics(list.font());
    int width = this->width();
    if (m_editStyle == TEditStyle::esDataList) {
        int fields = 0;
        FillDataList(list, fields);
        // -1: as wide as the fields; > 0: that wide; never narrower than the editor.
        if (column->DropDownWidth() < 0) width = std::max(width, fields + 2 * list.frameWidth());
        else if (column->DropDownWidth() > 0) width = column->DropDownWidth() + 2 * list.frameWidth();
    } else {
        list.addItems(column->PickList());
        int widest = 0;
        for (int i = 0; i < list.count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(list.item(i)->text()));
        width = std::max(width, widest + 2 * list.frameWidth() + 8);
        if (const db::TField* field = column->Field(); field && !field->IsNull()) {
            const QString value = QString::fromStdString(field->AsString());
            for (int i = 0; i < list.count(); ++i)
                if (list.item(i)->text() == value) {
                    list.setCurrentRow(i);
                    break;
                }
        }
    }

    // An empty list still opens a row high, so that it is seen to be empty.
    const int rows =
        std::max(1, std::min(list.count(), static_cast<int>(std::min<uint32_t>(column->DropDownRows(), 1000))));
    const int height = rows * list.ItemHeight() + 4;
    if (list.count() > rows) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent);

    const QRect editor(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* screen = this->screen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
    list.setGeometry(DropDownRect(editor, QSize(width, height), screenRect));
    list.show();
    if (list.currentItem()) list.scrollToItem(list.currentItem());
    m_listVisible = true;
}

void TDBGridInplaceEdit::FollowList() {
    if (m_editStyle != TEditStyle::esDataList || !m_activeList) return;
    if (const QListWidgetItem* item = m_activeList->currentItem()) m_edit->setText(m_activeList->SearchedText(*item));
}

void TDBGridInplaceEdit::CloseUp(bool accept) {
    if (!m_listVisible || !m_activeList) return;
    TPopupListbox& list = *m_activeList;
    const QListWidgetItem* item = list.currentRow() >= 0 ? list.currentItem() : nullptr;
    const bool chosen = item != nullptr;
    const QString value = chosen ? list.SearchedText(*item) : QString();
    const QStringList keys = chosen ? item->data(Qt::UserRole).toStringList() : QStringList();
    const bool lookup = m_editStyle == TEditStyle::esDataList;
    list.hide();
    m_listVisible = false;
    m_listDrag = false;
    update();
    if (lookup && !accept) {
        m_edit->setText(QString::fromStdString(m_host.GetEditText()));
        return;
    }
    if (!accept || !chosen || !m_host.CanEditModify()) return;
    TDBGColumn* column = m_host.SelectedColumn();
    db::TField* field = column ? column->Field() : nullptr;
    if (!field) return;
    if (lookup) {
        // The row's keys go into the key fields; the lookup field then
        // shows the row's text, which the editor takes too.
        const std::vector<db::TField*> keyFields = field->DataSet().GetFieldList(field->KeyFields());
        for (size_t k = 0; k < keyFields.size() && k < static_cast<size_t>(keys.size()); ++k)
            if (keyFields[k] && keyFields[k]->CanModify()) keyFields[k]->SetAsString(keys[static_cast<qsizetype>(k)].toStdString());
    } else {
        field->SetAsString(value.toStdString());
    }
    m_edit->setText(value);
    m_host.SetEditText(value.toStdString());
}

bool TDBGridInplaceEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edit) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        bool used = false;
        Guarded([&] { used = KeyDown(*static_cast<QKeyEvent*>(event)); });
        return used;
    }
    if (event->type() == QEvent::KeyRelease) m_host.EditKeyUp(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut) Guarded([&] { CloseUp(false); });
    return false;
}

bool TDBGridInplaceEdit::DoDropDownKeys(QKeyEvent& key) {
    const bool alt = key.modifiers().testFlag(Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!alt) return false;
        if (m_listVisible)
            CloseUp(true);
        else
            DropDown();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (alt || !m_listVisible) return false;
        CloseUp(key.key() != Qt::Key_Escape);
        return true;
    default:
        return false;
    }
}

void TDBGridInplaceEdit::SendToList(QKeyEvent& key) {
    TPopupListbox& list = *m_activeList;
    const int last = list.count() - 1;
    const int page = std::max(list.viewport()->height() / std::max(list.ItemHeight(), 1), 1);
    const int row = list.currentRow();
    switch (key.key()) {
    case Qt::Key_Up:
        list.setCurrentRow(std::max(row - 1, 0));
        break;
    case Qt::Key_Down:
        list.setCurrentRow(std::min(row + 1, last));
        break;
    case Qt::Key_PageUp:
        list.setCurrentRow(std::max(row - page, 0));
        break;
    case Qt::Key_PageDown:
        list.setCurrentRow(std::min(row + page, last));
        break;
    case Qt::Key_Home:
        list.setCurrentRow(0);
        break;
    case Qt::Key_End:
        list.setCurrentRow(last);
        break;
    default:
        list.KeyPress(key.text());
        break;
    }
}

bool TDBGridInplaceEdit::AtLeftSide() const {
    if (!m_edit->hasSelectedText()) return m_edit->cursorPosition() == 0;
    return m_edit->selectionStart() == 0 && m_edit->selectedText().size() == m_edit->text().size();
}

bool TDBGridInplaceEdit::AtRightSide() const {
    if (!m_edit->hasSelectedText()) return m_edit->cursorPosition() == m_edit->text().size();
    return m_edit->selectionStart() == 0 && m_edit->selectedText().size() == m_edit->text().size();
}

bool TDBGridInplaceEdit::KeyDown(QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool lookup = m_editStyle == TEditStyle::esDataList;
    if (m_editStyle == TEditStyle::esPickList || lookup) {
        if (DoDropDownKeys(key)) return true;
        const QString text = key.text();
        const bool printable = !text.isEmpty() && text.front() >= QChar(' ') && text.front() != QChar(0x7f) &&
                               !(modifiers & (Qt::ControlModifier | Qt::AltModifier));
        if (printable && !m_listVisible) {
            const TDBGColumn* column = m_host.SelectedColumn();
            if (column && column->AutoDropDown()) DropDown();
        }
        if (m_listVisible) {
            SendToList(key);
            FollowList();
            return true;
        }
    }
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (m_editStyle == TEditStyle::esEllipsis && enter && ctrl) {
        m_host.EditButtonClick();
        return true;
    }
    // With the editor always shown, an arrow that cannot move in the text
    // moves to the neighbouring cell.
    const bool forward = m_host.AlwaysShowEditor();
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F2:
        return m_host.EditKeyDown(key);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!modifiers.testFlag(Qt::AltModifier)) return m_host.EditKeyDown(key);
        break;
    case Qt::Key_Insert:
        if (modifiers == Qt::NoModifier) return m_host.EditKeyDown(key);
        break;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (forward && (ctrl || AtLeftSide())) return m_host.EditKeyDown(key);
        break;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (forward && (ctrl || AtRightSide())) return m_host.EditKeyDown(key);
        break;
    case Qt::Key_Delete:
        if (ctrl) return m_host.EditKeyDown(key);
        if (lookup && modifiers == Qt::NoModifier && AtLeftSide() && AtRightSide() && !m_edit->text().isEmpty()) {
            // The whole text selected: the lookup is cleared, keys and all.
            TDBGColumn* column = m_host.SelectedColumn();
            db::TField* field = column ? column->Field() : nullptr;
            if (field && m_host.CanEditModify()) {
                field->SetAsString("");
                m_edit->clear();
                m_host.SetEditText("");
            }
            return true;
        }
        break;
    default:
        break;
    }
    // A key the editor keeps: the grid's key event sees it first.
    if (!m_host.EditKeyNotify(key)) return true;
    QString text = key.text();
    if (text.isEmpty() || text.front() < QChar(' ') || (modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const QString typed = text;
    m_host.EditKeyPress(text);
    if (text.isEmpty()) return true;
    if (text == typed) return false;
    // The grid's KeyPress typed another text instead.
    m_edit->insert(text);
    m_host.SetEditText(m_edit->text().toStdString());
    return true;
}

void TDBGridInplaceEdit::paintEvent(QPaintEvent*) {
    if (m_editStyle == TEditStyle::esSimple) return;
    QPainter painter(this);
    DrawEditButton(painter, m_editStyle, ButtonRect(), isEnabled(), m_pressed);
}

void TDBGridInplaceEdit::resizeEvent(QResizeEvent*) { UpdateBounds(); }

void TDBGridInplaceEdit::SetPressed(bool value) {
    if (value == m_pressed) return;
    m_pressed = value;
    update(ButtonRect());
}

void TDBGridInplaceEdit::StopTracking() {
    if (!m_tracking) return;
    SetPressed(false);
    m_tracking = false;
}

void TDBGridInplaceEdit::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !ButtonRect().contains(at)) {
        QWidget::mousePressEvent(event);
        return;
    }
    Guarded([&] {
        if (m_listVisible) {
            CloseUp(false);
            return;
        }
        m_tracking = true;
        SetPressed(true);
        DropDown();
    });
}

void TDBGridInplaceEdit::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking && !m_listDrag) return;
    const QPoint global = event->globalPosition().toPoint();
    if (m_listVisible && m_activeList->geometry().contains(global)) {
        StopTracking();
        m_listDrag = true;
        const QPoint inList = m_activeList->viewport()->mapFromGlobal(global);
        if (QListWidgetItem* item = m_activeList->itemAt(inList)) m_activeList->setCurrentItem(item);
        FollowList();
        return;
    }
    if (m_tracking) SetPressed(ButtonRect().contains(event->position().toPoint()));
}

void TDBGridInplaceEdit::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    StopTracking();
    if (event->button() != Qt::LeftButton) return;
    Guarded([&] {
        if (m_listDrag) {
            CloseUp(m_listVisible && m_activeList->geometry().contains(event->globalPosition().toPoint()));
            return;
        }
        if (m_editStyle == TEditStyle::esEllipsis && wasPressed) m_host.EditButtonClick();
    });
}

void TDBGridInplaceEdit::hideEvent(QHideEvent* event) {
    Guarded([&] { CloseUp(false); });
    QWidget::hideEvent(event);
}

void TDBGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click on the button is two clicks, not a word selection.
    if (ButtonRect().contains(event->position().toPoint())) return;
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace grid
