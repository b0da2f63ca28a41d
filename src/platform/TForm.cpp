#include "platform/TForm.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <exception>

namespace platform {

TForm::TForm(QWidget* owner) : QWidget(owner, owner ? Qt::Window : Qt::WindowFlags{}) {}

TForm::~TForm() = default;

void TForm::SetActiveControl(QWidget* control) {
    m_activeControl = control;
    if (control && isVisible() && control->isVisible()) control->setFocus(Qt::OtherFocusReason);
}

void TForm::PostActivate() { QCoreApplication::postEvent(this, new QEvent(CM_ACTIVATE)); }

void TForm::SetOnMouseMove(TMouseMoveEvent handler) {
    m_onMouseMove = std::move(handler);
    if (m_onMouseMove) setMouseTracking(true);
}

void TForm::Activate() {
    if (OnActivate) OnActivate(this);
    if (m_activeControl && m_activeControl->isVisible()) m_activeControl->setFocus(Qt::ActiveWindowFocusReason);
}

bool TForm::event(QEvent* event) {
    if (event->type() == CM_ACTIVATE) {
        try {
            Activate();
        } catch (const std::exception& e) {
            qWarning("Activating %s failed: %s", m_className.c_str(), e.what());
        } catch (...) {
            qWarning("Activating %s failed", m_className.c_str());
        }
        return true;
    }
    return QWidget::event(event);
}

void TForm::mouseMoveEvent(QMouseEvent* event) {
    if (m_onMouseMove) {
        const QPoint p = event->position().toPoint();
        try {
            m_onMouseMove(this, event->modifiers(), p.x(), p.y());
        } catch (...) {
            qWarning("A mouse-move handler of %s failed", m_className.c_str());
        }
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace platform
