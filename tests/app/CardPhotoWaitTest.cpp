// The person cards' photos against a site that answers slowly: the window
// goes on answering while a card's profile page and photo come, several
// cards are fetched at once (never more than the cap), each card's requests
// are the ones the program always made, and a page left meanwhile takes no
// late answer.
#include "WaitingTestSupport.h"

#include "image/TImageLoader.h"
#include "search/SitePage.h"
#include "support/Heartbeat.h"
#include "web/TFindTags.h"
#include "web/THTMLTag.h"
#include "web/TSubmit.h"

#include <algorithm>

using namespace std::chrono_literals;

namespace {

// What the site saw of a request, minus what the server notes of the
// connection it came on.
std::string Seen(const testsupport::HttpRequestRecord& request) {
    std::string seen = request.method + " " + request.target + " " + request.version;
    for (const auto& [name, value] : request.headers)
        if (name.rfind("REMOTE_", 0) != 0 && name.rfind("LOCAL_", 0) != 0) seen += "\n" + name + ": " + value;
    return seen;
}

std::vector<std::string> Seen(const std::vector<testsupport::HttpRequestRecord>& requests) {
    std::vector<std::string> seen;
    for (const auto& request : requests) seen.push_back(Seen(request));
    return seen;
}

} // namespace

TEST_F(WaitingTest, APageOf50CardsFetchesItsPhotosWhileTheWindowAnswers) {
    AddFavourites(50, 2s);
    OpenCards();
    ASSERT_EQ(m_form->PersonList()->Count(), 50);
    testsupport::Heartbeat heartbeat;
    int mostAtOnce = 0;
    heartbeat.OnTick = [&] { mostAtOnce = std::max(mostAtOnce, Photos().InFlight()); };

    // Every card of the page is opened in turn, as fast as a user clicks.
    for (int i = 0; i < 50; ++i) {
        ClickCard(i);
        ASSERT_EQ(m_form->ExpandedPerson(), &Card(i));
        QTest::qWait(5);
    }
    EXPECT_EQ(Photos().InFlight(), app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_EQ(Photos().Waiting(), 50 - app::TPersonPhotoLoader::MaxInFlight);
    // The card open now shows its frame with the "no photo" picture.
    EXPECT_FALSE(ShowsPhoto(49));
    EXPECT_FALSE(Card(49).imgFullInfo->Picture().Empty());

    // The first cards' photos come (profile page, then photo: two answers).
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0) && ShowsPhoto(3); }, 10000));
    EXPECT_EQ(Card(0).PersonPicture()->Width(), 46);
    for (int i = 0; i < 4; ++i) {
        const auto requests = m_site.Requests();
        const auto page = std::find_if(requests.begin(), requests.end(),
                                       [&](const auto& r) { return r.path == "/" + Login(i) + "/"; });
        const auto photo = std::find_if(requests.begin(), requests.end(),
                                        [&](const auto& r) { return r.path == "/photos/" + Login(i) + "_small.jpg"; });
        EXPECT_TRUE(page < photo && photo != requests.end()) << Login(i);
    }

    // Leaving the page gives up what is under way; nothing more is asked for
    // and nothing arrives into the cards that are gone.
    m_form->RefreshFavourites(); // the cards are built afresh
    EXPECT_EQ(Photos().InFlight() + Photos().Waiting(), 0);
    const size_t asked = m_site.RequestCount();
    QTest::qWait(2500);
    EXPECT_EQ(m_site.RequestCount(), asked);
    for (int i = 0; i < m_form->PersonList()->Count(); ++i) EXPECT_FALSE(Card(i).HasPhoto());

    EXPECT_LE(mostAtOnce, app::TPersonPhotoLoader::MaxInFlight);
    EXPECT_LE(heartbeat.LongestGap(), 100);
    EXPECT_TRUE(m_messages.Calls().empty());
}

TEST_F(WaitingTest, AClickedCardOpensAtOnceAndItsPhotoFollows) {
    AddFavourites(1, 2s);
    OpenCards();
    testsupport::Heartbeat heartbeat;
    ClickCard(0);
    EXPECT_EQ(m_form->ExpandedPerson(), &Card(0));
    EXPECT_TRUE(Card(0).HasPhoto());
    EXPECT_FALSE(ShowsPhoto(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(0); }, 10000));
    EXPECT_EQ(Card(0).imgFullInfo->Picture().Width(), 46);
    EXPECT_EQ(Photos().InFlight(), 0);
    EXPECT_LE(heartbeat.LongestGap(), 100);
}

TEST_F(WaitingTest, ACardsRequestsAreTheOnesTheWaitingRoadMade) {
    AddFavourites(2, 0ms);
    // As the program fetched a card's photo while the window waited: the
    // profile page through a client of its own, then the photo through the
    // image loader with the user's proxy settings.
    const std::string profile = m_site.ProfileAddress(Login(1));
    TSubmit client;
    web::TFindTags finder;
    search::SetSitePage(finder, search::FetchSitePage(client, profile));
    const web::THTMLTag* photo = finder.FindFirstTag("img", [](const web::THTMLTag& tag) {
        return web::TFindTags::GetParamValue(&tag, "src").find("_medium.jpg") != std::string::npos;
    });
    ASSERT_NE(photo, nullptr);
    const std::string address =
        app::TPersonPhotoLoader::SmallPhotoAddress(profile, web::TFindTags::GetParamValue(photo, "src"));
    ASSERT_EQ(address, m_site.Url("/photos/" + Login(1) + "_small.jpg"));
    image::TImageLoader loader;
    loader.SetURL(address);
    loader.SetImageType(app::TPersonPhotoLoader::PhotoImageType(address));
    m_dm->Settings().ProxyParams().ApplyToClient(loader.Submit());
    loader.SetActive(true);
    ASSERT_FALSE(loader.Picture().isNull());
    const std::vector<std::string> waited = Seen(m_site.Requests());
    ASSERT_EQ(waited.size(), 2u);

    m_site.ClearRequests();
    OpenCards();
    ClickCard(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsPhoto(1); }, 10000));
    EXPECT_EQ(Seen(m_site.Requests()), waited);
}
