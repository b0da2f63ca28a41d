// Writing GIFs: every file we write must read back through giflib's
// DGifSlurp (and ImageMagick) with the same pixels and extensions, through
// our own reader unchanged, and be written again byte for byte. giflib's LZW
// makes the same codes as ours, so a giflib file with full tables comes back
// identical too.
#include "GifTestSupport.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFCommentExtension.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFTextExtension.h"
#include "image/gif/TGIFUnknownAppExtension.h"
#include "image/gif/TGIFUnknownExtension.h"
#include "image/gif/TGIFWriter.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

using namespace image;
using namespace giftest;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

constexpr TGIFCompression Encoders[] = {TGIFCompression::gcLZW, TGIFCompression::gcRLE};

// Reads `bytes` with our reader (with the warnings given), writes it again
// and expects the same bytes.
void ExpectStableRoundTrip(const std::string& bytes, TGIFCompression compression,
                           const std::vector<std::string>& warnings = {}) {
    TGIFImage again;
    const LoadResult r = Load(bytes, again);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, warnings);
    again.SetCompression(compression);
    EXPECT_EQ(Save(again), bytes);
}

struct Shape {
    int Width, Height, Bits;
    Fill Content;
    bool Interlace;
};

} // namespace

TEST(GifWrite, EveryDepthAndShapeReadsAsGiflibAndBackWithBothEncoders) {
    const Shape shapes[] = {
        {1, 1, 1, Fill::Flat, false},      {7, 3, 1, Fill::Random, false},    {64, 1, 2, Fill::Random, false},
        {1, 64, 3, Fill::Gradient, true},  {100, 75, 4, Fill::Random, false}, {255, 9, 5, Fill::Runs, true},
        {31, 17, 6, Fill::Random, true},   {90, 90, 7, Fill::Gradient, false}, {300, 300, 8, Fill::Random, false},
        {640, 480, 8, Fill::Flat, false},  {333, 201, 8, Fill::Runs, true},   {400, 300, 2, Fill::Runs, false},
        {5, 1, 2, Fill::Random, true},     {5, 2, 2, Fill::Random, true},     {5, 3, 2, Fill::Random, true},
        {5, 5, 2, Fill::Random, true},     {5, 9, 2, Fill::Random, true},     {255, 9, 5, Fill::Stripes, true},
        {333, 201, 8, Fill::Stripes, true}, {200, 150, 8, Fill::Gradient, true}, {5, 1, 8, Fill::Random, true},
        {1, 2, 2, Fill::Random, true},     {3, 3, 1, Fill::Random, true},     {4, 5, 2, Fill::Random, true},
        {2, 9, 3, Fill::Random, true},
        // Longer than the run-length encoder's table reaches (about 8.4
        // million pixels of one colour between clears).
        {3000, 3000, 1, Fill::Flat, false},
    };
    unsigned seed = 7;
    for (const Shape& s : shapes) {
        const EncodeFrame frame{0,  0, s.Width, s.Height, s.Interlace,
                                0, -1, Pixels(s.Width, s.Height, s.Bits, s.Content, seed++)};
        const std::string giflib = EncodeWithGiflib(s.Width, s.Height, s.Bits, {frame});
        const std::string what = std::to_string(s.Width) + "x" + std::to_string(s.Height) + " " +
                                 std::to_string(s.Bits) + " bits" + (s.Interlace ? " interlaced" : "");
        // giflib's file itself reads as giflib reads it.
        ExpectSameAsGiflib(giflib, what);
        for (TGIFCompression compression : Encoders) {
            SCOPED_TRACE(what + (compression == TGIFCompression::gcRLE ? " RLE" : " LZW"));
            TGIFImage image;
            ASSERT_TRUE(Load(giflib, image).Ok());
            image.SetCompression(compression);
            const std::string ours = Save(image);
            EXPECT_EQ(ours.substr(0, 6), "GIF87a");

            OracleImage oracle;
            std::string error;
            ASSERT_TRUE(Slurp(ours, oracle, error)) << error;
            ASSERT_EQ(oracle.Frames.size(), 1u);
            EXPECT_EQ(oracle.GlobalColors, 1 << s.Bits);
            EXPECT_EQ(oracle.Frames[0].Interlace, s.Interlace);
            EXPECT_TRUE(oracle.Frames[0].Pixels == frame.Pixels);

            ExpectStableRoundTrip(ours, compression);
            // Same codes as giflib's encoder: only the version and the colour
            // resolution (giflib always writes 8 bits) may differ.
            if (compression == TGIFCompression::gcLZW && s.Bits == 8) {
                EXPECT_TRUE(ours.substr(6) == giflib.substr(6));
            }
        }
    }
}

