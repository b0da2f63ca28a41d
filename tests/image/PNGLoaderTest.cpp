// Reading PNG and MNG: the conformance suite against libpng, damaged and
// hostile files, truncation and random damage.
#include "PngTestSupport.h"

#include "image/EImageError.h"
#include "image/TPNGLoader.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

using namespace image;
using namespace imagetest;

namespace {

const std::filesystem::path SuiteDir = std::filesystem::path(VELMORA_TESTDATA_DIR) / "png" / "pngsuite" / "png";

std::string SuiteFile(const std::string& name) { return testsupport::ReadFile(SuiteDir / name); }

// The transparent colour the loader must report for what libpng read.
int ExpectedTransparentColor(const DecodedPng& d) {
    if (d.colorType == 3) {
        const auto zero = std::find(d.paletteAlpha.begin(), d.paletteAlpha.end(), 0);
        return zero == d.paletteAlpha.end() ? -1 : int(zero - d.paletteAlpha.begin());
    }
    if (d.colorType == 0) return d.trnsGray;
    if (d.colorType == 2 && d.bitDepth == 8 && d.trnsRed >= 0) return d.trnsRed | d.trnsGreen << 8 | d.trnsBlue << 16;
    return -1;
}

// A 4 x 2 palette image: rows of indices 0 1 2 1 / 2 1 0 1, filter None.
const std::string PaletteRows = std::string("\0\x00\x01\x02\x01\0\x02\x01\x00\x01", 10);

std::string PaletteFile(const std::string& extra, const std::string& idat = Chunk("IDAT", Zlib(PaletteRows))) {
    return PngSignature + Ihdr(4, 2, 8, 3) + Chunk("PLTE", std::string("\xFF\0\0\0\xFF\0\0\0\xFF", 9)) + extra + idat +
           Chunk("IEND", "");
}

std::string ErrorOf(const std::string& file, bool keepAlpha = false) {
    TPNGLoader loader;
    loader.SetKeepAlpha(keepAlpha);
    try {
        LoadPng(loader, file);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(PNGLoader, ConformanceSuiteDecodesAsLibpngDoes) {
    int valid = 0, damaged = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SuiteDir)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::string file = testsupport::ReadFile(entry.path());
        if (name[0] == 'x') {
            ++damaged;
            for (bool keepAlpha : {false, true}) {
                TPNGLoader loader;
                loader.SetKeepAlpha(keepAlpha);
                TLinearBitmap bitmap;
                EXPECT_THROW(bitmap = LoadPng(loader, file), EImageError);
                EXPECT_FALSE(bitmap.Present());
            }
            continue;
        }
        ++valid;
        const DecodedPng expected = DecodeWithLibpng(file);
        ASSERT_EQ(expected.error, "");
        for (bool keepAlpha : {false, true}) {
            TPNGLoader loader;
            loader.SetKeepAlpha(keepAlpha);
            const TLinearBitmap bitmap = LoadPng(loader, file);
            ASSERT_EQ(bitmap.Width(), expected.width);
            ASSERT_EQ(bitmap.Height(), expected.height);
            EXPECT_EQ(bitmap.PixelFormat(), expected.colorType == 2 || expected.colorType == 6 ? TPixelFormat::pf24bit
                                            : expected.bitDepth == 16 ? TPixelFormat::pf16bit
                                                                      : TPixelFormat::pf8bit);
            EXPECT_TRUE(ToRGB(bitmap) == expected.rgb);
            EXPECT_EQ(loader.BitDepth(), expected.bitDepth);
            EXPECT_EQ(loader.TransparentColor(), ExpectedTransparentColor(expected));
            EXPECT_NEAR(loader.Gamma(), expected.gamma, 1e-9);
            const bool alphaKept = keepAlpha && !expected.alpha.empty();
            ASSERT_EQ(loader.AlphaBitmap() != nullptr, alphaKept);
            if (alphaKept) {
                const TLinearBitmap& a = *loader.AlphaBitmap();
                EXPECT_TRUE(std::equal(a.Map(), a.Map() + a.Size(), expected.alpha.begin(), expected.alpha.end()));
            }
            ASSERT_EQ(loader.AlphaTable() != nullptr, keepAlpha && !expected.paletteAlpha.empty());
            if (loader.AlphaTable()) {
                for (size_t i = 0; i < 256; ++i)
                    EXPECT_EQ(loader.AlphaTable()[i], i < expected.paletteAlpha.size() ? expected.paletteAlpha[i] : 255);
            }
        }
    }
    EXPECT_GT(valid, 150);
    EXPECT_GT(damaged, 10);
}

TEST(PNGLoader, DamagedAndHostileChunksRaiseOrAreCut) {
    const std::string rows = Chunk("IDAT", Zlib(PaletteRows));
    std::string badAdler = Zlib(PaletteRows);
    badAdler.back() ^= 1;
    std::string splitIdat; // the zlib stream in 3-byte chunks, one CRC damaged
    const std::string z = Zlib(PaletteRows);
    for (size_t i = 0; i < z.size(); i += 3) splitIdat += Chunk("IDAT", z.substr(i, 3));
    std::string badMiddleCRC = splitIdat;
    badMiddleCRC[12 + 3 + 10] ^= 1; // the CRC of the second chunk
    const std::string filter5 = Chunk("IDAT", Zlib(std::string("\x05\x00\x01\x02\x01\0\x02\x01\x00\x01", 10)));
    std::string badZlibMethod = Zlib(PaletteRows);
    badZlibMethod[0] = 0x79;
    const std::string rgbRows(1 + 3 * 4, '\0');
    const struct {
        const char* name;
        std::string file;
        const char* error;
    } cases[] = {
        {"signature only", PngSignature, "Read less than expected"},
        {"IHDR of 12 bytes", PngSignature + Chunk("IHDR", std::string(12, '\1')) + rows, "Invalid PNG data"},
        {"chunk longer than 2^31 - 1", PngSignature + Ihdr(4, 2, 8, 3) + BE32(0x80000000u) + "tEXt", "Invalid PNG data"},
        {"compression method 1", PngSignature + Ihdr(4, 2, 8, 3, 1) + rows, "Invalid PNG data"},
        {"filter method 64 in a PNG file", PngSignature + Ihdr(4, 2, 8, 2, 0, 64) + rows, "Invalid PNG data"},
        {"interlace method 2", PngSignature + Ihdr(4, 2, 8, 3, 0, 0, 2) + rows, "Invalid PNG data"},
        {"RGB of 4 bits", PngSignature + Ihdr(4, 2, 4, 2) + rows, "Invalid PNG data"},
        {"palette of 16 bits", PngSignature + Ihdr(4, 2, 16, 3) + rows, "Invalid PNG data"},
        {"width 0", PngSignature + Ihdr(0, 2, 8, 3) + rows, "Invalid PNG data"},
        {"too large for a bitmap", PngSignature + Ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 2) + rows, "Invalid bitmap size"},
        {"second IHDR", PngSignature + Ihdr(4, 2, 8, 3) + Ihdr(4, 2, 8, 3) + rows, "Invalid PNG data"},
        {"IDAT before IHDR", PngSignature + rows + Ihdr(4, 2, 8, 3), "Invalid PNG data"},
        {"filter type 5", PaletteFile("", filter5), "Invalid PNG data"},
        {"zlib method 9", PaletteFile("", Chunk("IDAT", badZlibMethod)), "Invalid PNG data"},
        {"Adler-32 differs", PaletteFile("", Chunk("IDAT", badAdler)), "Adler32 error"},
        {"CRC of a middle IDAT", PaletteFile("", badMiddleCRC), "CRC error"},
        {"image data runs into IEND", PaletteFile("", Chunk("IDAT", Zlib(PaletteRows).substr(0, 6))), "Invalid PNG data"},
        {"unknown critical chunk", PaletteFile(Chunk("QUUX", "abc")), "Unsupported PNG data"},
        {"no image data", PngSignature + Ihdr(4, 2, 8, 3) + Chunk("IEND", ""), "Unsupported PNG data"},
        {"cut inside the image data", PaletteFile("").substr(0, 70), "Read less than expected"},
        {"intrapixel grey MNG", "\x8AMNG\r\n\x1a\n" + Ihdr(4, 2, 8, 0, 0, 64) + rows, "Unsupported pixel format"},
        {"megabytes of data after the last row", PaletteFile("", Chunk("IDAT", Zlib(PaletteRows + std::string(2 << 20, '\0')))),
         "Invalid PNG data"},
        // Sound files in odd shapes load.
        {"a little data after the last row", PaletteFile("", Chunk("IDAT", Zlib(PaletteRows + std::string(5000, '\1')))), ""},
        {"image data in 3-byte chunks", PaletteFile("", splitIdat), ""},
        {"no IEND after the image", PaletteFile("").substr(0, PaletteFile("").size() - 12), ""},
        {"cut inside a chunk after the image", PaletteFile("", rows + Chunk("tEXt", "Comment")).substr(0, 120), ""},
        {"PLTE in a grey image is dropped", PngSignature + Ihdr(4, 2, 8, 0) + Chunk("PLTE", "abc") + rows + Chunk("IEND", ""), ""},
        {"ancillary chunk with a bad CRC", PaletteFile(Chunk("tEXt", "x").substr(0, 9) + "!!!!"), ""},
        {"short gAMA and tRNS are ignored", PngSignature + Ihdr(4, 2, 8, 2) + Chunk("gAMA", "ab") + Chunk("tRNS", "abcd") +
                                                Chunk("IDAT", Zlib(rgbRows + rgbRows)) + Chunk("IEND", ""), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.file), c.error);
        EXPECT_EQ(ErrorOf(c.file, true), c.error);
    }
}

