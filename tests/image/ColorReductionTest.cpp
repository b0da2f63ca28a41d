// Colour reduction: every method on colours whose answer can be worked out,
// every kernel against a plain serpentine error diffusion written here from
// the textbook kernels, and the octree on a photo.
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "image/gif/ColorReduction.h"
#include "image/gif/GIFException.h"

#include <gtest/gtest.h>
#include <array>
#include <random>
#include <vector>

using namespace image;

namespace {

QImage Pixels(int width, int height, const std::vector<QRgb>& colors) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int i = 0; i < width * height; ++i) img.setPixel(i % width, i / width, colors[size_t(i)]);
    return img;
}

std::vector<int> Indices(const QImage& img) {
    std::vector<int> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) out.push_back(img.pixelIndex(x, y));
    return out;
}

std::vector<int> Reduce(const std::vector<QRgb>& colors, TColorReduction method, const TGIFPalette& user = {}) {
    return Indices(ReduceBitmapColors(Pixels(int(colors.size()), 1, colors), method, TDitherMode::DitherNone, 8, user));
}

// Error diffusion over a whole-image error array: rows alternate direction,
// offsets are taken in the direction of the row, and each value is the
// pixel plus its error divided with rounding, clamped.
struct Weight {
    int Row, Ahead, Value;
};
struct Kernel {
    int Divisor;
    std::vector<Weight> Weights;
};
const Kernel Kernels[6] = {
    {16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}},
    {42, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
          {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}},
    {32, {{0, 1, 5}, {0, 2, 3}, {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
          {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}},
    {48, {{0, 1, 7}, {0, 2, 5}, {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
          {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}},
    {200, {{0, 2, 32}, {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16}, {2, -2, 12}, {2, 0, 26},
           {2, 2, 12}, {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}},
    {32, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}},
};

int MonoIndex(const int* v, int* out) {
    const bool white = 77 * v[0] + 150 * v[1] + 29 * v[2] > 32512;
    out[0] = out[1] = out[2] = white ? 255 : 0;
    return white;
}

int CubeIndex(const int* v, int* out) {
    int index = 0;
    for (int c = 0; c < 3; ++c) {
        out[c] = (v[c] + 3) / 51 * 51;
        index = index * 6 + (v[c] + 3) / 51;
    }
    return index;
}

std::vector<int> Diffuse(const QImage& img, const Kernel& k, int (*lookup)(const int*, int*)) {
    const int w = img.width(), h = img.height();
    std::vector<int> err(size_t(w * h * 3)), out(size_t(w * h));
    for (int y = 0; y < h; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = dir > 0 ? i : w - 1 - i;
            const QRgb p = img.pixel(x, y);
            const int px[3] = {qRed(p), qGreen(p), qBlue(p)};
            int v[3], chosen[3];
            for (int c = 0; c < 3; ++c)
                v[c] = std::clamp(px[c] + (err[size_t((y * w + x) * 3 + c)] + k.Divisor / 2) / k.Divisor, 0, 255);
            out[size_t(y * w + x)] = lookup(v, chosen);
            for (const Weight& wt : k.Weights) {
                const int tx = x + wt.Ahead * dir, ty = y + wt.Row;
                if (tx < 0 || tx >= w || ty >= h) continue;
                for (int c = 0; c < 3; ++c) err[size_t((ty * w + tx) * 3 + c)] += (v[c] - chosen[c]) * wt.Value;
            }
        }
    }
    return out;
}

double MeanError(const QImage& source, const QImage& reduced) {
    int64_t sum = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb a = source.pixel(x, y), b = reduced.color(reduced.pixelIndex(x, y));
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    return double(sum) / (3.0 * source.width() * source.height());
}

} // namespace

TEST(ColorReduction, FixedPalettesMapKnownColours) {
    // Cube: (c + 3) div 51 per channel; 28 still rounds down.
    EXPECT_EQ(Reduce({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(25, 26, 27), qRgb(28, 28, 28), qRgb(48, 99, 204)},
                     TColorReduction::ReduceCube216),
              (std::vector<int>{215, 0, 0, 0, 1 * 36 + 2 * 6 + 4}));
    // Mono: 77R + 150G + 29B of 32512 is black, 32513 white.
    EXPECT_EQ(Reduce({qRgb(19, 201, 31), qRgb(16, 201, 39)}, TColorReduction::ReduceMono), (std::vector<int>{0, 1}));
    // Grey 256: the index is the grey level.
    EXPECT_EQ(Reduce({qRgb(200, 100, 50), qRgb(1, 2, 3)}, TColorReduction::ReduceGray256),
              (std::vector<int>{(77 * 200 + 150 * 100 + 29 * 50) >> 8, (77 + 300 + 87) >> 8}));
    // The slow lookups: nearest by distance.
    EXPECT_EQ(Reduce({qRgb(100, 100, 100), qRgb(170, 170, 170), qRgb(250, 250, 250)}, TColorReduction::ReduceGray4),
              (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Reduce({qRgb(250, 250, 250), qRgb(130, 0, 0), qRgb(190, 218, 195)}, TColorReduction::ReduceSystem20),
              (std::vector<int>{19, 1, 8}));
    EXPECT_EQ(Reduce({qRgb(51, 102, 153), qRgb(10, 10, 10), qRgb(255, 251, 240)}, TColorReduction::ReduceHalftone),
              (std::vector<int>{10 + 36 + 12 + 3, 226, 246}));
    EXPECT_EQ(Reduce({qRgb(9, 9, 9), qRgb(200, 0, 0)}, TColorReduction::ReduceUserPalette,
                     {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(10, 10, 10)}),
              (std::vector<int>{2, 1}));

    const QImage halftone = ReduceBitmapColors(Pixels(1, 1, {0}), TColorReduction::ReduceHalftone,
                                               TDitherMode::DitherNone, 8);
    EXPECT_EQ(halftone.colorCount(), 256);
    EXPECT_EQ(ReduceBitmapColors(Pixels(1, 1, {0}), TColorReduction::ReduceCube216, TDitherMode::DitherNone, 8)
                  .colorTable(),
              WebPalette());
}

TEST(ColorReduction, OctreePalettesBitsAndSystemColours) {
    const QRgb a = qRgb(10, 20, 30), b = qRgb(200, 100, 50);
    QImage two = Pixels(4, 1, {a, b, b, a});
    QImage out = ReduceBitmapColors(two, TColorReduction::ReduceOctree, TDitherMode::DitherNone, 1);
    EXPECT_EQ(out.colorTable(), (TGIFPalette{a, b}));
    EXPECT_EQ(Indices(out), (std::vector<int>{0, 1, 1, 0}));
    // One colour: the second entry stays black. Bits are clamped to 1..8.
    for (int bits : {1, 0, -5})
        EXPECT_EQ(ReduceBitmapColors(Pixels(1, 1, {b}), TColorReduction::ReduceOctree, TDitherMode::DitherNone, bits)
                      .colorTable(),
                  (TGIFPalette{b, qRgb(0, 0, 0)}));
    EXPECT_EQ(ReduceBitmapColors(Pixels(1, 1, {b}), TColorReduction::ReduceOctree, TDitherMode::DitherNone, 99)
                  .colorCount(),
              256);

    // Three colours into two leaves: the two that share the top bits merge.
    const QImage three = Pixels(3, 1, {qRgb(0, 0, 0), qRgb(40, 40, 40), qRgb(255, 255, 255)});
    EXPECT_EQ(ReduceBitmapColors(three, TColorReduction::ReduceOctree, TDitherMode::DitherNone, 1).colorTable(),
              (TGIFPalette{qRgb(20, 20, 20), qRgb(255, 255, 255)}));

    // The fast lookup answers a whole 8 x 8 x 8 cell with the entry nearest
    // to the first colour that reached it. Entries are (100, 100, 100) and
    // (224, 224, 224); grey 160 is nearer the first, 167 the second, and
    // the second row is walked right to left, so 167 comes first.
    const QRgb d = qRgb(100, 100, 100), w = qRgb(255, 255, 255);
    const QImage cell = Pixels(4, 2, {d, d, w, w, qRgb(160, 160, 160), w, w, qRgb(167, 167, 167)});
    out = ReduceBitmapColors(cell, TColorReduction::ReduceOctree, TDitherMode::DitherNone, 1);
    EXPECT_EQ(out.colorTable(), (TGIFPalette{d, qRgb(224, 224, 224)}));
    EXPECT_EQ(Indices(out), (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1}));

    const TGIFPalette system = SystemPalette();
    const QImage sys = ReduceBitmapColors(two, TColorReduction::ReduceOctreeSystem, TDitherMode::DitherNone, 8);
    ASSERT_EQ(sys.colorCount(), 256);
    EXPECT_EQ(sys.colorTable().mid(0, 10), system.mid(0, 10));
    EXPECT_EQ(sys.colorTable().mid(246), system.mid(10));
    EXPECT_EQ(sys.color(10), a);
    EXPECT_EQ(sys.color(11), b);
    EXPECT_EQ(Indices(sys), (std::vector<int>{10, 11, 11, 10}));
}

TEST(ColorReduction, EdgesOfTheInput) {
    const QImage img = Pixels(2, 1, {qRgb(1, 2, 3), qRgb(4, 5, 6)});
    EXPECT_TRUE(ReduceBitmapColors(img, TColorReduction(10), TDitherMode::DitherNone, 8).isNull());
    EXPECT_TRUE(ReduceBitmapColors(img, TColorReduction::ReduceMono, TDitherMode(7), 8).isNull());
    EXPECT_TRUE(ReduceBitmapColors(img, TColorReduction::ReduceUserPalette, TDitherMode::DitherNone, 8).isNull());
    try {
        ReduceBitmapColors(QImage(), TColorReduction::ReduceMono, TDitherMode::DitherNone, 8);
        FAIL() << "an empty bitmap was reduced";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid image dimensions");
    }
    // ReduceNone: a 24-bit copy; the source keeps its format.
    const QImage copy = ReduceBitmapColors(img, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
    EXPECT_EQ(copy.format(), QImage::Format_RGB888);
    EXPECT_EQ(copy.pixel(1, 0), qRgb(4, 5, 6));
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
    // A single pixel passes no error on, whatever the kernel.
    for (int mode = 0; mode <= 6; ++mode)
        EXPECT_EQ(Indices(ReduceBitmapColors(Pixels(1, 1, {qRgb(130, 20, 240)}), TColorReduction::ReduceCube216,
                                             TDitherMode(mode), 8)),
                  (std::vector<int>{2 * 36 + 0 * 6 + 4}));
}

TEST(ColorReduction, EveryKernelDiffusesInSerpentineOrder) {
    std::mt19937 rng(7);
    std::vector<QRgb> colors(13 * 9);
    for (QRgb& c : colors) c = qRgb(int(rng() % 256), int(rng() % 256), int(rng() % 256));
    const QImage img = Pixels(13, 9, colors);
    for (int mode = 1; mode <= 6; ++mode) {
        SCOPED_TRACE("dither mode " + std::to_string(mode));
        EXPECT_EQ(Indices(ReduceBitmapColors(img, TColorReduction::ReduceMono, TDitherMode(mode), 8)),
                  Diffuse(img, Kernels[mode - 1], MonoIndex));
        EXPECT_EQ(Indices(ReduceBitmapColors(img, TColorReduction::ReduceCube216, TDitherMode(mode), 8)),
                  Diffuse(img, Kernels[mode - 1], CubeIndex));
    }
    // Flat grey 100 dithered to black and white keeps its brightness.
    const QImage grey = Pixels(40, 40, std::vector<QRgb>(1600, qRgb(100, 100, 100)));
    for (int mode = 1; mode <= 6; ++mode) {
        const std::vector<int> out = Indices(ReduceBitmapColors(grey, TColorReduction::ReduceMono, TDitherMode(mode), 8));
        const double white = double(std::count(out.begin(), out.end(), 1)) / out.size();
        EXPECT_NEAR(white, 100.0 / 255, 0.03) << "dither mode " << mode;
    }
}

TEST(ColorReduction, PhotoToOctree256WithEveryKernel) {
    TLinearBitmap bitmap;
    TJPEGLoader().LoadFromFile(VELMORA_TEST_SOURCE_DIR "/data/jpeg/dune-1000.jpg", "JPG", bitmap);
    QImage photo;
    bitmap.AssignTo(photo);
    // A quarter of the photo keeps the test quick and still has thousands
    // of colours.
    photo = photo.copy(250, 250, 500, 500).convertToFormat(QImage::Format_RGB888);
    for (int mode = 0; mode <= 6; ++mode) {
        const QImage out = ReduceBitmapColors(photo, TColorReduction::ReduceOctree, TDitherMode(mode), 8);
        ASSERT_EQ(out.format(), QImage::Format_Indexed8);
        EXPECT_EQ(out.colorCount(), 256);
        const double error = MeanError(photo, out);
        RecordProperty("mean_error_mode_" + std::to_string(mode), std::to_string(error));
        // Measured 4.9 without dithering and 5.3 to 5.8 with the kernels.
        EXPECT_LT(error, mode == 0 ? 5.5 : 7.0) << "dither mode " << mode;
    }
}