TEST(GifWrite, AnimationKeepsLocalTablesTransparencyAndEveryExtension) {
    std::vector<EncodeFrame> frames(4);
    frames[0] = {0, 0, 120, 80, false, 0, -1, Pixels(120, 80, 8, Fill::Gradient, 1)};
    frames[1] = {10, 5, 50, 40, true, 4, 3, Pixels(50, 40, 4, Fill::Random, 2)};
    frames[2] = {0, 70, 120, 10, true, 0, 0, Pixels(120, 10, 8, Fill::Runs, 3)};
    frames[3] = {119, 79, 1, 1, false, 1, 1, Pixels(1, 1, 1, Fill::Flat, 4)};
    const std::string giflib = EncodeWithGiflib(120, 80, 8, frames);

    for (TGIFCompression compression : Encoders) {
        SCOPED_TRACE(compression == TGIFCompression::gcRLE ? "RLE" : "LZW");
        TGIFImage image;
        ASSERT_TRUE(Load(giflib, image).Ok());
        image.SetCompression(compression);
        TGIFSubImage& first = image.Images()[0];
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&first);
        loop->SetLoops(3);
        loop->SetBufferSize(0x01020304);
        first.Extensions().Add(std::move(loop));
        auto comment = std::make_unique<TGIFCommentExtension>(&first);
        comment->Text() = {"made here", std::string(300, 'c')};
        first.Extensions().Add(std::move(comment));
        auto text = std::make_unique<TGIFTextExtension>(&first);
        text->PlainTextData().Width = 0x0102;
        text->PlainTextData().ForegroundColorIndex = 9;
        text->Text() = {"Hi"};
        first.Extensions().Add(std::move(text));
        auto app = std::make_unique<TGIFUnknownAppExtension>(&first);
        app->SetIdent(MakeAppIdent("XMP DataXMP"));
        app->Blocks().emplace_back(2);
        app->Blocks().back().Data()[1] = 0x7F;
        app->Blocks().emplace_back(255);
        first.Extensions().Add(std::move(app));
        auto unknown = std::make_unique<TGIFUnknownExtension>(&first);
        unknown->SetExtensionType(0x2A);
        unknown->Blocks().emplace_back(3);
        first.Extensions().Add(std::move(unknown));
        // Extensions after the last frame travel in a frame without pixels.
        auto last = std::make_unique<TGIFSubImage>(&image);
        auto end = std::make_unique<TGIFCommentExtension>(last.get());
        end->Text() = {"the end"};
        last->Extensions().Add(std::move(end));
        image.Images().Add(std::move(last));

        const std::string ours = Save(image);
        EXPECT_EQ(ours.substr(0, 6), "GIF89a");
        OracleImage oracle;
        std::string error;
        ASSERT_TRUE(Slurp(ours, oracle, error)) << error;
        ASSERT_EQ(oracle.Frames.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const OracleFrame& got = oracle.Frames[i];
            EXPECT_EQ(got.Left, frames[i].Left);
            EXPECT_EQ(got.Top, frames[i].Top);
            EXPECT_EQ(got.LocalColors, frames[i].LocalBits ? 1 << frames[i].LocalBits : 0);
            EXPECT_EQ(got.TransparentIndex, frames[i].TransparentIndex);
            // A frame with a local table is written in row order.
            EXPECT_EQ(got.Interlace, frames[i].Interlace && frames[i].LocalBits == 0);
            EXPECT_TRUE(got.Pixels == frames[i].Pixels);
        }
        using X = OracleExtensionBlock;
        const std::string c255(255, 'c'), c45(45, 'c');
        const std::vector<X> expected = {
            {0xFF, "NETSCAPE2.0"}, {0, B("\x01\x03\x00")}, {0, B("\x02\x04\x03\x02\x01")},
            {0xFE, "made here"},   {0, c255},              {0, c45},
            {0x01, B("\x00\x00\x00\x00\x02\x01\x00\x00\x00\x00\x09\x00")}, {0, "Hi"},
            {0xFF, "XMP DataXMP"}, {0, B("\x00\x7F")},     {0, std::string(255, '\0')},
            {0x2A, std::string(3, '\0')},
        };
        EXPECT_TRUE(oracle.Frames[0].Extensions == expected);
        EXPECT_TRUE((oracle.Frames[1].Extensions == std::vector<X>{{0xF9, B("\x01\x00\x00\x03")}}));
        EXPECT_TRUE((oracle.TrailingExtensions == std::vector<X>{{0xFE, "the end"}}));
        // Our reader keeps the extension of its own label, with a warning.
        ExpectStableRoundTrip(ours, compression, {"Unknown extension type"});
    }
}

