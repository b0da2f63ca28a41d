// Writing PNG and MNG: every filter mode read back by libpng and checked by
// pngcheck, the chunks the carried-over settings produce, MNG round trips,
// the lossy pre-pass and the graphic classes.
#include "PngTestSupport.h"

#include "image/EImageError.h"
#include "image/ImageLoaders.h"
#include "image/LinearBitmapTables.h"
#include "image/TBitmapLoaders.h"
#include "image/TMNGGraphic.h"
#include "image/TMemStream.h"
#include "image/TPNGGraphic.h"
#include "image/TPNGLoader.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <cstring>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace image;
using namespace imagetest;

namespace {

std::string ChunkData(const std::string& file, const std::string& type) {
    for (const auto& c : Chunks(file))
        if (c.type == type) return c.data;
    return "<none>";
}

std::vector<std::string> ChunkTypes(const std::string& file) {
    std::vector<std::string> types;
    for (const auto& c : Chunks(file)) types.push_back(c.type);
    return types;
}

// A 10 x 4 palette image using the indices 0..9, the rest of its palette
// black except, optionally, a white last entry.
TLinearBitmap TenColours(bool whiteLast) {
    TLinearBitmap b;
    b.New(10, 4, TPixelFormat::pf8bit);
    std::memset(b.Palette(), 0, 768);
    for (int i = 0; i < 10; ++i) b.Palette()[3 * i] = uint8_t(20 * i + 10);
    if (whiteLast) std::memset(b.Palette() + 765, 255, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) b.ScanLine(y)[x] = uint8_t((x + y) % 10);
    return b;
}

} // namespace

TEST(PNGWriter, EveryFilterModeReadsBackThroughLibpngAndPassesPngcheck) {
    testsupport::TempDir dir;
    const struct {
        const char* name;
        TLinearBitmap bitmap;
        int colorType, depth;
    } images[] = {
        {"palette", MakePicture(37, 23, TPixelFormat::pf8bit), 3, 8},
        {"grey", MakePicture(37, 23, TPixelFormat::pf8bit, true), 0, 8},
        {"grey16", MakePicture(37, 23, TPixelFormat::pf16bit), 0, 16},
        {"rgb", MakePicture(37, 23, TPixelFormat::pf24bit), 2, 8},
        {"rgb 1x1", MakePicture(1, 1, TPixelFormat::pf24bit), 2, 8},
    };
    for (const auto& image : images) {
        for (int mode = -3; mode <= 4; ++mode) {
            SCOPED_TRACE(std::string(image.name) + " mode " + std::to_string(mode));
            TPNGLoader loader;
            loader.SetFilterMode(mode);
            const std::string file = SavePng(loader, image.bitmap);
            const std::string path = (dir / "out.png").string();
            testsupport::WriteFile(path, file);
            std::string said;
            EXPECT_TRUE(Pngcheck(path, said)) << said;
            const DecodedPng back = DecodeWithLibpng(file);
            ASSERT_EQ(back.error, "");
            EXPECT_EQ(back.colorType, image.colorType);
            EXPECT_EQ(back.bitDepth, image.depth);
            EXPECT_TRUE(back.rgb == ToRGB(image.bitmap));
            // 16-bit grey keeps its low bytes too.
            const TLinearBitmap ours = LoadPng(loader, file);
            EXPECT_EQ(std::memcmp(ours.Map(), image.bitmap.Map(), size_t(ours.Size())), 0);
        }
    }
}

TEST(PNGWriter, ChosenFiltersAndModeMinus3KeepsTheSmallest) {
    const TLinearBitmap picture = MakePicture(64, 40, TPixelFormat::pf24bit);
    TPNGLoader loader;
    size_t smallest = SIZE_MAX;
    for (int mode = -2; mode <= 4; ++mode) {
        loader.SetFilterMode(mode);
        const std::string file = SavePng(loader, picture);
        smallest = std::min(smallest, file.size());
        // A fixed mode puts its filter byte on every row.
        if (mode >= 0) {
            const std::string zlib = ChunkData(file, "IDAT");
            std::string raw(size_t(40 * (1 + 64 * 3)), '\0');
            uLongf size = uLongf(raw.size());
            ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(zlib.data()),
                                 uLong(zlib.size())),
                      Z_OK);
            for (size_t row = 0; row < 40; ++row) EXPECT_EQ(raw[row * (1 + 64 * 3)], char(mode));
        }
    }
    std::vector<int> progress;
    ProgressUpdate = [&](int percent) { progress.push_back(percent); };
    loader.SetFilterMode(-3);
    const std::string best = SavePng(loader, picture);
    ProgressUpdate = nullptr;
    EXPECT_EQ(best.size(), smallest);
    EXPECT_EQ(loader.FilterMode(), -3);
    EXPECT_EQ(progress, (std::vector<int>{12, 25, 37, 50, 62, 75, 87}));
}

