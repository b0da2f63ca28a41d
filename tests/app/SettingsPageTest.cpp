// The settings page and its proxy page over a fresh data module and the
// local site: what the page shows, what "Сохранить" stores, the area lists
// fetched level by level, failures and stops, and the locks of a search.
#include "SettingsPageTestSupport.h"

#include "app/controls/TComboBox.h"
#include "app/controls/TNumberEdit.h"
#include "app/forms/TfrmProxy.h"
#include "data/TCustomParams.h"
#include "support/Heartbeat.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

using namespace testsupport;

namespace {

std::vector<std::string> Lines(const QListWidget& list, bool checkedOnly = false) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.count(); ++i)
        if (!checkedOnly || list.item(i)->checkState() == Qt::Checked) lines.push_back(list.item(i)->text().toStdString());
    return lines;
}

// Selects the item as the user does, raising the list's change.
void Choose(app::TComboBox& combo, const QString& text) {
    const int i = combo.findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    combo.setCurrentIndex(i);
    emit combo.activated(i);
}

// Opens a list as the user does and waits for the fetch it may start.
void Open(app::TfrmSettings& page, bool (app::TfrmSettings::*dropDown)()) {
    (page.*dropDown)();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.AreaFetching(); }, 20000));
}

// What the registry holds now.
std::unique_ptr<data::TTesselSettings> Saved() {
    auto settings = std::make_unique<data::TTesselSettings>();
    settings->Load();
    return settings;
}

} // namespace

TEST_F(SettingsPageTest, ShowsTheSettingsSavesWhatTheUserChoseAndASearchUsesIt) {
    m_dm->Servers().AddURL("b.example");
    m_dm->Servers().AddURL(m_site.Host());
    data::TTesselSettings& s = m_dm->Settings();
    s.SetFinderServer("b.example");
    s.SetLogin("anna");
    s.SetPassword("secret");
    s.SetS_i("M");
    s.SetS_l("MF");
    s.SetS_f("25");
    s.SetPageCount(10);
    s.SetTarget("Love|IntimBuy");
    s.SetSponsor("Iam");
    s.ProxyParams().SetUseProxy(true);
    s.ProxyParams().SetProxyServer("10.0.0.5");
    s.ProxyParams().SetProxyPort(3128);

    app::TfrmSettings& page = MakePage();
    app::TfrmProxy& proxy = *page.ProxyPage();
    EXPECT_EQ(Lines(*page.cblServer), (std::vector<std::string>{m_site.Host(), "b.example"}));
    EXPECT_EQ(Lines(*page.cblServer, true), std::vector<std::string>{"b.example"});
    EXPECT_EQ(page.gbServer->title(), "Сервер (всего 2 сервера)");
    EXPECT_EQ(page.edPassword->text(), "secret");
    EXPECT_EQ(page.cbGender->currentText(), "Парень");
    EXPECT_EQ(page.cbFriendGender->currentText(), "Пару М+Ж");
    EXPECT_EQ(page.lbCalcRowCount->text(), "130 анкет");
    EXPECT_TRUE(page.chbLove->isChecked() && page.chbIntimBuy->isChecked() && page.chbIam->isChecked());
    EXPECT_FALSE(page.chbIntim->isChecked());
    EXPECT_EQ(page.cbCountry->currentText(), "Россия");
    EXPECT_EQ(page.cbRegion->currentText(), "Выберите регион...");
    EXPECT_TRUE(proxy.chbUseProxy->isChecked());
    EXPECT_EQ(proxy.edProxyPort->text(), "3128");
    EXPECT_TRUE(proxy.edProxyUserName->isHidden()); // no authorization

    // The user picks the local site, women of 5 (so 18) to 30, one page, no
    // purposes, and no proxy.
    page.cblServer->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(Lines(*page.cblServer, true), std::vector<std::string>{m_site.Host()});
    page.cbFriendGender->setCurrentIndex(2);
    page.edFrom->setText("5");
    page.edTo->setText("30");
    page.edPageCount->setText("1");
    EXPECT_EQ(page.lbCalcRowCount->text(), "13 анкет");
    for (QCheckBox* box : {page.chbLove, page.chbIntimBuy, page.chbIam}) box->setChecked(false);
    proxy.chbUseProxy->click();
    EXPECT_FALSE(proxy.edProxyPort->isEnabled());
    int saves = 0;
    page.OnSave = [&](app::TfrmSettings& sender) { saves += &sender == &page; };
    page.btnSave->click();

    EXPECT_EQ(saves, 1);
    EXPECT_EQ(page.edFrom->text(), "18");
    const auto saved = Saved();
    EXPECT_EQ(saved->FinderServer(), m_site.Host());
    EXPECT_EQ(saved->login(), "anna");
    EXPECT_EQ(saved->GetPassword(), "secret");
    EXPECT_EQ(saved->s_l(), "F");
    EXPECT_EQ(saved->s_f() + "-" + saved->s_t(), "18-30");
    EXPECT_EQ(saved->PageCount(), 1);
    EXPECT_EQ(saved->target() + saved->sponsor(), "");
    EXPECT_EQ(saved->s_c(), "3159");
    EXPECT_FALSE(saved->ProxyParams().UseProxy());
    EXPECT_EQ(saved->ProxyParams().ProxyServer() + ":" + std::to_string(saved->ProxyParams().ProxyPort()),
              "10.0.0.5:3128");
    EXPECT_TRUE(m_messages.Texts().empty());

    // A search started now runs against the chosen site with the chosen conditions.
    m_site.Add({SiteMember("olga").Gender("F").Age(27), SiteMember("boris").Gender("M").Age(27),
                SiteMember("vera").Gender("F").Age(40)});
    data::CopyProperties(m_engine.Params(), m_dm->Settings());
    QEventLoop loop;
    m_engine.OnStop = [&](search::TFinderStateObject&) { loop.quit(); };
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    m_engine.Start();
    loop.exec();
    std::vector<std::string> found;
    m_engine.FoundFriends().FillStrings("Login", found);
    EXPECT_EQ(found, std::vector<std::string>{"olga"});
}

