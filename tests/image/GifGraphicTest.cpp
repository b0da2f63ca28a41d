// The GIF image as a graphic (picture registration, size, palette, copies,
// optimiser, clipboard, progress) and the GIF loader plug-in.
#include "GifTestSupport.h"

#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "image/TDownloadBuffer.h"
#include "image/TLinearBitmap.h"
#include "image/THostFilterStream.h"
#include "image/gif/GIFException.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFLoader.h"
#include "image/gif/TGIFPainter.h"
#include "platform/TPicture.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace image;
using namespace giftest;

namespace {

// Entry i of giflib's test tables: (v, v, 255 - v), v = i * 255 / (n - 1).
QRgb Grey(int i, int bits) {
    const int v = i * 255 / ((1 << bits) - 1);
    return qRgb(v, v, 255 - v);
}

std::vector<uint8_t> Solid(int w, int h, uint8_t value) { return std::vector<uint8_t>(size_t(w) * size_t(h), value); }

// Loads a GIF through the registry, as the program loads photos.
TLinearBitmap LoadThroughRegistry(const std::string& bytes) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TLinearBitmap bitmap;
    bitmap.LoadFromTStream(buffer, "gif");
    return bitmap;
}

// Loads a GIF through `loader` itself, which keeps what it read of the file.
TLinearBitmap LoadWith(TGIFLoader& loader, const std::string& bytes) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    THostFilterStream stream(buffer);
    TLinearBitmap out;
    loader.LoadFromStream(stream, "GIF", out);
    return out;
}

// The GIF the loader plug-in saves.
std::string SavedGif(const TLinearBitmap& bitmap, const TLinearBitmap* alpha = nullptr) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    THostFilterStream stream(buffer);
    TGIFLoader saver;
    saver.SetAlphaBitmap(alpha);
    saver.SaveToStream(stream, "GIF", bitmap);
    return data.toStdString();
}

// The minimum code size of the first frame a saved GIF holds.
int SavedCodeSize(const TLinearBitmap& bitmap) {
    const QByteArray data = QByteArray::fromStdString(SavedGif(bitmap));
    const int descriptor = int(data.indexOf(',', 13));
    const int local = (uint8_t(data[descriptor + 9]) & 0x80) ? 3 * (2 << (uint8_t(data[descriptor + 9]) & 7)) : 0;
    return uint8_t(data[descriptor + 10 + local]);
}

// Gives the frame a graphic control extension (when it has none) with this
// delay and disposal.
void SetTiming(TGIFSubImage& frame, int delay, int disposal) {
    if (!frame.GraphicControlExtension()) frame.Extensions().Add(std::make_unique<TGIFGraphicControlExtension>(&frame));
    frame.GraphicControlExtension()->SetDelay(uint16_t(delay));
    frame.GraphicControlExtension()->SetDisposal(uint8_t(disposal));
}

// What the animation shows in each hundredth of a second of one pass.
std::vector<QImage> Moments(TGIFImage& gif) {
    std::vector<QImage> shown;
    for (int i = 0; i < gif.Images().Count(); ++i)
        if (!gif.Images()[i].Empty())
            shown.insert(shown.end(), gif.Images()[i].GraphicControlExtension()->Delay(),
                         TGIFPainter::CompositeFrame(gif, i, false));
    return shown;
}

} // namespace

