// Frame rendering, drawing and conversion: GIFs made by ImageMagick and
// gifsicle rendered frame by frame against ImageMagick's own rendering, and
// hand-made frames for the mask, tiling, geometry, merging and the frames
// made from bitmaps.
#include "GifTestSupport.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "support/TempDir.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace image;
using namespace giftest;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

// An image of `width` x `height` whose global table holds `colors`, with
// warnings collected.
struct Picture {
    TGIFImage Image;
    std::vector<std::string> Warnings;

    Picture(int width, int height, const std::vector<QRgb>& colors) {
        Image.Header().SetWidth(width);
        Image.Header().SetHeight(height);
        for (QRgb c : colors) Image.GlobalColorMap().Add(RGBColor(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))));
        Image.SetOnWarning([this](platform::TPersistent*, TGIFSeverity, const std::string& m) { Warnings.push_back(m); });
    }

    // A frame at (left, top) with the given pixels, row by row.
    TGIFSubImage& Frame(int left, int top, int width, int height, const std::vector<uint8_t>& pixels) {
        auto frame = std::make_unique<TGIFSubImage>(&Image);
        TGIFSubImage& f = *frame;
        Image.Images().Add(std::move(frame));
        f.SetBounds(left, top, width, height);
        for (int i = 0; i < width * height; ++i) f.SetPixels(i % width, i / width, pixels[size_t(i)]);
        return f;
    }
};

void MakeTransparent(TGIFSubImage& frame, int index, int disposal = 0) {
    auto* gce = frame.GraphicControlExtension();
    if (!gce) {
        frame.Extensions().Add(std::make_unique<TGIFGraphicControlExtension>(&frame));
        gce = frame.GraphicControlExtension();
    }
    gce->SetTransparentColorIndex(uint8_t(index));
    gce->SetTransparent(index >= 0);
    gce->SetDisposal(uint8_t(disposal));
}

QImage Canvas(int width, int height, QRgb fill) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(fill);
    return canvas;
}

constexpr QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255), Grey = qRgb(9, 9, 9);

} // namespace

class GifRenderTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("convert") || !HaveTool("gifsicle")) GTEST_SKIP() << "ImageMagick or gifsicle is missing";
    }

    QString Path(const char* name) const { return QString::fromStdString((m_dir / name).string()); }

    // Every frame's bitmap and mask against `convert file[i] rgba:-`.
    void ExpectRenderedAsImageMagick(const QString& path) {
        SCOPED_TRACE(path.toStdString());
        TGIFImage image;
        ASSERT_TRUE(Load(ReadFile(path.toStdString()), image).Ok());
        int rendered = 0;
        for (int i = 0; i < image.Images().Count(); ++i) {
            TGIFSubImage& frame = image.Images()[i];
            if (frame.Empty()) continue;
            std::string rgba;
            ASSERT_TRUE(giftest::Run("convert", {QString("%1[%2]").arg(path).arg(rendered++), "-depth", "8", "rgba:-"}, &rgba));
            ASSERT_EQ(rgba.size(), size_t(frame.Width()) * frame.Height() * 4) << "frame " << i;
            const QImage& bitmap = frame.Bitmap();
            const bool masked = frame.HasMask();
            int mismatches = 0, transparent = 0;
            for (int y = 0; y < frame.Height(); ++y)
                for (int x = 0; x < frame.Width(); ++x) {
                    const auto* p = reinterpret_cast<const uint8_t*>(rgba.data()) + (size_t(y) * frame.Width() + x) * 4;
                    const bool clear = masked && (frame.Mask().constScanLine(y)[x >> 3] & (0x80 >> (x & 7)));
                    transparent += clear;
                    if (clear != (p[3] == 0) || (!clear && bitmap.pixel(x, y) != qRgb(p[0], p[1], p[2]))) ++mismatches;
                }
            EXPECT_EQ(mismatches, 0) << "frame " << i;
            EXPECT_EQ(transparent > 0, frame.Transparent() && masked) << "frame " << i;
        }
        EXPECT_GE(rendered, 3);
    }

    TempDir m_dir;
};

