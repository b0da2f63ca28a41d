#include "platform/TImageList.h"

#include <QPainter>
#include <algorithm>

namespace platform {

TImageList::TImageList(int width, int height) : m_width(std::max(width, 1)), m_height(std::max(height, 1)) {}

int TImageList::Add(const QPixmap& image) {
    QPixmap sized(m_width, m_height);
    sized.fill(Qt::transparent);
    if (!image.isNull()) {
        QPainter painter(&sized);
        painter.drawPixmap(0, 0, image);
    }
    m_images.push_back(sized);
    return Count() - 1;
}

QPixmap TImageList::Pixmap(int index) const {
    if (index < 0 || index >= Count()) return {};
    return m_images[size_t(index)];
}

QIcon TImageList::Icon(int index) const {
    const QPixmap pixmap = Pixmap(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

void TImageList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index < 0 || index >= Count()) return;
    painter.drawPixmap(x, y, m_images[size_t(index)]);
}

} // namespace platform
