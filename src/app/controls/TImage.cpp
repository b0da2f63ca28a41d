#include "app/controls/TImage.h"

#include <QPainter>
#include <QPixmap>

namespace app {

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QPixmap& pixmap) {
    m_picture.Assign(pixmap.toImage());
    update();
}

void TImage::SetPicture(const platform::TPicture& picture) {
    m_picture.Assign(picture);
    update();
}

void TImage::ClearPicture() {
    m_picture.Clear();
    update();
}

void TImage::SetProportional(bool value) {
    m_proportional = value;
    update();
}

QImage& TImage::Canvas() { return m_picture.Bitmap(width(), height()); }

void TImage::CanvasDraw(int x, int y, const QPixmap& pixmap) {
    if (pixmap.isNull()) return;
    QPainter painter(&Canvas());
    painter.drawPixmap(x, y, pixmap);
    update();
}

void TImage::CanvasTextOut(int x, int y, const QString& text, const QColor& colour) {
    QPainter painter(&Canvas());
    painter.setFont(font());
    painter.setPen(colour);
    // TextOut places the top of the character cell at y.
    painter.drawText(QPoint(x, y + QFontMetrics(font()).ascent()), text);
    update();
}

void TImage::CanvasClear() {
    m_picture.Clear();
    Canvas();
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (m_picture.Empty()) return;
    QPainter painter(this);
    QSize size(m_picture.Width(), m_picture.Height());
    if (m_proportional && (size.width() > width() || size.height() > height()))
        size.scale(this->size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_picture.Draw(painter, QRect(QPoint(0, 0), size));
}

} // namespace app