TEST(GifLoader, StillPictureOfTheFirstFrameWithTransparencyNoted) {
    RegisterImageLoaders();
    // An animation whose first frame is smaller than the screen: one still
    // picture, the frame at its place, the rest the background colour.
    std::vector<EncodeFrame> frames(2);
    frames[0] = {3, 2, 4, 3, false, 0, -1, Solid(4, 3, 9)};
    frames[1] = {0, 0, 10, 8, false, 0, -1, Solid(10, 8, 5)};
    const TLinearBitmap bitmap = LoadThroughRegistry(EncodeWithGiflib(10, 8, 4, frames));
    QImage picture;
    bitmap.AssignTo(picture);
    ASSERT_EQ(picture.size(), QSize(10, 8));
    EXPECT_EQ(picture.pixel(3, 2), Grey(9, 4));
    EXPECT_EQ(picture.pixel(6, 4), Grey(9, 4));
    EXPECT_EQ(picture.pixel(0, 0), Grey(0, 4));
    EXPECT_EQ(picture.pixel(9, 7), Grey(0, 4));

    TGIFLoader loader;
    const auto load = [&](const std::string& bytes) { return LoadWith(loader, bytes); };
    std::vector<EncodeFrame> clear(1);
    clear[0] = {0, 0, 4, 4, false, 0, 3, Solid(4, 4, 7)};
    load(EncodeWithGiflib(4, 4, 3, clear));
    EXPECT_EQ(loader.TransparentColor(), int(RGBColor(qRed(Grey(7, 3)), qGreen(Grey(7, 3)), qBlue(Grey(7, 3)))));
    clear[0].TransparentIndex = -1;
    load(EncodeWithGiflib(4, 4, 3, clear));
    EXPECT_EQ(loader.TransparentColor(), -1);
    // Transparency but no pixels in the first frame: no colour, no failure.
    const std::string noPixels = Header(4, 4, 1) + Gce(true, 1) + ";";
    EXPECT_NO_THROW(load(noPixels));
    EXPECT_EQ(loader.TransparentColor(), -1);

    // A damaged file raises and leaves the bitmap as it was.
    TLinearBitmap kept = bitmap;
    QByteArray cut = QByteArray::fromStdString(EncodeWithGiflib(10, 8, 4, frames)).left(30);
    QBuffer buffer(&cut);
    buffer.open(QIODevice::ReadOnly);
    THostFilterStream stream(buffer);
    EXPECT_THROW(loader.LoadFromStream(stream, "GIF", kept), GIFException);
    EXPECT_EQ(kept.Width(), 10);
}

TEST(GifLoader, AStillPhotoIsItsFrameAsRenderedWithoutACopy) {
    RegisterImageLoaders();
    // The loader hands the frame's indices over instead of rendering them:
    // the picture and the transparent colour must be what rendering gives.
    std::vector<std::pair<int, EncodeFrame>> cases = {
        {8, {0, 0, 37, 23, false, 0, -1, Pixels(37, 23, 8, Fill::Gradient, 1)}},
        {4, {0, 0, 37, 23, false, 0, 5, Pixels(37, 23, 4, Fill::Random, 2)}},
        {0, {0, 0, 37, 23, false, 3, 2, Pixels(37, 23, 3, Fill::Random, 3)}},
        {8, {0, 0, 37, 23, false, 2, -1, Pixels(37, 23, 2, Fill::Stripes, 4)}}};
    // Interlaced rows are put in place within the frame's own buffer.
    for (int h : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 19, 61})
        cases.push_back({4, {0, 0, 7, h, true, 0, h % 2 ? 3 : -1, Pixels(7, h, 4, Fill::Random, unsigned(h))}});
    for (const auto& [globalBits, frame] : cases) {
        const std::string what = std::to_string(frame.Height) + " rows, transparent " + std::to_string(frame.TransparentIndex);
        const std::string bytes = EncodeWithGiflib(frame.Width, frame.Height, globalBits, {frame});
        ExpectSameAsGiflib(bytes, what);
        TGIFImage gif;
        ASSERT_TRUE(Load(bytes, gif).Ok()) << what;
        const QImage rendered = gif.Images()[0].Bitmap();
        QImage picture;
        LoadThroughRegistry(bytes).AssignTo(picture);
        EXPECT_EQ(picture, rendered) << what;
        EXPECT_EQ(picture.colorTable(), rendered.colorTable()) << what;

        TGIFLoader loader;
        LoadWith(loader, bytes);
        const QRgb c = rendered.pixel(0, frame.Height - 1);
        EXPECT_EQ(loader.TransparentColor(), frame.TransparentIndex < 0 ? -1 : int(RGBColor(qRed(c), qGreen(c), qBlue(c)))) << what;
    }
}

