// The conditions trees: built from the stored settings, toggled by clicks on
// their check boxes, rebuilt, and the car makes read on demand.
#include "ConditionsTestSupport.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmCarModel.h"
#include "app/forms/TfrmRange.h"
#include "support/Heartbeat.h"
#include "support/ModalAction.h"

#include <QComboBox>
#include <QLineEdit>

#include <QTabWidget>
#include <QTest>

using namespace conditionstest;
using testsupport::LocalSite;
using testsupport::SiteCarPage;

namespace {

class ConditionsTree : public FormTest {
protected:
    QTreeWidget& Extended() {
        form->pcLeft->setCurrentWidget(form->tsExSearch);
        return *form->tvExSearch;
    }
    std::string Params(QTreeWidget& tree) {
        form->TreeToParams(&tree);
        return engine->Params().marriage() + " " + engine->Params().car();
    }
};

} // namespace

TEST_F(ConditionsTree, ClicksFollowTheKindOfTheNode) {
    Make();
    QTreeWidget& tree = Extended();
    auto click = [&](const QString& caption, int dx = 20) { return Click(*form, tree, Node(tree, caption), dx); };
    auto checked = [&](const QString& caption) { return Node(tree, caption)->Checked(); };

    // A real press on the drawn box, then only the box's zone takes a click.
    form->show();
    app::TCheckedTreeNode* me = Node(tree, "Я");
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, {25, tree.visualItemRect(me).center().y()});
    EXPECT_TRUE(me->Checked() && me->isExpanded());
    EXPECT_FALSE(click("Лев", 12));
    EXPECT_FALSE(click("Лев", 32));
    EXPECT_TRUE(click("Лев", 13));
    EXPECT_TRUE(checked("Лев") && checked("Со знаком Зодиака"));
    click("Рак");
    EXPECT_TRUE(checked("Рак") && !checked("Лев"));
    click("Рак");
    EXPECT_FALSE(checked("Со знаком Зодиака"));

    // Music items may be chosen together.
    click("Рэп");
    click("Рок, металл");
    click("Рэп");
    EXPECT_TRUE(checked("Рок, металл") && checked("Любит музыку"));
    click("Рок, металл");
    EXPECT_FALSE(checked("Любит музыку"));

    // Penis size and bust size exclude each other.
    click("до 10 см");
    click("Большой");
    EXPECT_FALSE(checked("С размером члена") || checked("до 10 см"));
    EXPECT_TRUE(checked("С размером груди"));

    // The sought gender chooses the marriage wording.
    click("Нет");
    click("Девушку");
    EXPECT_TRUE(Node(tree, "Ищу Девушку"));
    EXPECT_EQ(Params(tree), "NoMarriage2 ");
    click("Парня");
    EXPECT_EQ(Params(tree), "NoMarriage1 ");

    // Roots: no country chosen, no check; a period stays chosen; "Real".
    click("Страна");
    EXPECT_FALSE(checked("Страна"));
    click("Новых за сутки");
    click("Новых за сутки");
    EXPECT_TRUE(checked("Новых за сутки") && Node(tree, "Новых за сутки")->Level() == 0);
    click("Real");
    EXPECT_TRUE(checked("Только REAL") && Node(tree, "Только REAL")->Level() == 0);
    click("Только REAL");
    EXPECT_TRUE(Node(tree, "Real") && !checked("Real") && !checked("Только REAL"));

    // Space ticks and unticks the current node as a click on its box does.
    tree.setCurrentItem(Node(tree, "Рак"));
    for (const bool ticked : {true, false}) {
        QTest::keyClick(&tree, Qt::Key_Space);
        EXPECT_EQ(checked("Рак"), ticked);
    }

    // A rebuild takes the stored settings again.
    form->RebuildActiveTree();
    EXPECT_FALSE(checked("Большой") || checked("Всех") == false || checked("Девушку"));
}

TEST_F(ConditionsTree, CarMakesAreReadOnDemandAndAFailedReadIsRetried) {
    LocalSite site, fallback;
    fallback.SetCarPage(SiteCarPage::Missing);
    site.SetCarPage(SiteCarPage::Missing);
    site.SetCarMakes({{"16", "BMW"}, {"54", "ВАЗ"}});
    dm->Settings().SetFinderServer(site.Host());
    Make().SetCarCatalogueFallbackHost(fallback.Host());
    QTreeWidget& tree = Extended();
    app::TCheckedTreeNode* car = Node(tree, "Автомобиль");
    ASSERT_EQ(car->childCount(), 1); // the placeholder
    EXPECT_EQ(site.RequestCount("/search_ext.phtml"), 0u);

    // The makes are read beside the window; meanwhile the node says so.
    const auto read = [&] {
        EXPECT_TRUE(form->CarMakesLoading());
        ASSERT_EQ(car->childCount(), 1);
        EXPECT_EQ(car->child(0)->text(0), "Загрузка...");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CarMakesLoading(); }, 10000));
    };
    // No page lists makes: the placeholder stays, so the node opens again.
    car->setExpanded(true);
    read();
    EXPECT_EQ(site.RequestCount("/search_ext.phtml"), 1u);
    ASSERT_EQ(car->childCount(), 1);
    EXPECT_EQ(car->child(0)->text(0), "");
    EXPECT_FALSE(form->CarMakesLoaded());

    site.SetCarPage(SiteCarPage::Makes);
    car->setExpanded(false);
    car->setExpanded(true);
    read();
    EXPECT_TRUE(form->CarMakesLoaded());
    EXPECT_EQ(Dump(tree).substr(Dump(tree).find("[ ] Автомобиль")), "[ ] Автомобиль\n  [ ] BMW\n  [ ] ВАЗ\n");
    car->setExpanded(false);
    car->setExpanded(true);
    EXPECT_EQ(site.RequestCount("/search_ext.phtml"), 2u);

    Click(*form, tree, car);
    EXPECT_EQ(Params(tree), " 16|54");
    // Rows without an item (the makes while only the placeholder shows) are unchecked.
    form->RebuildActiveTree();
    car = Node(tree, "Автомобиль");
    car->ChildNode(0)->SetChecked(true);
    ASSERT_EQ(car->childCount(), 1);
    EXPECT_EQ(app::TfrmConditions::CollectCheckedIds(car, dm->CarGroup()), "16");
}