TEST_F(GifRenderTools, FramesRenderAsImageMagickRendersThem) {
    ASSERT_TRUE(giftest::Run("convert", {"-seed", "1", "-size", "80x60", "plasma:red-blue", "-colors", "16", Path("a.gif")}));
    ASSERT_TRUE(giftest::Run("convert", {"-seed", "2", "-size", "80x60", "plasma:green-yellow", "-colors", "64", Path("b.gif")}));
    ASSERT_TRUE(giftest::Run("convert", {"-size", "30x20", "xc:white", "-fill", "black", "-draw", "circle 15,10 15,4",
                                "-transparent", "white", Path("c.gif")}));
    // ImageMagick: local tables on the later frames, a transparent one.
    ASSERT_TRUE(giftest::Run("convert", {"-delay", "10", Path("a.gif"), Path("b.gif"), Path("c.gif"), Path("im.gif")}));
    ExpectRenderedAsImageMagick(Path("im.gif"));
    // gifsicle: optimised sub-rectangles with offsets and transparency,
    // interlaced.
    ASSERT_TRUE(giftest::Run("gifsicle", {"-O2", Path("a.gif"), Path("b.gif"), Path("c.gif"), "-o", Path("opt.gif")}));
    ASSERT_TRUE(giftest::Run("gifsicle", {"--interlace", Path("opt.gif"), "-o", Path("inter.gif")}));
    ExpectRenderedAsImageMagick(Path("inter.gif"));
}

TEST(GifRender, MaskDrawingTilingAndScaling) {
    Picture pic(10, 10, {Red, Green, Blue, Grey});
    std::vector<uint8_t> pixels(36, 1);
    pixels[0] = 0;
    TGIFSubImage& frame = pic.Frame(2, 3, 6, 6, pixels);

    // A transparent index no pixel uses: no mask, drawn opaquely.
    MakeTransparent(frame, 2);
    std::vector<std::string> progress;
    pic.Image.SetOnProgress([&](platform::TPersistent* sender, TProgressStage stage, int percent, bool,
                                const std::string& message) {
        EXPECT_EQ(sender, &frame);
        progress.push_back(std::to_string(int(stage)) + " " + std::to_string(percent) + " " + message);
    });
    ASSERT_FALSE(frame.Bitmap().isNull());
    EXPECT_EQ(progress, (std::vector<std::string>{"0 0 Rendering...", "1 0 Rendering...", "2 100 Rendering..."}));
    EXPECT_EQ(frame.Bitmap().format(), QImage::Format_Indexed8);
    EXPECT_EQ(frame.Bitmap().colorCount(), 256);
    EXPECT_EQ(frame.Bitmap().pixel(0, 0), Red);
    EXPECT_FALSE(frame.HasMask());
    // A new global colour shows at once; an index past the table is black.
    pic.Image.GlobalColorMap().ImportPalette({qRgb(1, 2, 3), Green, Blue, Grey});
    frame.SetPixels(5, 5, 9);
    EXPECT_EQ(frame.Bitmap().pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(frame.Bitmap().pixel(5, 5), qRgb(0, 0, 0));
    pic.Image.GlobalColorMap().ImportPalette({Red, Green, Blue, Grey});
    frame.SetPixels(5, 5, 1);
    frame.FreeBitmap();
    QImage canvas = Canvas(10, 10, Grey);
    {
        QPainter p(&canvas);
        frame.Draw(p, canvas.rect(), true, false);
    }
    EXPECT_EQ(canvas.pixel(2, 3), Red);
    EXPECT_EQ(canvas.pixel(3, 3), Green);
    EXPECT_EQ(canvas.pixel(1, 3), Grey);

    // Now one pixel shows it: it lets the canvas through.
    frame.SetPixels(1, 0, 2);
    frame.FreeBitmap();
    frame.FreeMask();
    ASSERT_TRUE(frame.HasMask());
    canvas = Canvas(20, 20, Grey);
    {
        QPainter p(&canvas);
        frame.Draw(p, canvas.rect(), true, false);  // scaled 2x: the frame covers (4, 6)-(16, 18)
    }
    EXPECT_EQ(canvas.pixel(4, 6), Red);
    EXPECT_EQ(canvas.pixel(5, 7), Red);
    EXPECT_EQ(canvas.pixel(6, 6), Grey);
    EXPECT_EQ(canvas.pixel(8, 6), Green);
    EXPECT_EQ(frame.ScaleRect(QRect(0, 0, 20, 20)), QRect(4, 6, 12, 12));
    EXPECT_EQ(frame.ScaleRect(QRect(5, 5, 15, 15)), QRect(8, 10, 9, 9));  // 2 * 15 / 10 rounds up

    // Tiled over 25 x 25: copies at x = 2, 12, 22 and y = 3, 13, 23.
    canvas = Canvas(25, 25, Grey);
    {
        QPainter p(&canvas);
        frame.Draw(p, canvas.rect(), false, true);
    }
    for (int x : {2, 12, 22})
        for (int y : {3, 13, 23}) EXPECT_EQ(canvas.pixel(x, y), Red) << x << "," << y;
    EXPECT_EQ(canvas.pixel(3, 3), Blue);  // the transparent index's own colour, drawn opaquely
    EXPECT_EQ(canvas.pixel(10, 10), Grey);
    EXPECT_EQ(canvas.pixel(1, 3), Grey);

    // Dithered to the web palette: the mask stays, colours come from the cube.
    pic.Image.SetDrawOptions(DrawDither);
    frame.SetPalette({});
    frame.FreeBitmap();
    frame.FreeMask();
    ASSERT_TRUE(frame.HasMask());
    EXPECT_EQ(frame.Bitmap().colorTable().mid(0, 216), WebPalette());
    EXPECT_EQ(frame.Bitmap().pixelIndex(0, 0), 5 * 36);
    EXPECT_EQ(frame.Bitmap().pixelIndex(2, 0), 5 * 6);

    // No colour table anywhere: the frame and the image ask each other.
    Picture bare(2, 2, {});
    try {
        bare.Frame(0, 0, 2, 2, {0, 0, 0, 0}).Bitmap();
        FAIL() << "rendered without colours";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "No global or local color table defined");
    }

    // An empty frame has no bitmap; a screen of 0 neither divides nor loops.
    TGIFSubImage empty(nullptr);
    EXPECT_TRUE(empty.Bitmap().isNull());
    TGIFSubImage loose(nullptr);
    loose.SetBounds(3, 0, 4, 2);
    EXPECT_EQ(loose.ScaleRect(QRect(0, 0, 14, 2)), QRect(6, 0, 8, 2));
    QPainter p(&canvas);
    loose.Draw(p, canvas.rect(), false, true);
}