TEST(GifLoader, ADownloadUsedUpWhileItDecodesGivesThePictureOfAPlainRead) {
    RegisterImageLoaders();
    // Random pixels compress poorly: their data spans many pages, given
    // back while the picture fills.
    for (const EncodeFrame& frame : {EncodeFrame{0, 0, 400, 300, false, 0, 7, Pixels(400, 300, 8, Fill::Random, 1)},
                                     EncodeFrame{0, 0, 400, 301, true, 0, -1, Pixels(400, 301, 8, Fill::Random, 2)}}) {
        const std::string bytes = EncodeWithGiflib(frame.Width, frame.Height, 8, {frame});
        TDownloadBuffer download{std::string(bytes)};
        TLinearBitmap used;
        used.LoadFromTStream(download, "gif");
        EXPECT_GT(download.Discarded(), qint64(bytes.size()) / 2);
        QImage picture, plain;
        used.AssignTo(picture);
        LoadThroughRegistry(bytes).AssignTo(plain);
        EXPECT_EQ(picture, plain);
    }
    // What was given back is never read as zeros.
    TDownloadBuffer download(std::string(size_t(1) << 20, 'x'));
    char c = 0;
    download.seek(1 << 19);
    download.Discard(download.pos());
    download.seek(download.Discarded() - 1);
    EXPECT_EQ(download.read(&c, 1), -1);
    download.seek(download.Discarded());
    EXPECT_EQ(download.read(&c, 1), 1);
    EXPECT_EQ(c, 'x');
}

TEST(GifLoader, SavedTablesHoldTheColoursThePixelsUse) {
    RegisterImageLoaders();
    TLinearBitmap bitmap;
    bitmap.New(6, 4, TPixelFormat::pf8bit);
    bitmap.FillBytes(0);
    std::memset(bitmap.Palette(), 0, 768);
    bitmap.Palette()[3] = 255;              // entry 1 blue
    bitmap.Palette()[3 * 200 + 1] = 1;      // a colour no pixel shows
    EXPECT_EQ(SavedCodeSize(bitmap), 2);
    // A pixel on a black entry still needs its index in the table.
    bitmap.ScanLine(2)[3] = 9;
    EXPECT_EQ(SavedCodeSize(bitmap), 4);
    bitmap.ScanLine(0)[0] = 200;
    EXPECT_EQ(SavedCodeSize(bitmap), 8);

    // A reduced picture keeps only the colours it shows: one colour, a
    // table of two entries.
    TLinearBitmap dot;
    dot.New(1, 1, TPixelFormat::pf24bit);
    dot.Clear(0x00336699);
    const std::string small = SavedGif(dot);
    EXPECT_EQ(uint8_t(small[small.find(',', 13) + 9]) & 0x87, 0x80);
    EXPECT_LE(small.size(), 43u);  // what ImageMagick writes

    // Transparency from an alpha bitmap survives a reduction that would
    // fill all 256 entries: 64 x 64 colours, the top row transparent.
    TLinearBitmap many, alpha;
    many.New(64, 64, TPixelFormat::pf24bit);
    alpha.New(64, 64, TPixelFormat::pf8bit);
    alpha.FillBytes(255);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = many.ScanLine(y) + 3 * x;
            p[0] = uint8_t(x * 4), p[1] = uint8_t(y * 4), p[2] = uint8_t((x + y) * 2);
            if (y == 0) alpha.ScanLine(y)[x] = 0;
        }
    OracleImage oracle;
    std::string error;
    ASSERT_TRUE(Slurp(SavedGif(many, &alpha), oracle, error)) << error;
    const int transparent = oracle.Frames[0].TransparentIndex;
    ASSERT_GE(transparent, 0);
    for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(oracle.Frames[0].Pixels[size_t(i)] == transparent, i < 64) << i;

    // The round trip keeps the pixels; a 24-bit save sets the defaults of
    // later images.
    const TColorReduction oldReduction = DefaultColorReduction;
    const TDitherMode oldDither = DefaultDitherMode;
    DefaultColorReduction = TColorReduction::ReduceCube216;
    TLinearBitmap deep;
    deep.New(5, 5, TPixelFormat::pf24bit);
    deep.Clear(0x00FF8040);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    THostFilterStream stream(buffer);
    TGIFLoader().SaveToStream(stream, "GIF", deep);
    const TGIFImage after;
    EXPECT_EQ(after.ColorReduction(), TColorReduction::ReduceOctree);
    EXPECT_EQ(after.DitherMode(), TDitherMode::DitherFloydSteinberg);
    DefaultColorReduction = oldReduction;
    DefaultDitherMode = oldDither;
    QImage back;
    LoadThroughRegistry(data.toStdString()).AssignTo(back);
    EXPECT_EQ(back.pixel(4, 4), qRgb(0x40, 0x80, 0xFF));
}

