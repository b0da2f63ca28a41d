// The conditions form as the start of a search: the tree written into the
// engine's parameters, and the list of found profiles with its buttons.
#include "ConditionsTestSupport.h"
#include "data/TCustomParams.h"

#include <QAction>
#include <QDesktopServices>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

using namespace conditionstest;
using testsupport::LocalSite;
using testsupport::SiteMember;

namespace {

// Every search condition as "name=value" lines.
std::string Conditions(const data::TFinderParams& params) {
    data::TFinderParams copy;
    data::CopyProperties(copy, params);
    std::string out;
    for (const platform::TPropInfo& p : copy.PublishedProperties())
        out += std::string(p.Name) + "=" + (p.IsOrdinal() ? std::to_string(p.GetOrd(copy)) : p.GetStr(copy)) + "\n";
    return out;
}

// Stands in for the browser.
class Browser : public QObject {
    Q_OBJECT
public:
    std::vector<std::string> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

class ConditionsSearch : public FormTest {
protected:
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < form->lbxLoad->count(); ++i) rows.push_back(form->lbxLoad->item(i)->text().toStdString());
        return rows;
    }
    void Select(std::initializer_list<int> rows) {
        form->lbxLoad->clearSelection();
        for (int row : rows) form->lbxLoad->item(row)->setSelected(true);
    }
};

} // namespace

TEST_F(ConditionsSearch, TreesGiveTheParametersTheirNodesStandFor) {
    data::TTesselSettings& s = dm->Settings();
    FillEverySetting(s);
    s.SetS_c(s.id_Station());
    Make();

    // The extended tree says everything the settings say.
    form->pcLeft->setCurrentWidget(form->tsExSearch);
    form->StartSearch();
    EXPECT_EQ(Conditions(engine->Params()), Conditions(s));

    // The simple tree leaves the period, the name and the numbers as they
    // were and clears the attribute groups.
    data::TFinderParams expected;
    data::CopyProperties(expected, s);
    for (const char* group : {"music", "sport", "marriage", "children", "zodiac", "excite", "bust", "orientation"})
        platform::FindPropInfo(expected, group)->SetStr(expected, "");
    engine->Params().SetS_ty("Online");
    expected.SetS_ty("Online");
    engine->Params().SetPhotoMin(7);
    expected.SetPhotoMin(7);
    form->TreeToParams(form->tvSearch);
    EXPECT_EQ(Conditions(engine->Params()), Conditions(expected));

    // A station configured but unchecked is searched without its line.
    QTreeWidget& tree = *form->tvSearch;
    Click(*form, tree, Node(tree, "Арбатская"));
    form->TreeToParams(&tree);
    EXPECT_EQ(engine->Params().s_c() + " " + engine->Params().s_m(), s.id_Station() + " ");
    Click(*form, tree, Node(tree, "Москва"));
    form->TreeToParams(&tree);
    EXPECT_EQ(engine->Params().s_c(), s.id_Region());

    // No search starts from the found list.
    form->pcLeft->setCurrentWidget(form->tsLoadedFriends);
    engine->Params().SetS_c("kept");
    form->StartSearch();
    EXPECT_EQ(engine->Params().s_c(), "kept");
    EXPECT_EQ(messages.Texts().back(), "Выберите подходящую закладку.");
}

