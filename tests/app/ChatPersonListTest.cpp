// The person-card list over a favourites table: pages of 50, expanding and
// collapsing cards, deleting records after the question, and what a table
// that shrinks under the page shown does.
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "data/TFriend.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <tuple>
#include <gtest/gtest.h>

namespace {

using app::TChatPerson;
using app::TChatPersonStyle;
using platform::mrNo;
using platform::mrYes;

class ChatPersonList : public ::testing::Test {
protected:
    ChatPersonList() {
        table.SetLocalDir(dir.path().string());
        table.SetFileName("Friends.xml");
        list.resize(600, 400);
        list.show();
        list.SetFriend(&table);
        list.OnBeginPersonClick = [this](TChatPerson& c) { Log("begin", c); };
        list.OnEndPersonClick = [this](TChatPerson& c) { Log("end", c); };
        list.OnLoadPersonPhoto = [this](TChatPerson& c) { Log("photo", c); };
        list.OnQuestionnaireClick = [this](TChatPerson& c) { Log("profile", c); };
        list.OnSaveChanges = [this](data::TXMLTable& t) {
            events.push_back("save");
            static_cast<data::TFriend&>(t).Save();
        };
        list.OnRefresh = [this](app::TChatPersonList&) { events.push_back("refresh"); };
    }

    void Log(const char* what, const TChatPerson& card) {
        events.push_back(std::string(what) + ":" + std::to_string(card.RecordNo()));
    }

    // Adds records "Имя <index>" with an address each; PhotoCount 3.
    void Fill(int count) {
        const int start = table.RecordCount();
        for (int i = start; i < start + count; ++i) {
            const std::string n = std::to_string(i);
            table.AddFriend("Имя " + n, "login" + n, "http://site.example/p" + n, "Тверь", 30, 1, 0, 3, 0, 0, "");
        }
        table.Save();
    }

