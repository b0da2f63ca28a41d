#include "image/TLinearBitmap.h"

#include "image/EImageError.h"
#include "image/LinearBitmapTables.h"
#include "image/LinearBitmapUtils.h"
#include "image/TBitmapLoader.h"
#include "image/TBitmapLoaders.h"
#include "image/THostFilterStream.h"
#include "image/TLinearGraphic.h"
#include "platform/TGraphic.h"
#include "platform/Text.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>

namespace image {

namespace {

int PixelSizeOf(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf8bit: return 1;
    case TPixelFormat::pf16bit: return 2;
    case TPixelFormat::pf24bit: return 3;
    case TPixelFormat::pf32bit: return 4;
    default: return 0;
    }
}

uint8_t GrayLevel(uint32_t color) {
    const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    return static_cast<uint8_t>((2 * r + 3 * g + b + 3) / 6);
}

} // namespace

TLinearBitmap::TLinearBitmap(const TLinearBitmap& source) : TAssignObject() { CopyFrom(source); }

TLinearBitmap& TLinearBitmap::operator=(const TLinearBitmap& source) {
    CopyFrom(source);
    return *this;
}

TLinearBitmap::TLinearBitmap(TLinearBitmap&& other) noexcept : TAssignObject() { TakeOver(other); }

TLinearBitmap& TLinearBitmap::operator=(TLinearBitmap&& other) noexcept {
    if (this != &other) TakeOver(other);
    return *this;
}

void TLinearBitmap::New(int width, int height, TPixelFormat format) {
    if (m_present && width == m_width && height == m_height && format == m_pixelFormat) return;
    const int pixelSize = PixelSizeOf(format);
    if (pixelSize == 0) throw ELinearBitmap(SUnsupportedPixelFormat);
    if (width < 1 || height < 1) throw ELinearBitmap(SInvalidBitmapSize);
    const int64_t bytesPerLine = int64_t(width) * pixelSize;
    if (bytesPerLine > INT_MAX || bytesPerLine * height > MaxBitmapBytes)
        throw ELinearBitmap(SInvalidBitmapSize);
    const int64_t size = bytesPerLine * height;

    // Everything is allocated before anything changes, so a refusal leaves
    // the bitmap as it was. calloc hands out zeroed pages without touching them.
    Buffer map(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size) + 1, 1)));
    if (!map) throw ELinearBitmap(SInvalidBitmapSize);
    Buffer palette;
    if (format == TPixelFormat::pf8bit) {
        if (m_palette) {
            palette = std::move(m_palette);
        } else {
            palette.reset(static_cast<uint8_t*>(std::calloc(GrayPalette.size(), 1)));
            if (!palette) throw ELinearBitmap(SInvalidBitmapSize);
        }
    }
    m_map = std::move(map);
    m_palette = std::move(palette);
    m_width = width;
    m_height = height;
    m_pixelFormat = format;
    m_pixelSize = pixelSize;
    m_bytesPerLine = static_cast<int>(bytesPerLine);
    m_size = size;
    m_present = true;
}

void TLinearBitmap::Dispose() {
    m_map.reset();
    m_palette.reset();
    m_present = false;
    m_width = m_height = 0;
    m_bytesPerLine = 0;
    m_size = 0;
    m_pixelSize = 0;
    m_pixelFormat = TPixelFormat::pfCustom;
}

void TLinearBitmap::Clear(uint32_t color) {
    if (!m_present) return;
    uint8_t* p = m_map.get();
    if (color == 0) {
        std::memset(p, 0, static_cast<size_t>(m_size));
        return;
    }
    const auto r = static_cast<uint8_t>(color), g = static_cast<uint8_t>(color >> 8),
               b = static_cast<uint8_t>(color >> 16);
    switch (m_pixelFormat) {
    case TPixelFormat::pf24bit:
        for (int64_t i = 0; i < m_size; i += 3) {
            p[i] = b;
            p[i + 1] = g;
            p[i + 2] = r;
        }
        break;
    case TPixelFormat::pf32bit:
        for (int64_t i = 0; i < m_size; i += 4) {
            p[i] = b;
            p[i + 1] = g;
            p[i + 2] = r;
            p[i + 3] = 0;
        }
        break;
    default: std::memset(p, GrayLevel(color), static_cast<size_t>(m_size)); break;
    }
}

