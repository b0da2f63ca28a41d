#pragma once
// Favourites of the local site whose profile pages and photos come slowly,
// shown as person cards, for the tests of what the window does while it
// waits: a fresh data module, the program's folder and messages kept to the
// test, every member with a JPEG photo.

#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TPersonPhotoLoader.h"
#include "app/forms/TfrmFavourites.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "platform/ProgramDir.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

class WaitingTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramDir(m_dir.path());
        m_dm = std::make_unique<data::TdmFriend>();
        app::RegisterFormClasses();
        image::RegisterImageLoaders();
    }
    void TearDown() override {
        m_form.reset();
        m_dm.reset();
        platform::SetProgramDir({});
    }

    // A `width` x `height` JPEG of one colour.
    static std::string Jpeg(int width, int height, QColor colour = QColor(30, 200, 60)) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", 90);
        return bytes.toStdString();
    }
    static std::string Login(int i) { return "m" + std::to_string(i); }

    // `count` members with a photo each, all of them favourites. Every
    // answer of the site comes after `delay`, the photos after `photoDelay`
    // (the same unless given).
    void AddFavourites(int count, std::chrono::milliseconds delay, const std::string& photo = Jpeg(46, 62),
                       std::optional<std::chrono::milliseconds> photoDelay = {}) {
        m_site.SetDelay(delay);
        for (int i = 0; i < count; ++i) {
            m_site.Add(testsupport::SiteMember(Login(i)).Name("Имя " + std::to_string(i)).Photos(1));
            testsupport::HttpReply reply = testsupport::HttpReply::Page(photo, "image/jpeg");
            reply.delay = photoDelay.value_or(delay);
            m_site.Server().Reply("/photos/" + Login(i) + "_small.jpg", reply);
            m_dm->Friends().AddFriend("Имя " + std::to_string(i), Login(i), m_site.ProfileAddress(Login(i)), "Москва",
                                      30, 1, 0, 1, 0, 0, "");
        }
        m_dm->Friends().Save();
    }
    // The favourites page on its card tab.
    app::TfrmFavourites& OpenCards() {
        m_form = std::make_unique<app::TfrmFavourites>();
        m_form->resize(686, 385);
        m_form->show();
        m_form->pcFavorites->setCurrentWidget(m_form->tsFavotiteQueues);
        return *m_form;
    }
    app::TChatPerson& Card(int i) const { return *m_form->PersonList()->Person(i); }
    // A click on the card's header (collapsed) or name strip (expanded).
    void ClickCard(int i) const {
        app::TChatPerson& card = Card(i);
        QWidget* target = card.ChatPersonStyle() == app::TChatPersonStyle::cpFull
                              ? static_cast<QWidget*>(card.lbPersonName1)
                              : static_cast<QWidget*>(card.imgShortInfo);
        QTest::mouseClick(target, Qt::LeftButton);
    }
    app::TPersonPhotoLoader& Photos() const { return m_form->PhotoLoader(); }
    bool ShowsPhoto(int i) const {
        const platform::TPicture* picture = Card(i).PersonPicture();
        return picture && !picture->Empty();
    }

    testsupport::ConfigHome m_config;
    testsupport::TempDir m_dir;
    testsupport::MessageRecorder m_messages;
    testsupport::LocalSite m_site;
    std::unique_ptr<data::TdmFriend> m_dm;
    std::unique_ptr<app::TfrmFavourites> m_form;
};
