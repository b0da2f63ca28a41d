// The data grid over a table of profiles: layout from the fields, moving
// through the records by keys, mouse, wheel and scroll bar, selections,
// deleting, title clicks and buttons, frozen columns, column moves and
// sizes, and the pixels of a rendered grid.
#include "grid/TMDBGrid.h"

#include "data/TFriend.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGridInplaceEdit.h"
#include "grid/TGridDataLink.h"
#include "grid/TRecordmarkList.h"
#include "platform/BitmapResource.h"
#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWheelEvent>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using grid::TDBGridOption;
using grid::TMDBGrid;

// A profile table whose records the dataset itself may delete, as a table
// behind an editable grid does.
class DeletableFriends : public data::TFriend {
protected:
    bool GetCanModify() const override { return true; }
    void InternalDelete(int recordIndex) override { DeleteNode(recordIndex); }
};

// 1,000 profiles "Name0".."Name999", logins "login0".., ages 18..67.
void Fill(data::TFriend& table, int count) {
    for (int i = 0; i < count; ++i)
        table.AddFriend("Name" + std::to_string(i), "login" + std::to_string(i), "http://site.example/" + std::to_string(i),
                        "Area", 18 + i % 50, i % 2, 0, i % 7, 0, 0, "18-30");
    table.Open();
}

struct GridFixture : ::testing::Test {
    DeletableFriends table;
    db::TDataSource source{&table};
    struct : TMDBGrid { using TCustomGrid::GetEditText, TCustomGrid::SetEditText; } grid;

    void SetUp() override {
        Fill(table, 1000);
        grid.resize(420, 260);
        grid.SetDataSource(&source);
        for (int i = 0; i < grid.Columns().Count(); ++i) grid.Columns()[i].SetWidth(60);
        grid.show();
        QApplication::processEvents();
    }
    int RecNo() const { return table.RecNo(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid.viewport(), static_cast<Qt::Key>(key), modifiers);
    }
    QPoint CellCentre(int col, int row) const {
        return grid.CellRect(col, row).intersected(grid.viewport()->rect()).center();
    }
    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid.viewport(), button, modifiers, CellCentre(col, row));
    }
    QImage Render() { return grid.viewport()->grab().toImage(); }
};

TEST_F(GridFixture, RowHeightsAndOptionsRefuseWhatCannotHold) {
    const int fontRow = QFontMetrics(grid.font()).height() + 3 + 1;
    grid.SetRowsHeight(40);
    EXPECT_TRUE(grid.WrapAllowed());
    grid.SetRowsHeight(-5);
    EXPECT_EQ(grid.RowsHeight(), 0);
    EXPECT_EQ(grid.DefaultRowHeight(), fontRow);
    EXPECT_FALSE(grid.WrapAllowed());

    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgRowSelect);
    options.Include(TDBGridOption::dgAlwaysShowEditor);
    grid.SetOptions(options);
    EXPECT_FALSE(grid.Options().Has(TDBGridOption::dgEditing));
    EXPECT_FALSE(grid.Options().Has(TDBGridOption::dgAlwaysShowEditor));

    options.Exclude(TDBGridOption::dgIndicator);
    options.Exclude(TDBGridOption::dgTitles);
    grid.SetOptions(options);
    EXPECT_EQ(grid.ColCount(), 12);
    EXPECT_EQ(grid.RowCount(), grid.DataLink().RecordCount());
    EXPECT_EQ(grid.FixedRows(), 0);
}

