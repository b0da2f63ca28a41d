// libFuzzer target: drawing what the GIF reader made of any bytes: the still
// picture, each frame drawn (transparent, tiled, dithered or not) and each
// frame composited as an animation shows it. Nothing may crash, and the
// still picture and every composite have the size of the image's picture.
#include "FuzzSupport.h"

#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFPainter.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::SetupWidgets();
    fuzzsupport::TChoices choices(data, size);
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    image::TGIFImage gif;
    try {
        gif.LoadFromStream(buffer);
    } catch (const std::exception&) {
        return 0;
    }
    // Pictures of more than a few megapixels only slow the fuzzing down.
    const QSize picture = gif.PictureRect().size();
    if (gif.Empty() || int64_t(picture.width()) * picture.height() > (int64_t(4) << 20)) return 0;
    uint16_t options = gif.DrawOptions() & uint16_t(~(image::DrawAsync | image::DrawAnimate));
    if (choices.Next(2)) options ^= image::DrawDither | image::DrawTransparent;
    if (choices.Next(2)) options ^= image::DrawTile;
    gif.SetDrawOptions(options);
    try {
        const QImage& still = gif.Bitmap();
        if (!still.isNull() && still.size() != picture) std::abort();
        QImage canvas(37, 23, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        const int frames = std::min(gif.Images().Count(), 16);
        for (int i = 0; i < frames; ++i) {
            {
                QPainter painter(&canvas);
                gif.Images()[i].Draw(painter, canvas.rect(), choices.Next(2) != 0, choices.Next(2) != 0);
            }
            const QImage composite = image::TGIFPainter::CompositeFrame(gif, i, choices.Next(2) != 0);
            if (!composite.isNull() && composite.size() != picture) std::abort();
        }
        QPainter painter(&canvas);
        gif.Draw(painter, canvas.rect());
    } catch (const std::exception&) {
        // Errors of the codec (a frame that asks for a colour table nobody
        // has) are reported, not crashes.
    }
    return 0;
}
