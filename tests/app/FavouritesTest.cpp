// The favourites page over profiles of the local site: the grid and its
// sorting, the cards with photos fetched through the user's proxy, deleting
// and clearing with the questions answered both ways, and what is opened in
// the browser.
#include "FavouritesTestSupport.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TFavouritesIndex.h"
#include "app/forms/TfrmConditions.h"
#include "grid/TRecordmarkList.h"
#include "app/forms/TfrmMain.h"
#include "data/TFriend.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"
#include "image/TBitmapLoaders.h"
#include "app/forms/TPersonPhotoLoader.h"
#include "search/TVelmora.h"
#include "platform/db/TDataSource.h"
#include "support/ModalAction.h"
#include "support/TinyProxy.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

using app::TChatPerson;
using app::TFavouritesIndex;
using app::TfrmFavourites;
using favouritestest::Encode;
using favouritestest::Filled;
using testsupport::HttpReply;
using testsupport::SiteMember;

namespace {

// Stands in for the browser: records what the program asks to open.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler("http", this, "Open");
        QDesktopServices::setUrlHandler("https", this, "Open");
        QDesktopServices::setUrlHandler("file", this, "Open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https", "file"}) QDesktopServices::unsetUrlHandler(scheme);
    }
    std::vector<std::string> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

class Favourites : public favouritestest::FavouritesTest {
protected:
    // A favourite of the local site, as a search stores it.
    void Add(const std::string& login, const std::string& name, int age, const std::string& area, int photos,
             int video = 0, const std::string& url = {}) {
        dm->Friends().AddFriend(name, login, url.empty() ? site.ProfileAddress(login) : url, area, age, 1, 0,
                                photos, video, 0, "");
    }
    void Open() {
        dm->Friends().Save();
        form = std::make_unique<TfrmFavourites>();
        form->resize(686, 385);
        form->show();
        page = form.get();
    }
    // "Friends.xml" as it is on disk.
    std::vector<std::string> StoredLogins() const {
        data::TFriend stored;
        stored.LoadFromFile(dir / "Friends.xml");
        std::vector<std::string> logins;
        stored.FillStrings("Login", logins);
        return logins;
    }
    std::vector<std::string> FolderFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // Clicks in the grid: titles are row 0, records from row 1, columns from 0.
    void ClickGrid(int col, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::mouseClick(page->dbgFavourites->viewport(), Qt::LeftButton, modifiers,
                          page->dbgFavourites->CellRect(col, row).center());
    }
    // As the window system delivers one: press, release, press, double click, release.
    void DoubleClickGrid(int col, int row) const {
        ClickGrid(col, row);
        QTest::mouseDClick(page->dbgFavourites->viewport(), Qt::LeftButton, {},
                           page->dbgFavourites->CellRect(col, row).center());
    }
    // The logins the grid shows, in order.
    std::vector<std::string> Shown() const {
        std::vector<std::string> logins;
        auto* shown = dynamic_cast<data::TXMLTable*>(page->dsrFavourites->DataSet());
        if (shown) shown->FillStrings("Login", logins);
        return logins;
    }
    std::vector<grid::TSortMarker> Markers() const {
        std::vector<grid::TSortMarker> markers;
        for (int i = 0; i < page->dbgFavourites->Columns().Count(); ++i)
            markers.push_back(page->dbgFavourites->Columns()[i].Title().SortMarker());
        return markers;
    }
};

} // namespace

TEST(FavouritesIndex, ComparisonsAreStrictWeakOrders) {
    // Numbers: empty first, then by value (2 before 10, -1 before 0), then
    // whatever is no number. The orders themselves are checked through the grid.
    const std::vector<std::string> samples = {"10", "", "2", "abc", "-1", "2", "", "0", "x1", "99999999999"};
    for (const auto& a : samples) {
        EXPECT_EQ(TFavouritesIndex::CompareAsNumbers(a, a), 0) << a;
        for (const auto& b : samples) {
            const int ab = TFavouritesIndex::CompareAsNumbers(a, b);
            EXPECT_EQ(ab < 0, TFavouritesIndex::CompareAsNumbers(b, a) > 0) << a << " " << b;
            for (const auto& c : samples) {
                if (ab < 0 && TFavouritesIndex::CompareAsNumbers(b, c) < 0) {
                    EXPECT_LT(TFavouritesIndex::CompareAsNumbers(a, c), 0) << a << " " << b << " " << c;
                }
            }
        }
    }
    EXPECT_LT(TFavouritesIndex::CompareAsText("анна", "Борис"), 0);
    EXPECT_EQ(TFavouritesIndex::CompareAsText("АННА", "анна"), 0);
}