TEST_F(GridFixture, FrozenColumnsStayAndAreClampedToTheColumns) {
    grid.SetFrozenCols(1);
    EXPECT_EQ(grid.FixedCols(), 2);
    grid.SetFrozenCols(-1);
    EXPECT_EQ(grid.FrozenCols(), 1) << "a negative count is ignored";
    // Moving left never reaches the frozen column; scrolling keeps it.
    Key(Qt::Key_Home);
    EXPECT_EQ(grid.SelectedIndex(), 1);
    grid.SetLeftCol(6);
    EXPECT_EQ(grid.CellRect(1, 1).left(), 12) << "the frozen column stays beside the indicator";
    EXPECT_FALSE(grid.CellRect(2, 1).isValid());
    grid.SetFrozenCols(50);
    EXPECT_EQ(grid.FrozenCols(), 50);
    EXPECT_EQ(grid.FixedCols(), 12) << "all but the last column, not more than exist";
    EXPECT_EQ(grid.SelectedIndex(), 11);
    Render();
}

TEST_F(GridFixture, ColumnsFitTheClientProportionally) {
    grid::TDBGGridColumns& columns = grid.Columns();
    columns.Clear();
    for (const char* name : {"Name", "Login", "Age"}) {
        grid::TDBGColumn& column = columns.Add();
        column.SetFieldName(name);
        column.SetWidth(50);
    }
    grid::TDBGridOptions options = grid.Options();
    options.Exclude(TDBGridOption::dgIndicator);
    options.Exclude(TDBGridOption::dgColLines);
    options.Include(TDBGridOption::dgAutoFitColumns);
    grid.SetOptions(options);
    const int available = grid.viewport()->width();
    const int share = (available * 50 + 75) / 150;
    EXPECT_EQ(grid.ColWidths(0), share);
    EXPECT_EQ(grid.ColWidths(1), share);
    EXPECT_EQ(grid.ColWidths(2), available - 2 * share) << "the rounding remainder goes to the last column";
    grid.resize(200, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid.ColWidths(0) + grid.ColWidths(1) + grid.ColWidths(2), grid.viewport()->width());
    // Turning fitting off gives the columns their own widths back.
    options.Exclude(TDBGridOption::dgAutoFitColumns);
    grid.SetOptions(options);
    EXPECT_EQ(grid.ColWidths(1), 50);
    // Base widths that are all 0 fit without a division by zero.
    options.Include(TDBGridOption::dgAutoFitColumns);
    grid.SetOptions(options);
    for (int i = 0; i < 3; ++i) columns[i].SetAutoFitBaseWidth(0);
    grid.LayoutChanged();
    EXPECT_EQ(grid.ColWidths(2), grid.viewport()->width());
}

TEST_F(GridFixture, KeysWheelAndScrollBarMoveTheCursorAndTheWindowFollows) {
    const int rows = grid.DataLink().RecordCount();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(grid.Row(), 3);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 3 + rows);
    EXPECT_EQ(grid.Row(), rows) << "the window moved so the record is on the last row";
    Key(Qt::Key_Up);
    EXPECT_EQ(grid.Row(), rows - 1);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 1) << "Ctrl+Up goes to the first row shown";
    EXPECT_EQ(RecNo(), 4);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1000);
    EXPECT_EQ(grid.DataLink().RecordIndexAt(rows - 1), 999);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_End);
    EXPECT_EQ(grid.SelectedIndex(), 11) << "End goes to the last column";
    EXPECT_EQ(RecNo(), 1);

    // Three lines per notch of the wheel, and the scroll bar's thumb, go by record number.
    QWheelEvent wheel(QPointF(50, 50), grid.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &wheel);
    EXPECT_EQ(RecNo(), 1 + QApplication::wheelScrollLines());
    QScrollBar* bar = grid.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 1000);
    bar->setSliderPosition(500);
    bar->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_EQ(RecNo(), 500);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(RecNo(), 501) << "a line down shows the record after the window";
    EXPECT_EQ(grid.DataLink().RecordIndexAt(0), 501 - rows);
    EXPECT_EQ(bar->value(), RecNo());
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(RecNo(), 1);

    // A click moves to the record under the pointer; a drag below the
    // rows moves on past the window while it is held.
    Key(Qt::Key_Home);
    Click(2, 5);
    EXPECT_EQ(RecNo(), 5);
    EXPECT_EQ(grid.SelectedIndex(), 1);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2, 5));
    QTest::mouseMove(grid.viewport(), CellCentre(2, 7));
    EXPECT_EQ(RecNo(), 7);
    QTest::mouseMove(grid.viewport(), QPoint(CellCentre(2, 7).x(), grid.viewport()->height() + 5));
    for (int i = 0; i < 200 && RecNo() <= rows; ++i) QTest::qWait(10);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(2, 7));
    EXPECT_GT(RecNo(), rows) << "timed scrolling went past the window";
}