TEST(GifWrite, DamagedExtensionsAreWrittenAsTheFormatHasThemOrDropped) {
    struct Case {
        const char* what;
        std::string extension;
        std::vector<OracleExtensionBlock> written;  // as giflib reads them back
        std::vector<std::string> saveWarnings;
        int loops = -1;  // the looping extension's count read back; -1 none
    };
    const std::string twelve = B("\x01\x00\x02\x00\x03\x00\x04\x00\x08\x08\x01\x00");
    const Case cases[] = {
        // A block size of 5 and its fifth byte: read as 4 bytes, a terminator
        // of 7 and a stray zero.
        {"graphic control, size 5", B("!\xF9\x05\x09\x0A\x00\x01\x07\x00"), {{0xF9, B("\x09\x0A\x00\x01")}}, {}},
        {"graphic control, terminator 3", B("!\xF9\x04\x09\x0A\x00\x01\x03"), {{0xF9, B("\x09\x0A\x00\x01")}}, {}},
        {"plain text, size 11", B("!\x01\x0B") + twelve + B("\x02hi\x00"), {{0x01, twelve}, {0, "hi"}}, {}},
        // Ten identifier bytes, written as the eleven they stand for: the
        // looping extension loops on, in ours and in giflib.
        {"application, size 10, all 11 bytes there",
         B("!\xFF\x0ANETSCAPE2.\x30") + std::string(48, 'x') + B("\x03\x01\x05\x00\x00"),
         {{0xFF, "NETSCAPE2.0"}, {0, std::string(48, 'x')}, {0, B("\x01\x05\x00")}}, {}, 5},
        {"application, size 10, the last byte left out", B("!\xFF\x0ANETSCAPE2.\x03\x01\x07\x00\x00"),
         {{0xFF, "NETSCAPE2.0"}, {0, B("\x01\x07\x00")}}, {}, 7},
        // Data the looping extension cannot read keeps it from being named.
        {"application, size 10, not a loop", B("!\xFF\x0ANETSCAPE2.\x01\x01\x00"),
         {{0xFF, "NETSCAPE2. "}, {0, B("\x01")}}, {}},
        {"application, size 10, unregistered", B("!\xFF\x0A" "APPNAME1.2\x02" "ab\x00"),
         {{0xFF, "APPNAME1.2 "}, {0, "ab"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGIFImage image;
        const LoadResult r = Load(Header(2, 1, 2) + c.extension + Frame(2, 1, 2, {4, 1, 2, 5}) + ";", image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        std::vector<std::string> warnings;
        image.SetOnWarning([&](platform::TPersistent*, TGIFSeverity, const std::string& m) { warnings.push_back(m); });
        const std::string ours = Save(image);
        EXPECT_EQ(warnings, c.saveWarnings);
        OracleImage oracle;
        std::string error;
        ASSERT_TRUE(Slurp(ours, oracle, error)) << error;
        ASSERT_EQ(oracle.Frames.size(), 1u);
        EXPECT_TRUE(oracle.Frames[0].Extensions == c.written);
        EXPECT_TRUE((oracle.Frames[0].Pixels == std::vector<uint8_t>{1, 2}));
        TGIFImage again;
        const LoadResult back = Load(ours, again);
        ASSERT_TRUE(back.Ok()) << back.Error;
        EXPECT_TRUE(back.Warnings.empty());
        const TGIFAppExtNSLoop* loop = again.Images()[0].Extensions().Count() > 0
                               ? dynamic_cast<const TGIFAppExtNSLoop*>(&again.Images()[0].Extensions()[0])
                               : nullptr;
        EXPECT_EQ(loop ? loop->Loops() : -1, c.loops);
        // The optimiser's clean-up keeps such a loop on the first of two frames.
        if (c.loops < 0) continue;
        TGIFImage two;
        ASSERT_TRUE(Load(Header(2, 1, 2) + c.extension + Frame(2, 1, 2, {4, 1, 2, 5}) + Frame(2, 1, 2, {4, 2, 1, 5}) + ";",
                         two).Ok());
        two.Optimize(ooCleanup, TColorReduction::ReduceNone, TDitherMode::DitherNone, 8);
        ASSERT_TRUE(Load(Save(two), again).Ok());
        loop = again.Images()[0].Extensions().Count() > 0
                   ? dynamic_cast<const TGIFAppExtNSLoop*>(&again.Images()[0].Extensions()[0])
                   : nullptr;
        EXPECT_EQ(loop ? loop->Loops() : -1, c.loops);
    }
}

TEST(GifWrite, GiflibFilesWithFullTablesComeBackByteForByte) {
    std::vector<EncodeFrame> frames(3);
    frames[0] = {0, 0, 300, 200, false, 0, 5, Pixels(300, 200, 8, Fill::Random, 11)};
    frames[1] = {3, 4, 97, 61, true, 0, 0, Pixels(97, 61, 8, Fill::Gradient, 12)};
    frames[2] = {0, 0, 300, 200, false, 8, 255, Pixels(300, 200, 8, Fill::Runs, 13)};
    const std::string giflib = EncodeWithGiflib(300, 200, 8, frames);
    TGIFImage image;
    ASSERT_TRUE(Load(giflib, image).Ok());
    EXPECT_TRUE(Save(image) == giflib);
}

TEST(GifWrite, AFullTableWithTheTransparentIndexPastItKeepsItsSize) {
    // gifsicle spares a table entry so: 4 colours, transparent index 4.
    const std::string codes = char(3) + SubBlocks(PackCodes(3, {8, 0, 4, 3, 4, 9}));
    const std::string grey = Header(4, 1, 2).substr(13);
    for (const std::string& file : {Header(4, 1, 2) + Gce(true, 4) + Descriptor(0, 0, 4, 1) + codes + ";",
                                    Header(4, 1, 0) + Gce(true, 4) + Descriptor(0, 0, 4, 1, 0x81) + grey + codes + ";"}) {
        TGIFImage image;
        ASSERT_TRUE(Load(file, image).Ok());
        const std::string saved = Save(image);
        EXPECT_EQ(saved.size(), file.size());
        OracleImage oracle;
        std::string error;
        ASSERT_TRUE(Slurp(saved, oracle, error)) << error;
        EXPECT_EQ(oracle.Frames[0].Pixels, (std::vector<uint8_t>{0, 4, 3, 4}));
        EXPECT_EQ(oracle.Frames[0].TransparentIndex, 4);
    }
}

TEST(GifWrite, SubBlocksCodeSizesAndVersions) {
    // The writer cuts sub-blocks at 255 bytes and writes no empty one.
    for (int n : {0, 1, 255, 256, 255 * 17, 255 * 17 + 1}) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        TGIFWriter writer(buffer);
        std::string bytes;
        for (int i = 0; i < n; ++i) {
            bytes += char(i);
            writer.Write(uint8_t(i));
        }
        writer.Flush();
        EXPECT_EQ(data.toStdString() + '\0', SubBlocks(bytes)) << n;
    }

    // One colour still gets the smallest code size GIF allows, and the
    // global table is padded to a power of two with black.
    TGIFImage image;
    image.GlobalColorMap().Add(RGBColor(1, 2, 3));
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, 4, 4);
    image.Images().Add(std::move(frame));
    std::string bytes = Save(image);
    EXPECT_EQ(bytes.substr(0, 6), "GIF87a");
    EXPECT_EQ(uint8_t(bytes[10]), 0x80);  // global table of 2 entries, colour resolution 1 bit
    EXPECT_EQ(bytes.substr(13, 6), B("\x01\x02\x03\x00\x00\x00"));
    EXPECT_EQ(bytes[19 + 10], 2);

    // Without a local table the frame may use every index of the global
    // table's bit depth; a pixel past it widens the table as written.
    for (int i = 1; i < 16; ++i) image.GlobalColorMap().Add(RGBColor(uint8_t(i), 0, 0));
    TGIFSubImage& f = image.Images()[0];
    f.SetPixels(3, 3, 15);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetDelay(7);
    f.Extensions().Add(std::move(gce));
    bytes = Save(image);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    EXPECT_EQ(bytes[13 + 48 + 8 + 10], 4);
    OracleImage oracle;
    std::string error;
    ASSERT_TRUE(Slurp(bytes, oracle, error)) << error;
    EXPECT_EQ(oracle.Frames[0].Pixels[15], 15);
    f.SetPixels(3, 3, 16);
    bytes = Save(image);
    EXPECT_EQ(uint8_t(bytes[10]) & 7, 4);  // 32 entries
    EXPECT_EQ(bytes[13 + 96 + 8 + 10], 5);
    ASSERT_TRUE(Slurp(bytes, oracle, error)) << error;
    EXPECT_EQ(oracle.GlobalColors, 32);
    EXPECT_EQ(oracle.Frames[0].Pixels[15], 16);
}

namespace {

// A device that takes `room` bytes and then refuses, like a full disk.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override {
        if (m_room <= 0) return -1;
        const qint64 n = std::min(len, m_room);
        m_room -= n;
        return n;
    }

private:
    qint64 m_room;
};

template <class E>
std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(GifWrite, FailedWritesRaiseAndLeaveNoHalfFile) {
    TGIFImage empty;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(ErrorOf<GIFException>([&] { empty.SaveToStream(buffer); }), "Unsupported GIF version");
    EXPECT_TRUE(data.isEmpty());

    TGIFImage image;
    const EncodeFrame frame{0, 0, 200, 100, false, 4, -1, Pixels(200, 100, 4, Fill::Random, 5)};
    ASSERT_TRUE(Load(EncodeWithGiflib(200, 100, 8, {frame}), image).Ok());
    for (qint64 room : {0, 5, 300, 2000}) {
        FullDevice full(room);
        EXPECT_EQ(ErrorOf<EInOutError>([&] { image.SaveToStream(full); }), "Stream write error") << room;
    }
    buffer.close();
    EXPECT_EQ(ErrorOf<EInOutError>([&] { image.SaveToStream(buffer); }), "Stream write error");

    // A save that fails half-way (here in the progress handler, after the
    // frame was written) leaves the old file as it was, and nothing else in
    // its folder.
    // Progress: stage:percent, the ending with 0 when the save failed.
    std::vector<std::string> events;
    bool fail = true;
    image.SetOnProgress([&](platform::TPersistent*, TProgressStage stage, int percent, bool, const std::string& m) {
        events.push_back(m + std::to_string(int(stage)) + ":" + std::to_string(percent));
        if (fail && stage == TProgressStage::psRunning) RaiseGIFError("stopped");
    });
    TempDir dir;
    const auto path = dir / "photo.gif";
    testsupport::WriteFile(path, "old");
    EXPECT_EQ(ErrorOf<GIFException>([&] { image.SaveToFile(path.string()); }), "stopped");
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"Saving...0:0", "Saving...1:100", "Saving...2:0"}));

    events.clear();
    fail = false;
    image.SaveToFile(path.string());
    EXPECT_EQ(events, (std::vector<std::string>{"Saving...0:0", "Saving...1:100", "Saving...2:100"}));
    OracleImage oracle;
    std::string error;
    EXPECT_TRUE(Slurp(ReadFile(path), oracle, error)) << error;
    events.clear();
    ASSERT_TRUE(Load(ReadFile(path), image).Ok());
    EXPECT_EQ(events, (std::vector<std::string>{"Loading...0:0", "Loading...1:99", "Loading...2:100"}));
    EXPECT_TRUE(ErrorOf<EInOutError>([&] { image.SaveToFile((dir / "no/such/folder.gif").string()); })
                    .starts_with("Cannot create file"));
}