TEST(GifRender, TilingVisitsOnlyTheTilesTheCanvasShows) {
    // A 1 x 1 frame in the far corner of a 65535 x 65535 screen, then a 2 x 2
    // one at the origin: the picture is cut to the first, which tiles every
    // pixel; the second lies off the picture and shows nowhere. Neither walks
    // the tiles far off the 37 x 23 canvas or its clip.
    Picture bomb(65535, 65535, {Red, Green, Blue, Grey});
    bomb.Frame(65534, 65534, 1, 1, {1});
    bomb.Frame(0, 0, 2, 2, {2, 3, 3, 2});
    for (const bool transparent : {false, true}) {
        QImage canvas = Canvas(37, 23, Grey);
        {
            QPainter p(&canvas);
            bomb.Image.Images()[1].Draw(p, canvas.rect(), transparent, true);
            p.setClipRect(5, 4, 10, 3);
            bomb.Image.Images()[0].Draw(p, canvas.rect(), transparent, true);
        }
        QImage expected = Canvas(37, 23, Grey);
        QPainter(&expected).fillRect(5, 4, 10, 3, QColor(Green));
        EXPECT_EQ(canvas, expected);
    }
    // Tiles apart, the painter moved: a 1 x 1 frame on a 2 x 2 screen shows
    // on every other pixel of every other row, from (1, 0).
    Picture sparse(2, 2, {Red, Green});
    sparse.Frame(0, 0, 1, 1, {1});
    QImage canvas = Canvas(37, 23, Grey), expected = canvas;
    QPainter p(&canvas);
    p.translate(1, 0);
    sparse.Image.Images()[0].Draw(p, canvas.rect(), true, true);
    p.end();
    for (int y = 0; y < 23; y += 2)
        for (int x = 1; x < 37; x += 2) expected.setPixel(x, y, Green);
    EXPECT_EQ(canvas, expected);
}

