#pragma once
// Painters of the message-box button pictures. Each draws on a canvas of the
// size its row in BitmapResourceTables.h gives, already filled with the
// background.

class QPainter;

namespace platform::resources {

// 16 x 16 glyphs beside the button captions.
void PaintBtnYes(QPainter& p);
void PaintBtnNo(QPainter& p);
void PaintBtnOk(QPainter& p);
void PaintBtnCancel(QPainter& p);
void PaintBtnAbort(QPainter& p);
void PaintBtnRetry(QPainter& p);
void PaintBtnIgnore(QPainter& p);
void PaintBtnAll(QPainter& p);
void PaintBtnAllNo(QPainter& p);
void PaintBtnAllYes(QPainter& p);
void PaintBtnHelp(QPainter& p);

// 99 x 24 button faces on the red key colour.
void PaintBtnYesUp(QPainter& p);
void PaintBtnNoUp(QPainter& p);
void PaintBtnOkUp(QPainter& p);

} // namespace platform::resources
