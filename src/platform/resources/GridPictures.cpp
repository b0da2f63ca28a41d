// Drawn pixel by pixel in black and dark grey without antialiasing, so that
// the glyphs stay crisp in the narrow indicator column and tests can find
// their pixels.
#include "platform/resources/GridPictures.h"

#include <QColor>
#include <QPainter>

namespace platform::resources {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kShadow(128, 128, 128);
const QColor kLight(255, 255, 255);

// A triangle pointing right with its tip at (x + 3, 4): rows 1..7 of a 9-high glyph.
void rightTriangle(QPainter& p, int x) {
    for (int i = 0; i < 4; ++i) p.fillRect(x + i, 1 + i, 1, 7 - 2 * i, kBlack);
}

void dot(QPainter& p, int x, int y) {
    p.fillRect(x, y + 1, 4, 2, kBlack);
    p.fillRect(x + 1, y, 2, 4, kBlack);
}

} // namespace

void PaintGridArrow(QPainter& p) { rightTriangle(p, 3); }

void PaintGridEdit(QPainter& p) {
    // A text cursor: an I-beam.
    p.fillRect(2, 0, 5, 1, kBlack);
    p.fillRect(4, 1, 1, 7, kBlack);
    p.fillRect(2, 8, 5, 1, kBlack);
}

void PaintGridInsert(QPainter& p) {
    // An asterisk.
    p.fillRect(4, 1, 1, 7, kBlack);
    p.fillRect(1, 4, 7, 1, kBlack);
    for (int i = 0; i < 5; ++i) {
        p.fillRect(2 + i, 2 + i, 1, 1, kBlack);
        p.fillRect(6 - i, 2 + i, 1, 1, kBlack);
    }
}

void PaintGridMultiDot(QPainter& p) { dot(p, 3, 3); }

void PaintGridMultiArrow(QPainter& p) {
    dot(p, 0, 3);
    rightTriangle(p, 5);
}

void PaintGridSortDown(QPainter& p) {
    // Rows shrink downwards, with a light edge on the lower right as on a raised face.
    for (int i = 0; i < 6; ++i) p.fillRect(i, i, 11 - 2 * i, 1, i == 0 ? kShadow : kBlack);
    p.fillRect(5, 6, 1, 1, kLight);
}

void PaintGridSortUp(QPainter& p) {
    for (int i = 0; i < 6; ++i) p.fillRect(5 - i, i + 1, 2 * i + 1, 1, i == 5 ? kShadow : kBlack);
    p.fillRect(5, 0, 1, 1, kLight);
}

} // namespace platform::resources
