// What GIF files cost: a few bytes may not claim a screen-sized picture of
// gigabytes, and a still picture decodes only its first frame. The ceilings
// are enforced on a child process whose address space is limited.
#include "GifTestSupport.h"

#include "image/ImageLoaders.h"
#include "image/TLinearBitmap.h"
#include "image/gif/GIFException.h"
#include "image/gif/TGIFPainter.h"

#include <QBuffer>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace image;
using namespace giftest;

namespace {

constexpr int Clear2 = 4, End2 = 5;

// The process's address space now, in bytes.
int64_t AddressSpace() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmSize:")) return std::stoll(line.substr(7)) * 1024;
    return 0;
}

// Runs `work` in a child process that may map at most `megabytes` more than
// the process holds now; the child must end normally with `work` answering
// true. Running out of room aborts it.
[[noreturn]] void RunLimited(int megabytes, const std::function<bool()>& work) {
    const rlim_t limit = rlim_t(AddressSpace()) + (rlim_t(megabytes) << 20);
    const rlimit room{limit, limit};
    setrlimit(RLIMIT_AS, &room);
    std::_Exit(work() ? 0 : 1);
}

void ExpectWithin(int megabytes, const std::function<bool()>& work) {
    EXPECT_EXIT(RunLimited(megabytes, work), ::testing::ExitedWithCode(0), "");
}

// A screen of w x h holding one 1x1 frame at (left, top): 35 bytes.
std::string TinyFrameOnHugeScreen(int width, int height, int left, int top) {
    return Header(width, height, 1) + Descriptor(left, top, 1, 1) + '\x02' +
           SubBlocks(PackCodes(2, {Clear2, 1, End2})) + ";";
}

TLinearBitmap LoadAsPhoto(const std::string& bytes) {
    RegisterImageLoaders();
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TLinearBitmap bitmap;
    bitmap.LoadFromTStream(buffer, "gif");
    return bitmap;
}

QImage CompositeOf(const std::string& bytes, int frame) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TGIFImage gif;
    gif.LoadFromStream(buffer);
    return TGIFPainter::CompositeFrame(gif, frame, false);
}

} // namespace

TEST(GifMemory, AHugeScreenAroundATinyFrameIsClampedToTheFrame) {
    const struct {
        int width, height, left, top;
    } screens[] = {{16384, 16384, 0, 0}, {65535, 65535, 0, 0}, {16384, 16384, 16383, 16383}, {65535, 2, 9, 1}};
    for (const auto& s : screens) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height) + " at " + std::to_string(s.left));
        const std::string gif = TinyFrameOnHugeScreen(s.width, s.height, s.left, s.top);
        ASSERT_EQ(gif.size(), 35u);
        TGIFImage image;
        ASSERT_TRUE(Load(gif, image).Ok());
        EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(1, 1));
        EXPECT_EQ(image.Images()[0].BoundsRect(), QRect(0, 0, 1, 1));
        // As a photo and as frame 0 composited (what "vtool decode" does).
        ExpectWithin(256, [&] { return LoadAsPhoto(gif).Width() == 1; });
        ExpectWithin(256, [&] { return CompositeOf(gif, 0).size() == QSize(1, 1); });
    }
}

TEST(GifMemory, FramesKeepTheirPlacesWithinTheUnion) {
    // Two frames inside a larger screen: the screen becomes their union and
    // what the picture shows of them stays.
    const std::string data = '\x02' + SubBlocks(PackCodes(2, {Clear2, 1, End2}));
    const std::string gif = Header(100, 100, 1) + Descriptor(20, 30, 1, 1) + data + Descriptor(24, 31, 1, 1) + data + ";";
    TGIFImage image;
    ASSERT_TRUE(Load(gif, image).Ok());
    EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(5, 2));
    EXPECT_EQ(image.Images()[0].BoundsRect(), QRect(0, 0, 1, 1));
    EXPECT_EQ(image.Images()[1].BoundsRect(), QRect(4, 1, 1, 1));
    // A GIF without pixels has no screen to show.
    ASSERT_TRUE(Load(Header(16384, 16384, 1) + ";", image).Ok());
    EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(0, 0));
}

TEST(GifMemory, AStillPictureDecodesOnlyItsFirstFrameWithPixels) {
    // 64 frames of 4096 x 4096 without data: 1 GiB decoded whole.
    std::string gif = Header(4096, 4096, 1) + Gce(false, 0);
    for (int i = 0; i < 64; ++i) gif += Descriptor(0, 0, 4096, 4096) + B("\x02\x00");
    gif += ";";
    ASSERT_LT(gif.size(), 1000u);
    ExpectWithin(200, [&] {
        const TLinearBitmap photo = LoadAsPhoto(gif);
        return photo.Width() == 4096 && photo.Height() == 4096;
    });

    // Frames after the first are looked through only for where they lie:
    // one far out still widens the screen, and damage there goes unnoticed.
    const std::string frame = '\x02' + SubBlocks(PackCodes(2, {Clear2, 1, End2}));
    const std::string damaged = Header(2, 2, 1) + Descriptor(0, 0, 1, 1) + frame + Gce(false, 0) +
                                Descriptor(5, 0, 1, 1, 0x87) + "cut";
    EXPECT_THROW(CompositeOf(damaged, 0), GIFException);
    const TLinearBitmap photo = LoadAsPhoto(damaged);
    EXPECT_EQ(QSize(photo.Width(), photo.Height()), QSize(6, 1));
}

TEST(GifMemory, ScreenSizedPicturesBeyondTheBitmapLimitAreRefused) {
    const std::string gif = TinyFrameOnHugeScreen(1, 1, 0, 0);
    TGIFImage image;
    ASSERT_TRUE(Load(gif, image).Ok());
    image.SetWidth(40000);
    image.SetHeight(40000);
    EXPECT_THROW(image.Bitmap(), GIFException);
    EXPECT_THROW(TGIFPainter::CompositeFrame(image, 0, false), GIFException);
    TLinearBitmap bitmap;
    EXPECT_ANY_THROW(bitmap.Assign(static_cast<const platform::TGraphic&>(image)));
}