// Names in Russian alphabetical order, case ignored: "ё" with "е", not
// after "я"; equal names keep the table's order.
TEST(FavouritesIndex, NamesSortAsTheAlphabetHasThem) {
    data::TFriend table;
    const char* const names[] = {"Яна", "ёлка", "Елена", "Ёжик", "жанна", "ЕГОР", "Егор", "Ефим"};
    for (const char* name : names) table.AddFriend(name, "", "", "", 0, 0, 0, 0, 0, 0, "");
    TFavouritesIndex index;
    index.Build(table);
    std::vector<std::string> sorted;
    for (int i : *index.Order("Name")) sorted.push_back(names[i]);
    EXPECT_EQ(sorted, (std::vector<std::string>{"ЕГОР", "Егор", "Ёжик", "Елена", "ёлка", "Ефим", "жанна", "Яна"}));
}

TEST_F(Favourites, ASearchsHitsAddedInTheMainWindowShowAsRowsAndAsCardsWithPhotos) {
    const QImage green = Filled(46, 62, QColor(30, 200, 60));
    for (const char* login : {"anna", "vera", "zoya"}) {
        site.Add(SiteMember(login).Photos(2).Age(25));
        site.Server().Reply(std::string("/photos/") + login + "_small.jpg", HttpReply::Page(Encode(green, "JPG")));
    }
    dm->Settings().SetFinderServer(site.Host());
    dm->Settings().SetPageCount(1);
    dm->Settings().Save();
    dm.reset();
    dm = std::make_unique<data::TdmFriend>();  // not a first start: the favourites are docked
    app::TfrmMain window;
    window.show();
    page = window.Docking().DockedAs<TfrmFavourites>(window.pnForm);
    ASSERT_NE(page, nullptr);
    window.acStartSearch->Execute();
    QElapsedTimer clock;
    clock.start();
    while (window.acStopSearch->isEnabled() && clock.elapsed() < 30000) QTest::qWait(5);
    ASSERT_EQ(window.Engine().FoundFriends().RecordCount(), 3);

    app::TfrmConditions* conditions = window.ConditionsForm();
    conditions->lbxLoad->item(1)->setSelected(true);
    conditions->btnAddToFavorites->click();  // one
    conditions->btnAddAllToFavorites->click();  // the others
    EXPECT_EQ(page->lbCount->text(), "3");
    EXPECT_EQ(Shown().size(), 3u);
    EXPECT_EQ(StoredLogins(), Shown());
    page->pcFavorites->setCurrentWidget(page->tsFavotiteQueues);
    ASSERT_EQ(page->PersonList()->Count(), 3);
    ClickCard(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->PhotoLoader().InFlight() == 0; }, 10000));
    EXPECT_NEAR(qGreen(Card(2).PersonPicture()->ToImage().pixel(20, 30)), 200, 6);
}

