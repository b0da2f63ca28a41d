#include "platform/BitmapResource.h"

#include "platform/BitmapResourceTables.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <vector>

namespace platform {
namespace {

QImage draw(const TBitmapResource& resource) {
    const bool keyRed = resource.Background == TBitmapBackground::KeyRed;
    QImage image(resource.Width, resource.Height,
                 keyRed ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(keyRed ? QColor(255, 0, 0) : QColor(Qt::transparent));
    QPainter painter(&image);
    resource.Paint(painter);
    return image;
}

} // namespace

QPixmap LoadBitmapResource(std::string_view name) {
    // Images rather than pixmaps are kept, since a pixmap must not outlive the
    // GUI application and this cache does.
    static std::vector<QImage> drawn(kBitmapResources.size());
    for (size_t i = 0; i < kBitmapResources.size(); ++i) {
        if (kBitmapResources[i].Name != name) continue;
        if (drawn[i].isNull()) drawn[i] = draw(kBitmapResources[i]);
        return QPixmap::fromImage(drawn[i]);
    }
    return {};
}

} // namespace platform