    std::vector<int> RecordNos() const {
        std::vector<int> result;
        for (int i = 0; i < list.Count(); ++i) result.push_back(list.Person(i)->RecordNo());
        return result;
    }
    std::vector<int> Tops() const {
        std::vector<int> result;
        for (int i = 0; i < list.Count(); ++i) result.push_back(list.Person(i)->y());
        return result;
    }
    std::string NameInFile(int index) {
        data::TFriend stored;
        stored.SetLocalDir(dir.path().string());
        stored.SetFileName("Friends.xml");
        stored.Load();
        fileCount = stored.RecordCount();
        return data::TXMLTable::NodeText(stored.RecordNode(index), "Name");
    }
    static void FreeDeleted() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    testsupport::TempDir dir;
    data::TFriend table;
    app::TChatPersonList list;
    testsupport::MessageRecorder messages;
    std::vector<std::string> events;
    int fileCount = -1;
};

std::vector<int> Range(int first, int last) {
    std::vector<int> result;
    for (int i = first; i <= last; ++i) result.push_back(i);
    return result;
}

TEST_F(ChatPersonList, PagesOfFiftyWithButtonsOnlyAboveFiftyRecords) {
    Fill(50);
    list.ShowPage(-1);
    EXPECT_EQ(list.Count(), 50);
    EXPECT_TRUE(list.pnPriv->isHidden());
    EXPECT_TRUE(list.pnNext->isHidden());
    EXPECT_EQ(events, (std::vector<std::string>{"refresh", "refresh"}));
    EXPECT_EQ(list.pnPersonList->height(), 50 * 20);

    Fill(70);
    list.ShowPage(-1);
    EXPECT_FALSE(list.pnPriv->isHidden());
    EXPECT_FALSE(list.pnNext->isHidden());
    EXPECT_EQ(list.btnPriv->text(), "Предыдущие 50 контактов");
    EXPECT_EQ(list.btnNext->text(), "Следующие 50 контактов");
    EXPECT_FALSE(list.btnPriv->isEnabled());
    EXPECT_TRUE(list.btnNext->isEnabled());
    EXPECT_EQ(RecordNos(), Range(1, 50));

    list.resize(400, 300);
    list.show();
    QCoreApplication::processEvents();
    ASSERT_GT(list.sbxPersons->verticalScrollBar()->maximum(), 0);
    list.sbxPersons->verticalScrollBar()->setValue(list.sbxPersons->verticalScrollBar()->maximum());
    list.btnNext->click();
    EXPECT_EQ(list.sbxPersons->verticalScrollBar()->value(), 0) << "a new page is shown from its top";
    EXPECT_EQ(list.PageStart(), 50);
    EXPECT_EQ(RecordNos(), Range(51, 100));
    EXPECT_TRUE(list.btnPriv->isEnabled());
    EXPECT_TRUE(list.btnNext->isEnabled());
    list.btnNext->click();
    EXPECT_EQ(list.PageStart(), 100);
    EXPECT_EQ(list.PageEnd(), 149);
    EXPECT_EQ(RecordNos(), Range(101, 120));
    EXPECT_EQ(list.Person(0)->InfoText(), "Имя 100, 30, Тверь");
    EXPECT_FALSE(list.btnNext->isEnabled());
    list.btnNext->click();
    EXPECT_EQ(list.PageStart(), 100);

    list.btnPriv->click();
    list.btnPriv->click();
    EXPECT_EQ(list.PageStart(), 0);
    EXPECT_FALSE(list.btnPriv->isEnabled());
    EXPECT_EQ(RecordNos(), Range(1, 50));
    FreeDeleted();
    EXPECT_EQ(list.pnPersonList->findChildren<TChatPerson*>().size(), 50u);
}

TEST_F(ChatPersonList, HeaderTextsAndGapsFollowTheRecords) {
    table.AddFriend("Анна", "anna", "http://site.example/anna", "Москва", 25, 0, 0, 0, 0, 0, "");
    table.AddFriend("Борис", "boris", "http://site.example/boris", "Тверь", 0, 0, 0, 0, 0, 1, "");
    table.AddFriend("", "nobody", "http://site.example/nobody", "", 40, 0, 0, 0, 0, 0, "");
    const pugi::xml_node vera = table.AddFriend("Вера", "vera", "http://site.example/vera", "", 0, 0, 0, 0, 0, 0, "");
    data::TXMLTable::SetNodeText(vera, "Age", "");
    list.ShowPage(-1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Person(0)->InfoText(), "Анна, 25, Москва");
    EXPECT_EQ(list.Person(1)->InfoText(), "Борис, Тверь");
    EXPECT_TRUE(list.Person(1)->Intim());
    EXPECT_EQ(list.Person(2)->InfoText(), "Вера");
    EXPECT_EQ(list.Person(2)->URL(), "http://site.example/vera");
    EXPECT_EQ(RecordNos(), (std::vector<int>{1, 2, 4}));
    // The nameless record leaves its slot empty.
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 60}));
    EXPECT_EQ(list.pnPersonList->height(), 80);
    EXPECT_EQ(list.Person(0)->width(), list.pnPersonList->width() - 2);
    // Expanded, a long name gives way, not the age and the city after it.
    data::TXMLTable::SetNodeText(table.RecordNode(0), "Name", std::string(5000, 'W'));
    list.ShowPage(0);
    EXPECT_TRUE(list.Person(0)->lbPersonName2->text().endsWith("…, 25, Москва"));
}

TEST_F(ChatPersonList, ClickingExpandsOneCardAndCollapsesTheOthers) {
    Fill(6);
    data::TXMLTable::SetNodeText(table.RecordNode(2), "NewMessage", "1");
    data::TXMLTable::SetNodeText(table.RecordNode(2), "VideoCount", "два");
    list.ShowPage(-1);
    TChatPerson* third = list.Person(2);
    QTest::mouseClick(third->imgShortInfo, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"refresh", "refresh", "begin:3", "photo:3", "end:3"}));
    EXPECT_EQ(third->ChatPersonStyle(), TChatPersonStyle::cpFull);
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 40, 160, 180, 200}));
    EXPECT_EQ(list.pnPersonList->height(), 5 * 20 + 120);
    // Filled from its record when first expanded; a count that is no number is none.
    EXPECT_TRUE(third->Real());
    EXPECT_FALSE(third->VIP());
    EXPECT_TRUE(third->Letter());
    EXPECT_FALSE(third->imgNewMessage1->isHidden());
    EXPECT_EQ(third->lbPhotoCount->text(), "3 фото");
    EXPECT_EQ(third->VideoCount(), 0);
    EXPECT_TRUE(third->lbVideoCount->isHidden());

    QTest::mouseClick(list.Person(4)->imgShortInfo, Qt::LeftButton);
    EXPECT_EQ(third->ChatPersonStyle(), TChatPersonStyle::cpShort);
    EXPECT_EQ(list.Person(4)->ChatPersonStyle(), TChatPersonStyle::cpFull);
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 40, 60, 80, 200}));
    // The expanded card's name strip collapses it again.
    QTest::mouseClick(list.Person(4)->lbPersonName1, Qt::LeftButton);
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 40, 60, 80, 100}));
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Person(i)->height(), 20);

    events.clear();
    QTest::mouseClick(list.Person(1)->imgQuestionnaire, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"profile:2"}));

    list.ShowPage(3);
    EXPECT_EQ(list.SelectedIndex(), 3);
    EXPECT_EQ(list.Person(3)->ChatPersonStyle(), TChatPersonStyle::cpFull);
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 40, 60, 180, 200}));
}

