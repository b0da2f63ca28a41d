#include "platform/TPanel.h"

#include "platform/QtText.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

TPanel::TPanel(QWidget* parent) : QFrame(parent) {}

void TPanel::SetCaption(std::string_view caption) {
    m_caption = caption;
    update();
}

std::string TPanel::Hint() const { return toolTip().toStdString(); }

void TPanel::SetHint(std::string_view hint) { setToolTip(ToQString(hint)); }

void TPanel::SetOnMouseMove(TMouseMoveEvent handler) {
    m_onMouseMove = std::move(handler);
    if (m_onMouseMove) setMouseTracking(true);
}

void TPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_caption.empty()) return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, QString::fromStdString(m_caption));
}

void TPanel::mouseMoveEvent(QMouseEvent* event) {
    if (m_onMouseMove) {
        const QPoint p = event->position().toPoint();
        try {
            m_onMouseMove(this, event->modifiers(), p.x(), p.y());
        } catch (...) {
            qWarning("A panel's mouse-move handler failed");
        }
    }
    QFrame::mouseMoveEvent(event);
}

} // namespace platform
