// GIF colour tables: indices outside the table, and the optimisation that
// sorts a table by use and remaps the pixels of the frames that use it.
#include "GifTestSupport.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFGraphicControlExtension.h"

#include <gtest/gtest.h>

using namespace image;
using namespace giftest;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr TColor X = RGBColor(10, 20, 30);
constexpr TColor Y = RGBColor(40, 50, 60);
constexpr TColor Z = RGBColor(70, 80, 90);

std::string Rgb(TColor c) {
    return {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>((c >> 16) & 0xFF)};
}

// One 6 x 1 frame with a local table X, Y, X, Z and pixels 0 0 0 1 1 2.
std::string LocalTableGif() {
    return Header(6, 1, 0) + Descriptor(0, 0, 6, 1, 0x81) + Rgb(X) + Rgb(Y) + Rgb(X) + Rgb(Z) + '\x02' +
           SubBlocks(PackCodes(2, {4, 0, 0, 0, 1, 1, 2, 5})) + ";";
}

Bytes PixelsOf(const TGIFSubImage& f) { return Bytes(f.Data(), f.Data() + f.DataSize()); }

} // namespace

TEST(GifColorMap, ColorOutsideTheTableWarnsAndGivesEntryZero) {
    TGIFImage image;
    ASSERT_TRUE(Load(LocalTableGif(), image).Ok());
    std::vector<std::string> warnings;
    image.SetOnWarning([&](platform::TPersistent* sender, TGIFSeverity, const std::string& m) {
        EXPECT_EQ(sender, &image.Images()[0].ColorMap());
        warnings.push_back(m);
    });
    EXPECT_EQ(image.Images()[0].ColorMap().Colors(300), X);
    EXPECT_EQ(image.Images()[0].ColorMap().Colors(3), Z);
    EXPECT_EQ(warnings, std::vector<std::string>{SBadColorIndex});
}

TEST(GifColorMap, OptimizeSortsByUseAndRemapsFramesAndTransparency) {
    // Global grey 0..3; pixels use 1 six times, 3 three times, 0 once and 2
    // never; 3 is the transparent index.
    const std::string gif = Header(10, 1, 2) + Gce(true, 3) +
                            Frame(10, 1, 2, {4, 1, 1, 1, 1, 1, 1, 3, 3, 3, 0, 5}) + ";";
    TGIFImage image;
    ASSERT_TRUE(Load(gif, image).Ok());
    TGIFGlobalColorMap& map = image.GlobalColorMap();
    EXPECT_TRUE(map.Optimize());
    EXPECT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Colors(0), RGBColor(1, 1, 1));
    EXPECT_EQ(map.Colors(1), RGBColor(3, 3, 3));
    EXPECT_EQ(map.Colors(2), RGBColor(0, 0, 0));
    EXPECT_EQ(PixelsOf(image.Images()[0]), (Bytes{0, 0, 0, 0, 0, 0, 1, 1, 1, 2}));
    EXPECT_EQ(image.Images()[0].GraphicControlExtension()->TransparentColorIndex(), 1);
    EXPECT_EQ(image.Header().GetVersion(), TGIFVersion::gv89a);

    // A frame with its own table is not the global table's business.
    TGIFImage local;
    ASSERT_TRUE(Load(LocalTableGif(), local).Ok());
    EXPECT_FALSE(local.GlobalColorMap().Optimize());

    TGIFImage empty;
    empty.GlobalColorMap().Add(X);
    empty.GlobalColorMap().Add(Y);
    EXPECT_FALSE(empty.GlobalColorMap().Optimize());
}

TEST(GifColorMap, TransparentIndexOutsideTheTableWarnsAndIsKept) {
    TGIFImage image;
    ASSERT_TRUE(Load(Header(2, 1, 2) + Gce(true, 1) + Frame(2, 1, 2, {4, 1, 2, 5}) + ";", image).Ok());
    std::vector<std::string> warnings;
    image.SetOnWarning([&](platform::TPersistent*, TGIFSeverity, const std::string& m) { warnings.push_back(m); });
    TGIFGraphicControlExtension& gce = *image.Images()[0].GraphicControlExtension();
    gce.SetTransparentColorIndex(3);
    EXPECT_EQ(gce.TransparentColorIndex(), 3);
    // Kept: 0 would make the first colour's pixels transparent.
    gce.SetTransparentColorIndex(4);
    EXPECT_EQ(gce.TransparentColorIndex(), 4);
    EXPECT_EQ(warnings, std::vector<std::string>{SBadColorIndex});

    gce.SetDisposal(3);
    EXPECT_EQ(gce.Disposal(), 3);
    EXPECT_TRUE(gce.Transparent());
    gce.SetTransparent(false);
    EXPECT_FALSE(image.Images()[0].Transparent());
    EXPECT_FALSE(image.IsTransparent());
    EXPECT_EQ(gce.Disposal(), 3);
}

TEST(GifColorMap, DroppingTheControlExtensionUnlinksIt) {
    TGIFImage image;
    ASSERT_TRUE(Load(Header(2, 1, 2) + Gce(true, 1) + Gce(false, 0) + Frame(2, 1, 2, {4, 1, 2, 5}) + ";", image).Ok());
    TGIFSubImage& frame = image.Images()[0];
    EXPECT_EQ(frame.GraphicControlExtension(), &frame.Extensions()[0]);
    frame.Extensions().Delete(0);
    EXPECT_EQ(frame.GraphicControlExtension(), nullptr);
    EXPECT_FALSE(frame.Transparent());
}

TEST(GifColorMap, ImportRGBTakesTheQuadruplesInOrder) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColorMap();
    // B, G, R, reserved quadruples, as a DIB colour table holds them.
    const uint8_t quads[] = {1, 2, 3, 9, 40, 50, 60, 9, 0, 0, 255, 0};
    map.ImportRGB(quads, 3);
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Colors(0), RGBColor(3, 2, 1));
    EXPECT_EQ(map.Colors(2), RGBColor(255, 0, 0));
    map.ImportRGB(quads, 0);
    EXPECT_EQ(map.Count(), 0);
}