TEST(GifGraphic, PictureSizePaletteCopiesAndProgress) {
    RegisterImageLoaders();
    RegisterPictureFormats();
    std::vector<EncodeFrame> frames(3);
    frames[0] = {0, 0, 6, 5, false, 0, -1, Solid(6, 5, 1)};
    frames[1] = {2, 1, 4, 4, false, 0, 0, Solid(4, 4, 2)};
    frames[2] = {1, 1, 2, 2, false, 0, -1, Solid(2, 2, 3)};
    const std::string bytes = EncodeWithGiflib(6, 5, 2, frames);
    testsupport::TempDir dir;
    const std::string path = (dir / "anim.GIF").string();
    testsupport::WriteFile(path, bytes);
    platform::TPicture picture;
    picture.LoadFromFile(path);
    EXPECT_EQ(platform::TPicture::FileFormatDescription("gif"), "GIF Image");
    auto& gif = dynamic_cast<TGIFImage&>(*picture.Graphic());
    EXPECT_EQ(gif.Width(), 6);
    EXPECT_FALSE(gif.Empty());
    EXPECT_EQ(picture.ToImage().pixel(5, 4), Grey(1, 2));

    // A frame reaches to x = 6: the screen cannot be narrower.
    EXPECT_THROW(gif.SetWidth(5), GIFException);
    EXPECT_EQ(gif.Width(), 6);

    // A copy reports through its own handlers, which it keeps.
    TGIFImage copy;
    std::vector<std::string> messages;
    copy.SetOnProgress([&](auto*, TProgressStage, int, bool, const std::string& m) { messages.push_back(m); });
    copy.SetOnWarning([](auto*, auto, const std::string&) {});
    copy.Assign(gif);
    EXPECT_TRUE(copy.OnProgress());
    EXPECT_TRUE(copy.OnWarning());
    EXPECT_EQ(copy.Images().Count(), 3);
    EXPECT_EQ(messages.front(), "Copying...");

    // Reading tells each frame with "Loading..."; with BuildBitmapOnLoad the
    // frames are rendered as they come and the notices ask for a redraw.
    messages.clear();
    std::vector<bool> redraws;
    copy.SetOnProgress([&](auto*, TProgressStage stage, int, bool redraw, const std::string& m) {
        if (stage == TProgressStage::psRunning && m == "Loading...") redraws.push_back(redraw);
    });
    BuildBitmapOnLoad = true;
    copy.LoadFromFile(path);
    BuildBitmapOnLoad = false;
    EXPECT_EQ(redraws, std::vector<bool>(3, true));

    // Two images are equal only when they are one; written with
    // OptimizeBeforeWrite, an image is optimised first.
    EXPECT_TRUE(gif.Equals(gif));
    EXPECT_FALSE(gif.Equals(copy));
    QBuffer plain, optimised;
    plain.open(QIODevice::WriteOnly);
    optimised.open(QIODevice::WriteOnly);
    copy.WriteData(plain);
    OptimizeBeforeWrite = true;
    copy.WriteData(optimised);
    OptimizeBeforeWrite = false;
    EXPECT_LT(optimised.data().size(), plain.data().size());

    // Clipboard: the GIF data under image/gif comes back whole.
    QMimeData data;
    gif.SaveToClipboardFormat(data);
    EXPECT_EQ(data.data(GIFMimeType).toStdString().substr(0, 3), "GIF");
    TGIFImage pasted;
    pasted.LoadFromClipboardFormat(&data);
    EXPECT_EQ(pasted.Images().Count(), 3);
    gif.SaveToClipboard(*QGuiApplication::clipboard());
    pasted.Clear();
    pasted.LoadFromClipboardFormat(nullptr);
    EXPECT_EQ(pasted.Images().Count(), 3);
    QMimeData text;
    text.setText("x");
    EXPECT_THROW(pasted.LoadFromClipboardFormat(&text), platform::EConvertError);

    // No colour table anywhere: asking for the palette raises.
    TGIFImage bare;
    auto frame = std::make_unique<TGIFSubImage>(&bare);
    frame->SetBounds(0, 0, 2, 2);
    bare.Add(std::move(frame));
    EXPECT_THROW(bare.Palette(), GIFException);
    EXPECT_THROW(bare.Optimize(ooReduceColors, TColorReduction::ReduceUserPalette, TDitherMode::DitherNone, 8),
                 GIFException);
    EXPECT_NO_THROW(bare.Optimize(ooReduceColors | ooCleanup, TColorReduction::ReduceUserPalette, TDitherMode::DitherNone, 8));
}

