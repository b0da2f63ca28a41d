#include "image/TLinearGraphic.h"

#include "image/EImageError.h"
#include "image/THostFilterStream.h"

#include <QIODevice>
#include <QImage>
#include <QMimeData>

namespace image {

void TLinearGraphic::AssignTo(platform::TGraphic& dest) const {
    if (auto* linear = dynamic_cast<TLinearGraphic*>(&dest)) {
        linear->m_image.Assign(m_image);
        return;
    }
    throw EImageError("Cannot assign " + m_image.ClassName() + " to " + dest.ClassName());
}

void TLinearGraphic::AssignTo(QImage& dest) const { m_image.AssignTo(dest); }

void TLinearGraphic::Draw(QPainter& canvas, const QRect& rect) const { m_image.Paint(canvas, rect, false); }

void TLinearGraphic::SetWidth(int value) { m_image.ResizeCanvas(value, m_image.Height(), 0, 0, 0); }

void TLinearGraphic::SetHeight(int value) { m_image.ResizeCanvas(m_image.Width(), value, 0, 0, 0); }

void TLinearGraphic::LoadFromStream(QIODevice& stream) {
    QImage image;
    if (!image.load(&stream, "BMP")) throw ELinearBitmap("Bitmap image is not valid");
    m_image.Assign(image);
}

void TLinearGraphic::SaveToStream(QIODevice& stream) const {
    if (!m_image.Present()) return;
    QImage image;
    m_image.AssignTo(image);
    if (!image.save(&stream, "BMP"))
        throw EInOutError("Error writing to stream - " + stream.errorString().toStdString());
}

void TLinearGraphic::LoadFromStreamAs(QIODevice& stream, const char* ext) {
    THostFilterStream source(stream);
    m_image.LoadFromStream(source, ext);
}

void TLinearGraphic::SaveToStreamAs(QIODevice& stream, const char* ext) const {
    THostFilterStream dest(stream);
    m_image.SaveToStream(dest, ext);
}

void TLinearGraphic::LoadFromFile(const std::string& fileName) { m_image.LoadFromFile(fileName); }

void TLinearGraphic::SaveToClipboardFormat(QMimeData& data) const {
    if (!m_image.Present()) return;
    QImage image;
    m_image.AssignTo(image);
    data.setImageData(image);
}

void TLinearGraphic::LoadFromClipboardFormat(const QMimeData* data) {
    data = ClipboardData(data);
    if (!data || !data->hasImage()) throw platform::EConvertError("Unsupported clipboard format");
    m_image.Assign(qvariant_cast<QImage>(data->imageData()));
}

void TLinearGraphic::SaveToFile(const std::string& fileName) const { m_image.SaveToFile(fileName); }

} // namespace image
