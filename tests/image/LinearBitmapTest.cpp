#include "image/EImageError.h"
#include "image/LinearBitmapTables.h"
#include "image/LinearBitmapUtils.h"
#include "image/TLinearBitmap.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace image;

namespace {

std::vector<uint8_t> Pixels(const TLinearBitmap& b) {
    return {b.Map(), b.Map() + b.Size()};
}

// A 24-bit bitmap from B, G, R triples, row by row.
TLinearBitmap RGB24(int w, int h, std::vector<uint8_t> bgr) {
    TLinearBitmap b;
    b.New(w, h, TPixelFormat::pf24bit);
    std::memcpy(b.Map(), bgr.data(), bgr.size());
    return b;
}

} // namespace

TEST(LinearBitmap, NewWithTheSameArgumentsKeepsThePixels) {
    TLinearBitmap b;
    b.New(2, 2, TPixelFormat::pf24bit);
    b.FillBytes(7);
    b.New(2, 2, TPixelFormat::pf24bit);
    EXPECT_EQ(Pixels(b), std::vector<uint8_t>(12, 7));
    b.New(2, 2, TPixelFormat::pf32bit);
    EXPECT_EQ(Pixels(b), std::vector<uint8_t>(16, 0));
}

TEST(LinearBitmap, SizesAreCheckedIn64BitsBeforeAnyAllocation) {
    struct Case {
        int w, h;
        TPixelFormat f;
    };
    // 65536 * 65536 * 4 is 0 in 32 bits; INT_MAX * 4 overflows the stride.
    const Case refused[] = {
        {65536, 65536, TPixelFormat::pf32bit}, {INT_MAX, 1, TPixelFormat::pf32bit},
        {1, INT_MAX, TPixelFormat::pf8bit},    {32769, 32768, TPixelFormat::pf8bit},
        {-5, -5, TPixelFormat::pf8bit},        {1, 0, TPixelFormat::pf24bit},
    };
    TLinearBitmap b;
    b.New(2, 1, TPixelFormat::pf24bit);
    b.FillBytes(9);
    for (const auto& c : refused) {
        try {
            b.New(c.w, c.h, c.f);
            ADD_FAILURE() << c.w << "x" << c.h;
        } catch (const ELinearBitmap& e) {
            EXPECT_STREQ(e.what(), "Invalid bitmap size");
        }
        // A refused New leaves the bitmap as it was.
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(Pixels(b), std::vector<uint8_t>(6, 9));
    }
    // Exactly at the limit is fine (calloc does not touch the pages).
    TLinearBitmap big;
    big.New(32768, 32768, TPixelFormat::pf8bit);
    EXPECT_EQ(big.Size(), TLinearBitmap::MaxBitmapBytes);
}

