// The image loader control against the local test server.
#include "GifTestSupport.h"
#include "JpegTestSupport.h"

#include "image/ImageLoaders.h"
#include "image/TBitmapLoader.h"
#include "image/TBitmapLoaders.h"
#include "image/TImageLoader.h"
#include "image/TLinearBitmap.h"
#include "support/LocalHttpServer.h"
#include "web/TSubmit.h"

#include <QBuffer>
#include <QPixmap>
#include <QTest>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using image::TImageLoader;
using testsupport::HttpReply;
using testsupport::LocalHttpServer;

namespace {

class ImageLoaderControl : public ::testing::Test {
protected:
    void SetUp() override {
        image::RegisterImageLoaders();
        imagetest::JpegOptions options;
        options.width = 40;
        options.height = 30;
        photo = imagetest::MakeJpeg(options);
        server.Reply("/photo_small.jpg", HttpReply::Page(photo, "image/jpeg"));
        server.Reply("/empty.jpg", HttpReply::Page("", "image/jpeg"));
        server.Reply("/page.html", HttpReply::Page("<html>not a photo</html>"));
        server.Reply("/cut.jpg", [&] {
            HttpReply reply = HttpReply::Page(photo, "image/jpeg");
            reply.cutShortAfter = photo.size() / 2;
            return reply;
        }());
    }

    // Loads `path` as `type` and answers whether a picture came out.
    bool Show(const std::string& path, const std::string& type = "JPEG") {
        loader.SetURL(server.Url(path));
        loader.SetImageType(type);
        loader.SetActive(true);
        return !loader.Picture().isNull();
    }

    LocalHttpServer server;
    std::string photo;
    TImageLoader loader;
};

} // namespace

TEST_F(ImageLoaderControl, ShowsADownloadedPhotoAsLibjpegDecodesIt) {
    ASSERT_TRUE(Show("/photo_small.jpg"));
    const QImage& picture = loader.Picture();
    ASSERT_EQ(picture.width(), 40);
    ASSERT_EQ(picture.height(), 30);
    const imagetest::DecodedJpeg oracle = imagetest::DecodeWithLibjpeg(photo);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint8_t* rgb = &oracle.pixels[size_t(y * 40 + x) * 3];
            ASSERT_EQ(picture.pixel(x, y), qRgb(rgb[0], rgb[1], rgb[2])) << x << "," << y;
        }
    EXPECT_EQ(loader.sizeHint(), QSize(40, 30));

    // The control draws it unscaled at the top left.
    loader.resize(50, 40);
    const QImage shown = loader.grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0), picture.pixel(0, 0));
    EXPECT_EQ(shown.pixel(39, 29), picture.pixel(39, 29));

    // The request as the control makes it: its own Accept, the client's agent.
    const auto request = server.LastRequest();
    EXPECT_EQ(request.Header("Accept"), TImageLoader::AcceptTypes);
    EXPECT_EQ(request.Header("User-Agent"), std::string(TSubmit::AgentString));
    EXPECT_FALSE(loader.Submit().Connected());
}

TEST_F(ImageLoaderControl, ShowsADownloadedGifPhotoAsItsFirstFrame) {
    std::vector<giftest::EncodeFrame> frames(2);
    frames[0] = {0, 0, 12, 9, false, 0, -1, {}};
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) frames[0].Pixels.push_back(uint8_t((x + y) % 4));
    frames[1] = {2, 2, 3, 3, false, 0, -1, std::vector<uint8_t>(9, 3)};
    server.Reply("/photo.gif", HttpReply::Page(giftest::EncodeWithGiflib(12, 9, 2, frames), "image/gif"));
    ASSERT_TRUE(Show("/photo.gif", "GIF"));
    loader.resize(12, 9);
    const QImage shown = loader.grab().toImage();
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            // The test tables' entry i: (v, v, 255 - v), v = i * 85.
            const int v = (x + y) % 4 * 85;
            ASSERT_EQ(loader.Picture().pixel(x, y), qRgb(v, v, 255 - v)) << x << "," << y;
            ASSERT_EQ(shown.pixel(x, y), qRgb(v, v, 255 - v)) << x << "," << y;
        }
}

