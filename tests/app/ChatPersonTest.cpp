// One person card on its own, and the photos it shows: pictures loaded by
// file extension through the registered graphic formats.
#include "app/controls/TChatPerson.h"
#include "app/controls/TImage.h"
#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "image/TJPEGGraphic.h"
#include "image/TMNGGraphic.h"
#include "image/TPNGGraphic.h"
#include "platform/TPicture.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

using app::TChatPerson;
using app::TChatPersonStyle;

bool Near(QRgb a, QColor b, int tolerance) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

TEST(ChatPerson, DeleteWithoutAHandlerFreesTheCardLater) {
    QPointer<TChatPerson> card = new TChatPerson(nullptr, nullptr);
    card->Delete();
    ASSERT_FALSE(card.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(card.isNull());

    TChatPerson kept(nullptr, nullptr);
    int asked = 0;
    kept.OnPersonDelete = [&asked](TChatPerson&) {
        ++asked;
        throw std::runtime_error("refused");
    };
    kept.Delete();
    EXPECT_EQ(asked, 1);
}

TEST(ChatPerson, APhotoOfEveryRegisteredFormatIsShownOnTheCard) {
    image::RegisterImageLoaders();
    image::RegisterPictureFormats();
    testsupport::TempDir dir;
    const QColor colour(200, 120, 40);
    QImage source(46, 62, QImage::Format_RGB888);
    source.fill(colour);

    TChatPerson card(nullptr, nullptr);
    card.resize(400, 20);
    card.SetChatPersonStyle(TChatPersonStyle::cpFull);
    const QImage noPhoto = card.imgFullInfo->Picture().ToImage();
    ASSERT_FALSE(noPhoto.isNull());

    const auto save = [&](platform::TGraphic&& graphic, const char* name) {
        dynamic_cast<image::TLinearGraphic&>(graphic).Image().Assign(source);
        graphic.SaveToFile((dir / name).string());
        return (dir / name).string();
    };
    const std::vector<std::string> files = {save(image::TPNGGraphic(), "a.png"), save(image::TMNGGraphic(), "b.MNG"),
                                            save(image::TJPEGGraphic(), "c.jpg"), save(image::TJPEGGraphic(), "d.jpeg")};
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        platform::TPicture picture;
        picture.LoadFromFile(file);
        card.SetPersonPicture(picture);
        card.SetHasPhoto(true);
        // The photo survives collapsing, which releases what is shown.
        card.SetChatPersonStyle(TChatPersonStyle::cpShort);
        card.SetChatPersonStyle(TChatPersonStyle::cpFull);
        const QImage shown = card.grab().toImage();
        EXPECT_TRUE(Near(shown.pixel(6 + 23, 26 + 31), colour, 6));
        ASSERT_NE(card.PersonPicture(), nullptr);
        EXPECT_EQ(card.PersonPicture()->Width(), 46);
    }
    // An empty photo brings back the stand-in.
    card.SetPersonPicture(QImage());
    EXPECT_EQ(card.imgFullInfo->Picture().ToImage(), noPhoto);
}

class TTestGraphic : public platform::TGraphic {
public:
    void Draw(QPainter&, const QRect&) const override {}
    bool Empty() const override { return false; }
    int Width() const override { return 7; }
    int Height() const override { return 3; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(QIODevice&) override {}
    void SaveToStream(QIODevice&) const override {}
};

TEST(Picture, TheFormatIsChosenByExtensionAndFailuresKeepThePicture) {
    image::RegisterImageLoaders();
    image::RegisterPictureFormats();
    testsupport::TempDir dir;
    EXPECT_EQ(platform::TPicture::FileFormatDescription("png"), "Portable Network Graphics");
    EXPECT_EQ(platform::TPicture::FileFormatDescription("MNG"), "Multiple-image Network Graphics");

    platform::TPicture picture;
    QImage kept(5, 4, QImage::Format_RGB32);
    kept.fill(Qt::blue);
    picture.Assign(kept);
    testsupport::WriteFile(dir / "x.tst", "anything");
    try {
        picture.LoadFromFile((dir / "x.tst").string());
        ADD_FAILURE() << "an unregistered extension loaded";
    } catch (const platform::EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Unknown picture file extension (.tst)");
    }
    testsupport::WriteFile(dir / "broken.png", "\x89PNG\r\n\x1a\n broken");
    EXPECT_ANY_THROW(picture.LoadFromFile((dir / "broken.png").string()));
    EXPECT_ANY_THROW(picture.LoadFromFile((dir / "missing.jpg").string()));
    EXPECT_EQ(picture.ToImage(), kept);

    // Formats added later (as the GIF image does) are found the same way.
    platform::TPicture::RegisterFileFormat("tst", "Test", [] { return std::make_unique<TTestGraphic>(); });
    picture.LoadFromFile((dir / "x.tst").string());
    EXPECT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
    platform::TPicture::UnregisterFileFormat("TST");
    EXPECT_THROW(picture.LoadFromFile((dir / "x.tst").string()), platform::EInvalidGraphic);
}

} // namespace
