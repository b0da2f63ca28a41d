// The cards' photos against a slow site: the window goes on answering, no
// more than the cap of cards is fetched at once, each card's requests are
// the ones the program made when it waited, and a page left takes no answer.
#include "WaitingTestSupport.h"

#include "image/TImageLoader.h"
#include "search/SitePage.h"
#include "support/Heartbeat.h"
#include "web/TFindTags.h"
#include "web/THTMLTag.h"

using namespace std::chrono_literals;

TEST_F(WaitingTest, APageOf50CardsFetchesItsPhotosWhileTheWindowAnswers) {
    AddFavourites(50, 2s);
    OpenCards();
    testsupport::Heartbeat heartbeat;
    int mostAtOnce = 0;
    heartbeat.OnTick = [&] { mostAtOnce = std::max(mostAtOnce, Photos().InFlight()); };
    for (int i = 0; i < 50; ++i) { // every card opened in turn, as fast as a user clicks
        ClickCard(i);
        ASSERT_EQ(m_form->ExpandedPerson(), &Card(i));
        QTest::qWait(5);
    }
    EXPECT_EQ(Photos().Waiting(), 50 - app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_FALSE(ShowsPhoto(49)); // its frame shows the "no photo" picture meanwhile
    EXPECT_FALSE(Card(49).imgFullInfo->Picture().Empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0) && ShowsPhoto(3); }, 10000));
    EXPECT_EQ(Card(0).PersonPicture()->Width(), 46);
    const auto requests = m_site.Requests();
    for (int i = 0; i < 4; ++i) { // the profile page, then the photo
        const auto at = [&](const std::string& path) {
            return std::find_if(requests.begin(), requests.end(), [&](const auto& r) { return r.path == path; });
        };
        EXPECT_LT(at("/" + Login(i) + "/"), at("/photos/" + Login(i) + "_small.jpg")) << i;
    }

    m_form->RefreshFavourites(); // the page is built afresh: what was under way is given up
    EXPECT_EQ(Photos().InFlight() + Photos().Waiting(), 0);
    const size_t asked = m_site.RequestCount();
    QTest::qWait(2500);
    EXPECT_EQ(m_site.RequestCount(), asked);
    EXPECT_LE(mostAtOnce, app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_LE(heartbeat.LongestGap(), 100);
}

TEST_F(WaitingTest, ACardsRequestsAreTheOnesTheWaitingRoadMade) {
    AddFavourites(2, 0ms);
    // What the site saw, less what the server notes of the connection.
    const auto seen = [this] {
        std::vector<std::string> seen;
        for (const auto& request : m_site.Requests()) {
            seen.push_back(request.target + " " + request.version);
            for (const auto& [name, value] : request.headers)
                if (name.rfind("REMOTE_", 0) != 0 && name.rfind("LOCAL_", 0) != 0) seen.back() += "|" + name + value;
        }
        return seen;
    };
    // The road that waited: the profile page through a client of its own,
    // then the photo through the image loader with the user's proxy settings.
    const std::string profile = m_site.ProfileAddress(Login(1));
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
    m_dm->Settings().ProxyParams().ApplyToClient(loader.Submit());
    loader.SetActive(true);
    ASSERT_FALSE(loader.Picture().isNull());
    const std::vector<std::string> waited = seen();
    ASSERT_EQ(waited.size(), 2u);

    m_site.ClearRequests();
    OpenCards();
    ClickCard(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(1); }, 10000));
    EXPECT_EQ(seen(), waited);
}