TEST(PNGWriter, ChunksFitTheImageAndTheCarriedOverSettings) {
    TPNGLoader loader;
    // The palette ends at its last entry that is not black, or at the
    // highest index used when that comes later.
    for (bool whiteLast : {false, true})
        EXPECT_EQ(ChunkData(SavePng(loader, TenColours(whiteLast)), "PLTE").size(), whiteLast ? 768u : 30u);
    TLinearBitmap blackUsed = TenColours(false);
    blackUsed.ScanLine(0)[0] = 40; // a black entry beyond the coloured ones
    EXPECT_EQ(ChunkData(SavePng(loader, blackUsed), "PLTE").size(), 123u);
    loader.SetTransparentColor(3);
    std::string file = SavePng(loader, TenColours(false));
    EXPECT_EQ(ChunkData(file, "tRNS"), "\xFF\xFF\xFF" + std::string(1, '\0'));
    loader.SetTransparentColor(20); // beyond the indices used: the palette reaches it
    file = SavePng(loader, TenColours(false));
    EXPECT_EQ(ChunkData(file, "PLTE").size(), 63u);
    EXPECT_EQ(ChunkData(file, "tRNS").size(), 21u);
    std::string said;
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "t.png", file);
    EXPECT_TRUE(Pngcheck((dir / "t.png").string(), said)) << said;
    TPNGLoader reader;
    LoadPng(reader, file);
    EXPECT_EQ(reader.TransparentColor(), 20);

    // Grey: no PLTE even with a suggested palette; the transparent grey
    // only where the depth can hold it.
    const TLinearBitmap grey = MakePicture(8, 8, TPixelFormat::pf8bit, true);
    const TLinearBitmap grey16 = MakePicture(8, 8, TPixelFormat::pf16bit);
    loader.SetSuggestedPalette(TenColours(true).Palette());
    loader.SetTransparentColor(300);
    EXPECT_EQ(ChunkTypes(SavePng(loader, grey)), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(ChunkData(SavePng(loader, grey16), "tRNS"), std::string("\x01\x2C", 2));
    // Colour: the suggested palette up to its last non-black entry, the
    // transparent colour as three 16-bit samples.
    loader.SetTransparentColor(0x030201);
    loader.SetGamma(0.45455);
    file = SavePng(loader, MakePicture(8, 8, TPixelFormat::pf24bit));
    EXPECT_EQ(ChunkTypes(file), (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(ChunkData(file, "PLTE").size(), 768u);
    EXPECT_EQ(ChunkData(file, "gAMA"), BE32(45455));
    EXPECT_EQ(ChunkData(file, "tRNS"), std::string("\0\x01\0\x02\0\x03", 6));
    testsupport::WriteFile(dir / "t.png", file);
    EXPECT_TRUE(Pngcheck((dir / "t.png").string(), said)) << said;
    LoadPng(reader, file);
    EXPECT_EQ(reader.TransparentColor(), 0x030201);
    EXPECT_DOUBLE_EQ(reader.Gamma(), 0.45455);
    loader.SetGamma(-1);
    loader.SetTransparentColor(0x1000000);
    EXPECT_EQ(ChunkTypes(SavePng(loader, MakePicture(8, 8, TPixelFormat::pf24bit))),
              (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
}

TEST(PNGWriter, MNGRoundTripsThroughOurReader) {
    testsupport::TempDir dir;
    for (TLinearBitmap picture : {MakePicture(33, 17, TPixelFormat::pf24bit), MakePicture(33, 17, TPixelFormat::pf8bit),
                                  MakePicture(33, 17, TPixelFormat::pf16bit)}) {
        SCOPED_TRACE(int(picture.PixelFormat()));
        TPNGLoader loader;
        const std::string file = SavePng(loader, picture, "MNG");
        EXPECT_EQ(file.substr(0, 4), "\x8AMNG");
        EXPECT_EQ(ChunkTypes(file).front(), "MHDR");
        EXPECT_EQ(ChunkTypes(file).back(), "MEND");
        EXPECT_EQ(uint8_t(ChunkData(file, "IHDR")[11]), picture.PixelFormat() == TPixelFormat::pf24bit ? 64 : 0);
        testsupport::WriteFile(dir / "t.mng", file);
        std::string said;
        EXPECT_TRUE(Pngcheck((dir / "t.mng").string(), said)) << said;
        const TLinearBitmap back = LoadPng(loader, file, "MNG");
        ASSERT_EQ(back.PixelFormat(), picture.PixelFormat());
        EXPECT_EQ(std::memcmp(back.Map(), picture.Map(), size_t(picture.Size())), 0);
    }
}

TEST(PNGWriter, LossyPrePassStaysWithinTheTolerance) {
    constexpr int Tolerance = 12;
    for (const TLinearBitmap& picture : {MakePicture(48, 32, TPixelFormat::pf24bit), MakePicture(48, 32, TPixelFormat::pf8bit, true),
                                         MakePicture(48, 32, TPixelFormat::pf8bit)}) {
        SCOPED_TRACE(picture.IsGrayScale() ? "grey" : int(picture.PixelFormat()) == 3 ? "palette" : "rgb");
        const std::vector<uint8_t> before = ToRGB(picture);
        TPNGLoader loader;
        const size_t lossless = SavePng(loader, picture).size();
        loader.SetLossyTolerance(Tolerance);
        // The colour of the pixel at (5, 5) is kept wherever it occurs.
        const uint8_t* keep = picture.ScanLine(5) + (picture.PixelFormat() == TPixelFormat::pf24bit ? 15 : 5);
        const int transparent = picture.PixelFormat() == TPixelFormat::pf24bit ? keep[2] | keep[1] << 8 | keep[0] << 16 : keep[0];
        loader.SetTransparentColor(transparent);
        const std::string file = SavePng(loader, picture);
        const bool palette = picture.PixelFormat() == TPixelFormat::pf8bit && !picture.IsGrayScale();
        // Palette images are reordered by brightness, which need not pay off
        // on a picture whose indices were smooth before.
        if (!palette) {
            EXPECT_LT(file.size(), lossless);
        }
        const DecodedPng back = DecodeWithLibpng(file);
        ASSERT_EQ(back.error, "");
        ASSERT_EQ(back.rgb.size(), before.size());
        const std::vector<uint8_t> after = back.rgb;
        const uint8_t* bgr = picture.Palette() ? picture.Palette() + 3 * transparent : keep;
        const uint8_t kept[3] = {bgr[2], bgr[1], bgr[0]};
        for (size_t i = 0; i < before.size(); i += 3) {
            int distance = 0;
            for (int k = 0; k < 3; ++k) {
                distance += std::abs(before[i + k] - after[i + k]);
                if (!palette) {
                    EXPECT_LE(std::abs(before[i + k] - after[i + k]), Tolerance);
                }
            }
            if (palette) {
                EXPECT_LT(distance, Tolerance);
            }
            if (std::memcmp(&before[i], kept, 3) == 0) {
                EXPECT_EQ(std::memcmp(&after[i], kept, 3), 0);
            }
        }
        EXPECT_EQ(ChunkData(file, "tRNS").empty(), false);
    }
}

TEST(PNGWriter, RefusesWhatItCannotWrite) {
    TPNGLoader loader;
    TMemStream stream;
    TLinearBitmap empty, rgb32;
    rgb32.New(2, 2, TPixelFormat::pf32bit);
    for (const TLinearBitmap* b : {&empty, &rgb32}) {
        try {
            loader.SaveToStream(stream, "PNG", *b);
            ADD_FAILURE() << "no exception";
        } catch (const ELinearBitmap& e) {
            EXPECT_STREQ(e.what(), "Unsupported pixel format");
        }
    }
    for (int mode : {-4, 5}) {
        loader.SetFilterMode(mode);
        EXPECT_THROW(loader.SaveToStream(stream, "PNG", TenColours(false)), EAssertionFailed);
    }
    EXPECT_EQ(stream.GetSize(), 0);
}

TEST(PNGWriter, RegisteredForPngAndMngAndReachedThroughTheGraphics) {
    RegisterImageLoaders();
    for (const char* ext : {"PNG", "MNG"}) {
        EXPECT_NE(dynamic_cast<TPNGLoader*>(&BitmapLoaders().FindLoader(ext)), nullptr);
        EXPECT_NE(dynamic_cast<TPNGLoader*>(&BitmapLoaders().FindSaver(ext)), nullptr);
    }
    EXPECT_FALSE(TPNGLoader().CanLoad("png"));
    const TLinearBitmap picture = MakePicture(9, 7, TPixelFormat::pf24bit);
    TPNGGraphic png;
    TMNGGraphic mng;
    for (TLinearGraphic* g : {static_cast<TLinearGraphic*>(&png), static_cast<TLinearGraphic*>(&mng)}) {
        g->Image().Assign(picture);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        g->SaveToStream(buffer);
        EXPECT_EQ(buffer.data().at(1), g == &png ? 'P' : 'M');
        buffer.seek(0);
        g->Image().Dispose();
        g->LoadFromStream(buffer);
        EXPECT_TRUE(ToRGB(g->Image()) == ToRGB(picture));
    }
}
