// The person cards' photos against a slow site: the window goes on
// answering, no more than the cap of cards is fetched at once, each card's
// requests are the ones the program made when it waited, and answers that
// come after their card is gone (a card deleted, its page left or the window
// closed while its profile page, its photo or the photo's decoding is under
// way) reach nothing. app_asan_tests runs the LateAnswer cases with the
// photo road built with AddressSanitizer, which would catch any touch of a
// freed card.
#include "FavouritesTestSupport.h"
#include "app/forms/TPersonPhotoLoader.h"
#include "app/forms/TfrmMain.h"
#include "image/TImageLoader.h"
#include "search/SitePage.h"
#include "support/Heartbeat.h"
#include "web/TFindTags.h"
#include "web/THTMLTag.h"

#include <QTabWidget>

#include <chrono>
#include <optional>

using namespace std::chrono_literals;

namespace {

class WaitingTest : public favouritestest::FavouritesTest {
protected:
    static std::string Jpeg(int width, int height) {
        return favouritestest::Encode(favouritestest::Filled(width, height, QColor(30, 200, 60)), "JPG");
    }
    static std::string Login(int i) { return "m" + std::to_string(i); }

    // The site's pages come after `delay`, the photos after `photoDelay`
    // (the same unless given).
    void AddFavourites(int count, std::chrono::milliseconds delay, const std::string& photo = Jpeg(46, 62),
                       std::optional<std::chrono::milliseconds> photoDelay = {}) {
        site.SetDelay(delay);
        for (int i = 0; i < count; ++i) {
            site.Add(testsupport::SiteMember(Login(i)).Photos(1));
            testsupport::HttpReply reply = testsupport::HttpReply::Page(photo, "image/jpeg");
            reply.delay = photoDelay.value_or(delay);
            site.Server().Reply("/photos/" + Login(i) + "_small.jpg", reply);
            dm->Friends().AddFriend(Login(i), Login(i), site.ProfileAddress(Login(i)), "", 30, 1, 0, 1, 0, 0, "");
        }
        dm->Friends().Save();
    }
    void OpenCards() {
        form = std::make_unique<app::TfrmFavourites>();
        form->show();
        form->pcFavorites->setCurrentWidget(form->tsFavotiteQueues);
        page = form.get();
    }
    app::TPersonPhotoLoader& Photos() const { return form->PhotoLoader(); }
    bool ShowsPhoto(int i) const { return Card(i).PersonPicture() && !Card(i).PersonPicture()->Empty(); }
};

class LateAnswer : public WaitingTest {};

} // namespace

