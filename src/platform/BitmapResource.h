#pragma once
// The program's small pictures (button glyphs, person-card marks, grid
// indicators), loaded by name. Each is drawn in code the first time it is
// asked for and kept for the rest of the run.

#include <QPixmap>
#include <string_view>

namespace platform {

// The picture called `name` (compared exactly). An unknown name gives a null
// pixmap. Needs the GUI application; call it on the user-interface thread.
QPixmap LoadBitmapResource(std::string_view name);

} // namespace platform
