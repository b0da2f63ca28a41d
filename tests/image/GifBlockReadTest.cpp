// Reading the GIF block tree: header, extensions with both registries,
// frames, trailer, and the warnings and errors of damaged blocks.
#include "GifTestSupport.h"

#include "image/TMemStream.h"
#include "image/TSeekableHostStream.h"
#include "image/gif/GIFException.h"
#include "image/gif/GIFExtensionRegistry.h"
#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFCommentExtension.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFTextExtension.h"
#include "image/gif/TGIFUnknownAppExtension.h"
#include "image/gif/TGIFUnknownExtension.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace image;
using namespace giftest;
using Warnings = std::vector<std::string>;

namespace {

constexpr int Clear2 = 4;
constexpr int End2 = 5;

// A 2 x 1 frame of pixels 1, 2 on a 2-bit table.
std::string SmallFrame() { return Frame(2, 1, 2, {Clear2, 1, 2, End2}); }

std::string AppExt(int size, const std::string& ident, const std::string& blocks) {
    return std::string("!\xFF") + static_cast<char>(size) + ident + blocks;
}

template <class T>
T* ExtensionOf(TGIFImage& image, int frame, int index) {
    return dynamic_cast<T*>(&image.Images()[frame].Extensions()[index]);
}

} // namespace