TEST_F(ConditionsSearch, TheFoundListMarksNewHitsAndEditsTheTables) {
    LocalSite site;
    site.Add({SiteMember("anna").Age(21), SiteMember("vera").Age(22), SiteMember("olga").Age(23)});
    Configure(site, 1);
    Make();
    QObject actionList;
    auto* start = new QAction(&actionList);
    start->setObjectName("acStartSearch");
    auto* stop = new QAction(&actionList);
    stop->setObjectName("acStopSearch");
    stop->setEnabled(false);
    form->BindSearchActions(&actionList);
    std::vector<std::string> events;
    form->OnAddToFavourites = [&](QObject* sender) {
        events.push_back("add " + sender->objectName().toStdString() + " " +
                         std::to_string(engine->FoundFriends().RecNo()));
    };
    form->OnBeforeSaveFavourites = [&](QObject*) { events.push_back("before"); };
    form->OnAfterSaveFavourites = [&](QObject*) { events.push_back("after"); };
    form->OnLoadedChanged = [&](QObject*) { events.push_back("changed"); };

    form->StartSearch();
    ASSERT_TRUE(Search());
    form->SetFoundBaseline(engine->FoundFriends().RecordCount());
    site.Add({SiteMember("irina").Age(24), SiteMember("nina").Age(25)});
    ASSERT_TRUE(Search());
    form->RefreshLoadedList();
    EXPECT_FALSE(start->isEnabled() || form->pnButtonsLeft->isVisibleTo(form.get()));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"anna, 21, Москва", "vera, 22, Москва", "olga, 23, Москва",
                                                 "irina, 24, Москва", "nina, 25, Москва"}));
    EXPECT_EQ(form->LoadedRowColor(2), QColor(Qt::white));
    EXPECT_EQ(form->LoadedRowColor(3), QColor(224, 255, 224));

    // One or all into the favourites.
    form->lbxLoad->setCurrentRow(1); // enables ">"
    Select({1, 3});
    form->btnAddToFavorites->click();
    form->btnAddAllToFavorites->click();
    EXPECT_EQ(data::TFriend::ReadRecord(dm->Friends(), 4).Login, "nina");
    dm->Friends().Load();
    EXPECT_EQ(dm->Friends().RecordCount(), 5);

    // Deleting the last two with the last one focused.
    form->lbxLoad->setCurrentRow(4);
    Select({3, 4});
    form->btnDelete->click();
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(form->lbxLoad->currentRow(), 0);
    engine->FoundFriends().ClearRecords();
    engine->LoadFoundFriends();
    EXPECT_EQ(engine->FoundFriends().RecordCount(), 3);

    // A list out of step with the table deletes nothing unseen.
    engine->FoundFriends().AddFriend("new", "new", site.ProfileAddress("new"), "Тверь", 30, 0, 0, 0, 0, 0, "");
    Select({0});
    form->btnDelete->click();
    EXPECT_EQ(engine->FoundFriends().RecordCount(), 4);
    EXPECT_EQ(Rows().size(), 4u);

    // Only web addresses go to the browser.
    const std::string anna = data::TFriend::ReadRecord(engine->FoundFriends(), 0).URL;
    Browser browser;
    QDesktopServices::setUrlHandler("http", &browser, "open");
    data::TXMLTable::SetNodeText(engine->FoundFriends().RecordNode(1), "URL", "file:///etc/passwd");
    for (int row : {0, 1}) {
        form->lbxLoad->setCurrentRow(row);
        form->btnShowLoaded->click();
    }
    EXPECT_EQ(browser.opened, std::vector<std::string>{anna});
    EXPECT_EQ(messages.Texts().back(), "Открываются только адреса http и https: file:///etc/passwd");
    // No browser to take it (a handler that cannot be called): the user is told.
    QDesktopServices::setUrlHandler("http", &browser, "noSuchSlot");
    form->lbxLoad->setCurrentRow(0);
    form->btnShowLoaded->click();
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(messages.Texts().back(), "Не удалось открыть " + anna + " в браузере.");

    // A save that fails is told, and the file is kept.
    engine->SetFoundFriendsFile((dir / "gone" / "LoadedFriends.xml").string());
    const size_t shown = messages.Texts().size();
    // Clearing asks first, as the favourites' does; No keeps every profile.
    messages.SetAnswer(platform::mrNo);
    form->btnClear->click();
    EXPECT_EQ(Rows().size(), 4u);
    messages.SetAnswer(platform::mrYes);
    form->btnClear->click();
    EXPECT_TRUE(Rows().empty());
    ASSERT_EQ(messages.Texts().size(), shown + 3) << "two questions, then the failed save";
    EXPECT_EQ(messages.Texts()[shown], "Удалить все найденные анкеты (4)?");
    EXPECT_EQ(messages.Calls()[shown].buttons.Default(), platform::TMsgDlgBtn::mbNo) << "Enter keeps them";
    engine->SetFoundFriendsFile((dir / "LoadedFriends.xml").string());
    engine->LoadFoundFriends();
    EXPECT_EQ(engine->FoundFriends().RecordCount(), 0) << "what could not be written is not reloaded over";
    EXPECT_NE(testsupport::ReadFile(dir / "LoadedFriends.xml").find("<Login>"), std::string::npos);
    EXPECT_EQ(events, (std::vector<std::string>{"add lbxLoad 2", "add lbxLoad 4", "before", "after", "changed",
                                                "changed"}));

    form->LockLoadedButtons(true);
    EXPECT_FALSE(form->btnClear->isEnabled() || form->btnDelete->isEnabled() ||
                 form->btnAddAllToFavorites->isEnabled());
    form->pcLeft->setCurrentWidget(form->tsSearch);
    EXPECT_TRUE(start->isEnabled());
}

#include "ConditionsSearchTest.moc"
