#pragma once
// The main window's tool-bar pictures, drawn by the program at 16 x 16:
// 0 about, 1 settings, 2 start, 3 pause, 4 resume and exit, 5 stop,
// 6 favourites.

#include "platform/TImageList.h"

namespace app {

inline constexpr int kMainPictureCount = 7;

// Fills `list` (emptied first) with the seven pictures in index order.
void FillMainWindowPictures(platform::TImageList& list);

} // namespace app