TEST_F(Favourites, TitlesSortEveryColumnBothWays) {
    using L = std::vector<std::string>;
    Add("v", "вера", 31, "Тверь", 10, 0);
    Add("a", "Анна", 9, "", 2, 3);
    Add("b", "борис", 31, "Москва", 0, 12);
    Add("g", "Галина", 100, "Азов", 2, 1);
    dm->Friends().RecordNode(1).child("RealUser").text().set("0");
    dm->Friends().RecordNode(2).child("VipUser").text().set("1");
    dm->Friends().RecordNode(3).child("Intim").text().set("1");
    dm->Friends().RecordNode(2).child("PhotoCount").text().set("");
    Open();
    const L file = {"v", "a", "b", "g"};
    ASSERT_EQ(form->dbgFavourites->Columns().Count(), 9);
    EXPECT_EQ(form->dbgFavourites->Columns()[1].Title().Caption(), "Возраст");

    // Until the orders are built a title click changes nothing.
    EXPECT_TRUE(form->tmrGenIndex->isActive());
    ClickGrid(0, 0);
    EXPECT_EQ(form->dsrFavourites->DataSet(), &dm->Friends());
    EXPECT_EQ(Markers(), std::vector<grid::TSortMarker>(9, grid::TSortMarker::smNone));
    form->tmrGenIndexTimer();
    EXPECT_FALSE(form->tmrGenIndex->isActive());

    // "VIP" has no order: with nothing sorted before, the table's own order.
    ClickGrid(5, 0);
    EXPECT_EQ(Shown(), file);
    ClickGrid(5, 0);
    EXPECT_EQ(Shown(), (L{"g", "b", "a", "v"}));

    const struct {
        int col;
        L ascending;
    } cases[] = {
        {0, {"a", "b", "v", "g"}},  {1, {"a", "v", "b", "g"}}, {2, {"a", "g", "b", "v"}}, {3, {"a", "b", "g", "v"}},
        {4, {"a", "v", "b", "g"}},  {6, {"b", "a", "g", "v"}}, {7, {"v", "g", "a", "b"}}, {8, {"v", "a", "b", "g"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.col);
        ClickGrid(c.col, 0);
        EXPECT_EQ(Shown(), c.ascending);
        const auto markers = Markers();
        EXPECT_EQ(markers[size_t(c.col)], TfrmFavourites::SortedAscending);
        EXPECT_EQ(std::count(markers.begin(), markers.end(), grid::TSortMarker::smNone), 8);
        ClickGrid(c.col, 0);
        EXPECT_EQ(Shown(), L(c.ascending.rbegin(), c.ascending.rend()));
        EXPECT_EQ(Markers()[size_t(c.col)], TfrmFavourites::SortedDescending);
        ClickGrid(c.col, 0);
        EXPECT_EQ(Shown(), c.ascending);
    }
    // "VIP" now keeps the order used last.
    ClickGrid(5, 0);
    EXPECT_EQ(Shown(), cases[7].ascending);
    EXPECT_EQ(Markers()[8], grid::TSortMarker::smNone);

    // Rows are chosen one whole row at a time (a Ctrl click moves, it adds
    // nothing), and Delete removes that row's record, then shows the table.
    ClickGrid(0, 1);
    ClickGrid(0, 4, Qt::ControlModifier);
    EXPECT_EQ(form->dbgFavourites->SelectedRows().Count(), 0);
    form->btnDelete->click();
    EXPECT_EQ(messages.Texts().back(), "Удалить контакт \"Галина\"?");
    EXPECT_EQ(StoredLogins(), (L{"v", "a", "b"}));
    EXPECT_EQ(Shown(), (L{"v", "a", "b"}));
    EXPECT_EQ(form->dsrFavourites->DataSet(), &dm->Friends());
    EXPECT_FALSE(form->IndicesReady());
}

TEST_F(Favourites, ADoubleClickOpensTheRowUnlessItWasOnATitle) {
    UrlRecorder browser;
    Add("anna", "anna", 30, "Москва", 1);
    Add("boris", "boris", 31, "Москва", 1);
    Open();
    form->tmrGenIndexTimer();
    DoubleClickGrid(0, 0);  // on a title: sorts, opens nothing
    EXPECT_TRUE(browser.opened.empty());
    const std::vector<std::string> sorted = Shown();
    DoubleClickGrid(0, 2);
    ClickGrid(0, 0);  // a single title click (sorting the other way) ...
    const std::vector<std::string> resorted = Shown();
    DoubleClickGrid(0, 1);  // ... does not swallow the next double click on a row
    EXPECT_EQ(browser.opened, (std::vector<std::string>{site.ProfileAddress(sorted[1]), site.ProfileAddress(resorted[0])}));
}

TEST_F(Favourites, CardsShowPhotosFetchedOnceThroughTheUsersProxy) {
    testsupport::TinyProxy proxy;
    auto& proxyParams = dm->Settings().ProxyParams();
    proxyParams.SetUseProxy(true);
    proxyParams.SetProxyServer(proxy.Host());
    proxyParams.SetProxyPort(proxy.Port());

    const QImage red = Filled(46, 62, QColor(220, 30, 30)), blue = Filled(30, 40, QColor(20, 40, 230));
    site.Add({SiteMember("anna").Name("Анна").Photos(3), SiteMember("boris").Name("Борис").Photos(1),
              SiteMember("clara").Name("Клара"), SiteMember("dina").Name("Дина").Photos(2),
              SiteMember("egor").Name("Егор").Photos(1), SiteMember("gina").Photos(1)});
    site.Server().Reply("/photos/anna_small.jpg", HttpReply::Page(Encode(red, "JPG"), "image/jpeg"));
    // Boris's page names a PNG photo by a relative address; Dina's photo is
    // missing; Egor's page fails.
    site.Server().Reply("/boris/", HttpReply::Page("<html><img src=\"/photos/boris_medium.jpg.png\"></html>"));
    site.Server().Reply("/photos/boris_small.jpg.png", HttpReply::Page(Encode(blue, "PNG"), "image/png"));
    site.Server().Reply("/egor/", HttpReply::Status(500));
    // Gina's photo is a 1 x 1 red GIF, shown once a GIF loader is registered.
    site.Server().Reply("/gina/", HttpReply::Page("<img src=\"" + site.Url("/photos/gina_medium.jpg.GIF") + "\">"));
    const char gif[] = "GIF89a\1\0\1\0\x80\0\0\xff\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;";
    site.Server().Reply("/photos/gina_small.jpg.GIF", HttpReply::Page(std::string(gif, sizeof gif - 1), "image/gif"));
    const char* const logins[] = {"anna", "boris", "clara", "dina", "egor", "gina"};
    for (const char* login : logins) Add(login, login, 30, "Москва", 1);
    Open();
    form->pcFavorites->setCurrentWidget(form->tsFavotiteQueues);
    ASSERT_EQ(form->PersonList()->Count(), 6);
    EXPECT_FALSE(form->btnShow->isEnabled());

    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 6; ++i) {
            ClickCard(i);  // expands
            ASSERT_EQ(form->ExpandedPerson(), &Card(i));
            EXPECT_TRUE(form->btnShow->isEnabled());
            EXPECT_TRUE(Card(i).HasPhoto());
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->PhotoLoader().InFlight() == 0; }, 10000));
    }
    const auto photo = [this](int i) { return Card(i).PersonPicture()->ToImage(); };
    const QImage anna = photo(0);
    ASSERT_EQ(anna.size(), red.size());
    EXPECT_NEAR(qRed(anna.pixel(20, 30)), 220, 6);
    EXPECT_NEAR(qBlue(anna.pixel(20, 30)), 30, 6);
    EXPECT_EQ(photo(1).convertToFormat(QImage::Format_RGB32), blue);
    const QImage noPhoto = photo(2);
    EXPECT_NE(noPhoto.size(), red.size());
    EXPECT_EQ(photo(3), noPhoto);
    EXPECT_EQ(photo(4), noPhoto);
    bool gifLoader = true;
    try {
        image::BitmapLoaders().FindLoader("GIF");
    } catch (const std::exception&) {
        gifLoader = false;
    }
    if (gifLoader) EXPECT_EQ(photo(5).pixel(0, 0), qRgb(255, 0, 0));
    else EXPECT_EQ(photo(5), noPhoto);

    // Each profile page once, whatever came of it; every request through the proxy.
    for (const char* login : logins) EXPECT_EQ(site.ProfileRequestCount(login), 1u) << login;
    EXPECT_EQ(site.RequestCount("/photos/anna_small.jpg"), 1u);
    EXPECT_EQ(site.RequestCount("/photos/boris_small.jpg.png"), 1u);
    EXPECT_EQ(site.RequestCount("/photos/dina_small.jpg"), 1u);
    EXPECT_EQ(site.RequestCount("/photos/gina_small.jpg.GIF"), 1u);
    for (const auto& request : site.Requests())
        EXPECT_NE(request.Header("Via").find("tinyproxy"), std::string::npos) << request.target << proxy.Log();
    EXPECT_TRUE(messages.Calls().empty());
}