void TLinearBitmap::FillBytes(uint8_t value) {
    if (m_present) std::memset(m_map.get(), value, static_cast<size_t>(m_size));
}

bool TLinearBitmap::IsGrayScale() const {
    if (!m_present) return false;
    switch (m_pixelFormat) {
    case TPixelFormat::pf8bit:
        return std::memcmp(m_palette.get(), GrayPalette.data(), GrayPalette.size()) == 0;
    case TPixelFormat::pf16bit: return true;
    case TPixelFormat::pf24bit:
        for (int y = 0; y < m_height; ++y) {
            const uint8_t* p = ScanLine(y);
            for (int x = 0; x < m_width; ++x, p += 3)
                if (p[0] != p[1] || p[1] != p[2]) return false;
        }
        return true;
    default: return false;
    }
}

void TLinearBitmap::TakeOver(TLinearBitmap& other) {
    if (&other == this) return;
    Dispose();
    m_width = other.m_width;
    m_height = other.m_height;
    m_pixelFormat = other.m_pixelFormat;
    m_bytesPerLine = other.m_bytesPerLine;
    m_pixelSize = other.m_pixelSize;
    m_size = other.m_size;
    m_present = other.m_present;
    m_map = std::move(other.m_map);
    m_palette = std::move(other.m_palette);
    other.Dispose();
}

void TLinearBitmap::PackLines() {
    const int packed = m_width * m_pixelSize;
    if (!m_present || m_bytesPerLine == packed) return;
    const int64_t size = int64_t(packed) * m_height;
    Buffer map(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 1)));
    if (!map) throw ELinearBitmap(SInvalidBitmapSize);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(map.get() + int64_t(y) * packed, ScanLine(y), static_cast<size_t>(packed));
    map.get()[size] = 0;
    m_map = std::move(map);
    m_bytesPerLine = packed;
    m_size = size;
}

void TLinearBitmap::ResizeCanvas(int newWidth, int newHeight, int shiftX, int shiftY,
                                 uint32_t fillColor) {
    if (newWidth < 1 || newHeight < 1) {
        Dispose();
        return;
    }
    if (!m_present) {
        New(newWidth, newHeight, TPixelFormat::pf8bit);
        std::memcpy(m_palette.get(), GrayPalette.data(), GrayPalette.size());
        Clear(fillColor);
        return;
    }
    if (newWidth == m_width && newHeight == m_height && shiftX == 0 && shiftY == 0) return;

    TLinearBitmap canvas;
    canvas.New(newWidth, newHeight, m_pixelFormat);
    if (m_palette) std::memcpy(canvas.m_palette.get(), m_palette.get(), GrayPalette.size());
    canvas.Clear(fillColor);
    // Old columns [x0, x1) and rows [y0, y1) are the ones that land inside.
    const int64_t x0 = std::max<int64_t>(0, -int64_t(shiftX));
    const int64_t x1 = std::min<int64_t>(m_width, int64_t(newWidth) - shiftX);
    const int64_t y0 = std::max<int64_t>(0, -int64_t(shiftY));
    const int64_t y1 = std::min<int64_t>(m_height, int64_t(newHeight) - shiftY);
    if (x0 < x1) {
        const auto bytes = static_cast<size_t>((x1 - x0) * m_pixelSize);
        for (int64_t y = y0; y < y1; ++y)
            std::memcpy(canvas.ScanLine(static_cast<int>(y + shiftY)) + (x0 + shiftX) * m_pixelSize,
                        ScanLine(static_cast<int>(y)) + x0 * m_pixelSize, bytes);
    }
    TakeOver(canvas);
}

void TLinearBitmap::ChangePixelFormat(TPixelFormat format) {
    if (!m_present || format == m_pixelFormat) return;
    switch (format) {
    case TPixelFormat::pf24bit: ToRGB24(); break;
    case TPixelFormat::pf32bit:
        ToRGB24();
        RGB24ToRGB32();
        break;
    case TPixelFormat::pf8bit:
        if (m_pixelFormat == TPixelFormat::pf32bit) ToRGB24();
        ToIndexed8();
        break;
    default: throw ELinearBitmap(SUnsupportedPixelFormat);
    }
}