TEST_F(SettingsPageTest, RefusesFieldsThatAreNoWholeNumbersAndStoresNothing) {
    m_dm->Settings().SetLogin("anna");
    app::TfrmSettings& page = MakePage();
    app::TfrmProxy& proxy = *page.ProxyPage();
    int saves = 0;
    page.OnSave = [&](app::TfrmSettings&) { ++saves; };
    page.edLogin->setText("changed");
    page.chbFriendship->setChecked(true);

    page.edPageCount->setText("1.5");
    EXPECT_FALSE(page.btnSaveClick());
    page.edPageCount->setText("12");
    proxy.chbUseProxy->click();
    proxy.edProxyServer->setText("10.0.0.5");
    proxy.edProxyPort->setText("70000");
    EXPECT_FALSE(page.btnSaveClick());
    ASSERT_EQ(m_messages.Texts().size(), 2u);
    EXPECT_NE(m_messages.Texts()[0].find("«Листать ... страниц»"), std::string::npos);
    EXPECT_NE(m_messages.Texts()[1].find("«Порт»"), std::string::npos);
    EXPECT_EQ(page.pcSettings->currentWidget(), page.tsProxy);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(m_dm->Settings().login(), "anna");
    EXPECT_TRUE(Saved()->login().empty());

    // A port the user cannot edit (no proxy) is not in the way; the stored one stays.
    proxy.chbUseProxy->click();
    EXPECT_TRUE(page.btnSaveClick());
    EXPECT_EQ(Saved()->ProxyParams().ProxyPort(), 0);
    // Port 0 typed is refused: no proxy listens there.
    proxy.chbUseProxy->click();
    proxy.edProxyPort->setText("0");
    EXPECT_FALSE(page.btnSaveClick());
    EXPECT_EQ(m_messages.Texts().back(), "Укажите в поле «Порт» прокси-сервера целое число от 1 до 65535.");
    proxy.chbUseProxy->click();

    proxy.chbUseProxy->click();
    proxy.chbAuthorization->click();
    proxy.edProxyPort->setText("8080");
    proxy.edProxyServer->setText("10.0.0.5");
    proxy.edProxyUserName->setText("user  ");
    proxy.edProxyPassword->setText("pass word ");
    EXPECT_TRUE(page.btnSaveClick());
    const auto saved = Saved();
    const data::TTesselProxyParams& p = saved->ProxyParams();
    EXPECT_TRUE(p.UseProxy() && p.ProxyAuthorization());
    EXPECT_EQ(p.ProxyServer() + ":" + std::to_string(p.ProxyPort()), "10.0.0.5:8080");
    EXPECT_EQ(p.ProxyUserName() + "/" + p.ProxyPassword(), "user/pass word");
    EXPECT_EQ(saved->login(), "changed");
    EXPECT_EQ(saved->target(), "Friendship");
    EXPECT_EQ(saved->PageCount(), 12);
    EXPECT_EQ(saves, 2);
}

