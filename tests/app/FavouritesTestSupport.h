#pragma once
// The favourites page's tests: the program's folder, settings and message
// boxes kept to the test, the local site, and clicks on the person cards.

#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TfrmFavourites.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "platform/ProgramDir.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QBuffer>
#include <QLabel>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace favouritestest {

// `image` as a file of `format` holds it.
inline std::string Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes.toStdString();
}

// A plain picture of `width` x `height` of `colour`.
inline QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class FavouritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramDir(dir.path());
        dm = std::make_unique<data::TdmFriend>();
        app::RegisterFormClasses();
        image::RegisterImageLoaders();
    }
    void TearDown() override {
        form.reset();
        dm.reset();
        platform::SetProgramDir({});
    }

    app::TChatPerson& Card(int index) const { return *page->PersonList()->Person(index); }
    // A click on a card's header: its photo strip when collapsed, its name when open.
    void ClickCard(int index) const {
        app::TChatPerson& card = Card(index);
        QTest::mouseClick(card.ChatPersonStyle() == app::TChatPersonStyle::cpFull
                              ? static_cast<QWidget*>(card.lbPersonName1)
                              : card.imgShortInfo,
                          Qt::LeftButton);
    }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::MessageRecorder messages;
    testsupport::LocalSite site;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<app::TfrmFavourites> form;
    app::TfrmFavourites* page = nullptr; // the page the helpers act on
};

} // namespace favouritestest
