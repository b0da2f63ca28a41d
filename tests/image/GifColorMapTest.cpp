// GIF colour tables: lookups, growth, bounds and the optimisation that sorts
// a table by use and remaps the pixels of the frames that use it.
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

TEST(GifColorMap, IndexOfColorSearchesFromTheEndUnlessOptimised) {
    TGIFImage image;
    ASSERT_TRUE(Load(LocalTableGif(), image).Ok());
    TGIFSubImage& frame = image.Images()[0];
    TGIFColorMap& map = frame.ColorMap();
    EXPECT_EQ(&frame.ActiveColorMap(), &map);
    EXPECT_EQ(map.IndexOfColor(X), 2);
    EXPECT_EQ(map.IndexOfColor(RGBColor(1, 2, 3)), -1);
    // Already in order of use: the entries stay, but the table is optimised.
    EXPECT_TRUE(map.Optimize());
    EXPECT_TRUE(map.Optimized());
    EXPECT_EQ(map.IndexOfColor(X), 0);
    EXPECT_EQ(PixelsOf(frame), (Bytes{0, 0, 0, 1, 1, 2}));
    // Adding or deleting makes it an unsorted table again.
    EXPECT_EQ(map.AddUnique(Y), 1);
    EXPECT_EQ(map.AddUnique(RGBColor(1, 2, 3)), 4);
    EXPECT_FALSE(map.Optimized());
}

TEST(GifColorMap, GrowthBoundsAndDeletion) {
    TGIFColorMap map;
    EXPECT_EQ(map.BitsPerPixel(), 0);
    const std::pair<int, int> growth[] = {{1, 16}, {16, 16}, {17, 32}, {33, 64}, {200, 224}, {256, 256}};
    int added = 0;
    for (auto [count, capacity] : growth) {
        for (; added < count; ++added) EXPECT_EQ(map.Add(RGBColor(uint8_t(added), 0, 0)), added);
        EXPECT_EQ(map.Capacity(), capacity) << count;
    }
    EXPECT_EQ(map.BitsPerPixel(), 8);
    try {
        map.Add(X);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), SColorTableOverflow);
    }

    map.Delete(0);
    EXPECT_EQ(map.Count(), 255);
    EXPECT_EQ(map.Colors(0), RGBColor(1, 0, 0));
    // Entries past the count are black, so any index can look up a colour.
    EXPECT_EQ(map.Data()[255].Red, 0);
    EXPECT_THROW(map.Delete(255), GIFException);
    EXPECT_THROW(map.Delete(-1), GIFException);

    map.Clear();
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.Capacity(), 0);
    EXPECT_THROW(map.Colors(0), GIFException);
    for (int n : {1, 2, 3, 4, 5, 129}) {
        map.Clear();
        for (int i = 0; i < n; ++i) map.Add(X);
        EXPECT_EQ(map.BitsPerPixel(), n <= 2 ? 1 : n <= 4 ? 2 : n <= 8 ? 3 : 8) << n;
    }
}

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

TEST(GifColorMap, TransparentIndexOutsideTheTableWarnsAndStoresZero) {
    TGIFImage image;
    ASSERT_TRUE(Load(Header(2, 1, 2) + Gce(true, 1) + Frame(2, 1, 2, {4, 1, 2, 5}) + ";", image).Ok());
    std::vector<std::string> warnings;
    image.SetOnWarning([&](platform::TPersistent*, TGIFSeverity, const std::string& m) { warnings.push_back(m); });
    TGIFGraphicControlExtension& gce = *image.Images()[0].GraphicControlExtension();
    gce.SetTransparentColorIndex(3);
    EXPECT_EQ(gce.TransparentColorIndex(), 3);
    gce.SetTransparentColorIndex(4);
    EXPECT_EQ(gce.TransparentColorIndex(), 0);
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
