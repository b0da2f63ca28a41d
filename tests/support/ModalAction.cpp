#include "support/ModalAction.h"

#include <QApplication>
#include <QWidget>

namespace testsupport {

ModalAction::ModalAction(std::function<void(QWidget& dialog)> action)
    : m_timer(std::make_unique<QTimer>()), m_action(std::move(action)) {
    m_timer->setInterval(5);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) return;
        m_timer->stop();
        m_done = true;
        m_action(*dialog);
    });
    m_timer->start();
}

ModalAction::~ModalAction() = default;

} // namespace testsupport
