// Answers that come after their card is gone: a card deleted, its page left
// or the window closed while its profile page, its photo or the photo's
// decoding is under way. app_asan_tests runs these with the photo road built
// with AddressSanitizer, which would catch any touch of a freed card.
#include "WaitingTestSupport.h"

#include "app/forms/TfrmMain.h"

using namespace std::chrono_literals;

TEST_F(WaitingTest, ACardDeletedWhileItsPhotoIsFetchedTakesNoAnswer) {
    AddFavourites(3, 400ms, Jpeg(46, 62), 400ms);
    OpenCards();
    for (int i = 0; i < 3; ++i) ClickCard(i);
    Card(0).Delete(); // while its profile page comes; the question is answered "Yes"
    ASSERT_TRUE(QTest::qWaitFor([&] { return Photos().InFlight() == 2; }, 1000));
    m_site.SetDelay(0ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.RequestCount("/photos/m1_small.jpg") == 1; }, 3000));
    Card(0).Delete(); // card 1, while its photo comes
    QTest::qWait(1000);
    EXPECT_EQ(Photos().InFlight(), 0);
    ASSERT_EQ(m_form->PersonList()->Count(), 1);
    EXPECT_TRUE(ShowsPhoto(0)); // card 2's own photo came all the same
    EXPECT_EQ(m_site.RequestCount("/photos/m0_small.jpg"), 0u);
}

TEST_F(WaitingTest, APageLeftInAnyStepOfAPhotoTakesNoAnswer) {
    AddFavourites(1, 0ms, Jpeg(2000, 2000));
    // Left at once, while the profile page or the photo comes, and at
    // several moments of its decoding; and once it is shown.
    for (const int after : {-1, 0, 1, 2, 4, 8, 16, 32, 64}) {
        m_site.ClearRequests();
        OpenCards();
        ClickCard(0);
        if (after >= 0) ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.RequestCount() == 2; }, 3000));
        QTest::qWait(std::max(after, 0));
        m_form.reset();
        QTest::qWait(100);
    }
    OpenCards();
    ClickCard(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0); }, 5000));
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
    for (int i = 0; i < 5; ++i) QTest::mouseClick(page->PersonList()->Person(i)->imgShortInfo, Qt::LeftButton);
    ASSERT_EQ(page->PhotoLoader().InFlight(), 4);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{"Вы действительно желаете завершить работу с программой?"});
    window.reset();
    QTest::qWait(1200);
}