TEST_F(ChatPersonList, DeletingFromTheFirstAMiddleAndTheLastPage) {
    Fill(120);
    list.ShowPage(-1);

    // Declined: nothing changes, the click still ends and refreshes.
    messages.SetAnswer(mrNo);
    events.clear();
    list.Person(0)->Delete();
    ASSERT_EQ(messages.Texts(), (std::vector<std::string>{"Удалить контакт \"Имя 0\"?"}));
    EXPECT_EQ(messages.Calls()[0].kind, testsupport::MessageRecorder::Kind::Ex);
    EXPECT_EQ(events, (std::vector<std::string>{"begin:1", "end:1", "refresh"}));
    EXPECT_EQ(table.RecordCount(), 120);
    EXPECT_EQ(list.Count(), 50);

    // The basket of an expanded card, answered Yes: the card goes from
    // within its own click and is freed afterwards.
    messages.SetAnswer(mrYes);
    QTest::mouseClick(list.Person(0)->imgShortInfo, Qt::LeftButton);
    QPointer<TChatPerson> first = list.Person(0);
    events.clear();
    QTest::mouseClick(first->imgBasket, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"begin:1", "save", "end:1", "refresh"}));
    EXPECT_EQ(table.RecordCount(), 119);
    EXPECT_EQ(NameInFile(0), "Имя 1");
    EXPECT_EQ(fileCount, 119);
    EXPECT_EQ(RecordNos(), Range(1, 50)) << "the first of the next page moves up";
    EXPECT_EQ(Tops()[1], 20);
    EXPECT_EQ(list.pnPersonList->height(), 50 * 20);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->isHidden());
    FreeDeleted();
    EXPECT_TRUE(first.isNull());

    // A middle page: records after the deleted one move up by one.
    list.btnNext->click();
    ASSERT_EQ(list.Person(10)->PersonName(), "Имя 61");
    list.Person(10)->Delete();
    EXPECT_EQ(table.RecordCount(), 118);
    EXPECT_EQ(NameInFile(59), "Имя 60");
    EXPECT_EQ(NameInFile(60), "Имя 62");
    EXPECT_EQ(list.Person(10)->PersonName(), "Имя 62");
    EXPECT_EQ(RecordNos(), Range(51, 100));

    // The last page, emptied card by card, gives way to the first page.
    list.btnNext->click();
    EXPECT_EQ(RecordNos(), Range(101, 118));
    for (int guard = 0; list.PageStart() == 100 && guard < 20; ++guard) list.Person(list.Count() - 1)->Delete();
    EXPECT_EQ(table.RecordCount(), 100);
    EXPECT_EQ(NameInFile(99), "Имя 101");
    EXPECT_EQ(fileCount, 100);
    EXPECT_EQ(list.PageStart(), 0);
    EXPECT_EQ(RecordNos(), Range(1, 50));
    EXPECT_FALSE(list.btnPriv->isEnabled());
    EXPECT_TRUE(list.btnNext->isEnabled());
}

