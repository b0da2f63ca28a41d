// The grid's event contract and the routines around its editor: cell events
// reading the painted record, the edit limit, keys the editor hands on, key,
// focus and drag events, the lookup list, and the smaller routines.
#include "grid/TMDBGrid.h"

#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGridInplaceEdit.h"
#include "grid/TGridDataLink.h"
#include "grid/TPopupListbox.h"
#include "grid/TRecordmarkList.h"
#include "platform/db/MemDataSet.h"
#include "platform/db/TDataSource.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>

namespace {

using grid::TDBGridOption;
using Texts = std::vector<std::string>;

// People "Name0".."Name9" whose towns are looked up by key, in a window
// with a line edit beside the grid.
struct Editable : ::testing::Test {
    testsupport::MemDataSet cities{{{"Id", 5}, {"Town", 20}}, {{"1", "Москва"}, {"2", "Омск"}, {"3", "Тверь"}}};
    testsupport::MemDataSet people{{{"Name", 5}, {"CityId", 5}}, {}, true};
    db::TDataSource source{&people};
    QWidget window;
    grid::TMDBGrid* grid = new grid::TMDBGrid(&window);
    QLineEdit* other = new QLineEdit(&window);
    testsupport::MessageRecorder messages;

    void SetUp() override {
        for (int i = 0; i < 10; ++i) people.rows.push_back({"Name" + std::to_string(i), std::to_string(1 + i % 3)});
        cities.Open();
        people.AddLookupField({"City", 20, "CityId", &cities, "Id", "Town"});
        people.Open();
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        window.resize(760, 300);
        grid->SetDataSource(&source);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
    }
    grid::TDBGridInplaceEdit* Editor() const { return grid->findChild<grid::TDBGridInplaceEdit*>(); }
    QLineEdit* Line() const { return Editor()->LineEdit(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = Editor() && Editor()->isVisible() ? static_cast<QWidget*>(Line()) : grid->viewport();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }
    void Type(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Line(), &typed);
        }
    }
    void Include(TDBGridOption option) {
        grid::TDBGridOptions options = grid->Options();
        options.Include(option);
        grid->SetOptions(options);
    }
};

TEST_F(Editable, CellEventsReadThePaintedRecordWithoutMovingTheCursor) {
    people.SetRecNo(6);
    Texts seen;
    grid->OnGetCellParams = [&](grid::TCustomMDBGrid&, grid::TDBGColumn& column, QFont&, QColor&, unsigned) {
        if (column.FieldName() == "Name") seen.push_back(column.Field()->AsString() + people.FieldByName("City").AsString());
        EXPECT_EQ(people.RecNo(), 6);
    };
    grid->viewport()->grab();
    ASSERT_EQ(static_cast<int>(seen.size()), grid->DataLink().RecordCount());
    const char* towns[] = {"Москва", "Омск", "Тверь"};
    for (size_t row = 0; row < seen.size(); ++row) {
        const int record = grid->DataLink().RecordIndexAt(static_cast<int>(row));
        EXPECT_EQ(seen[row], "Name" + std::to_string(record) + towns[record % 3]);
    }
    EXPECT_EQ(people.FieldByName("Name").AsString(), "Name5");
    // A write would go to another record than the one read: refused, told once.
    people.Edit();
    grid->OnGetCellParams = [](grid::TCustomMDBGrid&, grid::TDBGColumn& column, QFont&, QColor&, unsigned) {
        column.Field()->SetAsString("x");
    };
    grid->viewport()->grab();
    grid->viewport()->grab();
    QApplication::processEvents();
    EXPECT_EQ(messages.Texts(), Texts{"Cannot modify a record while it is being drawn"});
}

