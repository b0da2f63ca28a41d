// The JPEG loader against libjpeg's own decoding of files made by libjpeg,
// on damaged input, and on saving (formats, the quality search).
#include "JpegTestSupport.h"

#include "image/EImageError.h"
#include "image/ImageLoaders.h"
#include "image/LinearBitmapTables.h"
#include "image/TBitmapLoaders.h"
#include "image/TImageLoader.h"
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace image;
using imagetest::DecodedJpeg;
using imagetest::DecodeWithLibjpeg;
using imagetest::JpegOptions;
using imagetest::MakeJpeg;

namespace {

TLinearBitmap Load(TJPEGLoader& loader, const std::string& file) {
    TMemStream stream;
    stream.Write(file.data(), static_cast<int>(file.size()));
    stream.SetPosition(0);
    TLinearBitmap bitmap;
    loader.LoadFromStream(stream, "JPG", bitmap);
    return bitmap;
}

std::string Save(TJPEGLoader& loader, const TLinearBitmap& bitmap) {
    TMemStream stream;
    loader.SaveToStream(stream, "JPG", bitmap);
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.Read(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

// The bitmap's pixels in the oracle's layout: R, G, B or one grey byte.
std::vector<uint8_t> AsOracle(const TLinearBitmap& b) {
    std::vector<uint8_t> out;
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            if (b.PixelFormat() == TPixelFormat::pf8bit) {
                out.push_back(row[x]);
            } else {
                out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    return out;
}

void ExpectSameAsLibjpeg(const TLinearBitmap& b, const DecodedJpeg& oracle) {
    ASSERT_TRUE(oracle.error.empty()) << oracle.error;
    ASSERT_TRUE(b.Present());
    EXPECT_EQ(b.Width(), oracle.width);
    EXPECT_EQ(b.Height(), oracle.height);
    if (oracle.components == 1) {
        ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
        EXPECT_EQ(0, std::memcmp(b.Palette(), GrayPalette.data(), GrayPalette.size()));
    } else {
        ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    }
    EXPECT_TRUE(AsOracle(b) == oracle.pixels) << "pixels differ from libjpeg's";
}

// Offsets of every marker segment that starts a scan (FF DA).
std::vector<size_t> ScanStarts(const std::string& file) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (uint8_t(file[i]) == 0xFF && uint8_t(file[i + 1]) == 0xDA) starts.push_back(i);
    return starts;
}

size_t MarkerOffset(const std::string& file, uint8_t marker) {
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (uint8_t(file[i]) == 0xFF && uint8_t(file[i + 1]) == marker) return i;
    return std::string::npos;
}

} // namespace

TEST(JPEGLoader, DecodesEveryKindOfFileAsLibjpegDoes) {
    struct Case {
        const char* name;
        JpegOptions options;
    };
    auto sampled = [](int w, int h, int hs, int vs) {
        JpegOptions s;
        s.width = w, s.height = h, s.hSampling = hs, s.vSampling = vs;
        return s;
    };
    std::vector<Case> cases = {
        {"4:4:4", sampled(64, 48, 1, 1)},
        {"4:2:2", sampled(64, 48, 2, 1)},
        {"4:2:0", sampled(64, 48, 2, 2)},
        {"4:4:0", sampled(64, 48, 1, 2)},
        {"4:1:1", sampled(64, 48, 4, 1)},
        {"odd size 4:2:0", sampled(17, 9, 2, 2)},
        {"one pixel", sampled(1, 1, 2, 2)},
        {"one row 4:2:2", sampled(333, 1, 2, 1)},
    };
    {
        Case c{"grey", sampled(57, 31, 1, 1)};
        c.options.gray = true;
        cases.push_back(c);
    }
    {
        Case c{"progressive 4:2:0", sampled(75, 50, 2, 2)};
        c.options.progressive = true;
        cases.push_back(c);
    }
    {
        Case c{"progressive grey", sampled(40, 41, 1, 1)};
        c.options.progressive = c.options.gray = true;
        cases.push_back(c);
    }
    {
        Case c{"restart markers", sampled(64, 64, 2, 2)};
        c.options.restartRows = 1;
        cases.push_back(c);
    }
    {
        Case c{"arithmetic coding", sampled(48, 40, 2, 1)};
        c.options.arithmetic = true;
        cases.push_back(c);
    }
    {
        Case c{"quality 100, 4:4:4", sampled(30, 20, 1, 1)};
        c.options.quality = 100;
        cases.push_back(c);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = MakeJpeg(c.options);
        ASSERT_FALSE(file.empty());
        TJPEGLoader loader;
        const TLinearBitmap b = Load(loader, file);
        ExpectSameAsLibjpeg(b, DecodeWithLibjpeg(file));
        EXPECT_EQ(loader.ImageWidth(), c.options.width);
        EXPECT_EQ(loader.ImageHeight(), c.options.height);
    }
}

TEST(JPEGLoader, FourColourFilesLoadInDjpegsColoursAlsoAsPhotos) {
    RegisterImageLoaders();
    for (const char* name : {"cmyk-adobe", "cmyk-no-adobe", "ycck"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(VELMORA_TESTDATA_DIR "/jpeg/") + name;
        // djpeg's P6 output: "P6\nW H\n255\n", then R, G, B.
        const std::string ppm = testsupport::ReadFile(path + ".ppm");
        int width = 0, height = 0, header = 0;
        ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d 255%n", &width, &height, &header), 2);
        const std::vector<uint8_t> djpeg(ppm.begin() + header + 1, ppm.end());
        ASSERT_EQ(djpeg.size(), size_t(width) * height * 3);

        TLinearBitmap b;
        b.LoadFromFile(path + ".jpg");
        ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_TRUE(AsOracle(b) == djpeg);

        const QImage photo =
            TImageLoader::Decode(testsupport::ReadFile(path + ".jpg"), "JPEG").convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(photo.size(), QSize(width, height));
        for (int y = 0; y < height; ++y)
            EXPECT_EQ(0, std::memcmp(photo.constScanLine(y), &djpeg[size_t(y) * width * 3], size_t(width) * 3)) << y;
    }
}

TEST(JPEGLoader, ScalesDownWhileEveryHalvingKeepsTheSmallestSize) {
    JpegOptions options;
    options.width = 64;
    options.height = 48;
    const std::string colour = MakeJpeg(options);
    options.gray = options.progressive = true;
    const std::string grey = MakeJpeg(options);
    struct Case {
        int minWidth, minHeight, denom;
    };
    const Case cases[] = {
        {INT_MAX, INT_MAX, 1}, // the defaults: always full size
        {32, 24, 2},
        {16, 12, 4},
        {16, 13, 2}, // 12 rows at 1/4 would be too few
        {8, 6, 8},
        {1, 1, 8}, // never below one eighth
        {33, 1, 1},
        {0, 0, 8},
        {-1, -5, 8}, // minimums below zero scale down as far as zero does
    };
    for (const std::string* file : {&colour, &grey}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.minWidth << "x" << c.minHeight << (file == &grey ? " grey" : ""));
            TJPEGLoader loader;
            loader.SetMinWidth(c.minWidth);
            loader.SetMinHeight(c.minHeight);
            const TLinearBitmap b = Load(loader, *file);
            EXPECT_EQ(b.Width(), 64 / c.denom);
            ExpectSameAsLibjpeg(b, DecodeWithLibjpeg(*file, c.denom));
            EXPECT_EQ(loader.ImageWidth(), 64);
            EXPECT_EQ(loader.ImageHeight(), 48);
        }
    }
}

TEST(JPEGLoader, DamagedFilesRaiseLibjpegsMessageAndKeepTheBitmap) {
    JpegOptions options;
    options.width = 96;
    options.height = 64;
    const std::string file = MakeJpeg(options);
    options.progressive = true;
    const std::string progressive = MakeJpeg(options);
    const size_t sof = MarkerOffset(file, 0xC0);
    const size_t sos = ScanStarts(file).at(0);
    const size_t dht = MarkerOffset(file, 0xC4);
    ASSERT_NE(sof, std::string::npos);
    ASSERT_NE(dht, std::string::npos);

    std::string zeroWidth = file;
    zeroWidth[sof + 7] = zeroWidth[sof + 8] = 0; // SOF: length, precision, height, width
    std::string badHuffman = file;
    for (int i = 0; i < 16; ++i) badHuffman[dht + 5 + i] = char(0xFF); // code counts beyond any length
    std::string markerInData = file;
    const size_t middle = sos + (file.size() - sos) / 2;
    markerInData[middle] = char(0xFF);
    markerInData[middle + 1] = char(0xD9);
    std::string noFrame = file;
    noFrame.erase(sof, 2 + ((uint8_t(file[sof + 2]) << 8) | uint8_t(file[sof + 3])));

    struct Case {
        const char* name;
        std::string data;
        const char* message; // the start of libjpeg's text
    };
    const Case cases[] = {
        {"empty", "", "Empty input file"},
        {"not a JPEG", "GIF89a, not a JPEG at all", "Not a JPEG file: starts with 0x47 0x49"},
        {"only the start marker", file.substr(0, 2), "Premature end of JPEG file"},
        {"cut in the header", file.substr(0, sos - 10), "Premature end of JPEG file"},
        {"cut in the scan", file.substr(0, sos + 200), "Premature end of JPEG file"},
        {"progressive cut before the last scan", progressive.substr(0, ScanStarts(progressive).back()),
         "Premature end of JPEG file"},
        {"zero width", zeroWidth, "Empty JPEG image"},
        {"bad Huffman table", badHuffman, "Bogus Huffman table definition"},
        {"end marker inside the data", markerInData, "Corrupt JPEG data: premature end of data segment"},
        {"no frame header", noFrame, "Invalid JPEG file structure: SOS before SOF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJPEGLoader loader;
        TMemStream stream;
        stream.Write(c.data.data(), static_cast<int>(c.data.size()));
        stream.SetPosition(0);
        TLinearBitmap bitmap;
        bitmap.New(3, 2, TPixelFormat::pf24bit);
        bitmap.Map()[0] = 42;
        try {
            loader.LoadFromStream(stream, "JPG", bitmap);
            ADD_FAILURE() << "no exception";
        } catch (const EJPEG& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(bitmap.Map()[0], 42);
    }
}

TEST(JPEGLoader, EveryTruncationRaisesButAMissingEndMarkerAfterOneScanIsForgiven) {
    for (int kind : {0, 1, 2}) {
        const bool progressive = kind == 1;
        SCOPED_TRACE(kind == 0 ? "baseline" : progressive ? "progressive" : "arithmetic");
        JpegOptions options;
        options.width = 40;
        options.height = 24;
        options.progressive = progressive;
        options.arithmetic = kind == 2;
        const std::string file = MakeJpeg(options);
        TJPEGLoader loader;
        for (size_t cut = 0; cut + 2 < file.size(); ++cut)
            EXPECT_THROW(Load(loader, file.substr(0, cut)), EJPEG) << "cut at " << cut << " of " << file.size();
        // Scans refine the whole image, so one missing end marker cannot be
        // told from missing scans; after a single Huffman scan it can.
        if (kind != 0)
            EXPECT_THROW(Load(loader, file.substr(0, file.size() - 2)), EJPEG);
        else
            ExpectSameAsLibjpeg(Load(loader, file.substr(0, file.size() - 2)), DecodeWithLibjpeg(file));
        // Scan data missing, the end marker there: no pixels, no picture,
        // but for arithmetic coding, whose zeros are data as djpeg reads it.
        const size_t sos = ScanStarts(file).at(0);
        const size_t header = size_t(uint8_t(file[sos + 2]) << 8 | uint8_t(file[sos + 3]));
        const std::string noData = file.substr(0, sos + 2 + header) + "\xFF\xD9";
        if (kind == 2) {
            ExpectSameAsLibjpeg(Load(loader, noData), DecodeWithLibjpeg(noData));
        } else {
            EXPECT_THROW(Load(loader, noData), EJPEG);
        }
    }
    // An arithmetic-coded 102-byte file that ends after its scan header, as
    // it is (12 x 16) and declaring 32000 x 32000 pixels.
    const std::string huge = QByteArray::fromBase64(
        "/9j/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/yQALCAAMABABAREA/8wABgAQEAX/2gAIAQEAAD8A").toStdString();
    std::string declared = huge;
    const size_t sof = MarkerOffset(declared, 0xC9);
    for (size_t at : {sof + 5, sof + 7}) declared[at] = char(0x7D), declared[at + 1] = 0; // 12 x 16 in the original
    TJPEGLoader loader;
    for (const std::string& file : {huge, declared}) {
        try {
            Load(loader, file);
            ADD_FAILURE() << "loaded";
        } catch (const EJPEG& e) {
            EXPECT_STREQ(e.what(), "Premature end of JPEG file");
        }
    }
}

TEST(JPEGLoader, ScanDataEndingAtAMarkerIsRefusedUnlessARestartIntervalMakesItARestart) {
    // An arithmetic-coded one-component frame whose scan header is followed
    // by no data but a restart marker (and the end marker). With a restart
    // interval the marker is a restart, and the 32000 x 32000 picture is
    // refused for the restart marker that does not follow, not for its size.
    const std::string head = QByteArray::fromBase64(
        "/9j/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/yQALCAAMABABAREA/8wABgAQEAX/2gAIAQEAAD8A").toStdString();
    const auto declaring = [&](int side, const std::string& beforeScan, const std::string& data) {
        std::string file = head;
        const size_t sof = MarkerOffset(file, 0xC9);
        for (size_t at : {sof + 5, sof + 7}) file[at] = char(side >> 8), file[at + 1] = char(side & 0xFF);
        return file.insert(MarkerOffset(file, 0xDA), beforeScan) + data;
    };
    const std::string restartInterval("\xFF\xDD\x00\x04\x00\x01", 6);
    TJPEGLoader loader;
    const std::pair<std::string, const char*> cases[] = {
        {declaring(256, "", "\xFF\xD4\xFF\xD9"), "Premature end of JPEG file"},
        {declaring(256, "", "\xFF\xD7"), "Premature end of JPEG file"},
        {declaring(32000, restartInterval, "\xFF\xD0\xFF\xD9"), "Corrupt JPEG data: found marker 0xd9 instead of RST1"}};
    for (const auto& [file, message] : cases) {
        try {
            Load(loader, file);
            ADD_FAILURE() << "loaded";
        } catch (const EJPEG& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    // A real file with restarts in its arithmetic-coded data still loads.
    JpegOptions options;
    options.arithmetic = true;
    options.restartRows = 1;
    const std::string file = MakeJpeg(options);
    ExpectSameAsLibjpeg(Load(loader, file), DecodeWithLibjpeg(file));
}

TEST(JPEGLoader, ArithmeticDataStoppingBeforeTheLastRowDecodesAsLibjpegDoes) {
    // The encoder drops the zero bytes its data would end with, so valid data
    // often stops rows before the end: under a uniform tail, in a late
    // progressive scan, or at once in a solid picture of any size.
    struct Case {
        const char* name;
        int width, height;
        bool gray, progressive;
        int restartRows, uniformRows;
    };
    const Case cases[] = {
        {"colour, grey band below", 64, 48, false, false, 0, 24},
        {"progressive colour", 75, 50, false, true, 0, 0},
        {"progressive colour, band", 75, 50, false, true, 0, 30},
        {"grey, band", 57, 40, true, false, 0, 20},
        {"progressive grey, band", 40, 41, true, true, 0, 25},
        {"restarts, band", 64, 64, false, false, 1, 40},
        {"progressive with restarts, band", 64, 64, false, true, 2, 40},
        {"solid grey", 4000, 4000, true, false, 0, 4000},
        {"solid colour", 1600, 1200, false, false, 0, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JpegOptions options;
        options.width = c.width, options.height = c.height, options.gray = c.gray;
        options.progressive = c.progressive, options.restartRows = c.restartRows, options.uniformRows = c.uniformRows;
        options.arithmetic = true;
        const std::string file = MakeJpeg(options);
        TJPEGLoader loader;
        ExpectSameAsLibjpeg(Load(loader, file), DecodeWithLibjpeg(file));
        if (c.uniformRows == c.height) {
            EXPECT_GT(int64_t(c.width) * c.height / int64_t(file.size()), 4096);
        }
    }
}

TEST(JPEGLoader, RandomDamageNeverCrashes) {
    JpegOptions options;
    options.width = 48;
    options.height = 32;
    const std::string files[] = {MakeJpeg(options), [&] {
                                     options.progressive = true;
                                     return MakeJpeg(options);
                                 }()};
    std::mt19937 random(1234);
    int raised = 0, loaded = 0;
    for (const std::string& file : files) {
        for (int round = 0; round < 400; ++round) {
            std::string damaged = file;
            const int changes = 1 + int(random() % 8);
            for (int i = 0; i < changes; ++i) damaged[random() % damaged.size()] = char(random());
            TJPEGLoader loader;
            try {
                const TLinearBitmap b = Load(loader, damaged);
                EXPECT_TRUE(b.Present());
                ++loaded;
            } catch (const EImageError&) {
                ++raised;
            }
        }
    }
    EXPECT_GT(raised, 0);
    EXPECT_GT(loaded, 0);
}

TEST(JPEGLoader, AFileWithEndlessScansIsRefused) {
    // The first scan of a progressive file (DC coefficients, which do not
    // depend on earlier scans) repeated: libjpeg only warns about the
    // repeated progression, so only the scan limit stops it.
    JpegOptions options;
    options.width = 16;
    options.height = 16;
    options.progressive = true;
    const std::string file = MakeJpeg(options);
    const std::vector<size_t> starts = ScanStarts(file);
    ASSERT_GE(starts.size(), 2u);
    const std::string scan = file.substr(starts[0], starts[1] - starts[0]);
    std::string endless = file.substr(0, file.size() - 2);
    for (int i = 0; i < TJPEGLoader::MaxScans; ++i) endless += scan;
    endless += "\xFF\xD9";
    TJPEGLoader loader;
    try {
        Load(loader, endless);
        ADD_FAILURE() << "no exception";
    } catch (const EJPEG& e) {
        EXPECT_STREQ(e.what(), "Corrupt JPEG data: more than 500 scans");
    }
}

TEST(JPEGLoader, SavesEveryPixelFormatAndReadsItBack) {
    const int w = 37, h = 21;
    auto level = [](int x, int y) { return uint8_t((x * 7 + y * 5) % 256); };
    struct Case {
        const char* name;
        TPixelFormat format;
        bool grayPalette; // pf8bit only
        bool expectGray;
    };
    const Case cases[] = {
        {"24-bit colour", TPixelFormat::pf24bit, false, false},
        {"32-bit colour", TPixelFormat::pf32bit, false, false},
        {"8-bit colour palette", TPixelFormat::pf8bit, false, false},
        {"8-bit grey palette", TPixelFormat::pf8bit, true, true},
        {"16-bit grey", TPixelFormat::pf16bit, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLinearBitmap b;
        b.New(w, h, c.format);
        // The expected picture as R, G, B.
        std::vector<uint8_t> expected;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < w; ++x) {
                const uint8_t r = level(x, y), g = uint8_t(255 - level(x, y)), bl = uint8_t(y * 12);
                switch (c.format) {
                case TPixelFormat::pf24bit: row[3 * x] = bl, row[3 * x + 1] = g, row[3 * x + 2] = r; break;
                case TPixelFormat::pf32bit: row[4 * x] = bl, row[4 * x + 1] = g, row[4 * x + 2] = r, row[4 * x + 3] = 99; break;
                case TPixelFormat::pf16bit: row[2 * x] = 0x5A, row[2 * x + 1] = r; break;
                default: row[x] = r; break;
                }
                if (c.expectGray)
                    expected.insert(expected.end(), {r, r, r});
                else if (c.format == TPixelFormat::pf8bit)
                    expected.insert(expected.end(), {uint8_t(255 - r), r, uint8_t(r / 2)});
                else
                    expected.insert(expected.end(), {r, g, bl});
            }
        }
        if (c.format == TPixelFormat::pf8bit) {
            for (int i = 0; i < 256; ++i) {
                uint8_t* e = b.Palette() + 3 * i;
                if (c.grayPalette)
                    e[0] = e[1] = e[2] = uint8_t(i);
                else
                    e[0] = uint8_t(i / 2), e[1] = uint8_t(i), e[2] = uint8_t(255 - i);
            }
        }
        TJPEGLoader loader;
        loader.SetQuality(100);
        const std::string file = Save(loader, b);
        const DecodedJpeg oracle = DecodeWithLibjpeg(file);
        ASSERT_TRUE(oracle.error.empty()) << oracle.error;
        EXPECT_EQ(oracle.components, c.expectGray ? 1 : 3);
        const TLinearBitmap back = Load(loader, file);
        ExpectSameAsLibjpeg(back, oracle);

        // Close to the original at quality 100 (colour loses a little to
        // chroma subsampling).
        std::vector<uint8_t> rgb = AsOracle(back);
        if (c.expectGray) {
            std::vector<uint8_t> expanded;
            for (uint8_t v : rgb) expanded.insert(expanded.end(), {v, v, v});
            rgb = expanded;
        }
        ASSERT_EQ(rgb.size(), expected.size());
        double error = 0;
        for (size_t i = 0; i < rgb.size(); ++i) error += std::abs(int(rgb[i]) - int(expected[i]));
        EXPECT_LT(error / double(rgb.size()), c.expectGray ? 1.0 : 6.0);
    }
}

TEST(JPEGLoader, SavingAnEmptyBitmapRaises) {
    TJPEGLoader loader;
    TMemStream stream;
    EXPECT_THROW(loader.SaveToStream(stream, "JPG", TLinearBitmap()), ELinearBitmap);
    EXPECT_EQ(stream.Size(), 0);
}

TEST(JPEGLoader, QualitySearchKeepsTheHighestQualityThatFits) {
    JpegOptions options;
    options.width = 80;
    options.height = 60;
    TJPEGLoader reader;
    const TLinearBitmap picture = Load(reader, MakeJpeg(options));
    auto at = [&](int quality) {
        TJPEGLoader loader;
        loader.SetQuality(quality);
        return Save(loader, picture);
    };

    {
        SCOPED_TRACE("no limit, no quality: libjpeg's default, and the setting stays");
        TJPEGLoader loader;
        EXPECT_EQ(Save(loader, picture), at(TJPEGLoader::DefaultQuality));
        EXPECT_EQ(loader.Quality(), 0);
    }
    {
        SCOPED_TRACE("a limit above the file: one encoding at the quality; the default is kept");
        TJPEGLoader loader;
        loader.SetMaxFileSize(1 << 20);
        EXPECT_EQ(Save(loader, picture), at(TJPEGLoader::DefaultQuality));
        EXPECT_EQ(loader.Quality(), TJPEGLoader::DefaultQuality);
    }
    {
        SCOPED_TRACE("nothing fits: the quality-1 file");
        TJPEGLoader loader;
        loader.SetQuality(90);
        loader.SetMaxFileSize(1);
        EXPECT_EQ(Save(loader, picture), at(1));
    }
    for (int target : {20, 47, 63, 80}) {
        SCOPED_TRACE(testing::Message() << "limit from quality " << target);
        const size_t limit = at(target).size();
        TJPEGLoader loader;
        loader.SetQuality(90);
        loader.SetMaxFileSize(static_cast<int>(limit));
        const std::string file = Save(loader, picture);
        EXPECT_LE(file.size(), limit);
        int found = 0;
        for (int q = 1; q <= 90 && !found; ++q)
            if (at(q) == file) found = q;
        ASSERT_GT(found, 0) << "not an encoding of the picture";
        EXPECT_GE(found, target);
        if (found < 90) {
            EXPECT_GT(at(found + 1).size(), limit);
        }
    }
}

TEST(JPEGLoader, ExtensionsFiltersAndTheRegistry) {
    TJPEGLoader loader;
    for (const char* ext : {"JPG", "jpeg", "Jpe"}) EXPECT_TRUE(loader.CanLoad(ext)) << ext;
    for (const char* ext : {"", "JP", "JPEGX", "PNG"}) EXPECT_FALSE(loader.CanLoad(ext)) << ext;
    EXPECT_TRUE(loader.CanSave("jpg"));
    EXPECT_TRUE(loader.CanSave("JPEG"));
    EXPECT_FALSE(loader.CanSave("JPE"));
    EXPECT_EQ(loader.GetLoadFilter(), "Joint Picture Expert Group (*.jpg,*.jpeg,*.jpe)|*.jpg;*.jpeg;*.jpe");
    EXPECT_EQ(loader.GetSaveFilter(), "Joint Picture Expert Group (*.jpg)|*.jpg");

    RegisterImageLoaders();
    RegisterImageLoaders(); // once only
    int jpegLoaders = 0;
    for (int i = 0; i < BitmapLoaders().Count(); ++i)
        jpegLoaders += dynamic_cast<TJPEGLoader*>(&BitmapLoaders().Items(i)) != nullptr;
    EXPECT_EQ(jpegLoaders, 1);
    EXPECT_NE(dynamic_cast<TJPEGLoader*>(&BitmapLoaders().FindLoader("jpe")), nullptr);
    EXPECT_THROW(BitmapLoaders().FindSaver("JPE"), EUnsupportedFileFormat);

    // Files by extension, as the program and vtool load them.
    testsupport::TempDir dir;
    JpegOptions options;
    options.gray = true;
    const std::string file = MakeJpeg(options);
    testsupport::WriteFile(dir / "photo.JPEG", file);
    TLinearBitmap b;
    b.LoadFromFile((dir / "photo.JPEG").string());
    ExpectSameAsLibjpeg(b, DecodeWithLibjpeg(file));
    b.SaveToFile((dir / "copy.jpg").string());
    const DecodedJpeg copy = DecodeWithLibjpeg(testsupport::ReadFile(dir / "copy.jpg"));
    EXPECT_EQ(copy.components, 1);
    EXPECT_EQ(copy.width, options.width);
}

TEST(JPEGLoader, AHugeDeclaredSizeIsRefusedWithoutAllocatingIt) {
    // 60000 x 60000 declared in the frame header of a small file.
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        JpegOptions options;
        options.progressive = progressive;
        std::string file = MakeJpeg(options);
        const size_t sof = MarkerOffset(file, progressive ? 0xC2 : 0xC0);
        ASSERT_NE(sof, std::string::npos);
        for (size_t at : {sof + 5, sof + 7}) file[at] = char(0xEA), file[at + 1] = char(0x60);

        // 10 GB of pixels from a few kilobytes: refused before any is made.
        TJPEGLoader full;
        EXPECT_THROW(Load(full, file), EJPEG);
        EXPECT_EQ(full.ImageWidth(), 60000);

        // At one eighth the pixels would fit, but the data is missing (and a
        // progressive file's coefficients alone would need gigabytes).
        TJPEGLoader eighth;
        eighth.SetMinWidth(1);
        eighth.SetMinHeight(1);
        EXPECT_THROW(Load(eighth, file), EJPEG);
    }
}