TEST(GifGraphic, OptimiserDropsDisposalOnlyUnderAFrameThatCoversIt) {
    // Frame 0 is restored to background; frame 1 is opaque. Covered whole
    // by frame 1, frame 0's disposal is needless; covering only part of
    // frame 1's area, it is not.
    for (const bool covered : {true, false}) {
        std::vector<EncodeFrame> frames(3);
        frames[0] = covered ? EncodeFrame{2, 2, 3, 3, false, 0, -1, Solid(3, 3, 1)} : EncodeFrame{0, 0, 8, 8, false, 0, -1, Solid(8, 8, 1)};
        frames[1] = {1, 1, 6, 6, false, 0, -1, Solid(6, 6, 2)};
        frames[2] = {0, 0, 1, 1, false, 0, -1, Solid(1, 1, 3)};
        TGIFImage gif;
        ASSERT_TRUE(Load(EncodeWithGiflib(8, 8, 2, frames), gif).Ok());
        auto gce = std::make_unique<TGIFGraphicControlExtension>(&gif.Images()[0]);
        gce->SetDisposal(2);
        gce->SetDelay(5);
        gif.Images()[0].Extensions().Add(std::move(gce));
        gif.Optimize(ooCleanup | ooColorMap, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
        EXPECT_EQ(gif.Images()[0].GraphicControlExtension()->Disposal(), covered ? 0 : 2) << covered;
        // Sorting the table keeps the colour the screen is cleared with,
        // though no pixel uses it.
        EXPECT_EQ(gif.Header().BackgroundColor(), RGBColor(0, 0, 255));
    }
}

TEST(GifGraphic, ScreenAndFrameOffsetsSurviveLoadSaveCopyAndClipboard) {
    RegisterImageLoaders();
    // Frames that leave part of the screen uncovered.
    const std::pair<QSize, std::vector<EncodeFrame>> files[] = {
        {{100, 80}, {{20, 20, 40, 30, false, 0, -1, Solid(40, 30, 1)}}},
        {{120, 100}, {{10, 10, 50, 50, false, 0, -1, Solid(50, 50, 1)}, {40, 40, 20, 20, false, 0, -1, Solid(20, 20, 2)}}},
    };
    for (const auto& [screen, frames] : files) {
        const std::string bytes = EncodeWithGiflib(screen.width(), screen.height(), 2, frames);
        TGIFImage gif, again, copy, pasted;
        ASSERT_TRUE(Load(bytes, gif).Ok());
        ASSERT_TRUE(Load(Save(gif), again).Ok());
        copy.Assign(gif);
        QMimeData clip;
        gif.SaveToClipboardFormat(clip);
        pasted.LoadFromClipboardFormat(&clip);
        for (TGIFImage* image : {&gif, &again, &copy, &pasted}) {
            EXPECT_EQ(QSize(image->Width(), image->Height()), screen);
            ASSERT_EQ(image->Images().Count(), int(frames.size()));
            for (size_t i = 0; i < frames.size(); ++i)
                EXPECT_EQ(image->Images()[int(i)].BoundsRect(), QRect(frames[i].Left, frames[i].Top, frames[i].Width, frames[i].Height));
        }
        // The still picture and the photo: screen-sized, the first frame at
        // its place on the background.
        const QImage still = gif.Bitmap();
        ASSERT_EQ(still.size(), screen);
        EXPECT_EQ(still.pixel(frames[0].Left, frames[0].Top), Grey(1, 2));
        EXPECT_EQ(still.pixel(frames[0].Left - 1, frames[0].Top), TGIFPainter::BackgroundColorOf(gif).rgb());
        const TLinearBitmap photo = LoadThroughRegistry(bytes);
        ASSERT_EQ(QSize(photo.Width(), photo.Height()), screen);
        const uint8_t* at = photo.ScanLine(frames[0].Top) + 4 * frames[0].Left;
        EXPECT_EQ(qRgb(at[2], at[1], at[0]), Grey(1, 2));
    }
}

TEST(GifGraphic, OptimiserKeepsWhatIsShownAtEveryMoment) {
    // Blue screen; a red square; a frame with nothing opaque; a corner. The
    // square's disposal decides what shows while the empty frame is shown:
    // the square (1), the background (2) or the blue picture before it (3).
    for (const int disposal : {1, 2, 3}) {
        SCOPED_TRACE(disposal);
        TGIFImage gif, again;
        ASSERT_TRUE(Load(EncodeWithGiflib(8, 8, 2, {{0, 0, 8, 8, false, 0, -1, Solid(8, 8, 2)},
                                                     {2, 2, 4, 4, false, 0, -1, Solid(4, 4, 1)},
                                                     {0, 0, 8, 8, false, 0, 3, Solid(8, 8, 3)},
                                                     {0, 0, 2, 2, false, 0, -1, Solid(2, 2, 1)}}), gif).Ok());
        for (int i = 0; i < 4; ++i) SetTiming(gif.Images()[i], i == 2 ? 50 : 10, i == 1 ? disposal : 1);
        const std::vector<QImage> before = Moments(gif);
        gif.Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
        // Only after a frame that stays in place is the empty one dropped.
        EXPECT_EQ(gif.Images().Count(), disposal == 1 ? 3 : 4);
        ASSERT_TRUE(Load(Save(gif), again).Ok());
        EXPECT_TRUE(Moments(gif) == before);
        EXPECT_TRUE(Moments(again) == before);
    }
}

TEST(GifGraphic, OptimiserKeepsFullTablesFullAndTheBackgroundWithinEveryTable) {
    // A full table of 4 whose entry 0, the background, no pixel uses; a
    // frame repeating the one before it but for its first row, which has
    // the transparent index 4, past the table; one with a 2-colour table.
    // Second: a merge that shrinks a frame less than the entry it adds. Last:
    // a frame merged into the one it repeats keeps its pixel 4 (black) opaque,
    // and a background index past the table keeps showing entry 0's colour.
    const auto frame = [](TGIFImage& gif, int w, int locals, auto pixel) {
        auto f = std::make_unique<TGIFSubImage>(&gif);
        f->SetBounds(0, 0, w, w);
        for (int i = 0; i < locals; ++i) f->ColorMap().Add(RGBColor(9, uint8_t(i), 9));
        for (int i = 0; i < w * w; ++i) f->Data()[i] = uint8_t(pixel(i % w, i / w));
        gif.Images().Add(std::move(f));
        SetTiming(gif.Images()[gif.Images().Count() - 1], 1, 1);
    };
    TGIFImage full, grown, past;
    for (TGIFImage* gif : {&full, &grown, &past})
        for (int i = 0; i < 4; ++i) gif->GlobalColorMap().Add(RGBColor(uint8_t(60 * i), 7, 7));
    frame(full, 32, 0, [](int x, int y) { return (x * 5 + y * 11 + x * y) % 3 + 1; });
    frame(full, 32, 0, [](int x, int y) { return y == 0 ? 4 : (x * 5 + y * 11 + x * y) % 3 + 1; });
    full.Images()[1].GraphicControlExtension()->SetTransparent(true);
    full.Images()[1].GraphicControlExtension()->SetTransparentColorIndex(4);
    frame(full, 2, 2, [](int x, int) { return x; });
    frame(grown, 10, 0, [](int x, int y) { return (x * 5 + y * 11 + x * y) % 4; });
    frame(grown, 10, 0, [](int x, int y) { return y < 3 ? (x * 7 + y * 3 + 1) % 4 : (x * 5 + y * 11 + x * y) % 4; });
    frame(past, 8, 0, [](int x, int y) { return x < 1 ? 0 : 1 + (x + y) % 3; });
    frame(past, 8, 0, [](int x, int y) { return x + y == 14 ? 4 : x < 1 ? 0 : 1 + (x + y) % 3; });
    past.Header().SetBackgroundColorIndex(200);
    const size_t grownSize = Save(grown).size();
    const std::vector<QImage> shown = Moments(full), pastShown = Moments(past);
    for (TGIFImage* gif : {&full, &past})
        gif->Optimize(ooColorMap | ooMerge, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
    grown.Optimize(ooMerge, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
    EXPECT_TRUE(Moments(full) == shown && Moments(past) == pastShown);
    EXPECT_EQ(Save(full)[10] & 7, 1);
    EXPECT_LT(full.Header().BackgroundColorIndex(), 2);
    for (TGIFImage* gif : {&full, &past}) EXPECT_EQ(gif->Header().BackgroundColor(), RGBColor(0, 7, 7));
    EXPECT_LE(Save(grown).size(), grownSize);
}

TEST(GifGraphic, OptimiserKeepsAMergedOrCroppedFrameOnlyWhenItEncodesNoLarger) {
    // A dithered photo panning across: the pixels that repeat the frame
    // below are scattered, and made transparent they break the runs the
    // compressor would find.
    const QImage photo(QString::fromUtf8(VELMORA_TESTDATA_DIR "/jpeg/dune-1000.jpg"));
    TGIFImage gif;
    gif.SetColorReduction(TColorReduction::ReduceOctree);
    gif.SetDitherMode(TDitherMode::DitherFloydSteinberg);
    gif.SetReductionBits(7);
    for (int i = 0; i < 4; ++i) {
        gif.Add(photo.copy(300 + 3 * i, 400, 160, 120).convertToFormat(QImage::Format_RGB32));
        SetTiming(gif.Images()[i], 8, 1);
    }
    const size_t plain = Save(gif).size();
    const std::vector<QImage> before = Moments(gif);
    gif.Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
    EXPECT_TRUE(Moments(gif) == before);
    EXPECT_LE(Save(gif).size(), plain);
}