// The ages are checked on saving like the page count: what is no age, or a
// range that runs backwards, is named with the field focused and nothing is
// stored; ages below 18 are raised to 18.
TEST_F(SettingsPageTest, AgesThatAreNoAgesOrRunBackwardsAreRefused) {
    app::TfrmSettings& page = MakePage();
    const std::string notAnAge = "Укажите в поле «Возраст» число лет от 18 до 99 или оставьте поле пустым.";
    const std::string backwards = "В поле «Возраст» верхняя граница не может быть меньше нижней.";
    const std::tuple<const char*, const char*, std::string, QLineEdit*> cases[] = {
        {"50", "20", backwards, page.edTo}, {"x9", "30", notAnAge, page.edFrom}, {"20", "3 ", notAnAge, page.edTo},
        {"25", "17", backwards, page.edTo}, {"5", "10", "18-18", nullptr},   {"", "40", "-40", nullptr}};
    for (const auto& [from, to, outcome, focused] : cases) {
        page.edLogin->setText(QString(from) + to);
        page.edFrom->setText(from);
        page.edTo->setText(to);
        const size_t shown = m_messages.Texts().size();
        EXPECT_EQ(page.btnSaveClick(), focused == nullptr) << from << "-" << to;
        if (focused) {
            EXPECT_EQ(m_messages.Texts().back(), outcome);
            EXPECT_EQ(page.focusWidget(), focused);
            EXPECT_NE(Saved()->login(), std::string(from) + to) << "nothing is stored";
        } else {
            EXPECT_EQ(m_messages.Texts().size(), shown);
            EXPECT_EQ(Saved()->s_f() + "-" + Saved()->s_t(), outcome);
        }
    }
}

