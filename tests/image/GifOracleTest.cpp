// Pixel indices of every frame, ours against giflib's DGifSlurp, for GIFs
// encoded by giflib from known pixels and for GIFs made at test time by
// ImageMagick and gifsicle.
#include "GifTestSupport.h"

#include "image/gif/TGIFGraphicControlExtension.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

using namespace image;
using namespace giftest;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

// Compares what we read with what giflib reads, frame by frame.
void ExpectSameAsGiflib(const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    OracleImage oracle;
    std::string error;
    ASSERT_TRUE(Slurp(bytes, oracle, error)) << error;

    TGIFImage image;
    const LoadResult r = Load(bytes, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_TRUE(r.Warnings.empty()) << r.Warnings.front();
    EXPECT_EQ(r.Position, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(image.GlobalColorMap().Count(), oracle.GlobalColors);

    // Frames of extensions alone (before the trailer) are ours only.
    std::vector<const TGIFSubImage*> frames;
    for (const auto& f : image.Images())
        if (f->DataSize() > 0 || f->Width() > 0) frames.push_back(f.get());
    ASSERT_EQ(frames.size(), oracle.Frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const TGIFSubImage& ours = *frames[i];
        const OracleFrame& theirs = oracle.Frames[i];
        EXPECT_EQ(ours.Left(), theirs.Left);
        EXPECT_EQ(ours.Top(), theirs.Top);
        EXPECT_EQ(ours.Width(), theirs.Width);
        EXPECT_EQ(ours.Height(), theirs.Height);
        EXPECT_EQ(ours.Interlaced(), theirs.Interlace);
        EXPECT_EQ(ours.ColorMap().Count(), theirs.LocalColors);
        EXPECT_EQ(ours.Transparent() ? ours.GraphicControlExtension()->TransparentColorIndex() : -1,
                  theirs.TransparentIndex);
        ASSERT_EQ(ours.DataSize(), static_cast<int64_t>(theirs.Pixels.size()));
        EXPECT_TRUE(std::equal(theirs.Pixels.begin(), theirs.Pixels.end(), ours.Data()));
    }
}

enum class Fill { Random, Gradient, Flat, Stripes };

std::vector<uint8_t> Pixels(int w, int h, int bits, Fill fill, unsigned seed) {
    std::mt19937 rng(seed);
    const int colors = 1 << bits;
    std::vector<uint8_t> p(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v = 0;
            switch (fill) {
            case Fill::Random: v = static_cast<int>(rng() % unsigned(colors)); break;
            case Fill::Gradient: v = (x + y) * colors / std::max(1, w + h); break;
            case Fill::Flat: v = colors - 1; break;
            case Fill::Stripes: v = (x / 3 + y) % colors; break;
            }
            p[size_t(y) * size_t(w) + size_t(x)] = static_cast<uint8_t>(v);
        }
    return p;
}

struct EncodeCase {
    int Width, Height, Bits;
    Fill Content;
    bool Interlace;
};

const EncodeCase EncodeCases[] = {
    {1, 1, 1, Fill::Flat, false},       {7, 3, 1, Fill::Random, false},    {64, 1, 2, Fill::Random, false},
    {1, 64, 3, Fill::Gradient, true},   {100, 75, 4, Fill::Random, false}, {255, 9, 5, Fill::Stripes, true},
    {31, 17, 6, Fill::Random, true},    {90, 90, 7, Fill::Gradient, false}, {300, 300, 8, Fill::Random, false},
    {640, 480, 8, Fill::Flat, false},   {333, 201, 8, Fill::Stripes, true}, {200, 150, 8, Fill::Gradient, true},
    {5, 1, 8, Fill::Random, true},      {1, 2, 2, Fill::Random, true},     {3, 3, 1, Fill::Random, true},
    {4, 5, 2, Fill::Random, true},      {2, 9, 3, Fill::Random, true},
};

} // namespace

TEST(GifReadOracle, GiflibEncodedFramesDecodeToTheirPixels) {
    unsigned seed = 1;
    for (const EncodeCase& c : EncodeCases) {
        EncodeFrame f;
        f.Width = c.Width;
        f.Height = c.Height;
        f.Interlace = c.Interlace;
        f.Pixels = Pixels(c.Width, c.Height, c.Bits, c.Content, seed++);
        const std::string bytes = EncodeWithGiflib(c.Width, c.Height, c.Bits, {f});
        const std::string what = std::to_string(c.Width) + "x" + std::to_string(c.Height) + " " +
                                 std::to_string(c.Bits) + " bits" + (c.Interlace ? " interlaced" : "");
        ExpectSameAsGiflib(bytes, what);

        TGIFImage image;
        ASSERT_TRUE(Load(bytes, image).Ok());
        ASSERT_EQ(image.Images().Count(), 1);
        const TGIFSubImage& frame = image.Images()[0];
        EXPECT_TRUE(std::equal(f.Pixels.begin(), f.Pixels.end(), frame.Data())) << what;
    }
}

TEST(GifReadOracle, AnimationWithLocalTablesOffsetsAndTransparency) {
    std::vector<EncodeFrame> frames(4);
    frames[0] = {0, 0, 120, 80, false, 0, -1, Pixels(120, 80, 8, Fill::Gradient, 1)};
    frames[1] = {10, 5, 50, 40, true, 4, 3, Pixels(50, 40, 4, Fill::Random, 2)};
    frames[2] = {0, 70, 120, 10, false, 1, 0, Pixels(120, 10, 1, Fill::Stripes, 3)};
    frames[3] = {119, 79, 1, 1, false, 0, 7, Pixels(1, 1, 8, Fill::Flat, 4)};
    ExpectSameAsGiflib(EncodeWithGiflib(120, 80, 8, frames), "giflib animation");
}

class GifReadTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick's convert is missing";
        if (!HaveTool("gifsicle")) GTEST_SKIP() << "gifsicle is missing";
    }

    std::string Make(const QString& name, const QStringList& args) {
        const QString path = QString::fromStdString((m_dir / name.toStdString()).string());
        if (!giftest::Run("convert", QStringList(args) << path)) return {};
        return path.toStdString();
    }

    std::string Gifsicle(const QString& name, const QStringList& args) {
        const QString path = QString::fromStdString((m_dir / name.toStdString()).string());
        if (!giftest::Run("gifsicle", QStringList(args) << "-o" << path)) return {};
        return path.toStdString();
    }

    TempDir m_dir;
};

