#include "grid/TDBGridInplaceEdit.h"

#include "grid/ColumnPainters.h"
#include "grid/TDBGColumn.h"
#include "grid/TInplaceEditHost.h"
#include "grid/TPopupListbox.h"
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
    m_edit->setText(QString::fromStdString(m_host.GetEditText()));
}

void TDBGridInplaceEdit::SetEditStyle(TEditStyle value) {
    if (value != m_editStyle) {
        if (m_listVisible) CloseUp(false);
        m_editStyle = value;
        if (value == TEditStyle::esPickList && !m_pickList) {
            m_pickList = new TPopupListbox(this);
            m_pickList->OnMouseUp = [this](bool inside) { Guarded([&] { CloseUp(inside); }); };
        }
        m_activeList = value == TEditStyle::esPickList ? m_pickList : nullptr;
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
    list.addItems(column->PickList());

    const int rows = std::min(list.count(), static_cast<int>(std::min<uint32_t>(column->DropDownRows(), 1000)));
    const int height = rows * list.ItemHeight() + 4;
    const QFontMetrics metrics(list.font());
    int widest = 0;
    for (int i = 0; i < list.count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(list.item(i)->text()));
    const int scrollBar = list.count() > rows ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    const int width = std::max(this->width(), widest + 2 * list.frameWidth() + 8 + scrollBar);

    list.setCurrentRow(-1);
    list.clearSelection();
    if (const db::TField* field = column->Field(); field && !field->IsNull()) {
        const QString value = QString::fromStdString(field->AsString());
        for (int i = 0; i < list.count(); ++i)
            if (list.item(i)->text() == value) {
                list.setCurrentRow(i);
                break;
            }
    }

    const QRect editor(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* screen = this->screen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
    list.setGeometry(DropDownRect(editor, QSize(width, height), screenRect));
    list.show();
    m_listVisible = true;
}

void TDBGridInplaceEdit::CloseUp(bool accept) {
    if (!m_listVisible || !m_activeList) return;
    TPopupListbox& list = *m_activeList;
    const QListWidgetItem* item = list.currentRow() >= 0 ? list.currentItem() : nullptr;
    const bool chosen = item != nullptr;
    const QString value = chosen ? item->text() : QString();
    list.hide();
    m_listVisible = false;
    m_listDrag = false;
    update();
    if (!accept || !chosen || !m_host.CanEditModify()) return;
    TDBGColumn* column = m_host.SelectedColumn();
    db::TField* field = column ? column->Field() : nullptr;
    if (!field) return;
    field->SetAsString(value.toStdString());
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

bool TDBGridInplaceEdit::KeyDown(QKeyEvent& key) {
    if (m_editStyle == TEditStyle::esPickList || m_editStyle == TEditStyle::esDataList) {
        if (DoDropDownKeys(key)) return true;
        const QString text = key.text();
        const bool printable = !text.isEmpty() && text.front() >= QChar(' ') && text.front() != QChar(0x7f) &&
                               !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable && !m_listVisible) {
            const TDBGColumn* column = m_host.SelectedColumn();
            if (column && column->AutoDropDown()) DropDown();
        }
        if (m_listVisible) {
            SendToList(key);
            return true;
        }
    }
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (m_editStyle == TEditStyle::esEllipsis && enter && key.modifiers().testFlag(Qt::ControlModifier)) {
        m_host.EditButtonClick();
        return true;
    }
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F2:
        return m_host.EditKeyDown(key);
    default:
        return false;
    }
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
