// What small GIF files may cost: the ceilings hold in a child process whose
// address space is limited.
#include "GifTestSupport.h"

#include "image/ImageLoaders.h"
#include "image/TLinearBitmap.h"
#include "image/gif/GIFException.h"
#include "image/gif/TGIFPainter.h"

#include <QBuffer>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace image;
using namespace giftest;

namespace {

// Exits with 0 when `work` answers true within `megabytes` more address space.
[[noreturn]] void RunWithin(int megabytes, const std::function<bool()>& work) {
    std::ifstream status("/proc/self/status");
    rlim_t limit = rlim_t(megabytes) << 20;
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmSize:")) limit += rlim_t(std::stoll(line.substr(7))) << 10;
    const rlimit room{limit, limit};
    setrlimit(RLIMIT_AS, &room);
    std::_Exit(work() ? 0 : 1);
}

QSize PhotoSize(const std::string& bytes) {
    RegisterImageLoaders();
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TLinearBitmap bitmap;
    bitmap.LoadFromTStream(buffer, "gif");
    return QSize(bitmap.Width(), bitmap.Height());
}

const std::string OnePixel = '\x02' + SubBlocks(PackCodes(2, {4, 1, 5}));

} // namespace

TEST(GifMemory, AHugeScreenIsCutToTheFramesThatHoldPixels) {
    // 35 bytes each: one 1x1 frame on a screen of up to 65535 x 65535.
    for (const QRect frame : {QRect(0, 0, 16384, 16384), QRect(0, 0, 65535, 65535), QRect(16383, 16383, 16384, 16384)}) {
        const std::string gif = Header(frame.width(), frame.height(), 1) + Descriptor(frame.x(), frame.y(), 1, 1) + OnePixel + ";";
        TGIFImage image;
        ASSERT_TRUE(Load(gif, image).Ok());
        // The file's screen and place are kept; pictures show the frame.
        EXPECT_EQ(QSize(image.Width(), image.Height()), frame.size());
        EXPECT_EQ(image.Images()[0].BoundsRect(), QRect(frame.topLeft(), QSize(1, 1)));
        EXPECT_EQ(image.PictureRect(), image.Images()[0].BoundsRect());
        // As a photo, and frame 0 composited as "vtool decode --frame 0" does.
        EXPECT_EXIT(RunWithin(256, [&] { return PhotoSize(gif) == QSize(1, 1); }), testing::ExitedWithCode(0), "");
        EXPECT_EXIT(RunWithin(256, [&] { return TGIFPainter::CompositeFrame(image, 0, false).width() == 1; }),
                    testing::ExitedWithCode(0), "");
    }
    // Frames far apart: the picture takes the first and what stays small.
    TGIFImage image;
    ASSERT_TRUE(Load(Header(16383, 16383, 1) + Descriptor(0, 0, 1, 1) + OnePixel + Descriptor(16382, 16382, 1, 1) + OnePixel +
                         Descriptor(2, 3, 1, 1) + OnePixel + ";", image).Ok());
    EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(16383, 16383));
    EXPECT_EQ(image.PictureRect(), QRect(0, 0, 3, 4));
    // No pixels, no picture.
    ASSERT_TRUE(Load(Header(16384, 16384, 1) + ";", image).Ok());
    EXPECT_EQ(image.Width(), 16384);
    EXPECT_TRUE(image.PictureRect().isEmpty());
    EXPECT_TRUE(image.Bitmap().isNull());
    // A picture the frames' pixels justify but past the bitmap limit is
    // refused (17 frames of 16 megapixels, never touched, for 272).
    image.Clear();
    for (int i = 0; i < 17; ++i) image.Images()[image.Add(std::make_unique<TGIFSubImage>(&image))].SetBounds(0, 0, 4096, 4096);
    image.SetWidth(16500);
    image.SetHeight(16500);
    EXPECT_THROW(image.Bitmap(), GIFException);
    EXPECT_THROW(TGIFPainter::CompositeFrame(image, 0, false), GIFException);
}

TEST(GifMemory, APhotoDecodesOnlyItsFirstFrameWithPixels) {
    // 64 frames of 4096 x 4096 without data: 1 GiB decoded whole.
    std::string gif = Header(4096, 4096, 1) + Gce(false, 0);
    for (int i = 0; i < 64; ++i) gif += Descriptor(0, 0, 4096, 4096) + B("\x02\x00");
    EXPECT_EXIT(RunWithin(200, [&] { return PhotoSize(gif + ";") == QSize(4096, 4096); }), testing::ExitedWithCode(0), "");
    // The frames after it are looked through only for where they lie (so
    // far as a screen 0 wide reaches).
    const std::string damaged = Header(0, 2, 1) + Descriptor(0, 0, 1, 1) + OnePixel + Descriptor(5, 0, 1, 1, 0x87) + "cut";
    TGIFImage image;
    EXPECT_FALSE(Load(damaged, image).Ok());
    EXPECT_EQ(PhotoSize(damaged), QSize(6, 2));
    // A large frame there whose data could not fill it stops a full load, and
    // does not widen the photo's screen: a few bytes claim no gigabyte.
    for (const std::string& claim : {Header(1, 1, 1) + Descriptor(0, 0, 1, 1) + OnePixel + Descriptor(0, 0, 16384, 16384),
                                     Header(16384, 16384, 1) + Descriptor(0, 0, 1, 1) + OnePixel + Descriptor(0, 0, 0, 0)}) {
        const std::string gif = claim + B("\x02\x00") + ";";
        EXPECT_FALSE(Load(gif, image).Ok());
        EXPECT_EXIT(RunWithin(200, [&] { return PhotoSize(gif) == QSize(1, 1); }), testing::ExitedWithCode(0), "");
    }
    // A frame header far out with no pixel data after it makes no gigabyte
    // photo, nor composite of a full load.
    const std::string farOut = Header(1, 1, 1) + Descriptor(0, 0, 1, 1) + OnePixel + Descriptor(16382, 16382, 1, 1);
    Load(farOut, image);
    EXPECT_EXIT(RunWithin(200, [&] { return PhotoSize(farOut) == QSize(1, 1) && TGIFPainter::CompositeFrame(image, 0, false).width() == 1; }),
                testing::ExitedWithCode(0), "");
}

TEST(GifMemory, AFrameGivesItsPixelsMemoryBackWhenFreed) {
    // Ten times 64 MB of pixels, each freed before the next: the ceiling
    // holds only when freeing gives the memory back.
    EXPECT_EXIT(RunWithin(200, [] {
        std::vector<std::unique_ptr<TGIFSubImage>> frames;
        for (int i = 0; i < 10; ++i) {
            frames.push_back(std::make_unique<TGIFSubImage>(nullptr));
            frames.back()->SetBounds(0, 0, 8192, 8192);
            i % 2 ? frames.back()->FreeImage() : frames.back()->Clear();
        }
        return true;
    }), testing::ExitedWithCode(0), "");
}