TEST(GifBlockRead, SignatureMayFollowFourBytesInAnyCaseWithAnyVersion) {
    const std::string body = Header(2, 1, 2).substr(6) + SmallFrame() + ";";
    for (const std::string& head : {std::string("GIF89a"), std::string("gif87a"), std::string("GiFxyz"),
                                    std::string("abcdGIF89a")}) {
        SCOPED_TRACE(head);
        TGIFImage image;
        const LoadResult r = Load(head + body, image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(image.Images().Count(), 1);
    }
    struct Bad {
        std::string bytes;
        const char* error;
    };
    for (const Bad& b : {Bad{"GIX89a" + body, SBadSignature}, Bad{"abcdeGIF89a" + body, SBadSignature},
                         Bad{"GIF", SPrematureEOF}, Bad{"xxxxxxGI", SPrematureEOF}}) {
        TGIFImage image;
        const LoadResult r = Load(b.bytes, image);
        EXPECT_EQ(r.Error, b.error);
        EXPECT_EQ(r.Position, 0);
    }
}

TEST(GifBlockRead, StrayAndZeroBytesBetweenBlocks) {
    struct Case {
        const char* what;
        std::string bytes;
        int frames;
        Warnings warnings;
        bool firstEmpty = false;
    };
    const Case cases[] = {
        // The trailer check then looks at the byte before the stray one.
        {"between frames", Header(2, 1, 2) + SmallFrame() + "X" + SmallFrame() + ";", 1,
         {SUnknownBlockType, SBadTrailer}},
        // Where an extension or descriptor should start, the frame keeps its
        // extensions and no descriptor is read from the stray bytes.
        {"after an extension", Header(2, 1, 2) + Gce(false, 0) + "X" + SmallFrame() + ";", 1,
         {SBadExtensionIntroducer, SUnknownBlockType, SBadTrailer}, true},
        // No trailer at all is no warning.
        {"missing trailer", Header(2, 1, 2) + SmallFrame() + SmallFrame(), 2, {}},
        // Zero bytes between blocks are skipped without a warning, also
        // between a frame's extensions and its image, which stay one frame.
        {"zero bytes between blocks",
         Header(2, 1, 2) + std::string(3, '\0') + SmallFrame() + std::string(2, '\0') + SmallFrame() + '\0' + ";", 2,
         {}},
        {"zero byte before an image", Header(2, 1, 2) + Gce(true, 1) + '\0' + SmallFrame() + ";", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGIFImage image;
        const LoadResult r = Load(c.bytes, image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(image.Images().Count(), c.frames);
        EXPECT_EQ(r.Warnings, c.warnings);
        EXPECT_EQ(image.Images()[0].Empty(), c.firstEmpty);
    }
}

TEST(GifBlockRead, ExtensionsBeforeTheTrailerMakeAnEmptyFrame) {
    TGIFImage image;
    const LoadResult r = Load(Header(2, 1, 2) + SmallFrame() + "!\xFE\x03" "end\x00;", image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    ASSERT_EQ(image.Images().Count(), 2);
    const TGIFSubImage& last = image.Images()[1];
    EXPECT_TRUE(last.Empty());
    EXPECT_EQ(last.Width(), 0);
    ASSERT_EQ(last.Extensions().Count(), 1);
    EXPECT_EQ(ExtensionOf<TGIFCommentExtension>(image, 1, 0)->Text(), std::vector<std::string>{"end"});
}

TEST(GifBlockRead, FrameOfWidthZeroTakesTheScreenSize) {
    TGIFImage image;
    const LoadResult r = Load(Header(3, 2, 2) + Frame(0, 5, 2, {Clear2, 1, 2, 3, 1, 2, 3, End2}) + ";", image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, Warnings{SScreenSizeExceeded});
    TGIFSubImage& f = image.Images()[0];
    EXPECT_EQ(f.Width(), 3);
    EXPECT_EQ(f.Height(), 2);
    EXPECT_EQ(f.Scanline(1)[2], 3);
}

TEST(GifBlockRead, LogicalScreenStaysAsReadThoughFramesReachPastIt) {
    // As other readers keep it, and written so; a side of 0 shows as far as
    // the frames reach.
    const std::string data = '\x02' + SubBlocks(PackCodes(2, {Clear2, 1, 2, End2}));
    TGIFImage image;
    const std::pair<QSize, QSize> screens[] = {{{5, 5}, {5, 5}}, {{0, 5}, {12, 5}}, {{0, 0}, {12, 21}}};
    for (const auto& [screen, shown] : screens) {
        ASSERT_TRUE(Load(Header(screen.width(), screen.height(), 2) + Descriptor(0, 0, 2, 1) + data +
                             Descriptor(10, 20, 2, 1) + data + ";", image).Ok());
        EXPECT_EQ(QSize(image.Width(), image.Height()), screen);
        EXPECT_EQ(image.Images()[1].BoundsRect(), QRect(10, 20, 2, 1));
        EXPECT_EQ(image.ScreenRect().size(), shown);
        EXPECT_EQ(Save(image).substr(6, 4), Header(screen.width(), screen.height(), 0).substr(6, 4));
    }
}

TEST(GifBlockRead, ExtensionsReadIntoTheirClasses) {
    const std::string text = B("!\x01\x0C\x01\x00\x02\x00\x03\x00\x04\x00\x05\x06\x07\x08") + SubBlocks("Hello, GIF");
    // Comment bytes stay raw: invalid UTF-8, a NUL, one string per sub-block.
    const std::string comment = B("!\xFE\x03\xE9\x00\xFF\x02" "ok\x00");
    const std::string loop = AppExt(11, "NETSCAPE2.0", B("\x03\x01\x05\x00\x05\x02\x00\x10\x00\x00\x00"));
    const std::string anim = AppExt(11, "ANIMEXTS1.0", B("\x03\x01\x02\x00\x00"));
    const std::string other = AppExt(11, "XMP DataXMP", std::string("\x02" "ab" "\x01" "z") + '\0');
    const std::string gif = Header(2, 1, 2) + text + comment + loop + anim + other + Gce(true, 2, 150, 2) +
                            SmallFrame() + ";";
    TGIFImage image;
    const LoadResult r = Load(gif, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_TRUE(r.Warnings.empty());
    ASSERT_EQ(image.Images().Count(), 1);
    const TGIFSubImage& frame = image.Images()[0];
    ASSERT_EQ(frame.Extensions().Count(), 6);

    const auto* t = ExtensionOf<TGIFTextExtension>(image, 0, 0);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->PlainTextData().Left, 1);
    EXPECT_EQ(t->PlainTextData().Height, 4);
    EXPECT_EQ(t->PlainTextData().BackgroundColorIndex, 8);
    EXPECT_EQ(t->Text(), std::vector<std::string>{"Hello, GIF"});

    const auto* c = ExtensionOf<TGIFCommentExtension>(image, 0, 1);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Text(), (std::vector<std::string>{std::string("\xE9\x00\xFF", 3), "ok"}));

    const auto* l = ExtensionOf<TGIFAppExtNSLoop>(image, 0, 2);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Loops(), 5);
    EXPECT_EQ(l->BufferSize(), 0x1000u);
    const auto* a = ExtensionOf<TGIFAppExtNSLoop>(image, 0, 3);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Loops(), 2);
    EXPECT_EQ(a->Ident(), MakeAppIdent("ANIMEXTS1.0"));

    const auto* u = ExtensionOf<TGIFUnknownAppExtension>(image, 0, 4);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->Ident(), MakeAppIdent("XMP DataXMP"));
    ASSERT_EQ(u->Blocks().size(), 2u);
    EXPECT_EQ(u->Blocks()[1].Size(), 1);
    EXPECT_EQ(u->Blocks()[1].Data()[0], 'z');

    const auto* g = ExtensionOf<TGIFGraphicControlExtension>(image, 0, 5);
    ASSERT_TRUE(g);
    EXPECT_EQ(frame.GraphicControlExtension(), g);
    EXPECT_TRUE(frame.Transparent());
    EXPECT_TRUE(image.IsTransparent());
    EXPECT_EQ(g->Delay(), 150);
    EXPECT_EQ(g->Disposal(), 2);
    EXPECT_EQ(g->TransparentColorIndex(), 2);
    EXPECT_EQ(frame.GetVersion(), TGIFVersion::gv89a);
}