TEST_F(WaitingTest, APageOf50CardsFetchesItsPhotosWhileTheWindowAnswers) {
    AddFavourites(50, 2s);
    OpenCards();
    testsupport::Heartbeat heartbeat;
    int mostAtOnce = 0;
    heartbeat.OnTick = [&] { mostAtOnce = std::max(mostAtOnce, Photos().InFlight()); };
    for (int i = 0; i < 50; ++i) { // every card opened in turn, as fast as a user clicks
        ClickCard(i);
        ASSERT_EQ(form->ExpandedPerson(), &Card(i));
        QTest::qWait(5);
    }
    EXPECT_EQ(Photos().Waiting(), 50 - app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_FALSE(ShowsPhoto(49)); // its frame shows the "no photo" picture meanwhile
    EXPECT_FALSE(Card(49).imgFullInfo->Picture().Empty());

    // Each card's requests in order: ACardsRequestsAreTheOnesTheWaitingRoadMade.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0) && ShowsPhoto(3); }, 10000));
    EXPECT_LE(mostAtOnce, app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_LE(heartbeat.LongestGap(), 100);

    form->RefreshFavourites(); // the page is built afresh: what was under way is given up
    EXPECT_EQ(Photos().InFlight() + Photos().Waiting(), 0);
    const size_t asked = site.RequestCount();
    QTest::qWait(2500);
    EXPECT_EQ(site.RequestCount(), asked);
}

TEST_F(WaitingTest, ACardsRequestsAreTheOnesTheWaitingRoadMade) {
    AddFavourites(2, 0ms);
    // What the site saw, less what the server notes of the connection.
    const auto seen = [this] {
        std::vector<std::string> seen;
        for (const auto& request : site.Requests()) {
            seen.push_back(request.target + " " + request.version);
            for (const auto& [name, value] : request.headers)
                if (name.rfind("REMOTE_", 0) != 0 && name.rfind("LOCAL_", 0) != 0) seen.back() += "|" + name + value;
        }
        return seen;
    };
    // The road that waited: the profile page through a client of its own,
    // then the photo through the image loader with the user's proxy settings.
    const std::string profile = site.ProfileAddress(Login(1));
    TSubmit client;
    web::TFindTags finder;
    search::SetSitePage(finder, search::FetchSitePage(client, profile));
    const web::THTMLTag* img = finder.FindFirstTag("img", [](const web::THTMLTag& tag) {
        return web::TFindTags::GetParamValue(&tag, "src").find("_medium.jpg") != std::string::npos;
    });
    ASSERT_NE(img, nullptr);
    image::TImageLoader loader;
    loader.SetURL(app::TPersonPhotoLoader::SmallPhotoAddress(profile, web::TFindTags::GetParamValue(img, "src")));
    loader.SetImageType("JPEG");
    dm->Settings().ProxyParams().ApplyToClient(loader.Submit());
    loader.SetActive(true);
    ASSERT_FALSE(loader.Picture().isNull());
    const std::vector<std::string> waited = seen();
    ASSERT_EQ(waited.size(), 2u);

    site.ClearRequests();
    OpenCards();
    ClickCard(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(1); }, 10000));
    EXPECT_EQ(seen(), waited);
}

TEST_F(LateAnswer, ACardDeletedWhileItsPhotoIsFetchedTakesNoAnswer) {
    AddFavourites(3, 400ms, Jpeg(46, 62), 400ms);
    OpenCards();
    for (int i = 0; i < 3; ++i) ClickCard(i);
    Card(0).Delete(); // while its profile page comes; the question is answered "Yes"
    ASSERT_TRUE(QTest::qWaitFor([&] { return Photos().InFlight() == 2; }, 1000));
    site.SetDelay(0ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return site.RequestCount("/photos/m1_small.jpg") == 1; }, 3000));
    Card(0).Delete(); // card 1, while its photo comes
    QTest::qWait(1000);
    EXPECT_EQ(Photos().InFlight(), 0);
    ASSERT_EQ(form->PersonList()->Count(), 1);
    EXPECT_TRUE(ShowsPhoto(0)); // card 2's own photo came all the same
    EXPECT_EQ(site.RequestCount("/photos/m0_small.jpg"), 0u);
}

TEST_F(LateAnswer, APageLeftInAnyStepOfAPhotoTakesNoAnswer) {
    AddFavourites(1, 0ms, Jpeg(2000, 2000));
    // Left at once, while the profile page or the photo comes, and at
    // several moments of its decoding; and once it is shown.
    for (const int after : {-1, 0, 1, 2, 4, 8, 16, 32, 64}) {
        site.ClearRequests();
        OpenCards();
        ClickCard(0);
        if (after >= 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return site.RequestCount() == 2; }, 3000));
        }
        QTest::qWait(std::max(after, 0));
        form.reset();
        QTest::qWait(100);
    }
    OpenCards();
    ClickCard(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0); }, 5000));
}

TEST_F(LateAnswer, TheWindowClosedWhilePhotosComeAsksAtOnceAndEnds) {
    AddFavourites(5, 500ms);
    dm->Settings().Save();
    dm.reset();
    dm = std::make_unique<data::TdmFriend>(); // not a first start: the favourites are docked
    auto window = std::make_unique<app::TfrmMain>();
    window->show();
    page = window->Docking().DockedAs<app::TfrmFavourites>(window->pnForm);
    ASSERT_NE(page, nullptr);
    for (int i = 0; i < 5; ++i) ClickCard(i);
    ASSERT_EQ(page->PhotoLoader().InFlight(), 4);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Вы действительно желаете завершить работу с программой?"});
    window.reset();
    QTest::qWait(1200);
}