TEST_F(ImageLoaderControl, AFailedPhotoClearsThePreviousOne) {
    struct Case {
        const char* name;
        const char* path;
        const char* type;
    };
    const Case cases[] = {
        {"empty body", "/empty.jpg", "JPEG"},
        {"404", "/missing.jpg", "JPEG"},
        {"not a JPEG", "/page.html", "JPEG"},
        {"unknown image type", "/photo_small.jpg", "XYZ"},
        {"no image type", "/photo_small.jpg", ""},
        {"transfer cut short", "/cut.jpg", "JPEG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Show("/photo_small.jpg"));
        EXPECT_FALSE(Show(c.path, c.type));
        EXPECT_TRUE(loader.Active());
        EXPECT_FALSE(loader.Submit().Connected());
    }
    // No address at all: the client refuses, the control stays quiet.
    ASSERT_TRUE(Show("/photo_small.jpg"));
    loader.SetURL("");
    loader.SetActive(true);
    EXPECT_TRUE(loader.Picture().isNull());
}

TEST_F(ImageLoaderControl, EveryActivationDownloadsAgainAndDeactivationDoesNothing) {
    loader.SetURL(server.Url("/photo_small.jpg"));
    loader.SetImageType("JPEG");
    EXPECT_FALSE(loader.Active());
    loader.SetActive(true);
    loader.SetActive(true);
    EXPECT_EQ(server.RequestCount(), 2u);
    loader.SetActive(false);
    EXPECT_FALSE(loader.Active());
    EXPECT_EQ(server.RequestCount(), 2u);
    EXPECT_FALSE(loader.Picture().isNull());
}

TEST_F(ImageLoaderControl, APhotoLargerThanTheCapIsNotDownloaded) {
    // A valid JPEG followed by padding (decoders stop at the end marker).
    std::string large = photo + std::string(TImageLoader::MaxDownloadBytes - photo.size(), '\0');
    server.Reply("/exact.jpg", HttpReply::Page(large, "image/jpeg"));
    large.push_back('\0');
    server.Reply("/large.jpg", HttpReply::Page(std::move(large), "image/jpeg"));
    EXPECT_TRUE(Show("/exact.jpg"));
    EXPECT_FALSE(Show("/large.jpg"));
}

TEST_F(ImageLoaderControl, StartGivesWhatLoadGivesWithoutWaiting) {
    int loaded = 0;
    loader.OnLoaded = [&](TImageLoader& sender) { loaded += !sender.Busy(); };
    const auto start = [&](const char* path, const char* type) {
        loader.SetURL(server.Url(path));
        loader.SetImageType(type);
        loader.Start();
    };
    for (const auto& [path, type] : {std::pair{"/photo_small.jpg", "JPEG"}, {"/cut.jpg", "JPEG"},
                                     {"/photo_small.jpg", "XYZ"}, {"/missing.jpg", "JPEG"}}) {
        SCOPED_TRACE(path + std::string(" ") + type);
        Show(path, type);
        const QImage waited = loader.Picture();
        ASSERT_TRUE(Show("/photo_small.jpg")); // a picture for the answer to replace
        loaded = 0;
        start(path, type);
        EXPECT_TRUE(loader.Busy());
        EXPECT_EQ(loaded, 0); // never from within Start
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded == 1; }, 5000));
        EXPECT_EQ(loader.Picture(), waited);
        EXPECT_FALSE(loader.Submit().Connected());
    }
    // Given up, overtaken by another Start, or its control freed: no answer.
    loaded = 0;
    start("/photo_small.jpg", "JPEG");
    loader.Abort();
    start("/empty.jpg", "JPEG");
    start("/photo_small.jpg", "JPEG");
    auto gone = std::make_unique<TImageLoader>();
    gone->OnLoaded = loader.OnLoaded;
    gone->SetURL(server.Url("/photo_small.jpg"));
    gone->SetImageType("JPEG");
    gone->Start();
    gone.reset();
    QTest::qWait(200);
    EXPECT_EQ(loaded, 1);
    EXPECT_FALSE(loader.Picture().isNull());
}