TEST(LinearBitmap, ClearWritesColourOrGreyPerFormat) {
    const uint32_t red = 0x0000FF;
    const uint32_t color = 0x302010; // R 0x10, G 0x20, B 0x30
    struct Case {
        TPixelFormat format;
        uint32_t color;
        std::vector<uint8_t> pixel;
    };
    const Case cases[] = {
        {TPixelFormat::pf24bit, red, {0, 0, 255}},
        {TPixelFormat::pf8bit, red, {85}},
        {TPixelFormat::pf16bit, red, {85, 85}},
        {TPixelFormat::pf32bit, red, {0, 0, 255, 0}},
        {TPixelFormat::pf32bit, color, {0x30, 0x20, 0x10, 0}},
        {TPixelFormat::pf24bit, color, {0x30, 0x20, 0x10}},
        {TPixelFormat::pf8bit, 0xFFFFFF, {255}},
        {TPixelFormat::pf24bit, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        TLinearBitmap b;
        b.New(3, 2, c.format);
        b.FillBytes(0xAA);
        b.Clear(c.color);
        std::vector<uint8_t> expect;
        for (int i = 0; i < 6; ++i) expect.insert(expect.end(), c.pixel.begin(), c.pixel.end());
        EXPECT_EQ(Pixels(b), expect) << int(c.format) << " " << c.color;
    }
    TLinearBitmap empty;
    empty.Clear(red); // nothing to do, nothing raised
}

TEST(LinearBitmap, IsGrayScale) {
    TLinearBitmap b;
    EXPECT_FALSE(b.IsGrayScale());
    b.New(2, 1, TPixelFormat::pf8bit);
    EXPECT_FALSE(b.IsGrayScale()); // a black palette is not the grey ramp
    std::memcpy(b.Palette(), GrayPalette.data(), 768);
    EXPECT_TRUE(b.IsGrayScale());
    // The same greys in another order do not count.
    std::swap_ranges(b.Palette(), b.Palette() + 3, b.Palette() + 3);
    EXPECT_FALSE(b.IsGrayScale());
    b.New(2, 1, TPixelFormat::pf16bit);
    EXPECT_TRUE(b.IsGrayScale());
    EXPECT_TRUE(RGB24(2, 1, {5, 5, 5, 200, 200, 200}).IsGrayScale());
    EXPECT_FALSE(RGB24(2, 1, {5, 5, 5, 200, 201, 200}).IsGrayScale());
    b.New(1, 1, TPixelFormat::pf32bit);
    EXPECT_FALSE(b.IsGrayScale());
}

TEST(LinearBitmap, ReductionTo332AndBack) {
    // B, G, R per pixel: white, red, a mid colour, black.
    TLinearBitmap b = RGB24(2, 2, {255, 255, 255, 0, 0, 255, 0x9F, 0x5A, 0xC3, 0, 0, 0});
    b.ChangePixelFormat(TPixelFormat::pf8bit);
    ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    const int mid = (0xC3 & 0xE0) | ((0x5A >> 5) << 2) | (0x9F >> 6);
    EXPECT_EQ(Pixels(b), (std::vector<uint8_t>{0xFF, 0xE0, static_cast<uint8_t>(mid), 0}));
    EXPECT_EQ(std::memcmp(b.Palette(), Palette332.data(), 768), 0);
    b.ChangePixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b.Palette(), nullptr);
    EXPECT_EQ(Pixels(b), (std::vector<uint8_t>{255, 255, 255, 0, 0, 255, Palette332[3 * mid],
                                               Palette332[3 * mid + 1], Palette332[3 * mid + 2], 0, 0, 0}));
}