// Any format to B, G, R; 8-bit through the palette, 16-bit grey by its high
// byte, 32-bit by dropping the fourth byte.
void TLinearBitmap::ToRGB24() {
    if (m_pixelFormat == TPixelFormat::pf24bit) return;
    TLinearBitmap out;
    out.New(m_width, m_height, TPixelFormat::pf24bit);
    const uint8_t* src = m_map.get();
    uint8_t* dst = out.m_map.get();
    const int64_t pixels = int64_t(m_width) * m_height;
    switch (m_pixelFormat) {
    case TPixelFormat::pf8bit:
        for (int64_t i = 0; i < pixels; ++i, dst += 3) std::memcpy(dst, m_palette.get() + 3 * src[i], 3);
        break;
    case TPixelFormat::pf16bit:
        for (int64_t i = 0; i < pixels; ++i, dst += 3) dst[0] = dst[1] = dst[2] = src[2 * i + 1];
        break;
    case TPixelFormat::pf32bit:
        for (int64_t i = 0; i < pixels; ++i, dst += 3) std::memcpy(dst, src + 4 * i, 3);
        break;
    default: throw ELinearBitmap(SUnsupportedPixelFormat);
    }
    TakeOver(out);
}

void TLinearBitmap::RGB24ToRGB32() {
    TLinearBitmap out;
    out.New(m_width, m_height, TPixelFormat::pf32bit);
    const uint8_t* src = m_map.get();
    uint8_t* dst = out.m_map.get();
    const int64_t pixels = int64_t(m_width) * m_height;
    for (int64_t i = 0; i < pixels; ++i, src += 3, dst += 4) {
        std::memcpy(dst, src, 3);
        dst[3] = 0;
    }
    TakeOver(out);
}

// 16-bit grey keeps its high byte over the grey palette; B, G, R is reduced
// to the 3-3-2 index RRRGGGBB over Palette332.
void TLinearBitmap::ToIndexed8() {
    TLinearBitmap out;
    out.New(m_width, m_height, TPixelFormat::pf8bit);
    const uint8_t* src = m_map.get();
    uint8_t* dst = out.m_map.get();
    const int64_t pixels = int64_t(m_width) * m_height;
    if (m_pixelFormat == TPixelFormat::pf16bit) {
        for (int64_t i = 0; i < pixels; ++i) dst[i] = src[2 * i + 1];
        std::memcpy(out.m_palette.get(), GrayPalette.data(), GrayPalette.size());
    } else {
        for (int64_t i = 0; i < pixels; ++i, src += 3)
            dst[i] = static_cast<uint8_t>((src[2] & 0xE0) | ((src[1] >> 5) << 2) | (src[0] >> 6));
        std::memcpy(out.m_palette.get(), Palette332.data(), Palette332.size());
    }
    TakeOver(out);
}

void TLinearBitmap::CopyFrom(const TLinearBitmap& source) {
    if (&source == this) return;
    if (!source.m_present) {
        Dispose();
        return;
    }
    New(source.m_width, source.m_height, source.m_pixelFormat);
    if (m_bytesPerLine == source.m_bytesPerLine) {
        std::memcpy(m_map.get(), source.m_map.get(), static_cast<size_t>(m_size));
    } else {
        for (int y = 0; y < m_height; ++y)
            std::memcpy(ScanLine(y), source.ScanLine(y), static_cast<size_t>(m_bytesPerLine));
    }
    if (m_pixelFormat == TPixelFormat::pf8bit)
        std::memcpy(m_palette.get(), source.m_palette.get(), GrayPalette.size());
}

void TLinearBitmap::Assign(const TAssignObject& source) {
    if (const auto* bitmap = dynamic_cast<const TLinearBitmap*>(&source))
        CopyFrom(*bitmap);
    else
        TAssignObject::Assign(source);
}

void TLinearBitmap::AssignTo(TAssignObject& dest) const { TAssignObject::AssignTo(dest); }