TEST(PNGLoader, OverlongPaletteAndTransparencyAreCutTo256Entries) {
    std::string plte;
    for (int i = 0; i < 300; ++i) plte += {char(i), char(i + 1), char(i + 2)};
    std::string trns(300, '\x80');
    trns[7] = 0;
    trns[270] = 0;
    const std::string file = PngSignature + Ihdr(4, 2, 8, 3) + Chunk("PLTE", plte) + Chunk("tRNS", trns) +
                             Chunk("IDAT", Zlib(PaletteRows)) + Chunk("IEND", "");
    TPNGLoader loader;
    loader.SetKeepAlpha(true);
    const TLinearBitmap bitmap = LoadPng(loader, file);
    EXPECT_EQ(bitmap.Palette()[3 * 255], uint8_t(255 + 2));
    EXPECT_EQ(bitmap.Palette()[3 * 255 + 2], uint8_t(255));
    EXPECT_EQ(loader.TransparentColor(), 7);
    ASSERT_NE(loader.AlphaTable(), nullptr);
    EXPECT_EQ(loader.AlphaTable()[255], 0x80);
    // A palette image with tRNS 255, 0, 255 and no alpha kept.
    TPNGLoader plain;
    LoadPng(plain, PaletteFile(Chunk("tRNS", std::string("\xFF\x00\xFF", 3))));
    EXPECT_EQ(plain.TransparentColor(), 1);
    EXPECT_EQ(plain.AlphaTable(), nullptr);
}