TEST_F(GridFixture, PaintingReadsRecordsWithoutMovingTheCursor) {
    table.SetRecNo(500);
    std::vector<int> painted;
    std::vector<std::string> names;
    int cursor = 500;
    grid.OnDrawColumnCell = [&](grid::TCustomMDBGrid& sender, QPainter&, const QRect&, int dataCol,
                                grid::TDBGColumn&, platform::GridDrawState) {
        if (dataCol != 0) return;
        painted.push_back(sender.PaintingRecord());
        names.push_back(table.FieldText(sender.PaintingRecord(), 0));
        EXPECT_EQ(table.RecNo(), cursor);
    };
    Render();
    EXPECT_EQ(table.RecNo(), 500);
    ASSERT_EQ(static_cast<int>(painted.size()), grid.DataLink().RecordCount());
    EXPECT_EQ(painted.back(), 499) << "the window ends on the current record";
    table.SetRecNo(1000);
    cursor = 1000;
    painted.clear();
    names.clear();
    Render();
    EXPECT_EQ(painted.back(), 999);
    EXPECT_EQ(names.back(), "Name999");
}

TEST_F(GridFixture, CtrlAndShiftSelectRowsAndChangesOfTheDataClearThem) {
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgMultiSelect);
    grid.SetOptions(options);
    grid::TRecordmarkList& selected = grid.SelectedRows();
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(selected.Count(), 4) << "the anchor row and the three reached";
    Key(Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(selected.Count(), 3) << "going back unselects the row left";
    EXPECT_EQ(selected.Items(2).index, 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(selected.Count(), 0) << "a move without Shift clears";

    Click(1, 2);
    Click(1, 5, Qt::LeftButton, Qt::ControlModifier);
    Click(1, 7, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(selected.Count(), 3);
    Click(1, 5, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(selected.Count(), 2) << "Ctrl toggles";
    EXPECT_EQ(selected.Items(1).index, 6);
    Click(1, 3, Qt::RightButton);
    EXPECT_EQ(selected.Count(), 1) << "a right press on an unselected row selects only it";
    Click(1, 3);
    EXPECT_EQ(selected.Count(), 1);
    // The footer is no data cell: no cell click, no selection.
    options.Include(TDBGridOption::dgFooters);
    grid.SetOptions(options);
    int clicks = 0;
    grid.OnCellClick = [&](grid::TDBGColumn&) { ++clicks; };
    Click(2, grid.RowCount() - 1);
    Click(2, grid.RowCount() - 1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(clicks, selected.Count(), grid.Col()), std::tuple(0, 1, 1));

    table.Fields(0).SetIndex(1);
    EXPECT_EQ(selected.Count(), 1) << "moving a field moves no record";
    table.DeleteNode(900);
    EXPECT_EQ(selected.Count(), 0) << "bookmarks are positions: removing a record drops them";
    Click(1, 3, Qt::LeftButton, Qt::ControlModifier);
    options.Exclude(TDBGridOption::dgMultiSelect);
    grid.SetOptions(options);
    EXPECT_EQ(selected.Count(), 0);
}

TEST_F(GridFixture, CtrlDeleteAsksAndDeletesTheSelectedRowsOrTheCurrentOne) {
    testsupport::MessageRecorder messages;
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgMultiSelect);
    grid.SetOptions(options);
    // One record: the current one.
    Click(1, 3);
    messages.SetAnswer(platform::mrOk);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(messages.Texts(), std::vector<std::string>{"Delete record?"});
    EXPECT_EQ(table.RecordCount(), 999);
    EXPECT_EQ(table.FieldText(2, 0), "Name3");

    // Two selected: both go, not the current record.
    Click(1, 2);
    Click(1, 4, Qt::LeftButton, Qt::ControlModifier);
    Click(1, 6, Qt::LeftButton, Qt::ControlModifier);
    Click(1, 6, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(grid.SelectedRows().Count(), 2);
    messages.SetAnswer(platform::mrCancel);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messages.Texts().back(), "Delete all selected records?");
    EXPECT_EQ(table.RecordCount(), 999) << "Cancel deletes nothing";
    messages.SetAnswer(platform::mrOk);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table.RecordCount(), 997);
    EXPECT_EQ(table.FieldText(0, 0), "Name0");
    EXPECT_EQ(table.FieldText(1, 0), "Name3");
    EXPECT_EQ(table.FieldText(2, 0), "Name5");
    EXPECT_EQ(table.FieldText(3, 0), "Name6");

    // Without the option nothing is asked; a read-only grid deletes nothing.
    options.Exclude(TDBGridOption::dgConfirmDelete);
    grid.SetOptions(options);
    const size_t asked = messages.Calls().size();
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table.RecordCount(), 996);
    EXPECT_EQ(messages.Calls().size(), asked);
    grid.SetReadOnly(true);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table.RecordCount(), 996);
}

