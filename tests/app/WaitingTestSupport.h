#pragma once
// Favourites of the local site, each member with a JPEG photo, shown as
// person cards; the site answers as slowly as a test asks.

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

    static std::string Jpeg(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(30, 200, 60));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
        return bytes.toStdString();
    }
    static std::string Login(int i) { return "m" + std::to_string(i); }

    // The site's pages come after `delay`, the photos after `photoDelay`
    // (the same unless given).
    void AddFavourites(int count, std::chrono::milliseconds delay, const std::string& photo = Jpeg(46, 62),
                       std::optional<std::chrono::milliseconds> photoDelay = {}) {
        m_site.SetDelay(delay);
        for (int i = 0; i < count; ++i) {
            m_site.Add(testsupport::SiteMember(Login(i)).Photos(1));
            testsupport::HttpReply reply = testsupport::HttpReply::Page(photo, "image/jpeg");
            reply.delay = photoDelay.value_or(delay);
            m_site.Server().Reply("/photos/" + Login(i) + "_small.jpg", reply);
            m_dm->Friends().AddFriend(Login(i), Login(i), m_site.ProfileAddress(Login(i)), "", 30, 1, 0, 1, 0, 0, "");
        }
        m_dm->Friends().Save();
    }
    void OpenCards() {
        m_form = std::make_unique<app::TfrmFavourites>();
        m_form->show();
        m_form->pcFavorites->setCurrentWidget(m_form->tsFavotiteQueues);
    }
    app::TChatPerson& Card(int i) const { return *m_form->PersonList()->Person(i); }
    // Opens a collapsed card as a click on its header does.
    void ClickCard(int i) const { QTest::mouseClick(Card(i).imgShortInfo, Qt::LeftButton); }
    app::TPersonPhotoLoader& Photos() const { return m_form->PhotoLoader(); }
    bool ShowsPhoto(int i) const { return Card(i).PersonPicture() && !Card(i).PersonPicture()->Empty(); }

    testsupport::ConfigHome m_config;
    testsupport::TempDir m_dir;
    testsupport::MessageRecorder m_messages;
    testsupport::LocalSite m_site;
    std::unique_ptr<data::TdmFriend> m_dm;
    std::unique_ptr<app::TfrmFavourites> m_form;
};
