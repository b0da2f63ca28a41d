#pragma once
// The 16 standard colours the crisp glyphs and badges are drawn in, and the
// pen that keeps their lines crisp: square ends and mitred corners, so a
// stroke covers exactly the pixels it names.

#include <QColor>
#include <QPen>

namespace platform::resources {

inline const QColor kBlack(0, 0, 0);
inline const QColor kMaroon(128, 0, 0);
inline const QColor kGreen(0, 128, 0);
inline const QColor kOlive(128, 128, 0);
inline const QColor kNavy(0, 0, 128);
inline const QColor kPurple(128, 0, 128);
inline const QColor kTeal(0, 128, 128);
inline const QColor kGray(128, 128, 128);
inline const QColor kSilver(192, 192, 192);
inline const QColor kRed(255, 0, 0);
inline const QColor kLime(0, 255, 0);
inline const QColor kYellow(255, 255, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kFuchsia(255, 0, 255);
inline const QColor kAqua(0, 255, 255);
inline const QColor kWhite(255, 255, 255);

inline QPen CrispPen(const QColor& colour, int width = 1) {
    return QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

} // namespace platform::resources
