#include "platform/TPicture.h"

#include <QIODevice>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace platform {
namespace {

// The library's bitmap: a QImage as a graphic. Its streams hold BMP files.
class TBitmap : public TGraphic {
public:
    explicit TBitmap(QImage image = {}) : m_image(std::move(image)) {}

    std::string ClassName() const override { return "TBitmap"; }

    void AssignTo(QImage& dest) const override { dest = m_image; }
    void Draw(QPainter& canvas, const QRect& rect) const override {
        if (!m_image.isNull()) canvas.drawImage(rect, m_image);
    }
    bool Empty() const override { return m_image.isNull(); }
    int Width() const override { return m_image.width(); }
    int Height() const override { return m_image.height(); }
    void SetWidth(int value) override { Resize(value, Height()); }
    void SetHeight(int value) override { Resize(Width(), value); }
    void LoadFromStream(QIODevice& stream) override {
        QImageReader reader(&stream, "BMP");
        QImage image = reader.read();
        if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
        m_image = std::move(image);
    }
    void SaveToStream(QIODevice& stream) const override {
        if (m_image.isNull()) return;
        QImageWriter writer(&stream, "BMP");
        if (!writer.write(m_image)) throw EFileError("Error writing to stream - " + writer.errorString().toStdString());
    }

    QImage& Image() { return m_image; }

private:
    void Resize(int width, int height) {
        if (width < 1 || height < 1) {
            m_image = {};
            return;
        }
        QImage resized(width, height, QImage::Format_ARGB32_Premultiplied);
        resized.fill(Qt::transparent);
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_image);
        m_image = std::move(resized);
    }

    QImage m_image;
};

struct TFileFormat {
    std::string Description;
    TPicture::TGraphicFactory Factory;
};

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// Keyed by the upper-case extension without its dot.
std::map<std::string, TFileFormat>& fileFormats() {
    static std::map<std::string, TFileFormat> formats;
    return formats;
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(std::string_view extension, std::string_view description,
                                  TGraphicFactory factory) {
    if (extension.empty() || !factory) return;
    fileFormats()[upper(extension)] = TFileFormat{std::string(description), std::move(factory)};
}

void TPicture::UnregisterFileFormat(std::string_view extension) { fileFormats().erase(upper(extension)); }

std::string TPicture::FileFormatDescription(std::string_view extension) {
    const auto found = fileFormats().find(upper(extension));
    return found == fileFormats().end() ? std::string() : found->second.Description;
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) { m_graphic = std::move(graphic); }

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    const auto found = fileFormats().find(upper(ext));
    if (found == fileFormats().end()) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    // A fresh graphic, so that a failed load leaves the old picture shown.
    std::unique_ptr<TGraphic> graphic = found->second.Factory();
    if (!graphic) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    graphic->LoadFromFile(fileName);
    m_graphic = std::move(graphic);
}

void TPicture::Assign(const QImage& image) {
    if (image.isNull())
        m_graphic.reset();
    else
        m_graphic = std::make_unique<TBitmap>(image);
}

void TPicture::Assign(const TPicture& source) {
    if (&source == this) return;
    Assign(source.ToImage());
}

QImage TPicture::ToImage() const {
    if (Empty()) return {};
    QImage image;
    try {
        m_graphic->AssignTo(image);
        if (!image.isNull()) return image;
    } catch (const std::exception&) {
        // Not every graphic renders into an image; it is drawn below instead.
    }
    image = QImage(Width(), Height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    try {
        m_graphic->Draw(painter, QRect(0, 0, Width(), Height()));
    } catch (const std::exception&) {
        return {};
    }
    return image;
}

void TPicture::Draw(QPainter& canvas, const QRect& rect) const {
    if (Empty()) return;
    try {
        m_graphic->Draw(canvas, rect);
    } catch (const std::exception&) {
        // A graphic that cannot draw itself shows nothing.
    }
}

QImage& TPicture::Bitmap(int width, int height) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(m_graphic.get()); bitmap && !bitmap->Empty())
        return bitmap->Image();
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!Empty()) {
        QPainter painter(&image);
        Draw(painter, QRect(0, 0, Width(), Height()));
    }
    auto bitmap = std::make_unique<TBitmap>(std::move(image));
    QImage& result = bitmap->Image();
    m_graphic = std::move(bitmap);
    return result;
}

} // namespace platform