TEST(GifBlockRead, ApplicationExtensionBlockSizes) {
    struct Case {
        const char* what;
        std::string ext;
        const char* error;  // nullptr: loads
        const char* className;
    };
    const Case cases[] = {
        // A size of 10: ten identifier bytes, then the data as usual.
        {"size 10", AppExt(10, "NETSCAPE2.", B("\x03\x01\x00\x00\x00")), nullptr, "TGIFUnknownAppExtension"},
        {"size 9", AppExt(9, "NETSCAPE2", B("\x00")), SBadAppExtBlockSize, nullptr},
        // Longer blocks are known by their first 11 bytes; the rest is skipped.
        {"size 13", AppExt(13, "NETSCAPE2.0xy", B("\x03\x01\x07\x00\x00")), nullptr, "TGIFAppExtNSLoop"},
        {"loop sub-block too short", AppExt(11, "NETSCAPE2.0", B("\x02\x01\x07\x00")), SBadGIFData, nullptr},
        {"buffer sub-block too short", AppExt(11, "NETSCAPE2.0", B("\x03\x02\x07\x00\x00")), SBadGIFData,
         nullptr},
        {"cut off in the identifier", AppExt(11, "NETSCAPE", ""), SPrematureEOF, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGIFImage image;
        const bool cutOff = c.ext.size() < 14;
        const LoadResult r = Load(Header(2, 1, 2) + c.ext + (cutOff ? "" : SmallFrame() + ";"), image);
        if (c.error) {
            EXPECT_EQ(r.Error, c.error);
            EXPECT_EQ(r.Position, 0);
            continue;
        }
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_TRUE(r.Warnings.empty());
        ASSERT_EQ(image.Images().Count(), 1);
        ASSERT_EQ(image.Images()[0].Extensions().Count(), 1);
        const TGIFExtension& e = image.Images()[0].Extensions()[0];
        if (std::string(c.className) == "TGIFAppExtNSLoop") {
            ASSERT_TRUE(dynamic_cast<const TGIFAppExtNSLoop*>(&e));
            EXPECT_EQ(dynamic_cast<const TGIFAppExtNSLoop&>(e).Loops(), 7);
        } else {
            EXPECT_TRUE(dynamic_cast<const TGIFUnknownAppExtension*>(&e));
        }
        EXPECT_EQ(image.Images()[0].DataSize(), 2);
    }
}

TEST(GifBlockRead, UnknownExtensionLabelIsKeptWithAWarning) {
    const std::string gif = Header(2, 1, 2) + "!\x42" + SubBlocks("private data", 5) + SmallFrame() + ";";
    TGIFImage image;
    const LoadResult r = Load(gif, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, Warnings{SUnknownExtension});
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(image.Images()[0].DataSize(), 2);
    const auto* u = ExtensionOf<TGIFUnknownExtension>(image, 0, 0);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->GetExtensionType(), 0x42);
    std::string kept;
    for (const TGIFBlock& b : u->Blocks()) kept.append(reinterpret_cast<const char*>(b.Data()), size_t(b.Size()));
    EXPECT_EQ(kept, "private data");
    EXPECT_EQ(u->Blocks().size(), 3u);

    // The label alone, at the very end, cannot be kept.
    TGIFImage cut;
    EXPECT_EQ(Load(Header(2, 1, 2) + "!", cut).Error, SUnknownExtension);
}