TEST_F(SettingsPageTest, AreaListsComeFromTheSiteLevelByLevel) {
    app::TfrmSettings& page = MakePage();
    Open(page, &app::TfrmSettings::cbCountryDropDown);
    EXPECT_EQ(page.cbCountry->count(), 13); // the no-choice row and twelve countries
    EXPECT_EQ(page.cbCountry->currentText(), "Россия");
    EXPECT_EQ(m_site.WapRequestCount(), 9u);
    Open(page, &app::TfrmSettings::cbCountryDropDown); // countries are fetched once
    EXPECT_EQ(m_site.WapRequestCount(), 9u);

    Open(page, &app::TfrmSettings::cbRegionDropDown);
    Choose(*page.cbRegion, "Москва и Московская обл.");
    Open(page, &app::TfrmSettings::cbCityDropDown);
    Choose(*page.cbCity, "Москва");
    Open(page, &app::TfrmSettings::cbStationDropDown);
    EXPECT_EQ(page.cbStation->count(), 13);
    Choose(*page.cbStation, "Тверская");
    page.btnSaveClick();
    const data::TTesselSettings& s = m_dm->Settings();
    EXPECT_EQ(s.id_Country() + " " + s.id_Region() + " " + s.id_Town(), "3159_0_0_0 3159_4312_0_0 3159_4312_4400_0");
    EXPECT_EQ(s.Station() + " " + s.id_Station(), "Тверская 3159_4312_4400_112");
    EXPECT_EQ(s.s_c() + " " + s.s_m(), "3159_4312_4400_112 3159_4312_4400_112");

    // No region: the city and station chosen under the old one go too.
    Choose(*page.cbRegion, "Выберите регион...");
    EXPECT_EQ(page.cbCity->currentText(), "Выберите город...");
    EXPECT_EQ(page.cbStation->currentText(), "Выберите станцию...");
    page.btnSaveClick();
    EXPECT_EQ(s.id_Region() + s.Town() + s.id_Town() + s.Station() + s.id_Station() + s.s_m(), "");
    EXPECT_EQ(s.s_c(), "3159_0_0_0");

    // A region without a city is searched as the region, not its first city.
    Choose(*page.cbRegion, "Москва и Московская обл.");
    EXPECT_EQ(page.cbCity->currentText(), "Выберите город...");
    page.btnSaveClick();
    EXPECT_EQ(s.s_c(), "3159_4312_0_0");
    EXPECT_EQ(s.id_Town(), "");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(SettingsPageTest, FailuresAndStopsLeaveTheListsAsTheyWere) {
    data::TTesselSettings& s = m_dm->Settings();
    s.SetId_Region("3159_4312_0_0");
    s.SetRegion("Москва и Московская обл.");
    s.SetId_Town("3159_4312_4401_0");
    s.SetTown("Зеленоград");
    app::TfrmSettings& page = MakePage();
    // The saved choices are listed before anything is fetched.
    EXPECT_EQ(page.cbCity->currentText(), "Зеленоград");
    Open(page, &app::TfrmSettings::cbStationDropDown);
    EXPECT_EQ(page.cbStation->count(), 1);

    m_site.Server().Route("wap.localhost", "/", [](const HttpRequestRecord&) {
        return HttpReply::Status(500);
    });
    Open(page, &app::TfrmSettings::cbCountryDropDown);
    EXPECT_EQ(page.cbCountry->count(), 2);
    EXPECT_EQ(page.cbCountry->currentText(), "Россия");
    ASSERT_EQ(m_messages.Texts().size(), 2u);
    EXPECT_EQ(m_messages.Texts()[0], "В городе Зеленоград не найдено ни одной станции метро!");
    EXPECT_TRUE(m_messages.Texts()[1].starts_with("Ошибка соединения с сервером!\n\nСервер wap.localhost:"))
        << m_messages.Texts()[1];
    EXPECT_NE(m_messages.Texts()[1].find("ответил ошибкой 500"), std::string::npos) << m_messages.Texts()[1];

    // "Стоп" in the progress box ends the fetch after the page under way.
    m_site.Server().Route("wap.localhost", "/", [](const HttpRequestRecord&) {
        HttpReply reply = HttpReply::Page("<a href=\"/?area=search&where=Country.1\">Страна</a>");
        reply.delay = std::chrono::milliseconds(30);
        return reply;
    });
    m_site.ClearRequests();
    page.cbCountryDropDown();
    auto* box = page.findChild<QProgressDialog*>();
    ASSERT_TRUE(box && box->isVisible());
    EXPECT_FALSE(page.cbCountry->isEnabled() || page.cbStation->isEnabled() || page.btnSave->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.WapRequestCount() >= 2; }, 10000));
    QPushButton* stop = box->findChild<QPushButton*>();
    ASSERT_NE(stop, nullptr);
    stop->click();
    EXPECT_FALSE(page.AreaFetching());
    EXPECT_TRUE(page.cbCountry->isEnabled() && page.sbAddServer->isEnabled() && page.btnSave->isEnabled());
    EXPECT_LT(m_site.WapRequestCount(), 9u);
    EXPECT_EQ(page.cbCountry->count(), 2);
    EXPECT_EQ(m_messages.Texts().size(), 2u);
    // A stopped list is fetched again when it is next opened.
    Open(page, &app::TfrmSettings::cbCountryDropDown);
    EXPECT_EQ(page.cbCountry->itemText(1), "Страна");

    EXPECT_TRUE(page.btnSaveClick());
    EXPECT_EQ(Saved()->Town(), "Зеленоград");
}

