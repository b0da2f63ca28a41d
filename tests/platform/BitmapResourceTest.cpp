#include "platform/BitmapResource.h"
#include "platform/BitmapResourceTables.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace platform;

namespace {

bool isStandardColour(QRgb pixel) {
    static const std::set<QRgb> palette = {
        qRgb(0, 0, 0),     qRgb(128, 0, 0),   qRgb(0, 128, 0),     qRgb(128, 128, 0),
        qRgb(0, 0, 128),   qRgb(128, 0, 128), qRgb(0, 128, 128),   qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0),     qRgb(255, 255, 0),
        qRgb(0, 0, 255),   qRgb(255, 0, 255), qRgb(0, 255, 255),   qRgb(255, 255, 255)};
    return palette.count(pixel | 0xff000000u) != 0;
}

} // namespace

TEST(BitmapResource, EveryPictureHasItsSizeAndIsDrawn) {
    for (const auto& resource : kBitmapResources) {
        SCOPED_TRACE(std::string(resource.Name));
        const QPixmap pixmap = LoadBitmapResource(resource.Name);
        ASSERT_FALSE(pixmap.isNull());
        EXPECT_EQ(pixmap.size(), QSize(resource.Width, resource.Height));
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        const bool keyRed = resource.Background == TBitmapBackground::KeyRed;
        if (keyRed) {
            EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
        }
        // Something besides the background was drawn, and the background shows.
        int drawn = 0;
        int background = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool isBackground =
                    keyRed ? image.pixel(x, y) == qRgb(255, 0, 0) : qAlpha(image.pixel(x, y)) == 0;
                (isBackground ? background : drawn) += 1;
            }
        EXPECT_GT(background, 0);
        EXPECT_GT(drawn, image.width() * image.height() / 10);
    }
}

TEST(BitmapResource, ButtonGlyphsUseOnlyTheSixteenStandardColours) {
    for (const auto& resource : kBitmapResources) {
        if (resource.Width != 16) continue;
        SCOPED_TRACE(std::string(resource.Name));
        const QImage image = LoadBitmapResource(resource.Name).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0) continue;
                EXPECT_EQ(qAlpha(pixel), 255) << x << "," << y;
                EXPECT_TRUE(isStandardColour(pixel)) << x << "," << y << " " << std::hex << pixel;
            }
    }
}

TEST(BitmapResource, FacesKeepPureRedOnlyOutsideTheFace) {
    // A blended caption pixel that came out pure red would show a hole.
    for (std::string_view name : {"BTN_YES_UP", "BTN_NO_UP", "BTN_OK_UP"}) {
        SCOPED_TRACE(std::string(name));
        const QImage image = LoadBitmapResource(name).toImage();
        for (int y = 4; y < 20; ++y)
            for (int x = 8; x < 91; ++x) EXPECT_NE(image.pixel(x, y) | 0xff000000u, qRgb(255, 0, 0)) << x << "," << y;
    }
}

TEST(BitmapResource, UnknownNamesGiveANullPixmap) {
    EXPECT_TRUE(LoadBitmapResource("").isNull());
    EXPECT_TRUE(LoadBitmapResource("BTN_MAYBE").isNull());
    // Names compare exactly.
    EXPECT_TRUE(LoadBitmapResource("btn_yes").isNull());
}
