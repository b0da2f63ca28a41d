// The LZW decoder on hand-made code streams: the cases real encoders rarely
// produce and damaged data.
#include "GifTestSupport.h"

#include "image/TLinearBitmap.h"
#include "image/gif/GIFException.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>
#include <random>

using namespace image;
using namespace giftest;

namespace {

constexpr int Clear2 = 4;  // clear code for a minimum code size of 2
constexpr int End2 = 5;

std::vector<uint8_t> FramePixels(const TGIFImage& image, int index) {
    const TGIFSubImage& f = image.Images()[index];
    return std::vector<uint8_t>(f.Data(), f.Data() + f.DataSize());
}

using Bytes = std::vector<uint8_t>;

// Re-cuts the image data of a one-frame GIF without extensions (as
// EncodeWithGiflib makes it) into sub-blocks of `blockSize` bytes.
std::string Reblock(const std::string& gif, size_t blockSize) {
    size_t p = 13;
    if (static_cast<uint8_t>(gif[10]) & 0x80) p += 3u << ((gif[10] & 7) + 1);
    p += 10;  // image descriptor, no local table
    std::string out = gif.substr(0, p + 1);
    std::string data;
    for (size_t q = p + 1; gif[q] != 0; q += static_cast<uint8_t>(gif[q]) + 1u)
        data.append(gif, q + 1, static_cast<uint8_t>(gif[q]));
    return out + SubBlocks(data, blockSize) + ";";
}

} // namespace

TEST(GifDecompress, CodeOfTheEntryBeingMadeRepeatsTheFirstValue) {
    // 1, then 6 (= the next free entry: "1 1"), then 7 (again: "1 1 1").
    TGIFImage image;
    const LoadResult r = Load(Header(6, 1, 2) + Frame(6, 1, 2, {Clear2, 1, 6, 7, End2}) + ";", image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_TRUE(r.Warnings.empty());
    EXPECT_EQ(FramePixels(image, 0), Bytes(6, 1));
}

TEST(GifDecompress, DataThatStopsEarlyKeepsTheFillValue) {
    struct Case {
        bool transparent;
        bool terminated;  // the data has its zero-length block
        uint8_t fill;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {true, true, 3, {SDecoderUnderrun}},
        {false, true, 0, {SDecoderUnderrun}},
        // A stream that simply ends is no warning of the decoder's.
        {true, false, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "transparent " << c.transparent << " terminated " << c.terminated);
        // Four pixels of an 4 x 2 frame, and no end code.
        std::string data = SubBlocks(PackCodes(2, {Clear2, 1, 2, 1, 2}));
        if (!c.terminated) data.pop_back();
        std::string gif = Header(4, 2, 2) + Gce(c.transparent, 3) + Descriptor(0, 0, 4, 2) + '\x02' + data;
        if (c.terminated) gif += ";";
        TGIFImage image;
        const LoadResult r = Load(gif, image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(r.Warnings, c.warnings);
        EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2, 1, 2, c.fill, c.fill, c.fill, c.fill}));
    }
}

