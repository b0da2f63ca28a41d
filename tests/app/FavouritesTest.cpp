// The favourites page over profiles of the local site: the grid and its
// sorting, the cards with photos fetched through the user's proxy, deleting
// and clearing with the questions answered both ways, and what is opened in
// the browser.
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TFavouritesIndex.h"
#include "app/forms/TfrmFavourites.h"
#include "data/TFriend.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "platform/ProgramDir.h"
#include "platform/db/TDataSource.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/TinyProxy.h"
#include "support/site/LocalSite.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

using app::TChatPerson;
using app::TFavouritesIndex;
using app::TfrmFavourites;
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

std::string Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes.toStdString();
}

class Favourites : public ::testing::Test {
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
    TChatPerson& Card(int index) const { return *form->PersonList()->Person(index); }
    void ClickCard(int index) const {
        TChatPerson& card = Card(index);
        QTest::mouseClick(card.ChatPersonStyle() == app::TChatPersonStyle::cpFull ? static_cast<QWidget*>(card.lbPersonName1)
                                                                                   : card.imgShortInfo,
                          Qt::LeftButton);
    }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::MessageRecorder messages;
    testsupport::LocalSite site;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<TfrmFavourites> form;
};

} // namespace

TEST(FavouritesIndex, OrdersAreStableStrictWeakOrdersOfTextsAndNumbers) {
    // Numbers: empty first, then by value (2 before 10, -1 before 0), then
    // whatever is no number; equal keys keep their record order.
    const std::vector<std::string> samples = {"10", "", "2", "abc", "-1", "2", "", "0", "x1", "99999999999"};
    for (const auto& a : samples) {
        EXPECT_EQ(TFavouritesIndex::CompareAsNumbers(a, a), 0) << a;
        for (const auto& b : samples) {
            const int ab = TFavouritesIndex::CompareAsNumbers(a, b);
            EXPECT_EQ(ab < 0, TFavouritesIndex::CompareAsNumbers(b, a) > 0) << a << " " << b;
            for (const auto& c : samples)
                if (ab < 0 && TFavouritesIndex::CompareAsNumbers(b, c) < 0)
                    EXPECT_LT(TFavouritesIndex::CompareAsNumbers(a, c), 0) << a << " " << b << " " << c;
        }
    }
    EXPECT_LT(TFavouritesIndex::CompareAsText("анна", "Борис"), 0);
    EXPECT_EQ(TFavouritesIndex::CompareAsText("АННА", "анна"), 0);

    data::TFriend table;
    table.Open();
    const struct {
        const char* name;
        const char* photos;
        const char* age;
    } rows[] = {{"борис", "10", "31"}, {"Анна", "", "9"}, {"вера", "2", ""}, {"АННА", "2", "100"}, {"дина", "abc", "31"}};
    for (const auto& r : rows) {
        const pugi::xml_node record = table.NewRecordNode();
        data::TXMLTable::SetNodeText(record, "Name", r.name);
        data::TXMLTable::SetNodeText(record, "PhotoCount", r.photos);
        data::TXMLTable::SetNodeText(record, "Age", r.age);
    }
    TFavouritesIndex index;
    EXPECT_EQ(index.Order("Name"), nullptr);
    index.Build(table);
    ASSERT_TRUE(index.Ready());
    EXPECT_EQ(*index.Order("Name"), (std::vector<int>{1, 3, 0, 2, 4}));
    EXPECT_EQ(*index.Order("PhotoCount"), (std::vector<int>{1, 2, 3, 0, 4}));
    EXPECT_EQ(*index.Order("Age"), (std::vector<int>{2, 1, 0, 4, 3}));
    EXPECT_EQ(*index.Order("Area"), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(index.Order("VipUser"), nullptr);
    index.Clear();
    EXPECT_EQ(index.Order("Name"), nullptr);
}

TEST_F(Favourites, CardsShowPhotosFetchedOnceThroughTheUsersProxy) {
    testsupport::TinyProxy proxy;
    auto& proxyParams = dm->Settings().ProxyParams();
    proxyParams.SetUseProxy(true);
    proxyParams.SetProxyServer(proxy.Host());
    proxyParams.SetProxyPort(proxy.Port());

    QImage red(46, 62, QImage::Format_RGB32);
    red.fill(QColor(220, 30, 30));
    QImage blue(30, 40, QImage::Format_RGB32);
    blue.fill(QColor(20, 40, 230));
    site.Add({SiteMember("anna").Name("Анна").Photos(3), SiteMember("boris").Name("Борис").Photos(1),
              SiteMember("clara").Name("Клара"), SiteMember("dina").Name("Дина").Photos(2),
              SiteMember("egor").Name("Егор").Photos(1)});
    site.Server().Reply("/photos/anna_small.jpg", HttpReply::Page(Encode(red, "JPG"), "image/jpeg"));
    // Boris's page names a PNG photo by a relative address; Dina's photo is
    // missing; Egor's page fails.
    site.Server().Reply("/boris/", HttpReply::Page("<html><img src=\"/photos/boris_medium.jpg.png\"></html>"));
    site.Server().Reply("/photos/boris_small.jpg.png", HttpReply::Page(Encode(blue, "PNG"), "image/png"));
    site.Server().Reply("/egor/", HttpReply::Status(500));
    for (const char* login : {"anna", "boris", "clara", "dina", "egor"}) Add(login, login, 30, "Москва", 1);
    Open();
    form->pcFavorites->setCurrentWidget(form->tsFavotiteQueues);
    ASSERT_EQ(form->PersonList()->Count(), 5);
    EXPECT_FALSE(form->btnShow->isEnabled());

    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 5; ++i) {
            ClickCard(i);  // expands
            ASSERT_EQ(form->ExpandedPerson(), &Card(i));
            EXPECT_TRUE(form->btnShow->isEnabled());
            EXPECT_TRUE(Card(i).HasPhoto());
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

    // Each profile page once, whatever came of it; every request through the proxy.
    for (const char* login : {"anna", "boris", "clara", "dina", "egor"})
        EXPECT_EQ(site.ProfileRequestCount(login), 1u) << login;
    EXPECT_EQ(site.RequestCount("/photos/anna_small.jpg"), 1u);
    EXPECT_EQ(site.RequestCount("/photos/boris_small.jpg.png"), 1u);
    EXPECT_EQ(site.RequestCount("/photos/dina_small.jpg"), 1u);
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
}

#include "FavouritesTest.moc"