TEST_F(GifReadTools, ImageMagickStillsOfEveryDepthPlainAndInterlaced) {
    for (int bits = 1; bits <= 8; ++bits)
        for (bool interlace : {false, true}) {
            const QString name = QString("still%1%2.gif").arg(bits).arg(interlace ? "i" : "");
            QStringList args{"-seed", QString::number(bits), "-size", "97x61", "plasma:fractal", "-colors",
                             QString::number(1 << bits)};
            if (interlace) args << "-interlace" << "GIF";
            const std::string path = Make(name, args);
            ASSERT_FALSE(path.empty()) << name.toStdString();
            ExpectSameAsGiflib(ReadFile(path), name.toStdString());
        }
}

TEST_F(GifReadTools, AnimationsFromImageMagickAndGifsicle) {
    const std::string a = Make("a.gif", {"-seed", "1", "-size", "80x60", "plasma:red-blue", "-colors", "16"});
    const std::string b = Make("b.gif", {"-seed", "2", "-size", "80x60", "plasma:green-yellow", "-colors", "64"});
    const std::string c = Make("c.gif", {"-size", "30x20", "xc:white", "-fill", "black", "-draw",
                                         "circle 15,10 15,4", "-transparent", "white"});
    ASSERT_FALSE(a.empty() || b.empty() || c.empty());

    // ImageMagick gives the second frame a local table.
    const std::string im = Make("im.gif", {"-delay", "10", QString::fromStdString(a), QString::fromStdString(b),
                                           QString::fromStdString(c), "-loop", "0"});
    ExpectSameAsGiflib(ReadFile(im), "ImageMagick animation");

    // gifsicle's optimiser leaves sub-rectangles with offsets and
    // transparency; then interlacing, a comment and an extension of its own.
    const std::string opt = Gifsicle("opt.gif", {"-O2", "--loopcount=0", "--delay", "5", QString::fromStdString(a),
                                                QString::fromStdString(b), QString::fromStdString(c)});
    ASSERT_FALSE(opt.empty());
    ExpectSameAsGiflib(ReadFile(opt), "gifsicle -O2");
    const std::string inter = Gifsicle("inter.gif", {"--interlace", "--comment", "made by gifsicle",
                                                    QString::fromStdString(opt)});
    ASSERT_FALSE(inter.empty());
    ExpectSameAsGiflib(ReadFile(inter), "gifsicle --interlace");
}
