// libFuzzer target: the PNG reader and the MNG reader on any bytes, and the
// PNG writer on what was read: what it writes must read back to the same
// bitmap (size, pixel format, pixels and palette).
#include "FuzzSupport.h"

#include "image/TLinearBitmap.h"
#include "image/TMNGGraphic.h"
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

bool SameBitmap(const image::TLinearBitmap& a, const image::TLinearBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat()) return false;
    size_t bytes = 1;
    switch (a.PixelFormat()) {
    case image::TPixelFormat::pf16bit: bytes = 2; break;
    case image::TPixelFormat::pf24bit: bytes = 3; break;
    case image::TPixelFormat::pf32bit: bytes = 4; break;
    default: break;
    }
    const size_t row = static_cast<size_t>(a.Width()) * bytes;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), row) != 0) return false;
    return a.PixelFormat() != image::TPixelFormat::pf8bit || std::memcmp(a.Palette(), b.Palette(), 768) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    image::TLinearBitmap bitmap;
    try {
        image::TMemStream in;
        in.Write(data, static_cast<int>(size));
        in.SetPosition(0);
        image::TPNGLoader loader;
        loader.LoadFromStream(in, "png", bitmap);
    } catch (const std::exception&) {
    }
    // Pictures of more than a few megapixels only slow the fuzzing down.
    if (bitmap.Present() && int64_t(bitmap.Width()) * bitmap.Height() <= (int64_t(4) << 20)) {
        image::TMemStream written;
        image::TPNGLoader().SaveToStream(written, "png", bitmap);
        written.SetPosition(0);
        image::TLinearBitmap again;
        try {
            image::TPNGLoader().LoadFromStream(written, "png", again);
        } catch (const std::exception&) {
            std::abort(); // what we wrote must read
        }
        if (!SameBitmap(bitmap, again)) std::abort();
    }
    try {
        QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        image::TMNGGraphic graphic;
        graphic.LoadFromStream(buffer);
    } catch (const std::exception&) {
    }
    return 0;
}