TEST_F(Favourites, DeletingAndClearingAskFirstAndSaveTheFile) {
    for (const char* login : {"anna", "boris", "clara", "dina"}) Add(login, login, 30, "Москва", 1);
    Open();
    EXPECT_EQ(form->lbCount->text(), "4");
    const auto logins = std::vector<std::string>{"anna", "boris", "clara", "dina"};

    // Table page: the current row, after the question.
    dm->Friends().SetRecNo(2);
    messages.SetAnswer(platform::mrNo);
    form->btnDelete->click();
    EXPECT_EQ(StoredLogins(), logins);
    messages.SetAnswer(platform::mrYes);
    form->btnDelete->click();
    EXPECT_EQ(messages.Texts().back(), "Удалить контакт \"boris\"?");
    EXPECT_EQ(StoredLogins(), (std::vector<std::string>{"anna", "clara", "dina"}));
    EXPECT_EQ(form->lbCount->text(), "3");
    EXPECT_EQ(form->PersonList()->Count(), 3);

    // Cards page: the expanded card, after the card list's question.
    form->pcFavorites->setCurrentWidget(form->tsFavotiteQueues);
    form->btnDelete->click();  // no card expanded: nothing asked
    EXPECT_EQ(messages.Calls().size(), 2u);
    ClickCard(2);
    messages.SetAnswer(platform::mrNo);
    form->btnDelete->click();
    EXPECT_EQ(StoredLogins().size(), 3u);
    messages.SetAnswer(platform::mrYes);
    form->btnDelete->click();
    EXPECT_EQ(messages.Texts().back(), "Удалить контакт \"dina\"?");
    EXPECT_EQ(StoredLogins(), (std::vector<std::string>{"anna", "clara"}));
    EXPECT_EQ(form->lbCount->text(), "2");
    EXPECT_EQ(form->ExpandedPerson(), nullptr);
    EXPECT_FALSE(form->btnShow->isEnabled());

    // Clearing.
    messages.SetAnswer(platform::mrNo);
    form->btnClear->click();
    EXPECT_EQ(StoredLogins().size(), 2u);
    messages.SetAnswer(platform::mrYes);
    form->btnClear->click();
    EXPECT_EQ(messages.Texts().back(), "Удалить все контакты из избранных?");
    EXPECT_TRUE(StoredLogins().empty());
    EXPECT_EQ(form->lbCount->text(), "0");
    EXPECT_EQ(form->PersonList()->Count(), 0);
    // Written through a temporary file renamed over the old one.
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"Friends.xml"}));
    form->btnClear->click();  // nothing left: nothing asked
    EXPECT_EQ(messages.Calls().size(), 6u);
}