TEST(LinearBitmap, PixelFormatConversions) {
    TLinearBitmap pal;
    pal.New(2, 1, TPixelFormat::pf8bit);
    pal.Palette()[3 * 7] = 1, pal.Palette()[3 * 7 + 1] = 2, pal.Palette()[3 * 7 + 2] = 3;
    pal.Map()[0] = 7;
    pal.Map()[1] = 0;

    TLinearBitmap grey;
    grey.New(2, 1, TPixelFormat::pf16bit);
    const uint8_t words[] = {0x34, 0x12, 0xFF, 0xAB}; // 0x1234, 0xABFF little-endian
    std::memcpy(grey.Map(), words, 4);

    TLinearBitmap wide;
    wide.New(2, 1, TPixelFormat::pf32bit);
    const uint8_t quads[] = {1, 2, 3, 99, 4, 5, 6, 98};
    std::memcpy(wide.Map(), quads, 8);

    struct Case {
        const char* name;
        const TLinearBitmap& source;
        TPixelFormat to;
        std::vector<uint8_t> pixels;
        const TBGRPalette* palette;
    };
    const Case cases[] = {
        {"8 to 24", pal, TPixelFormat::pf24bit, {1, 2, 3, 0, 0, 0}, nullptr},
        {"8 to 32", pal, TPixelFormat::pf32bit, {1, 2, 3, 0, 0, 0, 0, 0}, nullptr},
        {"16 to 24", grey, TPixelFormat::pf24bit, {0x12, 0x12, 0x12, 0xAB, 0xAB, 0xAB}, nullptr},
        {"16 to 32", grey, TPixelFormat::pf32bit, {0x12, 0x12, 0x12, 0, 0xAB, 0xAB, 0xAB, 0}, nullptr},
        {"16 to 8", grey, TPixelFormat::pf8bit, {0x12, 0xAB}, &GrayPalette},
        {"32 to 24", wide, TPixelFormat::pf24bit, {1, 2, 3, 4, 5, 6}, nullptr},
        {"32 to 8", wide, TPixelFormat::pf8bit, {0, 0}, &Palette332},
        {"32 to 32", wide, TPixelFormat::pf32bit, {1, 2, 3, 99, 4, 5, 6, 98}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLinearBitmap b(c.source);
        b.ChangePixelFormat(c.to);
        EXPECT_EQ(b.PixelFormat(), c.to);
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(Pixels(b), c.pixels);
        if (c.palette) {
            EXPECT_EQ(std::memcmp(b.Palette(), c.palette->data(), 768), 0);
        } else if (c.to != TPixelFormat::pf8bit) {
            EXPECT_EQ(b.Palette(), nullptr);
        }
    }
    TLinearBitmap empty;
    empty.ChangePixelFormat(TPixelFormat::pf4bit); // nothing to convert, nothing raised
    EXPECT_FALSE(empty.Present());
}

TEST(LinearBitmap, ResizeCanvasShiftsClipsAndFills) {
    // 3 x 2, bytes 1..6.
    TLinearBitmap b;
    b.New(3, 2, TPixelFormat::pf8bit);
    for (int i = 0; i < 6; ++i) b.Map()[i] = static_cast<uint8_t>(i + 1);
    struct Case {
        int w, h, dx, dy;
        std::vector<uint8_t> pixels;
    };
    const uint8_t f = 85; // the grey level of the red fill
    const Case cases[] = {
        {3, 2, 0, 0, {1, 2, 3, 4, 5, 6}},
        {4, 3, 1, 1, {f, f, f, f, f, 1, 2, 3, f, 4, 5, 6}},
        {2, 2, -1, 0, {2, 3, 5, 6}},
        {3, 1, 0, -1, {4, 5, 6}},
        {2, 1, 5, 5, {f, f}},
        {1, 3, -2, 1, {f, 3, 6}},
    };
    for (const auto& c : cases) {
        TLinearBitmap r(b);
        r.ResizeCanvas(c.w, c.h, c.dx, c.dy, 0x0000FF);
        EXPECT_EQ(r.Width(), c.w);
        EXPECT_EQ(r.Height(), c.h);
        EXPECT_EQ(Pixels(r), c.pixels) << c.w << "x" << c.h << " " << c.dx << "," << c.dy;
    }
    TLinearBitmap r(b);
    r.ResizeCanvas(0, 5, 0, 0, 0);
    EXPECT_FALSE(r.Present());
    r.ResizeCanvas(2, 2, 0, 0, 0xFFFFFF); // an empty bitmap becomes grey 8-bit
    EXPECT_EQ(r.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(Pixels(r), std::vector<uint8_t>(4, 255));
    EXPECT_TRUE(r.IsGrayScale());
}

TEST(LinearBitmapUtils, FileExtensions) {
    struct Case {
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"a.png", "PNG"},
        {"C:\\dir.x\\file", ""},
        {"/home/user/dir.x/file", ""},
        {"/home/user/photos/me.Jpeg", "JPEG"},
        {"relative/dir/pic.gif", "GIF"},
        {"a.b.mng", "MNG"},
        {"noext", ""},
        {"trailing.", ""},
        {"", ""},
        {"http://site/photo.jpg", "JPG"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetFileExtUpper(c.name), c.ext) << c.name;
}

TEST(LinearBitmapUtils, ColoursAndPalettes) {
    EXPECT_EQ(ColorToBGR(0x00112233u), 0x00332211u);
    uint8_t ramp[12];
    MakeGrayRamp(ramp, 4);
    EXPECT_EQ(std::vector<uint8_t>(ramp, ramp + 12),
              (std::vector<uint8_t>{0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));
    MakeGrayRamp(ramp, 1); // no division by zero for a single entry
    EXPECT_EQ(ramp[0], 0);

    TBGRPalette pal{};
    pal[0] = 1, pal[1] = 2, pal[2] = 3; // entry 0: B 1, G 2, R 3
    const QList<QRgb> table = MakeHPalette(pal.data(), 2);
    ASSERT_EQ(table.size(), 2);
    EXPECT_EQ(table[0], qRgb(3, 2, 1));
    uint8_t back[768];
    std::memset(back, 0xEE, sizeof back);
    GetPaletteBGR(table, 256, back);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[2], 3);
    EXPECT_EQ(std::vector<uint8_t>(back + 3, back + 768), std::vector<uint8_t>(765, 0));
    GetPaletteBGR({}, 256, back);
    EXPECT_EQ(std::memcmp(back, GrayPalette.data(), 768), 0);
}
