// Damaged GIFs made by cutting and patching good ones: reading ends with the
// image or a GIFException, never a crash, a hang or another exception, and
// every frame it keeps holds exactly Width * Height pixels.
#include "GifTestSupport.h"

#include "image/gif/GIFException.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <random>

using namespace image;
using namespace giftest;

namespace {

std::vector<uint8_t> Noise(int n, int colors, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> p(static_cast<size_t>(n));
    for (auto& v : p) v = static_cast<uint8_t>(rng() % unsigned(colors));
    return p;
}

// Frames with and without local tables, interlaced, transparent, offset,
// and every kind of extension.
std::string Sample() {
    std::vector<EncodeFrame> frames(3);
    frames[0] = {0, 0, 40, 30, false, 0, -1, Noise(1200, 256, 1)};
    frames[1] = {5, 3, 20, 17, true, 3, 2, Noise(340, 8, 2)};
    frames[2] = {1, 1, 33, 9, false, 1, 0, Noise(297, 2, 3)};
    std::string gif = EncodeWithGiflib(40, 30, 8, frames);
    const std::string extensions = B("!\xFE\x05" "hello\x00") + B("!\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00") +
                                   B("!\x01\x0C\x00\x00\x00\x00\x08\x00\x08\x00\x08\x08\x01\x00\x02" "hi\x00") +
                                   B("!\x42\x03" "abc\x00");
    return gif.insert(13 + 768, extensions);
}

void ExpectSoundLoad(const std::string& bytes, const std::string& what) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TGIFImage image;
    try {
        image.LoadFromStream(buffer);
    } catch (const GIFException&) {
        EXPECT_EQ(buffer.pos(), 0) << what;
        return;
    }
    for (const auto& f : image.Images()) {
        if (f->DataSize() != 0) {
            ASSERT_EQ(f->DataSize(), int64_t(f->Width()) * f->Height()) << what;
        }
    }
}

} // namespace

TEST(GifDamaged, EveryTruncationReadsOrRaises) {
    const std::string gif = Sample();
    {
        TGIFImage image;
        const LoadResult r = Load(gif, image);
        ASSERT_TRUE(r.Ok()) << r.Error;
        EXPECT_EQ(r.Warnings, std::vector<std::string>{SUnknownExtension});
        ASSERT_EQ(image.Images().Count(), 3);
    }
    for (size_t n = 0; n <= gif.size(); ++n) ExpectSoundLoad(gif.substr(0, n), "cut at " + std::to_string(n));
}

TEST(GifDamaged, PatchedBytesReadOrRaise) {
    const std::string gif = Sample();
    std::mt19937 rng(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string bad = gif;
        const int patches = 1 + int(rng() % 4);
        for (int i = 0; i < patches; ++i) {
            const size_t at = rng() % bad.size();
            switch (rng() % 4) {
            case 0: bad[at] = static_cast<char>(rng()); break;
            case 1: bad[at] = '\0'; break;
            case 2: bad[at] = '\xFF'; break;
            default: bad[at] = static_cast<char>(bad[at] ^ (1 << (rng() % 8))); break;
            }
        }
        ExpectSoundLoad(bad, "round " + std::to_string(round));
    }
}

TEST(GifDamaged, RandomImageDataReadsOrRaises) {
    // Headers and descriptors that are fine, followed by noise as pixel data
    // at every minimum code size.
    std::mt19937 rng(7);
    for (int setCodeSize = 0; setCodeSize <= 12; ++setCodeSize)
        for (int round = 0; round < 40; ++round) {
            std::string data;
            for (int i = 0; i < 2000; ++i) data += static_cast<char>(rng());
            const std::string gif = Header(64, 64, 8) + Descriptor(0, 0, 64, 64, round % 2 ? 0x40 : 0) +
                                    static_cast<char>(setCodeSize) + SubBlocks(data, 1 + rng() % 255) + ";";
            ExpectSoundLoad(gif, "code size " + std::to_string(setCodeSize));
        }
}
