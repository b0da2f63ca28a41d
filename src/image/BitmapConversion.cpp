#include "image/BitmapConversion.h"

#include "image/LinearBitmapTables.h"
#include "image/TLinearBitmap.h"

#include <array>
#include <cstring>

namespace image {

namespace {

constexpr uint8_t GrayLevel(unsigned r, unsigned g, unsigned b) {
    return static_cast<uint8_t>((2 * r + 3 * g + b + 3) / 6);
}

static_assert(GrayLevel(255, 0, 0) == 85 && GrayLevel(255, 255, 255) == 255);

// A 24-bit source into an 8-bit grey destination of its own.
void GrayFrom24(const TLinearBitmap& source, TLinearBitmap& dest) {
    dest.New(source.Width(), source.Height(), TPixelFormat::pf8bit);
    std::memcpy(dest.Palette(), GrayPalette.data(), GrayPalette.size());
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* src = source.ScanLine(y);
        uint8_t* out = dest.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x, src += 3) out[x] = GrayLevel(src[2], src[1], src[0]);
    }
}

} // namespace

void ConvertToGray(const TLinearBitmap& source, TLinearBitmap& dest) {
    if (&source == &dest) {
        MakeGray(dest);
    } else if (source.Present() && source.PixelFormat() == TPixelFormat::pf24bit) {
        GrayFrom24(source, dest);
    } else {
        dest.Assign(source);
        MakeGray(dest);
    }
}

void MakeGray(TLinearBitmap& bitmap) {
    if (!bitmap.Present()) return;
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf32bit:
    case TPixelFormat::pf24bit: {
        bitmap.ChangePixelFormat(TPixelFormat::pf24bit);
        TLinearBitmap gray;
        GrayFrom24(bitmap, gray);
        bitmap.TakeOver(gray);
        break;
    }
    case TPixelFormat::pf8bit: {
        std::array<uint8_t, 256> level{};
        const uint8_t* palette = bitmap.Palette();
        for (int i = 0; i < 256; ++i)
            level[i] = GrayLevel(palette[3 * i + 2], palette[3 * i + 1], palette[3 * i]);
        uint8_t* p = bitmap.Map();
        for (int64_t i = 0; i < bitmap.Size(); ++i) p[i] = level[p[i]];
        std::memcpy(bitmap.Palette(), GrayPalette.data(), GrayPalette.size());
        break;
    }
    default:
        break;
    }
}

} // namespace image