TEST_F(GridFixture, TitleClicksAndTitleButtons) {
    std::vector<std::string> events;
    grid.OnTitleClick = [&](grid::TDBGColumn& column) { events.push_back("title " + column.FieldName()); };
    grid.OnTitleBtnClick = [&](grid::TCustomMDBGrid&, int acol, grid::TDBGColumn&) {
        events.push_back("button " + std::to_string(acol));
    };
    grid.OnCellClick = [&](grid::TDBGColumn& column) { events.push_back("cell " + column.FieldName()); };
    Click(2, 0);
    Click(1, 3);
    EXPECT_EQ(events, (std::vector<std::string>{"title Login", "cell Name"}));

    // A title button is drawn pressed while held over it and raises both events.
    events.clear();
    grid.Columns()[0].Title().SetTitleButton(true);
    const QPoint title = CellCentre(1, 0);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, title);
    const QRgb pressed = Render().pixel(grid.CellRect(1, 0).topLeft());
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, title);
    const QRgb raised = Render().pixel(grid.CellRect(1, 0).topLeft());
    EXPECT_NE(pressed, raised) << "sunken, then raised again";
    EXPECT_EQ(events, (std::vector<std::string>{"button 0", "title Name"}));
    // Released elsewhere it is no button click; OnCheckButton can refuse it.
    events.clear();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, title);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(1, 3));
    EXPECT_TRUE(events.empty() || events == std::vector<std::string>{"cell Name"});
    events.clear();
    grid.OnCheckButton = [](grid::TCustomMDBGrid&, int, grid::TDBGColumn&, bool& enabled) { enabled = false; };
    Click(1, 0);
    EXPECT_EQ(events, std::vector<std::string>{"title Name"});

    // A right press and release drags like a left one and is a title click.
    events.clear();
    Click(2, 0, Qt::RightButton);
    EXPECT_EQ(events, std::vector<std::string>{"title Login"});
}

