// Answers that come after their card is gone: a card deleted, its page left
// or the window closed while the card's profile page, its photo or the
// photo's decoding is under way. Nothing may reach the freed card. The test
// binary app_asan_tests runs these with the photo road built with
// AddressSanitizer, which would catch any such touch.
#include "WaitingTestSupport.h"

#include "app/forms/TfrmMain.h"

#include <QRandomGenerator>

using namespace std::chrono_literals;

namespace {

// A photo whose decoding takes a while: noise, which JPEG cannot shrink much.
std::string NoisyJpeg(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(38);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) row[x] = random.generate() | 0xFF000000u;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes.toStdString();
}

} // namespace

TEST_F(WaitingTest, ACardDeletedWhileItsPhotoIsFetchedTakesNoAnswer) {
    // The profile pages come slowly for card 0, the photo slowly for card 1.
    AddFavourites(3, 0ms, Jpeg(46, 62), 400ms);
    m_site.SetDelay(400ms);
    OpenCards();
    ClickCard(0);
    ClickCard(1);
    ClickCard(2);
    ASSERT_EQ(Photos().InFlight(), 3);
    Card(0).Delete(); // the question is answered "Yes"
    ASSERT_TRUE(QTest::qWaitFor([&] { return Photos().InFlight() == 2; }, 1000));
    EXPECT_EQ(m_form->PersonList()->Count(), 2);
    EXPECT_EQ(m_dm->Friends().RecordCount(), 2);

    // Card 1 (now the first) is deleted while its photo comes.
    m_site.SetDelay(0ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.RequestCount("/photos/" + Login(1) + "_small.jpg") == 1; }, 3000));
    Card(0).Delete();
    QTest::qWait(1000);
    EXPECT_EQ(Photos().InFlight(), 0);
    ASSERT_EQ(m_form->PersonList()->Count(), 1);
    EXPECT_TRUE(ShowsPhoto(0)); // card 2's own photo came all the same
    EXPECT_EQ(m_site.RequestCount("/photos/" + Login(0) + "_small.jpg"), 0u);
}

TEST_F(WaitingTest, APageLeftInAnyStepOfAPhotoTakesNoAnswer) {
    AddFavourites(1, 0ms, NoisyJpeg(1200));
    // The page goes at once, while the profile page comes, while the photo
    // comes, and at several moments of its decoding.
    for (const int after : {0, 1, 2, 4, 8, 16, 32, 64}) {
        m_site.ClearRequests();
        OpenCards();
        ClickCard(0);
        if (after > 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.RequestCount() == 2; }, 3000));
            QTest::qWait(after);
        }
        m_form.reset();
        QTest::qWait(150);
    }
    // And a page left once its photo is shown.
    OpenCards();
    ClickCard(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0); }, 5000));
    m_form.reset();
}

TEST_F(WaitingTest, TheWindowClosedWhilePhotosComeAsksAtOnceAndEnds) {
    AddFavourites(5, 500ms);
    m_dm->Settings().Save();
    m_dm.reset();
    m_dm = std::make_unique<data::TdmFriend>(); // not a first start: the favourites are docked
    auto window = std::make_unique<app::TfrmMain>();
    window->show();
    auto* page = window->Docking().DockedAs<app::TfrmFavourites>(window->pnForm);
    ASSERT_NE(page, nullptr);
    page->pcFavorites->setCurrentWidget(page->tsFavotiteQueues);
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(page->PersonList()->Person(i)->imgShortInfo, Qt::LeftButton);
    ASSERT_EQ(page->PhotoLoader().InFlight(), 4);

    EXPECT_TRUE(window->close());
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{"Вы действительно желаете завершить работу с программой?"});
    window.reset();
    QTest::qWait(1200);
}
