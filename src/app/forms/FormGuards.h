#pragma once
// Guards the forms share at the Qt boundary: a handler's error is shown to
// the user instead of passing into Qt, and the hourglass is shown while
// long work runs.

#include "platform/MessageRoutines.h"

#include <QGuiApplication>
#include <exception>

namespace app {

// Runs a handler at a Qt boundary: an error is shown, never thrown on.
template <class F>
void Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        platform::ShowInfoMessage(e.what());
    } catch (...) {
        platform::ShowInfoMessage("Действие не выполнено: неизвестная ошибка.");
    }
}

// The hourglass (or another busy cursor) for the life of the object.
class TCursorGuard {
public:
    explicit TCursorGuard(Qt::CursorShape shape = Qt::WaitCursor) { QGuiApplication::setOverrideCursor(shape); }
    ~TCursorGuard() { QGuiApplication::restoreOverrideCursor(); }
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;
};

} // namespace app
