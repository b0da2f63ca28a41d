// The frame pieces continue the card's one-pixel grey border and its green
// header strip, which the card itself draws as thin panels: the corners must
// meet them exactly, so the border runs through pixel centres (x.5) at the
// same rows and columns as the panels. The 16 x 16 badges are drawn without
// antialiasing in the 16 standard colours, as the button glyphs are.
#include "platform/resources/PersonCardPictures.h"

#include "platform/resources/StandardColours.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

namespace platform::resources {
namespace {

// The card's border ($A4A0A0) and header ($0099CC66) colours.
const QColor kBorder(160, 160, 164);
const QColor kHeader(102, 204, 153);

void smooth(QPainter& p) { p.setRenderHint(QPainter::Antialiasing, true); }

// A corner: the white inside of the card under `inside`, then the border.
void corner(QPainter& p, const QPainterPath& inside, const QPainterPath& border) {
    smooth(p);
    p.fillPath(inside, kWhite);
    p.strokePath(border, QPen(kBorder, 1));
}

// A person: head and shoulders, 6 x 13.
void figure(QPainter& p, int x, int y, const QColor& body, const QColor& rim) {
    smooth(p);
    p.setPen(QPen(rim, 1));
    p.setBrush(body);
    p.drawEllipse(QRectF(x + 1.0, y + 0.5, 4, 4));
    QPainterPath shoulders;
    shoulders.moveTo(x + 0.5, y + 12.5);
    shoulders.lineTo(x + 0.5, y + 8.5);
    shoulders.quadTo(x + 0.5, y + 5.5, x + 3.0, y + 5.5);
    shoulders.quadTo(x + 5.5, y + 5.5, x + 5.5, y + 8.5);
    shoulders.lineTo(x + 5.5, y + 12.5);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.setBrush(Qt::NoBrush);
}

// An envelope filling `rect` (its outer pixels are the outline).
void envelope(QPainter& p, const QRect& rect, const QColor& paper, const QColor& rim) {
    smooth(p);
    const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(rim, 1));
    p.setBrush(paper);
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({r.topLeft(), QPointF(r.center().x(), r.top() + r.height() * 0.6), r.topRight()}));
}

// The top left corner with the member's mark on the header strip.
void topLeft(QPainter& p, const QColor& body, const QColor& rim) {
    QPainterPath inside;
    inside.moveTo(1.5, 23);
    inside.lineTo(1.5, 8.5);
    inside.arcTo(QRectF(1.5, 1.5, 14, 14), 180, -90);
    inside.lineTo(18, 1.5);
    inside.lineTo(18, 23);
    inside.closeSubpath();
    QPainterPath border;
    border.moveTo(1.5, 23);
    border.lineTo(1.5, 8.5);
    border.arcTo(QRectF(1.5, 1.5, 14, 14), 180, -90);
    border.lineTo(18, 1.5);
    corner(p, inside, border);
    QPainterPath header;
    header.moveTo(3, 23);
    header.lineTo(3, 8);
    header.arcTo(QRectF(3, 3, 10, 10), 180, -90);
    header.lineTo(18, 3);
    header.lineTo(18, 23);
    header.closeSubpath();
    p.fillPath(header, kHeader);
    figure(p, 8, 6, body, rim);
}

} // namespace

void PaintVoice(QPainter& p) {
    // A microphone on its stand.
    p.setPen(CrispPen(kNavy));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRect(5, 1, 5, 8), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawLine(3, 7, 3, 9);
    p.drawLine(12, 7, 12, 9);
    p.drawLine(4, 10, 5, 11);
    p.drawLine(11, 10, 10, 11);
    p.drawLine(6, 12, 9, 12);
    p.drawLine(7, 12, 7, 14);
    p.drawLine(4, 14, 11, 14);
}

void PaintVip(QPainter& p) {
    // A five-pointed star.
    const QPolygon star({QPoint(7, 0), QPoint(9, 5), QPoint(15, 5), QPoint(10, 9), QPoint(12, 15), QPoint(7, 11),
                         QPoint(2, 15), QPoint(4, 9), QPoint(0, 5), QPoint(5, 5)});
    p.setPen(CrispPen(kOlive));
    p.setBrush(kYellow);
    p.drawPolygon(star);
    p.setBrush(Qt::NoBrush);
}

void PaintReal(QPainter& p) {
    // A tick in a green disc.
    p.setPen(CrispPen(kGreen));
    p.setBrush(kGreen);
    p.drawEllipse(QRect(0, 0, 15, 15));
    p.setBrush(Qt::NoBrush);
    p.setPen(CrispPen(kWhite, 2));
    p.drawPolyline(QPolygon({QPoint(4, 8), QPoint(7, 11), QPoint(11, 5)}));
}

void PaintBasketRed(QPainter& p) {
    // A waste basket: lid with a handle, a ribbed body.
    p.setPen(CrispPen(kMaroon));
    p.setBrush(kRed);
    p.drawRect(QRect(6, 0, 3, 2));
    p.drawRect(QRect(1, 2, 13, 2));
    p.drawPolygon(QPolygon({QPoint(2, 5), QPoint(13, 5), QPoint(12, 15), QPoint(3, 15)}));
    p.setBrush(Qt::NoBrush);
    p.drawLine(5, 7, 5, 13);
    p.drawLine(7, 7, 7, 13);
    p.drawLine(10, 7, 10, 13);
}