TEST(GifRender, BoundsCropAndMerge) {
    Picture pic(10, 10, {Red, Green, Blue, Grey});
    TGIFSubImage& first = pic.Frame(0, 0, 10, 10, std::vector<uint8_t>(100, 1));
    EXPECT_TRUE(pic.Warnings.empty());
    // Past the right edge: two warnings, and the screen grows.
    TGIFSubImage& second = pic.Frame(6, 2, 6, 3, {1, 1, 0, 0, 1, 3, /**/ 3, 1, 1, 1, 1, 1, /**/ 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(pic.Warnings, (std::vector<std::string>{"Image width too small for contained frames",
                                                      "Image exceeds Logical Screen size"}));
    EXPECT_EQ(pic.Image.Width(), 12);

    // Another frame's transparent index of the global table is reused only
    // when no pixel here shows it: index 3 is in use, so black is added.
    TGIFSubImage& other = pic.Frame(0, 0, 1, 1, {0});
    MakeTransparent(other, 3);
    second.MergeTransparentWith(&first);
    ASSERT_TRUE(second.Transparent());
    EXPECT_EQ(pic.Image.GlobalColorMap().Count(), 5);
    EXPECT_EQ(second.GraphicControlExtension()->TransparentColorIndex(), 4);
    // Pixels over the previous frame that match it (index 1) became
    // transparent; the rest kept their colours, also outside the overlap.
    const std::vector<uint8_t> merged{4, 4, 0, 0, 1, 3, 3, 4, 4, 4, 1, 1, 4, 4, 4, 4, 1, 1};
    EXPECT_TRUE(std::equal(merged.begin(), merged.end(), second.Data()));

    // Without another candidate the other frame's index is taken.
    Picture pic2(4, 1, {Red, Green, Blue, Grey});
    TGIFSubImage& back = pic2.Frame(0, 0, 4, 1, {0, 1, 2, 0});
    TGIFSubImage& front = pic2.Frame(0, 0, 4, 1, {0, 2, 2, 1});
    MakeTransparent(pic2.Frame(0, 0, 1, 1, {0}), 3);
    front.MergeTransparentWith(&back);
    EXPECT_EQ(front.GraphicControlExtension()->TransparentColorIndex(), 3);
    EXPECT_EQ(pic2.Image.GlobalColorMap().Count(), 4);
    EXPECT_EQ(std::vector<uint8_t>(front.Data(), front.Data() + 4), (std::vector<uint8_t>{3, 2, 3, 1}));
    // A previous frame that is cleared away is not merged with.
    TGIFSubImage& third = pic2.Frame(0, 0, 4, 1, {0, 1, 2, 0});
    MakeTransparent(front, 3, 2);
    third.MergeTransparentWith(&front);
    EXPECT_FALSE(third.Transparent());

    // Crop to the opaque pixels; all transparent leaves an empty frame.
    MakeTransparent(second, 4);
    second.SetPixels(0, 1, 4);
    for (int x = 0; x < 6; ++x) second.SetPixels(x, 2, 4);
    second.Crop();
    EXPECT_EQ(second.BoundsRect(), QRect(8, 2, 4, 2));
    EXPECT_EQ(std::vector<uint8_t>(second.Data(), second.Data() + 8), (std::vector<uint8_t>{0, 0, 1, 3, 4, 4, 1, 1}));
    TGIFSubImage& clear = pic.Frame(1, 1, 2, 2, {3, 3, 3, 3});
    MakeTransparent(clear, 3);
    clear.Crop();
    EXPECT_TRUE(clear.Empty());
}

TEST(GifRender, FramesFromBitmapsIconsAndFrames) {
    TGIFImage image;
    image.SetColorReduction(TColorReduction::ReduceOctree);
    // 300 colours go through colour reduction; the caller's bitmap stays.
    QImage deep(300, 2, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x) {
        deep.setPixel(x, 0, qRgb(x % 256, x / 2 % 256, 7));
        deep.setPixel(x, 1, qRgb(0, x % 256, 255 - x % 256));
    }
    const QImage before = deep.copy();
    TGIFSubImage frame(&image);
    frame.Assign(deep);
    EXPECT_EQ(deep, before);
    EXPECT_EQ(frame.Width(), 300);
    EXPECT_LE(frame.ColorMap().Count(), 256);
    EXPECT_FALSE(frame.Transparent());
    EXPECT_EQ(frame.Bitmap().size(), QSize(300, 2));

    // ReduceNone keeps true colour, which more than 256 colours overflow.
    image.SetColorReduction(TColorReduction::ReduceNone);
    try {
        frame.Assign(deep);
        FAIL() << "300 colours fitted a table";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
    QImage few(3, 1, QImage::Format_RGB888);
    few.setPixel(0, 0, Red);
    few.setPixel(1, 0, Blue);
    few.setPixel(2, 0, Red);
    frame.Assign(few);
    EXPECT_EQ(frame.ColorMap().ExportPalette(), (TGIFPalette{Red, Blue}));
    EXPECT_EQ(std::vector<uint8_t>(frame.Data(), frame.Data() + 3), (std::vector<uint8_t>{0, 1, 0}));

    // 8 bits with a see-through entry: its pixels become transparent.
    QImage indexed(2, 2, QImage::Format_Indexed8);
    indexed.setColorTable({Red, qRgba(0, 0, 0, 0), Green});
    indexed.fill(2);
    indexed.setPixel(1, 1, 1);
    frame.Assign(indexed);
    ASSERT_TRUE(frame.Transparent());
    ASSERT_TRUE(frame.HasMask());
    EXPECT_EQ(frame.Bitmap().pixel(0, 0), Green);
    const uint8_t t = frame.GraphicControlExtension()->TransparentColorIndex();
    EXPECT_EQ(frame.Pixels(1, 1), t);
    EXPECT_NE(frame.Pixels(0, 0), t);

    // 1 bit keeps its two colours.
    QImage mono(9, 1, QImage::Format_Mono);
    mono.setColorTable({Blue, Red});
    mono.fill(0);
    mono.setPixel(8, 0, 1);
    frame.Assign(mono);
    EXPECT_EQ(frame.Bitmap().pixel(8, 0), Red);
    EXPECT_EQ(frame.Bitmap().pixel(7, 0), Blue);

    // An icon: its see-through pixels are transparent.
    QImage argb(16, 16, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 0, 0, 0));
    for (int i = 4; i < 12; ++i) argb.setPixel(i, i, Green);
    frame.Assign(QIcon(QPixmap::fromImage(argb)));
    ASSERT_EQ(frame.Width(), 16);
    ASSERT_TRUE(frame.HasMask());
    EXPECT_EQ(frame.Bitmap().pixel(5, 5), Green);
    EXPECT_TRUE(frame.Mask().constScanLine(0)[0] & 0x80);
    EXPECT_FALSE(frame.Mask().constScanLine(5)[0] & (0x80 >> 5));

    // Another frame: pixels, table and transparency.
    TGIFSubImage copy(&image);
    copy.Assign(frame);
    EXPECT_EQ(copy.BoundsRect(), frame.BoundsRect());
    EXPECT_TRUE(std::equal(frame.Data(), frame.Data() + frame.DataSize(), copy.Data()));
    EXPECT_EQ(copy.ColorMap().ExportPalette(), frame.ColorMap().ExportPalette());
    ASSERT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.GraphicControlExtension()->TransparentColorIndex(),
              frame.GraphicControlExtension()->TransparentColorIndex());
    EXPECT_EQ(copy.Extensions().Count(), frame.Extensions().Count());

    // A full local table leaves no room for a transparent entry.
    TGIFSubImage full(&image);
    full.SetBounds(0, 0, 16, 16);
    TGIFPalette all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(qRgb(i, 255 - i, i / 2));
        full.SetPixels(i % 16, i / 16, uint8_t(i));
    }
    full.ColorMap().ImportPalette(all);
    std::vector<uint8_t> mask(256, 0);
    mask[17] = 1;
    full.ImportTransparencyMask(mask);
    EXPECT_FALSE(full.Transparent());
    EXPECT_EQ(full.ColorMap().Count(), 256);
}