TEST(PNGLoader, EveryTruncationRaisesUntilTheImageDataIsComplete) {
    for (const char* name : {"basn2c08.png", "basi0g01.png", "oi9n2c16.png"}) {
        SCOPED_TRACE(name);
        const std::string file = SuiteFile(name);
        const auto chunks = Chunks(file);
        size_t imageEnd = 8; // the end of the last IDAT chunk
        for (size_t pos = 8; const auto& c : chunks) {
            pos += 12 + c.data.size();
            if (c.type == "IDAT") imageEnd = pos;
        }
        TPNGLoader loader;
        const std::vector<uint8_t> whole = ToRGB(LoadPng(loader, file));
        for (size_t cut = 0; cut < file.size(); ++cut) {
            if (cut < imageEnd) {
                EXPECT_THROW(LoadPng(loader, file.substr(0, cut)), EImageError) << "cut at " << cut;
            } else {
                EXPECT_TRUE(ToRGB(LoadPng(loader, file.substr(0, cut))) == whole) << "cut at " << cut;
            }
        }
    }
}

TEST(PNGLoader, RandomDamageNeverCrashes) {
    std::mt19937 random(99);
    int raised = 0, loaded = 0;
    for (const char* name : {"basn3p04.png", "basi6a16.png", "oi4n2c16.png", "z00n2c08.png", "tbbn3p08.png"}) {
        const std::string file = SuiteFile(name);
        for (int round = 0; round < 300; ++round) {
            std::string damaged = file;
            const int changes = 1 + int(random() % 6);
            for (int i = 0; i < changes; ++i) damaged[8 + random() % (damaged.size() - 8)] = char(random());
            TPNGLoader loader;
            loader.SetKeepAlpha(round % 2 == 0);
            try {
                EXPECT_TRUE(LoadPng(loader, damaged).Present());
                ++loaded;
            } catch (const EImageError&) {
                ++raised;
            }
        }
    }
    EXPECT_GT(raised, 0);
    EXPECT_GT(loaded, 0);
}

TEST(PNGLoader, ProgressCountsEveryRowOfEveryPass) {
    std::vector<int> seen;
    ProgressUpdate = [&](int percent) { seen.push_back(percent); };
    TPNGLoader loader;
    LoadPng(loader, SuiteFile("basi0g08.png"));
    ProgressUpdate = nullptr;
    // Adam7 on 32 x 32: 4 + 4 + 4 + 8 + 8 + 16 + 16 rows.
    ASSERT_EQ(seen.size(), 60u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 59 * 100 / 60);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}
