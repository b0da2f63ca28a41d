// The glyphs are drawn without antialiasing in the 16 standard colours, so
// they stay crisp at 16 x 16; the button faces antialias only their captions,
// which lie inside the face, so no blended pixel ever touches the red key
// colour around the rounded corners.
#include "platform/resources/MessageButtonPictures.h"

#include "platform/resources/StandardColours.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

namespace platform::resources {
namespace {

// A tick whose short stroke starts at (x, y): dark edge under a light body.
void tick(QPainter& p, int x, int y, const QColor& dark, const QColor& light) {
    const QPolygon body({QPoint(x, y), QPoint(x + 3, y + 3), QPoint(x + 9, y - 3)});
    p.setPen(CrispPen(dark, 3));
    p.drawPolyline(body.translated(0, 1));
    p.setPen(CrispPen(light, 1));
    p.drawPolyline(body);
}

// A diagonal cross in the square of side `size` at (x, y).
void cross(QPainter& p, int x, int y, int size, const QColor& dark, const QColor& light) {
    p.setPen(CrispPen(dark, 3));
    p.drawLine(x, y, x + size, y + size);
    p.drawLine(x + size, y, x, y + size);
    p.setPen(CrispPen(light, 1));
    p.drawLine(x, y, x + size, y + size);
    p.drawLine(x + size, y, x, y + size);
}

void arrowHead(QPainter& p, const QPolygon& triangle, const QColor& colour) {
    p.setPen(CrispPen(colour, 1));
    p.setBrush(colour);
    p.drawPolygon(triangle);
    p.setBrush(Qt::NoBrush);
}

// The face of a picture-only button: a rounded plate with a light-to-dark
// gradient, a symbol on the left and the caption in the middle.
void face(QPainter& p, const QColor& top, const QColor& bottom, const QColor& rim, const QString& caption,
          void (*symbol)(QPainter&)) {
    QLinearGradient gradient(0, 1, 0, 22);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.setPen(CrispPen(rim, 1));
    p.setBrush(gradient);
    p.drawRoundedRect(QRect(1, 1, 96, 21), 6, 6);
    p.setBrush(Qt::NoBrush);
    symbol(p);
    QFont font;
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(kWhite);
    p.drawText(QRect(24, 2, 64, 19), Qt::AlignCenter, caption);
}

void whiteTick(QPainter& p) {
    p.setPen(CrispPen(kWhite, 2));
    p.drawPolyline(QPolygon({QPoint(8, 11), QPoint(11, 14), QPoint(17, 8)}));
}

void whiteCross(QPainter& p) {
    p.setPen(CrispPen(kWhite, 2));
    p.drawLine(9, 8, 15, 14);
    p.drawLine(15, 8, 9, 14);
}

} // namespace

void PaintBtnYes(QPainter& p) { tick(p, 3, 8, kGreen, kLime); }

void PaintBtnNo(QPainter& p) {
    p.setPen(CrispPen(kRed, 2));
    p.drawEllipse(QRect(2, 2, 11, 11));
    p.drawLine(4, 11, 11, 4);
}

void PaintBtnOk(QPainter& p) { tick(p, 3, 8, kGreen, kLime); }

void PaintBtnCancel(QPainter& p) { cross(p, 4, 4, 7, kMaroon, kRed); }

void PaintBtnAbort(QPainter& p) {
    const QPolygon octagon({QPoint(5, 1), QPoint(10, 1), QPoint(14, 5), QPoint(14, 10), QPoint(10, 14),
                            QPoint(5, 14), QPoint(1, 10), QPoint(1, 5)});
    p.setPen(CrispPen(kMaroon, 1));
    p.setBrush(kRed);
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(QRect(4, 6, 8, 3));
}

void PaintBtnRetry(QPainter& p) {
    p.setPen(CrispPen(kNavy, 2));
    // Three quarters of a circle, open at the top right, where the head sits.
    p.drawArc(QRect(2, 3, 11, 11), 90 * 16, 270 * 16);
    arrowHead(p, QPolygon({QPoint(8, 0), QPoint(12, 3), QPoint(8, 6)}), kBlue);
}

void PaintBtnIgnore(QPainter& p) {
    p.setPen(CrispPen(kGray, 2));
    p.drawLine(7, 8, 7, 14);
    p.setPen(CrispPen(kNavy, 2));
    // An arrow that jumps over the bar.
    p.drawArc(QRect(2, 3, 10, 14), 30 * 16, 150 * 16);
    arrowHead(p, QPolygon({QPoint(10, 8), QPoint(15, 8), QPoint(12, 12)}), kBlue);
}

void PaintBtnAll(QPainter& p) {
    tick(p, 1, 5, kTeal, kAqua);
    tick(p, 5, 9, kTeal, kAqua);
}

void PaintBtnAllNo(QPainter& p) {
    cross(p, 1, 1, 6, kMaroon, kRed);
    cross(p, 8, 8, 6, kMaroon, kRed);
}

void PaintBtnAllYes(QPainter& p) {
    tick(p, 1, 5, kGreen, kLime);
    tick(p, 5, 9, kGreen, kLime);
}

void PaintBtnHelp(QPainter& p) {
    p.setPen(CrispPen(kNavy, 2));
    // The hook of the question mark, then its stem and dot.
    p.drawArc(QRect(4, 1, 7, 7), -60 * 16, 240 * 16);
    p.drawLine(8, 8, 8, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRect(7, 12, 3, 3));
}

void PaintBtnYesUp(QPainter& p) {
    face(p, QColor(120, 200, 100), QColor(30, 110, 40), QColor(20, 70, 25), QStringLiteral("Да"), &whiteTick);
}

void PaintBtnNoUp(QPainter& p) {
    face(p, QColor(235, 110, 95), QColor(150, 30, 30), QColor(90, 20, 20), QStringLiteral("Нет"), &whiteCross);
}

void PaintBtnOkUp(QPainter& p) {
    face(p, QColor(110, 160, 230), QColor(35, 75, 160), QColor(20, 40, 100), QStringLiteral("OK"), &whiteTick);
}

} // namespace platform::resources
