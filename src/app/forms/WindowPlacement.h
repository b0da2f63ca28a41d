#pragma once
// Where top-level windows open: the main window and the about box in the
// middle of the screen, message boxes over the main window. Every window is
// kept inside the screen's available area (what task bars and panels leave).

class QRect;
class QWidget;

namespace app {

// The available area of the screen `window` is on (of the primary screen
// when it is on none yet); an empty rectangle when there is no screen.
QRect AvailableScreenArea(const QWidget& window);

// Moves `window` so that it is centred in its screen's available area,
// shrinking it to that area first when it is larger. Nothing without a
// screen.
void CentreOnScreen(QWidget& window);

// Moves `window` so that it is centred over `over`, then back inside the
// available area where that puts it partly off the screen.
void CentreOver(QWidget& window, const QWidget& over);

// The program's main window ("frmMain") when it is shown; nullptr otherwise.
QWidget* ShownMainWindow();

} // namespace app