void TLinearBitmap::Assign(const QImage& image) {
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        Dispose();
        return;
    }
    const int w = image.width(), h = image.height();
    switch (image.format()) {
    case QImage::Format_Indexed8:
        New(w, h, TPixelFormat::pf8bit);
        for (int y = 0; y < h; ++y) std::memcpy(ScanLine(y), image.constScanLine(y), static_cast<size_t>(w));
        GetPaletteBGR(image.colorTable(), 256, m_palette.get());
        return;
    case QImage::Format_Grayscale8:
        New(w, h, TPixelFormat::pf8bit);
        for (int y = 0; y < h; ++y) std::memcpy(ScanLine(y), image.constScanLine(y), static_cast<size_t>(w));
        std::memcpy(m_palette.get(), GrayPalette.data(), GrayPalette.size());
        return;
    case QImage::Format_Grayscale16:
        New(w, h, TPixelFormat::pf16bit);
        for (int y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const quint16*>(image.constScanLine(y));
            uint8_t* dst = ScanLine(y);
            for (int x = 0; x < w; ++x) {
                dst[2 * x] = static_cast<uint8_t>(src[x]);
                dst[2 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
            }
        }
        return;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: {
        const QImage rgb = image.format() == QImage::Format_RGB32
                               ? image
                               : image.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        New(w, h, TPixelFormat::pf32bit);
        for (int y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            uint8_t* dst = ScanLine(y);
            for (int x = 0; x < w; ++x, dst += 4) {
                dst[0] = static_cast<uint8_t>(qBlue(src[x]));
                dst[1] = static_cast<uint8_t>(qGreen(src[x]));
                dst[2] = static_cast<uint8_t>(qRed(src[x]));
                dst[3] = 0;
            }
        }
        return;
    }
    default: {
        const QImage bgr = image.format() == QImage::Format_BGR888
                               ? image
                               : image.convertToFormat(QImage::Format_BGR888);
        if (bgr.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        New(w, h, TPixelFormat::pf24bit);
        for (int y = 0; y < h; ++y)
            std::memcpy(ScanLine(y), bgr.constScanLine(y), static_cast<size_t>(m_bytesPerLine));
        return;
    }
    }
}

void TLinearBitmap::Assign(const platform::TGraphic& graphic) {
    if (const auto* linear = dynamic_cast<const TLinearGraphic*>(&graphic)) {
        CopyFrom(linear->Image());
        return;
    }
    QImage image;
    try {
        graphic.AssignTo(image);
    } catch (const std::exception&) {
        // A graphic that cannot render itself into an image is drawn instead.
        const int w = graphic.Width(), h = graphic.Height();
        if (w < 1 || h < 1) {
            Dispose();
            return;
        }
        if (int64_t(w) * h * 3 > MaxBitmapBytes) throw ELinearBitmap(SInvalidBitmapSize);
        image = QImage(w, h, QImage::Format_BGR888);
        if (image.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        image.fill(Qt::black);
        QPainter painter(&image);
        graphic.Draw(painter, QRect(0, 0, w, h));
    }
    Assign(image);
}

void TLinearBitmap::AssignTo(QImage& dest) const {
    if (!m_present) return;
    QImage image;
    switch (m_pixelFormat) {
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf16bit: {
        image = QImage(m_width, m_height, QImage::Format_Indexed8);
        if (image.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        const bool grey16 = m_pixelFormat == TPixelFormat::pf16bit;
        image.setColorTable(MakeHPalette(grey16 ? GrayPalette.data() : m_palette.get(), 256));
        for (int y = 0; y < m_height; ++y) {
            uint8_t* dst = image.scanLine(y);
            const uint8_t* src = ScanLine(y);
            if (grey16) {
                for (int x = 0; x < m_width; ++x) dst[x] = src[2 * x + 1];
            } else {
                std::memcpy(dst, src, static_cast<size_t>(m_width));
            }
            // Rows are padded to 4 bytes; the padding goes into files the
            // image is saved to, so it must not be left uninitialised.
            std::memset(dst + m_width, 0, size_t(image.bytesPerLine() - m_width));
        }
        break;
    }
    case TPixelFormat::pf24bit:
        image = QImage(m_width, m_height, QImage::Format_BGR888);
        if (image.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        for (int y = 0; y < m_height; ++y) {
            uint8_t* dst = image.scanLine(y);
            std::memcpy(dst, ScanLine(y), static_cast<size_t>(m_bytesPerLine));
            std::memset(dst + m_bytesPerLine, 0, size_t(image.bytesPerLine() - m_bytesPerLine));
        }
        break;
    case TPixelFormat::pf32bit:
        image = QImage(m_width, m_height, QImage::Format_RGB32);
        if (image.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
        for (int y = 0; y < m_height; ++y) {
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            const uint8_t* src = ScanLine(y);
            for (int x = 0; x < m_width; ++x, src += 4) dst[x] = qRgb(src[2], src[1], src[0]);
        }
        break;
    default: throw ELinearBitmap(SUnsupportedPixelFormat);
    }
    dest = std::move(image);
}

void TLinearBitmap::MoveTo(QImage& dest) {
    if (!m_present) return;
    QImage::Format format = QImage::Format_Indexed8;
    switch (m_pixelFormat) {
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf16bit: break;
    case TPixelFormat::pf24bit: format = QImage::Format_BGR888; break;
    case TPixelFormat::pf32bit: format = QImage::Format_RGB32; break;
    default: throw ELinearBitmap(SUnsupportedPixelFormat);
    }
    const bool grey16 = m_pixelFormat == TPixelFormat::pf16bit;
    QList<QRgb> colours;
    if (format == QImage::Format_Indexed8)
        colours = MakeHPalette(grey16 ? GrayPalette.data() : m_palette.get(), 256);
    uint8_t* data = m_map.get();
    // The image frees the buffer (it came from calloc) when its last copy goes.
    QImage image(data, m_width, m_height, grey16 ? m_width : m_bytesPerLine, format,
                 [](void* buffer) { std::free(buffer); }, data);
    if (image.isNull()) throw ELinearBitmap(SInvalidBitmapSize);
    const int64_t pixels = int64_t(m_width) * m_height;
    const bool opaque = m_pixelFormat == TPixelFormat::pf32bit;
    m_map.release();
    Dispose();
    if (grey16) {
        // Rows are packed, so sample i's high byte lands at i, never ahead of
        // what is still to be read.
        for (int64_t i = 0; i < pixels; ++i) data[i] = data[2 * i + 1];
    } else if (opaque) {
        for (int64_t i = 0; i < pixels; ++i) data[4 * i + 3] = 0xFF;
    }
    if (format == QImage::Format_Indexed8) image.setColorTable(colours);
    dest = std::move(image);
}

void TLinearBitmap::LoadFromFile(const std::string& fileName) {
    const std::string ext = GetFileExtUpper(fileName);
    TBitmapLoader& loader = BitmapLoaders().FindLoader(ext);
    Dispose();
    loader.LoadFromFile(fileName, ext, *this);
}

void TLinearBitmap::SaveToFile(const std::string& fileName) const {
    const std::string ext = GetFileExtUpper(fileName);
    BitmapLoaders().FindSaver(ext).SaveToFile(fileName, ext, *this);
}

void TLinearBitmap::LoadFromStream(TBaseStream& stream, const std::string& ext) {
    const std::string upper = text::AsciiUpper(ext);
    TBitmapLoader& loader = BitmapLoaders().FindLoader(upper);
    Dispose();
    loader.LoadFromStream(stream, upper, *this);
}

void TLinearBitmap::LoadFromTStream(QIODevice& stream, const std::string& ext) {
    THostFilterStream host(stream);
    LoadFromStream(host, ext);
}

void TLinearBitmap::SaveToStream(TBaseStream& stream, const std::string& ext) const {
    const std::string upper = text::AsciiUpper(ext);
    BitmapLoaders().FindSaver(upper).SaveToStream(stream, upper, *this);
}

void TLinearBitmap::Paint(QPainter& canvas, const QRect& rect, bool smooth) const {
    if (!m_present) throw EImageError(SUnsupportedPixelFormat);
    QImage image;
    AssignTo(image);
    const bool wasSmooth = canvas.testRenderHint(QPainter::SmoothPixmapTransform);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    canvas.drawImage(rect, image);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

} // namespace image
