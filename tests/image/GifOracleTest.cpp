// Pixel indices of every frame, ours against giflib's DGifSlurp, for a
// giflib animation and for GIFs made at test time by ImageMagick and
// gifsicle (the giflib stills of every depth are read in GifWriteTest).
#include "GifTestSupport.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace image;
using namespace giftest;
using testsupport::ReadFile;
using testsupport::TempDir;

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