TEST_F(ConditionsTree, CarMakesComeWhileTheWindowAnswers) {
    LocalSite site;
    site.SetDelay(std::chrono::seconds(2));
    site.SetCarMakes({{"16", "BMW"}, {"54", "ВАЗ"}});
    dm->Settings().SetFinderServer(site.Host());
    Make().show();
    QTreeWidget& tree = Extended();
    testsupport::Heartbeat heartbeat;
    Click(*form, tree, Node(tree, "Автомобиль")); // checked and opened: the makes come checked
    dm->Settings().SetCar("54");
    EXPECT_EQ(Params(tree), " 54"); // a search started meanwhile keeps the stored choice
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CarMakesLoading(); }, 10000));
    EXPECT_EQ(Dump(tree).substr(Dump(tree).find("[x] Автомобиль")), "[x] Автомобиль\n  [x] BMW\n  [x] ВАЗ\n");
    EXPECT_LE(heartbeat.LongestGap(), 100);

    // Built afresh twice while the makes are read ("54" is stored, so at
    // once): the last tree takes them.
    form->RebuildActiveTree();
    form->RebuildActiveTree();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CarMakesLoading(); }, 10000));
    EXPECT_EQ(Dump(tree).substr(Dump(tree).find("[x] Автомобиль")), "[x] Автомобиль\n  [ ] BMW\n  [x] ВАЗ\n");
}

namespace {

// Answers the next dialog: fills it through `fill`, then presses OK (or,
// without `fill`, Cancel). A dialog still open after that is cancelled.
testsupport::ModalAction Answer(std::function<void(QWidget&)> fill = {}) {
    return testsupport::ModalAction([fill](QWidget& widget) {
        auto* dialog = qobject_cast<app::TConditionDialog*>(&widget);
        ASSERT_NE(dialog, nullptr);
        if (fill) {
            fill(widget);
            dialog->btnOK->click();
        }
        if (dialog->isVisible()) dialog->reject();
    });
}

void Range(QWidget& w, const char* min, const char* max) {
    auto& range = dynamic_cast<app::TfrmRange&>(w);
    range.edMin->setText(min);
    range.edMax->setText(max);
}

} // namespace

TEST_F(ConditionsTree, ValueNodesTakeWhatTheirDialogAnswers) {
    LocalSite site;
    site.SetCarMakes({{"48", "Volkswagen"}});
    dm->Settings().SetFinderServer(site.Host());
    Make();
    QTreeWidget& tree = Extended();
    auto click = [&](const QString& caption, std::function<void(QWidget&)> fill = {}) {
        auto action = Answer(std::move(fill));
        Click(*form, tree, Node(tree, caption));
        return action.Done();
    };

    EXPECT_TRUE(click("Рост", [](QWidget& w) { Range(w, "150", "190"); }));
    EXPECT_TRUE(Node(tree, "Рост от 150 до 190")->Checked());
    EXPECT_TRUE(click("Количество фотографий от 1")); // cancelled: nothing chosen
    EXPECT_FALSE(Node(tree, "Фотографии")->Checked() || Node(tree, "Количество фотографий от 1")->Checked());
    EXPECT_TRUE(click("Количество фотографий от 1", [](QWidget& w) { Range(w, "3", "8"); }));
    EXPECT_TRUE(Node(tree, "Количество фотографий от 3 до 8")->Checked());
    EXPECT_EQ(Node(tree, "Количество фотографий от 3 до 8")->Level(), 0); // the root shows it too
    EXPECT_TRUE(click("Имя", [](QWidget& w) { w.findChild<QLineEdit*>("edName")->setText("Ольга"); }));
    EXPECT_TRUE(click("Мой возраст", [](QWidget& w) { dynamic_cast<app::TfrmAge&>(w).edAge->setText("33"); }));
    EXPECT_TRUE(Node(tree, "имя Ольга")->Checked() && Node(tree, "Мой возраст 33")->Checked());

    Node(tree, "Автомобиль")->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CarMakesLoading(); }, 10000));
    EXPECT_TRUE(click("Volkswagen", [](QWidget& w) {
        auto& dialog = dynamic_cast<app::TfrmCarModel&>(w);
        EXPECT_EQ(dialog.windowTitle(), "Марка: Volkswagen");
        dialog.cbModel->setCurrentText("Golf");
    }));
    EXPECT_TRUE(Node(tree, "Volkswagen Golf")->Checked());
    EXPECT_EQ(dm->CarGroup().GetModel(0), "Golf");

    // Unchecking keeps the chosen values for the next time.
    click("Рост от 150 до 190");
    EXPECT_FALSE(Node(tree, "Рост")->Checked());
    form->TreeToParams(&tree);
    const data::TFinderParams& p = engine->Params();
    EXPECT_EQ((std::vector<int>{p.PhotoMin(), p.PhotoMax(), p.MyAge(), p.StatureMin(), p.StatureMax()}),
              (std::vector<int>{3, 8, 33, 0, 0}));
    EXPECT_EQ(p.s_p() + " " + p.FriendName() + " " + p.car(), "checked Ольга 48");
    EXPECT_EQ(form->StatureRange(), (app::TfrmConditions::TStoredRange{150, 190}));
}