TEST_F(SettingsPageTest, AnAreaListComesWhileTheWindowAnswersAndStopEndsItAtOnce) {
    m_site.SetDelay(std::chrono::seconds(2));
    app::TfrmSettings& page = MakePage();
    page.show();
    testsupport::Heartbeat heartbeat;
    EXPECT_FALSE(page.cbRegionDropDown()); // the list opens once its rows have come
    EXPECT_FALSE(page.cbRegionDropDown()); // one fetch at a time
    ASSERT_EQ(page.findChild<QProgressDialog*>()->windowModality(), Qt::NonModal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.AreaFetching(); }, 20000)); // four pages
    EXPECT_EQ(m_site.WapRequestCount(), 4u);
    EXPECT_EQ(page.cbRegion->count(), 4);
    EXPECT_TRUE(page.cbRegion->view()->isVisible());
    page.cbRegion->hidePopup();
    EXPECT_LE(heartbeat.LongestGap(), 100);

    // A site that never answers: "Стоп" ends the fetch at once.
    m_site.Server().Route("wap.localhost", "/", [](const HttpRequestRecord&) { return HttpReply::Stall(); });
    Choose(*page.cbRegion, "Москва и Московская обл.");
    page.cbCityDropDown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_site.WapRequestCount() == 5; }, 5000));
    QElapsedTimer clock;
    clock.start();
    page.findChild<QProgressDialog*>()->findChild<QPushButton*>()->click();
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_TRUE(!page.AreaFetching() && page.cbCity->isEnabled() && page.btnSave->isEnabled());
    EXPECT_EQ(page.cbCity->count(), 1);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(SettingsPageTest, ServerListAndTheLocksOfASearch) {
    app::TfrmSettings& page = MakePage();
    page.edServer->setText("  x.example ");
    page.sbAddServer->click();
    page.edServer->setText("x.example");
    page.sbAddServer->click();
    page.edServer->setText("   ");
    page.sbAddServer->click();
    EXPECT_EQ(Lines(*page.cblServer, true), std::vector<std::string>{"x.example"});
    EXPECT_EQ(m_messages.Texts(), (std::vector<std::string>{"Такое имя уже есть в списке!",
                                                            "Необходимо сначала ввести новое имя сервера!"}));
    data::TServer file;
    file.SetFileName("FinderServers.xml");
    file.Load();
    EXPECT_TRUE(file.FindByURL("x.example"));

    page.cblServer->setCurrentRow(-1);
    page.sbDeleteServer->click();
    EXPECT_EQ(m_messages.Texts().back(), "Необходимо сначала выбрать строку для удаления!");
    page.cblServer->setCurrentRow(page.cblServer->count() - 1);
    page.sbDeleteServer->click();
    EXPECT_EQ(Lines(*page.cblServer).size(), 2u) << "the default and the stored server";
    EXPECT_EQ(Lines(*page.cblServer, true).size(), 1u);

    page.LockSaveControls(true);
    EXPECT_FALSE(page.btnSave->isEnabled() || page.sbAddServer->isEnabled() || page.sbDeleteServer->isEnabled());
    EXPECT_EQ(page.btnSave->toolTip(), "Кнопка заблокирована до завершения поиска!");
    page.LockSaveControls(false);
    EXPECT_TRUE(page.btnSave->isEnabled() && page.sbAddServer->isEnabled() && page.sbDeleteServer->isEnabled());
    EXPECT_EQ(page.btnSave->toolTip(), "");
    EXPECT_EQ(page.sbAddServer->toolTip(), "Добавить сервер в список");

    // A stored server the list lost is listed and ticked; "Сохранить" keeps it.
    data::dmFriend().Settings().SetFinderServer("lost.example:8080");
    app::TfrmSettings& lost = MakePage();
    EXPECT_EQ(Lines(*lost.cblServer, true), std::vector<std::string>{"lost.example:8080"});
    ASSERT_TRUE(lost.btnSaveClick());
    EXPECT_EQ(data::dmFriend().Settings().FinderServer(), "lost.example:8080");

    // A damaged server file is reported and never written over.
    const std::filesystem::path serverFile = m_programDir.path() / "FinderServers.xml";
    { std::ofstream(serverFile) << "<Servers><Server><URL>kept.example"; }
    app::TfrmSettings& again = MakePage();
    again.edServer->setText("y.example");
    again.sbAddServer->click();
    const std::vector<std::string> texts = m_messages.Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_NE(texts[texts.size() - 2].find("FinderServers.xml"), std::string::npos);
    EXPECT_NE(texts.back().find("не записан: при загрузке он не был прочитан"), std::string::npos) << texts.back();
    std::stringstream content;
    content << std::ifstream(serverFile).rdbuf();
    EXPECT_EQ(content.str(), "<Servers><Server><URL>kept.example");
}