TEST_F(Favourites, EnterOnTheClearQuestionKeepsTheFavourites) {
    for (const char* login : {"anna", "boris"}) Add(login, login, 30, "Москва", 1);
    Open();
    const platform::TMessageRoutines recorder = platform::BindMessageRoutines({});
    app::BindMessageDialogs();
    const testsupport::ModalAction enter([](QWidget& box) { QTest::keyClick(box.focusWidget(), Qt::Key_Return); });
    form->btnClear->click();
    platform::BindMessageRoutines(recorder);
    EXPECT_TRUE(enter.Done() && StoredLogins().size() == 2);
}

TEST_F(Favourites, OnlyWebAddressesAreOpenedInTheBrowser) {
    UrlRecorder browser;
    Add("anna", "anna", 30, "Москва", 1);
    Add("evil", "evil", 30, "Москва", 1, 0, "file:///etc/passwd");
    Add("tls", "tls", 30, "Москва", 1, 0, "https://site.example/tls/");
    Open();
    for (int row = 1; row <= 3; ++row) {
        dm->Friends().SetRecNo(row);
        form->btnShow->click();
    }
    form->pcFavorites->setCurrentWidget(form->tsFavotiteQueues);
    ClickCard(1);
    form->btnShow->click();
    QTest::mouseClick(Card(2).imgQuestionnaire, Qt::LeftButton);
    EXPECT_EQ(browser.opened, (std::vector<std::string>{site.ProfileAddress("anna"), "https://site.example/tls/",
                                                        "https://site.example/tls/"}));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Открываются только адреса http и https: file:///etc/passwd",
                                                          "Открываются только адреса http и https: file:///etc/passwd"}));
    // No browser to take it (a handler that cannot be called): the user is told.
    QDesktopServices::setUrlHandler("https", &browser, "noSuchSlot");
    QTest::mouseClick(Card(2).imgQuestionnaire, Qt::LeftButton);
    EXPECT_EQ(messages.Texts().back(), "Не удалось открыть https://site.example/tls/ в браузере.");
}

#include "FavouritesTest.moc"