TEST(GifDecompress, MinimumCodeSizeAbove8IsTaken8) {
    std::string gif = Header(3, 1, 8) + Descriptor(0, 0, 3, 1) + '\x0B' +
                      SubBlocks(PackCodes(8, {256, 200, 7, 255, 257})) + ";";
    TGIFImage image;
    const LoadResult r = Load(gif, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(FramePixels(image, 0), (Bytes{200, 7, 255}));
}

TEST(GifDecompress, SubBlocksOfAnyLengthDecodeAlike) {
    EncodeFrame f;
    f.Width = 300;
    f.Height = 200;
    std::mt19937 rng(5);
    for (int i = 0; i < f.Width * f.Height; ++i) f.Pixels.push_back(static_cast<uint8_t>(i % 7 ? rng() % 256 : 9));
    const std::string gif = EncodeWithGiflib(f.Width, f.Height, 8, {f});
    for (size_t blockSize : {1u, 2u, 3u, 254u}) {
        SCOPED_TRACE(blockSize);
        TGIFImage image;
        const LoadResult r = Load(Reblock(gif, blockSize), image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_TRUE(r.Warnings.empty());
        EXPECT_EQ(FramePixels(image, 0), f.Pixels);
    }
}

// Whatever the first frame's data holds after its pixels, reading goes on at
// the frame's terminator, so the next frame and the trailer read cleanly.
TEST(GifDecompress, DamagedDataLeavesTheStreamAtTheTerminator) {
    struct Case {
        const char* what;
        std::string data;  // after the code size byte of a 4 x 1 frame
        Bytes pixels;
    };
    const Case cases[] = {
        {"end code before the last pixel, then more blocks",
         SubBlocks(PackCodes(2, {Clear2, 1, End2, 2, 3, 1}) + std::string(40, '\x55'), 7), {1, 0, 0, 0}},
        {"surplus codes and no end code", SubBlocks(PackCodes(2, {Clear2, 1, 2, 3, 1, 3, 3, 3, 3, 2, 1, 0}), 1),
         {1, 2, 3, 1}},
        {"blocks after the end code", SubBlocks(PackCodes(2, {Clear2, 3, 2, 1, 0, End2}) + std::string(300, 'x')),
         {3, 2, 1, 0}},
        {"end code right after a clear code", SubBlocks(PackCodes(2, {Clear2, End2, 1, 1, 1})), {0, 0, 0, 0}},
        {"one-byte blocks", SubBlocks(PackCodes(2, {Clear2, 2, 2, 6, End2}), 1), {2, 2, 2, 2}},
        // Every pixel and no end code is no warning either.
        {"all pixels and no end code", SubBlocks(PackCodes(2, {Clear2, 1, 2, 1, 2})), {1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string gif = Header(4, 1, 2) + Descriptor(0, 0, 4, 1) + '\x02' + c.data +
                                Frame(4, 1, 2, {Clear2, 3, 3, 0, 0, End2}) + ";";
        TGIFImage image;
        const LoadResult r = Load(gif, image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_TRUE(r.Warnings.empty()) << r.Warnings.front();
        ASSERT_EQ(image.Images().Count(), 2);
        EXPECT_EQ(FramePixels(image, 0), c.pixels);
        EXPECT_EQ(FramePixels(image, 1), (Bytes{3, 3, 0, 0}));
        EXPECT_EQ(r.Position, static_cast<int64_t>(gif.size()));
    }
}

TEST(GifDecompress, CircularTableEntriesRaise) {
    struct Case {
        const char* what;
        std::vector<int> codes;
    };
    const Case cases[] = {
        // 7 before it exists makes entry 6; the next code makes entry 7 with
        // the previous code, 7, as its own prefix.
        {"entry that is its own prefix", {Clear2, 1, 7, 0, 7, End2}},
        // A first code above the roots, then entries 6 -> 7 -> 6.
        {"two entries that are each other's prefix", {Clear2, 7, 6, 0, 6, End2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string gif = "xx" + Header(16, 1, 2) + Frame(16, 1, 2, c.codes) + ";";
        TGIFImage image;
        QByteArray data = QByteArray::fromStdString(gif);
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(2);
        try {
            image.LoadFromStream(buffer);
            ADD_FAILURE() << "no error";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), SCircularDecoderTable);
        }
        // Loading failed: the stream is back where it started.
        EXPECT_EQ(buffer.pos(), 2);
    }
}

TEST(GifDecompress, IrregularCodesDecodeAsTheClassicDecoder) {
    // A first code after a clear code is a pixel as it stands (its low 8
    // bits); a code beyond the next free entry repeats the previous string
    // plus its first value; entries not yet made read as "0 0".
    struct Case {
        const char* what;
        int width;
        std::vector<int> codes;
        Bytes pixels;
    };
    const Case cases[] = {
        {"first code above the roots", 3, {Clear2, 7, 1, 1, End2}, {7, 1, 1}},
        {"code beyond the next free entry", 5, {Clear2, 2, 7, 3, End2}, {2, 2, 2, 3, 0}},
        {"code beyond, then its string again", 6, {Clear2, 3, 7, 6, End2}, {3, 3, 3, 3, 3, 0}},
        {"irregular until the next clear code", 5, {Clear2, 7, 1, Clear2, 1, 6, End2}, {7, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGIFImage image;
        const LoadResult r = Load(Header(c.width, 1, 2) + Frame(c.width, 1, 2, c.codes) + ";", image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(FramePixels(image, 0), c.pixels);
    }
}

TEST(GifDecompress, TinyCodeSizesNeitherCrashNorHang) {
    for (int setCodeSize : {0, 1}) {
        SCOPED_TRACE(setCodeSize);
        std::mt19937 rng(static_cast<unsigned>(setCodeSize));
        std::string data;
        for (int i = 0; i < 600; ++i) data += static_cast<char>(rng());
        const std::string gif = Header(40, 40, 1) + Descriptor(0, 0, 40, 40) + static_cast<char>(setCodeSize) +
                                SubBlocks(data) + ";";
        TGIFImage image;
        const LoadResult r = Load(gif, image);
        if (r.Ok()) {
            EXPECT_EQ(image.Images()[0].DataSize(), 1600);
        }
    }
}

TEST(GifDecompress, SubBlockLongerThanTheDataWarnsAndUsesWhatIsThere) {
    const std::string codes = PackCodes(2, {Clear2, 1, 2, 3, 0, End2});
    std::string gif = Header(4, 1, 2) + Descriptor(0, 0, 4, 1) + '\x02' + static_cast<char>(200) + codes;
    TGIFImage image;
    const LoadResult r = Load(gif, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Warnings, std::vector<std::string>{SPrematureEOF});
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2, 3, 0}));
}

TEST(GifDecompress, MissingCodeSizeLeavesTheFill) {
    TGIFImage image;
    const LoadResult r = Load(Header(3, 2, 2) + Gce(true, 2) + Descriptor(0, 0, 3, 2), image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(FramePixels(image, 0), Bytes(6, 2));
}

TEST(GifDecompress, FramesBeyondTheMemoryLimitRaiseBeforeAllocating) {
    TGIFImage image;
    // 60000 x 60000 bytes is far above the limit.
    const LoadResult r = Load(Header(1, 1, 1) + Descriptor(0, 0, 60000, 60000) + '\x02' + SubBlocks("") + ";", image);
    EXPECT_EQ(r.Error, SFrameTooLarge);

    // All frames of one load together share the same limit.
    TGIFImage shared;
    shared.ReserveFrameBytes(TLinearBitmap::MaxBitmapBytes - 10);
    EXPECT_NO_THROW(shared.ReserveFrameBytes(10));
    EXPECT_THROW(shared.ReserveFrameBytes(1), GIFException);

    // A 29-byte file declaring a 65535 x 16384 interlaced frame: its data
    // could never fill it.
    TGIFImage tiny;
    const std::string file = QByteArray::fromHex("474946383961010001000000002c00000000ffff00404002024c01003b").toStdString();
    EXPECT_EQ(Load(file, tiny).Error, SFrameTooLarge);

    // A large interlaced frame whose data does fill it still loads.
    EncodeFrame big{0, 0, 4200, 4200, true, 0, -1, std::vector<uint8_t>(size_t(4200) * 4200, 1)};
    big.Pixels[size_t(4200) * 4199] = 0;
    TGIFImage large;
    const LoadResult loaded = Load(EncodeWithGiflib(4200, 4200, 1, {big}), large);
    ASSERT_TRUE(loaded.Ok()) << loaded.Error;
    EXPECT_EQ(FramePixels(large, 0), big.Pixels);
}
