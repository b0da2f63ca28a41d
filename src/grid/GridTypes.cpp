#include "grid/GridTypes.h"

#include <QGuiApplication>
#include <QPalette>

namespace grid {

// Without an application (a column made before any window) the classic
// system colours stand in.
QColor clWindow() {
    return qGuiApp ? QGuiApplication::palette().color(QPalette::Base) : QColor(255, 255, 255);
}

QColor clBtnFace() {
    return qGuiApp ? QGuiApplication::palette().color(QPalette::Button) : QColor(240, 240, 240);
}

} // namespace grid