TEST_F(ChatPersonList, TheSelectedRecordAndTheLayoutFollowADeletion) {
    Fill(8);
    list.ShowPage(5);
    list.Person(2)->Delete();
    EXPECT_EQ(list.SelectedIndex(), 4);
    EXPECT_EQ(list.Person(4)->RecordNo(), 5);
    EXPECT_EQ(list.Person(4)->ChatPersonStyle(), TChatPersonStyle::cpFull);
    EXPECT_EQ(Tops(), (std::vector<int>{0, 20, 40, 60, 80, 200, 220}));
    EXPECT_EQ(list.pnPersonList->height(), 6 * 20 + 120);
    // The page buttons bring the selected card back expanded.
    list.ShowPage(list.SelectedIndex());
    EXPECT_EQ(list.Person(4)->PersonName(), "Имя 5");
    EXPECT_EQ(list.Person(4)->ChatPersonStyle(), TChatPersonStyle::cpFull);

    // Two records with one address: the card's own record goes.
    data::TXMLTable::SetNodeText(table.RecordNode(1), "URL", "http://site.example/p0");
    list.ShowPage(-1);
    list.Person(1)->Delete();
    EXPECT_EQ(data::TXMLTable::NodeText(table.RecordNode(0), "Name"), "Имя 0");
    EXPECT_EQ(data::TXMLTable::NodeText(table.RecordNode(1), "Name"), "Имя 3");
    list.ShowPage(4);
    list.Person(4)->Delete();
    EXPECT_EQ(list.SelectedIndex(), -1);
}

TEST_F(ChatPersonList, ATableThatShrankUnderALaterPageShowsTheFirstPage) {
    Fill(120);
    list.ShowPage(-1);
    list.btnNext->click();
    list.btnNext->click();
    ASSERT_EQ(list.PageStart(), 100);
    while (table.RecordCount() > 60) table.DeleteFriend(table.RecordCount() - 1);
    list.ShowPage(-1);
    EXPECT_EQ(list.PageStart(), 0);
    EXPECT_EQ(list.PageEnd(), 49);
    EXPECT_EQ(RecordNos(), Range(1, 50));
    EXPECT_FALSE(list.btnPriv->isEnabled());
    EXPECT_TRUE(list.btnNext->isEnabled());

    list.btnNext->click();
    while (table.RecordCount() > 30) table.DeleteFriend(table.RecordCount() - 1);
    list.ShowPage(-1);
    EXPECT_EQ(list.PageStart(), 0);
    EXPECT_EQ(list.Count(), 30);
    EXPECT_TRUE(list.pnPriv->isHidden());
}

} // namespace

// The list and its scroll bar move together: the thumb is at the top while
// the first card shows, and a drag down or a key on a card shows later cards.
TEST_F(ChatPersonList, TheScrollBarFollowsTheListByDragAndKeys) {
    Fill(50);
    list.ShowPage(-1);
    QCoreApplication::processEvents();
    QScrollBar& bar = *list.sbxPersons->verticalScrollBar();
    const auto firstShown = [this] { return -list.sbxPersons->widget()->y() / 20; };
    const auto thumb = [&bar] {
        QStyleOptionSlider o;
        o.initFrom(&bar);
        o.orientation = Qt::Vertical;
        std::tie(o.minimum, o.maximum, o.pageStep, o.sliderPosition) = std::tuple(0, bar.maximum(), bar.pageStep(), bar.value());
        return bar.style()->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarSlider, &bar);
    };
    const QRect atTop = thumb();
    ASSERT_LT(atTop.bottom(), bar.height() / 2);
    QTest::mousePress(&bar, Qt::LeftButton, {}, atTop.center());
    QTest::mouseMove(&bar, atTop.center() + QPoint(0, 60));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, atTop.center() + QPoint(0, 60));
    EXPECT_GT(firstShown(), 0);
    EXPECT_GT(thumb().top(), atTop.top());
    // Each key and the first card it leaves in view, from card 10.
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Down, 11}, {Qt::Key_Up, 9}, {Qt::Key_End, bar.maximum() / 20},
                                            {Qt::Key_Home, 0}, {Qt::Key_PageDown, (200 + bar.pageStep()) / 20}};
    for (const auto& [key, shown] : keys) {
        bar.setValue(10 * 20);
        QTest::keyClick(list.Person(12), key);
        EXPECT_EQ(firstShown(), shown) << key;
    }
    EXPECT_EQ(bar.value() == 0, thumb() == atTop);
}