void PaintTopRight(QPainter& p) {
    QPainterPath inside;
    inside.moveTo(0, 1.5);
    inside.lineTo(0.5, 1.5);
    inside.arcTo(QRectF(-5.5, 1.5, 12, 12), 90, -90);
    inside.lineTo(6.5, 23);
    inside.lineTo(0, 23);
    inside.closeSubpath();
    QPainterPath border;
    border.moveTo(0, 1.5);
    border.lineTo(0.5, 1.5);
    border.arcTo(QRectF(-5.5, 1.5, 12, 12), 90, -90);
    border.lineTo(6.5, 23);
    corner(p, inside, border);
    QPainterPath header;
    header.moveTo(0, 3);
    header.arcTo(QRectF(-5, 3, 10, 10), 90, -90);
    header.lineTo(5, 23);
    header.lineTo(0, 23);
    header.closeSubpath();
    p.fillPath(header, kHeader);
}

void PaintRightBottom(QPainter& p) {
    QPainterPath border;
    border.moveTo(6.5, 0);
    border.lineTo(6.5, 0.5);
    border.arcTo(QRectF(-5.5, -5.5, 12, 12), 0, -90);
    border.lineTo(0, 6.5);
    QPainterPath inside = border;
    inside.lineTo(0, 0);
    inside.closeSubpath();
    corner(p, inside, border);
}

void PaintBottomLeft(QPainter& p) {
    QPainterPath border;
    border.moveTo(1.5, 0);
    border.lineTo(1.5, 0.5);
    border.arcTo(QRectF(1.5, -5.5, 12, 12), 180, 90);
    border.lineTo(8, 6.5);
    QPainterPath inside = border;
    inside.lineTo(8, 0);
    inside.closeSubpath();
    corner(p, inside, border);
}

void PaintGoto(QPainter& p) {
    // A small green plate reading "анкета" with an arrow.
    smooth(p);
    p.setPen(QPen(QColor(51, 140, 95), 1));
    p.setBrush(kHeader);
    p.drawRoundedRect(QRectF(0.5, 0.5, 49, 15), 4, 4);
    p.setBrush(Qt::NoBrush);
    const QString text = QStringLiteral("анкета");
    QFont font;
    font.setBold(true);
    // The word must fit left of the arrow, whatever the system font's width.
    for (int size = 10; size >= 7; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= 38) break;
    }
    p.setFont(font);
    p.setPen(kWhite);
    p.drawText(QRect(3, 0, 38, 16), Qt::AlignCenter, text);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPolygon(QPolygonF({QPointF(42, 4.5), QPointF(47, 8), QPointF(42, 11.5)}));
}

namespace {

// A grey silhouette on a light plate, `caption` under it.
void PhotoPlate(QPainter& p, const QString& caption) {
    smooth(p);
    p.setPen(QPen(QColor(200, 200, 204), 1));
    p.setBrush(QColor(238, 238, 240));
    p.drawRoundedRect(QRectF(0.5, 0.5, 45, 61), 3, 3);
    const QColor shadow(190, 190, 196);
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QRectF(15, 8, 16, 18));
    QPainterPath shoulders;
    shoulders.moveTo(6, 46);
    shoulders.quadTo(7, 28, 23, 28);
    shoulders.quadTo(39, 28, 40, 46);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    QFont font;
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(QColor(130, 130, 136));
    p.drawText(QRect(0, 47, 46, 13), Qt::AlignCenter, caption);
}

} // namespace

void PaintNoPhoto(QPainter& p) { PhotoPlate(p, QStringLiteral("нет фото")); }

void PaintPhotoFailed(QPainter& p) { PhotoPlate(p, QStringLiteral("ошибка")); }

void PaintLetter(QPainter& p) { envelope(p, QRect(0, 1, 19, 13), QColor(255, 236, 160), QColor(170, 110, 30)); }

void PaintLetterShort(QPainter& p) { envelope(p, QRect(0, 1, 12, 8), QColor(255, 236, 160), QColor(170, 110, 30)); }

void PaintAbsent(QPainter& p) { figure(p, 0, 0, QColor(200, 200, 204), QColor(130, 130, 136)); }

void PaintAbsentSelected(QPainter& p) { figure(p, 0, 0, QColor(235, 235, 235), QColor(90, 90, 96)); }

void PaintConnected(QPainter& p) { figure(p, 0, 0, QColor(80, 200, 90), kGreen); }

void PaintConnectedSelected(QPainter& p) { figure(p, 0, 0, kWhite, QColor(0, 100, 0)); }

void PaintTopLeftAbsent(QPainter& p) { topLeft(p, QColor(235, 235, 235), QColor(90, 90, 96)); }

void PaintTopLeftConnected(QPainter& p) { topLeft(p, kWhite, QColor(0, 100, 0)); }

} // namespace platform::resources
