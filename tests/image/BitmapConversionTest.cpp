// Grey conversion of linear bitmaps in every pixel format.
#include "image/BitmapConversion.h"
#include "image/LinearBitmapTables.h"
#include "image/TLinearBitmap.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace image;

namespace {

std::vector<uint8_t> Pixels(const TLinearBitmap& b) { return {b.Map(), b.Map() + b.Size()}; }

bool HasGrayPalette(const TLinearBitmap& b) {
    return b.Palette() && std::memcmp(b.Palette(), GrayPalette.data(), GrayPalette.size()) == 0;
}

// Four pixels: red, white, black, and (R 10, G 200, B 30).
TLinearBitmap Colours(TPixelFormat format) {
    const uint8_t bgr[4][3] = {{0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {30, 200, 10}};
    TLinearBitmap b;
    b.New(2, 2, format);
    for (int i = 0; i < 4; ++i) {
        if (format == TPixelFormat::pf8bit) {
            b.Map()[i] = uint8_t(200 + i); // indices into a colour palette
            std::memcpy(b.Palette() + 3 * (200 + i), bgr[i], 3);
        } else {
            std::memcpy(b.Map() + i * b.PixelSize(), bgr[i], 3);
            if (format == TPixelFormat::pf32bit) b.Map()[i * 4 + 3] = 0xEE;
        }
    }
    return b;
}

// (2R + 3G + B + 3) div 6 of the four colours.
const std::vector<uint8_t> kLevels = {85, 255, 0, 108};

} // namespace

TEST(BitmapConversion, ColourFormatsBecomeEightBitGreyLevels) {
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf8bit}) {
        SCOPED_TRACE(int(format));
        TLinearBitmap inPlace = Colours(format);
        MakeGray(inPlace);
        EXPECT_EQ(inPlace.PixelFormat(), TPixelFormat::pf8bit);
        EXPECT_TRUE(HasGrayPalette(inPlace));
        EXPECT_EQ(Pixels(inPlace), kLevels);
        EXPECT_TRUE(inPlace.IsGrayScale());

        const TLinearBitmap source = Colours(format);
        TLinearBitmap dest;
        dest.New(9, 9, TPixelFormat::pf32bit);
        ConvertToGray(source, dest);
        EXPECT_EQ(Pixels(dest), kLevels);
        EXPECT_TRUE(HasGrayPalette(dest));
        EXPECT_EQ(source.PixelFormat(), format); // the source is untouched

        TLinearBitmap same = Colours(format);
        ConvertToGray(same, same);
        EXPECT_EQ(Pixels(same), kLevels);
    }
}

TEST(BitmapConversion, SixteenBitGreyAndEmptyBitmapsStayAsTheyAre) {
    TLinearBitmap grey16;
    grey16.New(2, 1, TPixelFormat::pf16bit);
    const uint8_t words[] = {0x34, 0x12, 0xFF, 0xFF};
    std::memcpy(grey16.Map(), words, 4);
    TLinearBitmap dest;
    ConvertToGray(grey16, dest);
    EXPECT_EQ(dest.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(Pixels(dest), Pixels(grey16));

    TLinearBitmap empty;
    MakeGray(empty);
    EXPECT_FALSE(empty.Present());
    dest.New(1, 1, TPixelFormat::pf24bit);
    ConvertToGray(empty, dest);
    EXPECT_FALSE(dest.Present());
}