namespace {

// Takes a while over every picture and notes decodes that run at once.
class TSlowLoader final : public image::TBitmapLoader {
public:
    std::string GetLoadFilter() const override { return "Slow (*.slow)|*.slow"; }
    void LoadFromStream(image::TBaseStream&, const std::string&, image::TLinearBitmap& bitmap) override {
        if (m_inside.fetch_add(1) > 0) overlapped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        bitmap.New(1, 1, image::TPixelFormat::pf24bit);
        --m_inside;
    }
    std::atomic<bool> overlapped{false};

private:
    std::atomic<int> m_inside{0};
};

} // namespace

TEST(ImageDecode, DecodesOnTwoThreadsTakeTurnsOverTheSharedLoaders) {
    // Load on the caller's thread while the decoding thread decodes: the
    // registry's loaders keep state of their own.
    TSlowLoader slow;
    image::BitmapLoaders().Add(slow);
    std::thread other([] { TImageLoader::Decode("x", "SLOW"); });
    const QImage picture = TImageLoader::Decode("x", "SLOW");
    other.join();
    image::BitmapLoaders().Remove(slow);
    EXPECT_FALSE(picture.isNull());
    EXPECT_FALSE(slow.overlapped);
}

TEST(ImageDecode, DamagedGifsGiveWhatAPlainReadGives) {
    // Random pixels compress poorly: the data spans many pages of the
    // download, given back while the frame decodes. Cut or patched, the
    // body gives the picture (or none) that a read of it in one piece
    // gives, never bytes already given back.
    image::RegisterImageLoaders();
    using namespace giftest;
    const std::string good =
        EncodeWithGiflib(300, 200, 8, {EncodeFrame{0, 0, 300, 200, true, 0, -1, Pixels(300, 200, 8, Fill::Random, 3)}});
    std::vector<std::string> damaged;
    for (const size_t cut : {good.size() / 3, good.size() - 2}) damaged.push_back(good.substr(0, cut));
    for (const size_t at : {size_t(900), good.size() / 2, good.size() - 300}) {
        damaged.push_back(good);
        damaged.back()[at] = char(~damaged.back()[at]);
    }
    for (const std::string& bytes : damaged) {
        QByteArray data = QByteArray::fromStdString(bytes);
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        image::TLinearBitmap bitmap;
        QImage plain;
        try {
            bitmap.LoadFromTStream(buffer, "GIF");
            bitmap.AssignTo(plain);
        } catch (const std::exception&) {
        }
        EXPECT_EQ(TImageLoader::Decode(std::string(bytes), "GIF"), plain) << bytes.size();
    }
}

TEST(ImageDecode, AJpegPhotoBeyondItsMemoryIsRefusedWithItsCause) {
    // Solid arithmetic-coded pictures declaring more than they hold: the
    // bitmap alone, or the bitmap and libjpeg's coefficients of a progressive
    // file, would pass 512 MB.
    image::RegisterImageLoaders();
    for (const bool progressive : {false, true}) {
        imagetest::JpegOptions options;
        options.arithmetic = true;
        options.progressive = progressive;
        options.uniformRows = options.height;
        std::string file = imagetest::MakeJpeg(options);
        const int side = progressive ? 10000 : 16000;
        const size_t sof = file.find(progressive ? "\xFF\xCA" : "\xFF\xC9");
        ASSERT_NE(sof, std::string::npos);
        for (size_t at : {sof + 5, sof + 7}) file[at] = char(side >> 8), file[at + 1] = char(side & 0xFF);
        std::string failure;
        EXPECT_TRUE(TImageLoader::Decode(std::move(file), "JPEG", &failure).isNull());
        const std::string size = std::to_string(side) + "×" + std::to_string(side);
        EXPECT_EQ(failure, "снимок " + size + " точек требует больше 512 МБ памяти");
    }
}
