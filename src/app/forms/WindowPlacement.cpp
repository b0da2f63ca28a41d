#include "app/forms/WindowPlacement.h"

#include <QApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace app {
namespace {

// The top left corner that puts a window of `size` at `wanted` or, where
// that leaves the area, as close to it as still fits.
QPoint KeptInside(QPoint wanted, const QSize& size, const QRect& area) {
    if (area.isEmpty()) return wanted;
    const int x = std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    const int y = std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    return {x, y};
}

} // namespace

QRect AvailableScreenArea(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void CentreOnScreen(QWidget& window) {
    const QRect area = AvailableScreenArea(window);
    if (area.isEmpty()) return;
    if (window.width() > area.width() || window.height() > area.height())
        window.resize(window.size().boundedTo(area.size()).expandedTo(window.minimumSize()));
    const QPoint centred = area.center() - QPoint(window.width() / 2, window.height() / 2) + QPoint(1, 1);
    window.move(KeptInside(centred, window.size(), area));
}

void CentreOver(QWidget& window, const QWidget& over) {
    const QRect frame = over.frameGeometry();
    const QPoint centred = frame.center() - QPoint(window.width() / 2, window.height() / 2) + QPoint(1, 1);
    window.move(KeptInside(centred, window.size(), AvailableScreenArea(over)));
}

QWidget* ShownMainWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "frmMain" && window->isVisible()) return window;
    return nullptr;
}

} // namespace app