TEST(GifBlockRead, GifsicleExtensionOfItsOwnLoads) {
    if (!HaveTool("gifsicle")) GTEST_SKIP() << "gifsicle is missing";
    testsupport::TempDir dir;
    const std::string in = (dir / "in.gif").string();
    testsupport::WriteFile(in, Header(2, 1, 2) + SmallFrame() + ";");
    std::string out;
    ASSERT_TRUE(giftest::Run("gifsicle", {"--extension", "0x42", "made by gifsicle", QString::fromStdString(in)}, &out));
    TGIFImage image;
    const LoadResult r = Load(out, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, Warnings{SUnknownExtension});
    EXPECT_EQ(image.Images()[0].DataSize(), 2);
}

TEST(GifBlockRead, ShortGraphicControlExtensionWarnsAndLeavesTheFrameOpaque) {
    TGIFImage image;
    const LoadResult r = Load(Header(2, 1, 2) + "!\xF9\x04\x01\x00", image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, Warnings{SPrematureEOF});
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_FALSE(image.Images()[0].Transparent());
}

TEST(GifBlockRead, StreamPositionAfterLoadingAndAfterFailing) {
    const std::string gif = Header(2, 1, 2) + SmallFrame() + ";";
    // After a load the stream stands right after the trailer.
    TGIFImage image;
    EXPECT_EQ(Load(gif + "more", image).Position, static_cast<int64_t>(gif.size()));

    // Through the library's own streams too, with the library stream in step.
    TMemStream m;
    m.Write("pre", 3);
    m.Write(gif.data(), static_cast<int>(gif.size()));
    m.Write("post", 4);
    m.SetPosition(3);
    {
        TSeekableHostStream host(m);
        image.LoadFromStream(host);
    }
    EXPECT_EQ(m.GetPosition(), 3 + static_cast<int64_t>(gif.size()));
    EXPECT_EQ(image.Images()[0].DataSize(), 2);

    // A failure returns it to where reading began.
    m.SetPosition(3);
    m.SetPosition(3 + 13);
    m.Truncate();
    m.SetPosition(3);
    {
        TSeekableHostStream host(m);
        EXPECT_THROW(image.LoadFromStream(host), GIFException);
    }
    EXPECT_EQ(m.GetPosition(), 3);
}

TEST(GifBlockRead, FramePixelAccess) {
    TGIFImage image;
    ASSERT_TRUE(Load(Header(2, 1, 2) + SmallFrame() + ";", image).Ok());
    TGIFSubImage& f = image.Images()[0];
    EXPECT_EQ(f.Pixels(1, 0), 2);
    f.SetPixels(0, 0, 3);
    EXPECT_EQ(f.Scanline(0)[0], 3);
    for (auto [x, y] : {std::pair{2, 0}, std::pair{-1, 0}, std::pair{0, 1}}) {
        try {
            f.Pixels(x, y);
            ADD_FAILURE() << x << "," << y;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), SBadPixelCoordinates);
        }
    }
    // A frame without pixels gets a zero-filled buffer when one is asked for.
    f.FreeImage();
    EXPECT_TRUE(f.Empty());
    EXPECT_EQ(f.Pixels(1, 0), 0);
    EXPECT_EQ(f.DataSize(), 2);
}