namespace {

// The LZW minimum code size of every frame of a well-formed file.
std::vector<int> CodeSizes(const std::string& gif) {
    const auto at = [&](size_t i) { return uint8_t(gif.at(i)); };
    const auto skipBlocks = [&](size_t i) {
        while (at(i)) i += at(i) + 1u;
        return i + 1;
    };
    std::vector<int> sizes;
    size_t i = 13 + (at(10) & 0x80 ? 3u << ((at(10) & 7) + 1) : 0);
    while (at(i) != ';') {
        if (at(i) == '!') {
            i = skipBlocks(i + 2);
            continue;
        }
        const uint8_t packed = at(i + 9);
        i += 10 + (packed & 0x80 ? 3u << ((packed & 7) + 1) : 0);
        sizes.push_back(at(i));
        i = skipBlocks(i + 1);
    }
    return sizes;
}

} // namespace

TEST(GifWriteTools, CodeSizesAndFullTablesAsGifsicleWritesThem) {
    if (!HaveTool("gifsicle")) GTEST_SKIP() << "gifsicle is missing";
    TempDir dir;
    const auto gifsicle = [&](const std::string& ours, const QStringList& options) {
        const std::string in = (dir / "in.gif").string(), out = (dir / "out.gif").string();
        std::ofstream(in, std::ios::binary) << ours;
        EXPECT_TRUE(giftest::Run("gifsicle", QStringList(options) << QString::fromStdString(in) << "-o"
                                                                  << QString::fromStdString(out)));
        return ReadFile(out);
    };
    const auto frame = [](TGIFImage& image, int width, int height, int localColors, auto pixel) {
        auto f = std::make_unique<TGIFSubImage>(&image);
        f->SetBounds(0, 0, width, height);
        for (int i = 0; i < localColors; ++i) f->ColorMap().Add(RGBColor(uint8_t(i), 9, 9));
        for (int i = 0; i < width * height; ++i) f->Data()[i] = uint8_t(pixel(i % width, i / width));
        image.Images().Add(std::move(f));
    };
    // Each frame's code size follows the largest pixel it holds, whatever
    // table it uses: frames of a 256-entry global table reaching 63, 127,
    // 200 and 255 (as gifsicle writes them); a 2-colour global table's
    // frame before one of a 64-entry local table.
    TGIFImage wide, narrow;
    for (int i = 0; i < 256; ++i) wide.GlobalColorMap().Add(RGBColor(uint8_t(i), 0, 0));
    for (int top : {63, 127, 200, 255}) frame(wide, 16, 16, 0, [top](int x, int y) { return (x + 16 * y) % (top + 1); });
    narrow.GlobalColorMap().Add(RGBColor(0, 0, 0));
    narrow.GlobalColorMap().Add(RGBColor(9, 9, 9));
    frame(narrow, 16, 16, 0, [](int x, int) { return x & 1; });
    frame(narrow, 16, 16, 64, [](int x, int y) { return (x + 16 * y) % 64; });
    EXPECT_EQ(CodeSizes(Save(wide)), (std::vector<int>{6, 7, 8, 8}));
    EXPECT_EQ(CodeSizes(gifsicle(Save(wide), {})), CodeSizes(Save(wide)));
    EXPECT_EQ(CodeSizes(Save(narrow)), (std::vector<int>{2, 6}));
    // A page of text fills the string table with long runs: the full table
    // stays while it serves, and the file is no larger than gifsicle's best.
    std::vector<uint8_t> ink(640 * 480);
    std::mt19937 random(3);
    for (int top = 10; top + 12 < 480; top += 24)
        for (int x = 10; x < 620;) {
            const int width = 2 + int(random() % 2);
            if (random() % 10 < 4)
                for (int y = top; y < top + 12; ++y)
                    for (int i = x; i < x + width; ++i) ink[size_t(y) * 640 + size_t(i)] = 1;
            x += width + 1 + int(random() % 4);
        }
    TGIFImage page;
    page.GlobalColorMap().Add(RGBColor(0, 0, 0));
    page.GlobalColorMap().Add(RGBColor(9, 9, 9));
    frame(page, 640, 480, 0, [&](int x, int y) { return ink[size_t(y) * 640 + size_t(x)]; });
    const std::string ours = Save(page);
    EXPECT_LE(double(ours.size()), 1.01 * double(gifsicle(ours, {"-O3"}).size()));
    OracleImage oracle;
    std::string error;
    ASSERT_TRUE(Slurp(ours, oracle, error)) << error;
    EXPECT_TRUE(oracle.Frames[0].Pixels == ink);
}

