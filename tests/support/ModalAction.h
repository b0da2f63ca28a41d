#pragma once
// Acts on the next modal dialog from a timer, so a test can open a modal box
// and close it without waiting on a user. Polls every few milliseconds until
// a modal widget is shown, acts once, and stops; destroying the object stops
// it too, so it never touches a dialog of a later test.

#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace testsupport {

class ModalAction {
public:
    explicit ModalAction(std::function<void(QWidget& dialog)> action);
    ~ModalAction();
    ModalAction(const ModalAction&) = delete;
    ModalAction& operator=(const ModalAction&) = delete;

    // True once the action has run.
    bool Done() const { return m_done; }

private:
    std::unique_ptr<QTimer> m_timer;
    std::function<void(QWidget&)> m_action;
    bool m_done = false;
};

} // namespace testsupport