TEST_F(Editable, EditorTakesNoMoreThanTheFieldAndHandsOnWhatItCannotUse) {
    Include(TDBGridOption::dgAlwaysShowEditor);
    Line()->selectAll();
    QTest::keyClicks(Line(), "abcdefgh");
    EXPECT_EQ(Line()->text(), "abcde") << "Name holds 5 characters";
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->SelectedIndex(), 1) << "Right at the text's end";
    EXPECT_EQ(people.FieldByName("Name").AsString(), "abcde");
    Line()->setCursorPosition(1);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->SelectedIndex(), 0) << "Left moves the caret, then at the start the cell";
    messages.SetAnswer(platform::mrOk);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messages.Texts(), Texts{"Delete record?"});
    EXPECT_EQ(people.rows.size(), 9u);

    // OnKeyDown takes keys, OnKeyPress changes or drops characters, OnKeyUp
    // hears releases, in the editor as in the grid.
    int released = 0;
    grid->OnKeyDown = [](grid::TCustomMDBGrid&, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Down || key == Qt::Key_Home) key = 0;
    };
    grid->OnKeyPress = [](grid::TCustomMDBGrid&, QString& key) { key = key == "x" ? "y" : key == "z" ? "" : key; };
    grid->OnKeyUp = [&](grid::TCustomMDBGrid&, int&, Qt::KeyboardModifiers) { ++released; };
    Key(Qt::Key_Down);
    Line()->setCursorPosition(2);
    Key(Qt::Key_Home);
    Line()->clear();
    QTest::keyClicks(Line(), "xzq");
    EXPECT_EQ(std::tuple(people.RecNo(), Line()->cursorPosition(), Line()->text()), std::tuple(1, 2, QString("yq")));
    EXPECT_GE(released, 3);
}

TEST_F(Editable, LookupListShowsTheRowsAndWritesTheChosenKey) {
    grid->SetSelectedIndex(2);
    ASSERT_EQ(grid->Columns()[2].EditStyle(), grid::TEditStyle::esDataList);
    people.SetRecNo(2);  // key 2: Омск
    Key(Qt::Key_F2);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Editor()->ListVisible());
    EXPECT_EQ(std::pair(Editor()->DataList()->count(), Editor()->DataList()->currentRow()), std::pair(3, 1));
    Key(Qt::Key_Down);
    EXPECT_EQ(Line()->text(), "Тверь") << "the editor follows the list";
    Key(Qt::Key_Escape);
    EXPECT_EQ(Line()->text(), "Омск");
    Key(Qt::Key_Down, Qt::AltModifier);
    Type("Мо");
    Key(Qt::Key_Return);
    Key(Qt::Key_Down);
    EXPECT_EQ(people.rows[1][1], "1") << "the key was written";
    // The whole text selected, Delete clears the lookup and its key.
    Key(Qt::Key_Up);
    Key(Qt::Key_F2);
    EXPECT_EQ(Line()->text(), "Москва");
    Line()->selectAll();
    Key(Qt::Key_Delete);
    Key(Qt::Key_Down);
    EXPECT_EQ(people.rows[1][1], "");
    // A town whose text holds a tab is chosen whole.
    cities.rows[2][1] = "Тверь\tСевер";
    Key(Qt::Key_Up);
    Key(Qt::Key_F2);
    Key(Qt::Key_Down, Qt::AltModifier);
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_EQ(Line()->text(), "Тверь\tСевер");
    Key(Qt::Key_Down);
    EXPECT_EQ(people.rows[1][1], "3");
    // Over an empty or a closed source the list opens empty, a row high.
    Key(Qt::Key_F2);
    cities.rows.clear();
    for (const char* state : {"empty", "closed"}) {
        Key(Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(Editor()->ListVisible()) << state;
        EXPECT_GE(Editor()->DataList()->height(), Editor()->DataList()->ItemHeight()) << state;
        Key(Qt::Key_Escape);
        cities.Close();
    }
    EXPECT_TRUE(messages.Texts().empty());
    people.FieldByName("CityId").SetReadOnly(true);
    EXPECT_EQ(grid->Columns()[2].EditStyle(), grid::TEditStyle::esSimple) << "no list where the key cannot be written";
}

TEST_F(Editable, AFieldFocusedGoesToOneGridAndAnotherWindowIsNoExit) {
    auto* second = new grid::TMDBGrid(&window);
    second->SetDataSource(&source);
    int exited = 0;
    grid->OnExit = [&](grid::TCustomMDBGrid&) { ++exited; };
    people.FieldByName("CityId").FocusControl();
    EXPECT_TRUE(Line()->hasFocus() && second->SelectedIndex() == 0) << "the first grid took the field";
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_EQ(exited, 0);
}