TEST(GifWriteTools, ImageMagickDecodesWhatWeWrite) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick's convert is missing";
    std::vector<std::string> files;
    for (int bits = 1; bits <= 8; ++bits) {
        const bool interlace = bits % 2 == 0;
        const EncodeFrame frame{0, 0, 37, 23, interlace, 0, -1, Pixels(37, 23, bits, Fill::Random, unsigned(bits))};
        files.push_back(EncodeWithGiflib(37, 23, bits, {frame}));
    }
    std::vector<EncodeFrame> frames(3);
    frames[0] = {0, 0, 120, 80, false, 0, -1, Pixels(120, 80, 8, Fill::Runs, 1)};
    frames[1] = {10, 5, 50, 40, true, 4, 3, Pixels(50, 40, 4, Fill::Random, 2)};
    frames[2] = {0, 70, 120, 10, true, 0, 0, Pixels(120, 10, 8, Fill::Gradient, 3)};
    files.push_back(EncodeWithGiflib(120, 80, 8, frames));

    TempDir dir;
    const QString gif = QString::fromStdString((dir / "out.gif").string());
    const QString rgb = QString::fromStdString((dir / "out.rgb").string());
    for (size_t n = 0; n < files.size(); ++n)
        for (TGIFCompression compression : Encoders) {
            SCOPED_TRACE("file " + std::to_string(n) + (compression == TGIFCompression::gcRLE ? " RLE" : " LZW"));
            TGIFImage image;
            ASSERT_TRUE(Load(files[n], image).Ok());
            image.SetCompression(compression);
            image.SaveToFile(gif.toStdString());
            ASSERT_TRUE(giftest::Run("convert", {gif, "-alpha", "off", "rgb:" + rgb}));
            // Every frame in its own size, one after the other.
            std::string expected;
            for (const auto& frame : image.Images()) {
                const TGIFColorMap& map = frame->ActiveColorMap();
                for (int64_t i = 0; i < frame->DataSize(); ++i) {
                    const TGIFColor& c = map.Entry(frame->Data()[i]);
                    expected += {char(c.Red), char(c.Green), char(c.Blue)};
                }
            }
            EXPECT_TRUE(ReadFile(rgb.toStdString()) == expected);
        }
}