TEST_F(GridFixture, ColumnsAreMovedAndSizedByMouseWithoutATitleClick) {
    std::vector<std::string> events;
    grid.OnTitleClick = [&](grid::TDBGColumn& column) { events.push_back(column.FieldName()); };
    std::vector<std::pair<int, int>> moves;
    grid.OnColumnMoved = [&](grid::TCustomMDBGrid&, int from, int to) { moves.emplace_back(from, to); };
    grid.SetLeftCol(2);  // Login, URL, ... in view
    const QPoint from = CellCentre(2, 0);
    const QPoint to = CellCentre(3, 0);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(grid.viewport(), to);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(grid.Columns()[2].FieldName(), "Login");
    EXPECT_EQ(table.Fields(2).FieldName(), "Login") << "a default column moves its field";
    EXPECT_TRUE(events.empty()) << "a drag is no title click";

    // Sizing by the title's right border gives the column its new width.
    const QRect cell = grid.CellRect(2, 0);
    const QPoint border(cell.left() + cell.width(), cell.center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, border);
    QTest::mouseMove(grid.viewport(), border + QPoint(30, 0));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, border + QPoint(30, 0));
    EXPECT_EQ(grid.ColWidths(2), cell.width() + 30);
    EXPECT_EQ(grid.Columns()[1].Width(), cell.width() + 30);
    EXPECT_TRUE(events.empty());

    // With row sizing, dragging a row's border in the indicator sets the height of every data row.
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgRowSizing);
    grid.SetOptions(options);
    const QRect row = grid.CellRect(0, 2);
    const QPoint rowBorder(row.center().x(), row.top() + row.height());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, rowBorder);
    QTest::mouseMove(grid.viewport(), rowBorder + QPoint(0, 12));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, rowBorder + QPoint(0, 12));
    EXPECT_EQ(grid.RowsHeight(), row.height() + 12);
    EXPECT_EQ(grid.RowHeights(5), row.height() + 12);
}

TEST_F(GridFixture, ACollapsedColumnIsWidenedFromItsOwnBorder) {
    // A press on a column of 1 or 0 pixels or right of it sizes it, not its left neighbour.
    for (int width : {1, 0}) for (int dx = 0; dx <= 3; ++dx) {
        grid.SetColWidths(2, width);
        const QPoint at(grid.CellRect(2, 0).left() + dx, 5);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(grid.viewport(), at + QPoint(40, 0));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, at + QPoint(40, 0));
        EXPECT_EQ(std::pair(grid.ColWidths(1), grid.ColWidths(2)), std::pair(60, dx + 40)) << width << " px, " << dx;
    }
}

TEST_F(GridFixture, TheEditorOpensOnTheCurrentCellAndEscapeDropsItsText) {
    Click(2, 2);
    EXPECT_EQ(grid.InplaceEditor(), nullptr) << "a press on another cell only moves";
    Click(2, 2);
    auto* editor = grid.findChild<grid::TDBGridInplaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible()) << "a press on the current cell edits it";
    EXPECT_EQ(editor->Text(), "login1");
    QTest::keyClicks(editor->LineEdit(), "X");
    EXPECT_EQ(table.State(), db::TDataSetState::dsEdit);
    Render();
    // The first Escape drops the editor's text, the second the record's edit.
    QTest::keyClick(editor->LineEdit(), Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(table.State(), db::TDataSetState::dsEdit);
    Key(Qt::Key_Escape);
    EXPECT_EQ(table.State(), db::TDataSetState::dsBrowse);
    EXPECT_EQ(table.FieldText(1, 1), "login1");
    Key(Qt::Key_F2);
    EXPECT_TRUE(editor->isVisible());
    // The base grid's text of a cell is its field's; the one it stores is edited (see the fixture's grid).
    EXPECT_EQ(grid.GetEditText(2, 5), QStringLiteral("login1"));
    grid.SetEditText(2, 5, QStringLiteral("new"));
    Key(Qt::Key_Return);
    EXPECT_EQ(table.FieldText(1, 1), "new");
}