TEST_F(Editable, FocusFieldSettingsAndLayoutRoutines) {
    int entered = 0;
    int exited = 0;
    grid->OnEnter = [&](grid::TCustomMDBGrid&) { ++entered; };
    grid->OnExit = [&](grid::TCustomMDBGrid&) { ++exited; };
    other->setFocus();
    people.FieldByName("CityId").FocusControl();
    EXPECT_TRUE(grid->SelectedIndex() == 1 && Line()->hasFocus()) << "the field's cell is edited";
    Key(Qt::Key_Escape);
    EXPECT_EQ(std::pair(entered, exited), std::pair(1, 1)) << "between grid and editor is neither";

    // Display settings of a field move no record: the selection stays.
    Include(TDBGridOption::dgMultiSelect);
    grid->SelectedRows().SetCurrentRowSelected(true);
    people.FieldByName("Name").SetAlignment(db::TAlignment::taRightJustify);
    people.FieldByName("Name").SetReadOnly(true);
    EXPECT_EQ(grid->SelectedRows().Count(), 1);
    EXPECT_FALSE(grid->TabStops(1));

    // Titles as high as their own fonts, however small; footers raise the
    // button event too.
    QFont big("Sans", 24);
    QFont small("Sans", 7);
    grid->SetTitleFont(big);
    for (int i = 0; i < grid->Columns().Count(); ++i) grid->Columns()[i].Title().SetFont(small);
    const int titles = grid->RowHeights(0);
    EXPECT_TRUE(titles > QFontMetrics(small).height() && titles < QFontMetrics(big).height()) << titles;
    int buttons = 0;
    grid->OnGetBtnParams = [&](grid::TCustomMDBGrid&, grid::TDBGColumn&, QFont&, QColor& back, grid::TSortMarker&,
                               bool) { ++buttons, back = Qt::red; };
    Include(TDBGridOption::dgFooters);
    const QImage image = grid->viewport()->grab().toImage();
    EXPECT_EQ(buttons, 2 * grid->Columns().Count());
    EXPECT_EQ(image.pixelColor(grid->CellRect(1, grid->RowCount() - 1).center()), QColor(Qt::red));

    grid->BeginLayout();
    grid->SetFrozenCols(1);
    grid->DeferLayout();
    EXPECT_EQ(grid->FixedCols(), 1);
    QApplication::processEvents();
    EXPECT_EQ(grid->FixedCols(), 2) << "laid out when the event loop came round";

    // Fields made anew (a lookup added while closed) leave nothing stale.
    grid->Columns().Clear();
    people.Close();
    people.AddLookupField({"Town2", 20, "CityId", &cities, "Id", "Town"});
    people.Open();
    ASSERT_EQ(grid->Columns().Count(), 4);
    EXPECT_EQ(grid->Columns()[3].Field(), people.FindField("Town2"));
}

TEST_F(Editable, PressesNeedTheFocusAndDragsGoFromGridToGrid) {
    // A field that keeps the focus while it holds a value it refuses.
    struct Stubborn : QLineEdit {
        void focusOutEvent(QFocusEvent* event) override {
            QLineEdit::focusOutEvent(event);
            if (text() == "!") setFocus();
        }
    };
    auto* stubborn = new Stubborn;
    window.layout()->addWidget(stubborn);
    stubborn->show();
    stubborn->setText("!");
    stubborn->setFocus();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 4).center());
    EXPECT_EQ(people.RecNo(), 1) << "the grid could not take the focus";
    stubborn->setText("");

    auto* target = new grid::TMDBGrid;
    window.layout()->addWidget(target);
    QApplication::processEvents();
    Texts events;
    grid->SetDragMode(grid::TDragMode::dmAutomatic);
    grid->OnStartDrag = [&](grid::TCustomMDBGrid&) { events.push_back("start"); };
    grid->OnEndDrag = [&](grid::TCustomMDBGrid&, QObject* to, int, int) { events.push_back(to ? "end on it" : "end"); };
    target->OnDragOver = [&](grid::TCustomMDBGrid&, QObject* from, int, int, grid::TDragState state, bool& accept) {
        events.push_back(state == grid::TDragState::dsDragEnter ? "enter" : "over");
        accept = from == grid;
    };
    target->OnDragDrop = [&](grid::TCustomMDBGrid&, QObject*, int, int) { events.push_back("drop"); };
    const QPoint from = grid->CellRect(1, 4).center();
    const QPoint to = grid->viewport()->mapFromGlobal(target->viewport()->mapToGlobal(QPoint(20, 40)));
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid->viewport(), from + QPoint(1, 1));
    EXPECT_TRUE(people.RecNo() == 4 && !grid->Dragging()) << "not before the pointer moved far enough";
    QTest::mouseMove(grid->viewport(), to);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(events, (Texts{"start", "enter", "over", "drop", "end on it"}));
    // A grid that does not say it takes drops takes none.
    target->OnDragOver = nullptr;
    events.clear();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid->viewport(), to);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(events, (Texts{"start", "end"}));
}

} // namespace
