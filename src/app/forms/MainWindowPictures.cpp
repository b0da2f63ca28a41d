#include "app/forms/MainWindowPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <functional>

namespace app {

namespace {

QPixmap Draw(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return pixmap;
}

QPixmap About() {
    return Draw([](QPainter& p) {
        p.setPen(QPen(QColor(20, 60, 140), 1));
        p.setBrush(QColor(60, 120, 220));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 3.5, 2.2, 2.2));
        p.drawRect(QRectF(7, 6.8, 2.2, 5.6));
    });
}

QPixmap Settings() {
    return Draw([](QPainter& p) {
        // A cog: eight teeth around a ring.
        QPainterPath cog;
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            QPainterPath tooth;
            tooth.addRect(QRectF(-1.6, -7.5, 3.2, 4));
            cog.addPath(QTransform().translate(8, 8).rotateRadians(a).map(tooth));
        }
        cog.addEllipse(QPointF(8, 8), 5, 5);
        cog.setFillRule(Qt::WindingFill);
        p.setPen(QPen(QColor(70, 70, 70), 0.8));
        p.setBrush(QColor(150, 150, 160));
        p.drawPath(cog.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 2, 2);
    });
}

QPixmap Start() {
    return Draw([](QPainter& p) {
        p.setPen(QPen(QColor(20, 100, 20), 1));
        p.setBrush(QColor(40, 170, 40));
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
    });
}

QPixmap Pause() {
    return Draw([](QPainter& p) {
        p.setPen(QPen(QColor(20, 60, 140), 1));
        p.setBrush(QColor(60, 120, 220));
        p.drawRect(QRectF(3.5, 2.5, 3, 11));
        p.drawRect(QRectF(9.5, 2.5, 3, 11));
    });
}

QPixmap Resume() {
    return Draw([](QPainter& p) {
        // A door with an arrow leaving it: resume after a pause, and exit.
        p.setPen(QPen(QColor(90, 60, 20), 1));
        p.setBrush(QColor(200, 150, 80));
        p.drawRect(QRectF(1.5, 1.5, 7, 13));
        p.setPen(QPen(QColor(20, 100, 20), 2));
        p.drawLine(QPointF(6, 8), QPointF(13, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 100, 20));
        p.drawPolygon(QPolygonF({QPointF(11, 4.5), QPointF(15, 8), QPointF(11, 11.5)}));
    });
}

QPixmap Stop() {
    return Draw([](QPainter& p) {
        p.setPen(QPen(QColor(130, 20, 20), 1));
        p.setBrush(QColor(210, 40, 40));
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
    });
}

QPixmap Favourites() {
    return Draw([](QPainter& p) {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 == 0 ? 7.2 : 3.0;
            const double a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(8 + r * std::cos(a), 8.3 + r * std::sin(a));
        }
        p.setPen(QPen(QColor(150, 100, 0), 1));
        p.setBrush(QColor(250, 200, 30));
        p.drawPolygon(star);
    });
}

} // namespace

void FillMainWindowPictures(platform::TImageList& list) {
    list.Clear();
    for (const QPixmap& picture : {About(), Settings(), Start(), Pause(), Resume(), Stop(), Favourites()})
        list.Add(picture);
}

} // namespace app