// How the favourites window drives its grid: read-only whole rows, its own
// columns with widths and sort markers, title clicks, double clicks, and a
// data source that is detached and attached again around every change.
TEST(MDBGridRoad, FavouritesGridSortsByTitleClicksAndSelectsWholeRows) {
    data::TFriend table;
    Fill(table, 40);
    db::TDataSource source;
    TMDBGrid grid;
    grid.SetDataSource(&source);
    grid.SetReadOnly(true);
    grid.SetOptions({TDBGridOption::dgTitles, TDBGridOption::dgColumnResize, TDBGridOption::dgColLines,
                     TDBGridOption::dgRowLines, TDBGridOption::dgRowSelect, TDBGridOption::dgAlwaysShowSelection});
    const char* fields[] = {"Name", "Age", "Area", "Login", "RealUser", "VipUser", "PhotoCount", "VideoCount", "Intim"};
    for (const char* field : fields) {
        grid::TDBGColumn& column = grid.Columns().Add();
        column.SetFieldName(field);
        column.Title().SetAlignment(db::TAlignment::taCenter);
    }
    grid.resize(520, 200);
    grid.show();
    int clicks = 0;
    grid.OnTitleClick = [&](grid::TDBGColumn& clicked) {
        ++clicks;
        for (int i = 0; i < grid.Columns().Count(); ++i) {
            grid::TColumnTitle& title = grid.Columns()[i].Title();
            title.SetSortMarker(&grid.Columns()[i] != &clicked ? grid::TSortMarker::smNone
                                : title.SortMarker() == grid::TSortMarker::smUp ? grid::TSortMarker::smDown
                                                                                : grid::TSortMarker::smUp);
        }
        source.SetDataSet(nullptr);
        source.SetDataSet(&table);
    };
    int doubleClicks = 0;
    grid.OnDblClick = [&](grid::TCustomMDBGrid&) { ++doubleClicks; };

    for (int i = 0; i < grid.Columns().Count(); ++i) grid.Columns()[i].SetWidth(60);
    source.SetDataSet(&table);
    QApplication::processEvents();
    EXPECT_EQ(grid.ColCount(), 9);
    EXPECT_EQ(grid.Columns()[1].Field()->FieldName(), "Age");
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(grid.Columns()[1].Title().SortMarker(), grid::TSortMarker::smDown);
    EXPECT_EQ(grid.Columns()[1].Width(), 60) << "widths survive the source going and coming back";
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(3, 4).center());
    EXPECT_EQ(table.RecNo(), 4);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(3, 4).center());
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(grid.InplaceEditor(), nullptr) << "a read-only row grid never edits";
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(table.RecNo(), 5);
    EXPECT_EQ(table.RecordCount(), 40) << "Down at a read-only table's rows appends nothing";
}

// A small grid whose pixels are checked where the glyphs and the footer go.
TEST(MDBGridPicture, IndicatorGlyphsSortMarkersAndFooter) {
    DeletableFriends table;
    Fill(table, 6);
    db::TDataSource source(&table);
    TMDBGrid grid;
    grid.Columns().Add().SetFieldName("Name");
    grid.Columns().Add().SetFieldName("Age");
    grid.Columns()[0].SetWidth(90);
    grid.Columns()[1].SetWidth(70);
    grid.Columns()[0].Title().SetSortMarker(grid::TSortMarker::smDown);
    grid.Columns()[1].Title().SetSortMarker(grid::TSortMarker::smUp);
    grid.Columns()[1].Footer().SetText("Всего 6");
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgMultiSelect);
    options.Include(TDBGridOption::dgFooters);
    grid.SetOptions(options);
    grid.resize(200, 190);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::processEvents();
    table.SetRecNo(3);
    grid.SelectedRows().SetCurrentRowSelected(true);
    table.SetRecNo(2);
    grid.SelectedRows().SetCurrentRowSelected(true);
    table.SetRecNo(5);
    grid.SelectedRows().SetCurrentRowSelected(true);
    table.SetRecNo(2);
    const QImage image = grid.viewport()->grab().toImage();

    // Each indicator glyph sits where the painter puts it; compare its pixels.
    auto glyphAt = [&](const QImage& image, int row, const char* name) {
        const QImage glyph = platform::LoadBitmapResource(name).toImage();
        const QRect cell = grid.CellRect(0, row);
        const QPoint origin(cell.left() + cell.width() - glyph.width() - 1,
                            cell.top() + (cell.height() - glyph.height()) / 2);
        int black = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x) {
                if (qAlpha(glyph.pixel(x, y)) < 255) continue;
                if (image.pixel(origin + QPoint(x, y)) != glyph.pixel(x, y)) {
                    ADD_FAILURE() << name << " " << x << "," << y << " " << std::hex << image.pixel(origin + QPoint(x, y)) << " " << glyph.pixel(x, y);
                    return false;
                }
                ++black;
            }
        return black > 0;
    };
    EXPECT_TRUE(glyphAt(image, 2, "MDBMULTIARROW")) << "the current selected row";
    EXPECT_TRUE(glyphAt(image, 3, "MDBMULTIDOT")) << "a selected row";
    EXPECT_TRUE(glyphAt(image, 5, "MDBMULTIDOT"));
    EXPECT_EQ(image.pixel(grid.CellRect(0, 4).center()), grid.FixedColor().rgb()) << "no glyph on other rows";
    options.Exclude(TDBGridOption::dgMultiSelect);
    grid.SetOptions(options);
    const QImage plain = grid.viewport()->grab().toImage();

    // Sort markers: right-aligned 4 pixels from the title's edge, centred.
    auto markerAt = [&](const QImage& picture, int col, const char* name) {
        const QImage glyph = platform::LoadBitmapResource(name).toImage();
        const QRect cell = grid.CellRect(col, 0);
        const QPoint origin(cell.left() + cell.width() - glyph.width() - 4,
                            cell.top() + (cell.height() - glyph.height()) / 2);
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (qAlpha(glyph.pixel(x, y)) == 255 && picture.pixel(origin + QPoint(x, y)) != glyph.pixel(x, y))
                    return false;
        return true;
    };
    EXPECT_TRUE(markerAt(plain, 1, "MDBSMDOWN"));
    EXPECT_TRUE(markerAt(plain, 2, "MDBSMUP"));

    // The footer is the last row, flush with the bottom edge, with its text.
    const QRect footer = grid.CellRect(2, grid.RowCount() - 1);
    EXPECT_EQ(footer.bottom(), grid.viewport()->height() - 1);
    EXPECT_GE(grid.RowHeights(grid.RowCount() - 2), 0);
    int dark = 0;
    for (int x = footer.left() + 3; x < footer.right() - 2; ++x)
        for (int y = footer.top(); y <= footer.bottom(); ++y)
            if (qGray(plain.pixel(x, y)) < 100) ++dark;
    EXPECT_GT(dark, 10) << "the footer text is written";
    EXPECT_TRUE(glyphAt(plain, 2, "MDBGARROW")) << "the current row without selection";

    // A grid too low for its rows keeps the footer on the edge and no spacer below zero.
    grid.resize(200, 60);
    QApplication::processEvents();
    EXPECT_EQ(grid.CellRect(2, grid.RowCount() - 1).bottom(), grid.viewport()->height() - 1);
    EXPECT_GE(grid.RowHeights(grid.RowCount() - 2), 0);

    // Captions "A|b" over adjacent columns share a group cell above them.
    grid.resize(200, 190);
    const int singleTitle = grid.RowHeights(0);
    grid.Columns()[0].Title().SetCaption("Анкета|Имя");
    grid.Columns()[1].Title().SetCaption("Анкета|Возраст");
    options.Include(TDBGridOption::dgMultilineTitle);
    grid.SetOptions(options);
    QApplication::processEvents();
    EXPECT_GT(grid.RowHeights(0), singleTitle);
}
} // namespace
