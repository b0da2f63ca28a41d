#include "platform/TCustomGrid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

namespace {

using platform::GridCoord;
using platform::GridOption;
using platform::TCustomGrid;

// A grid that records what the base grid tells it.
class RecordingGrid : public TCustomGrid {
public:
    RecordingGrid() {
        SetColCount(6);
        SetRowCount(200);
        SetDefaultColWidth(50);
        SetDefaultRowHeight(20);
        resize(300 + 2 * frameWidth(), 200 + 2 * frameWidth());
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        show();
    }
    std::vector<std::pair<int, int>> drawn;
    std::vector<std::pair<int, int>> moved;
    int widthChanges = 0;
    int refusedRow = -1;

    void PaintAll() {
        QImage image(viewport()->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        drawn.clear();
        Paint(painter, image.rect());
    }

protected:
    void DrawCell(QPainter& p, int col, int row, const QRect& rect, platform::GridDrawState state) override {
        drawn.emplace_back(col, row);
        TCustomGrid::DrawCell(p, col, row, rect, state);
    }
    bool SelectCell(int, int row) override { return row != refusedRow; }
    void ColumnMoved(int from, int to) override { moved.emplace_back(from, to); }
    void ColWidthsChanged() override { ++widthChanges; }
};

TEST(CustomGrid, GeometryFollowsFixedCellsScrollingAndLines) {
    RecordingGrid grid;
    // 50 + 1 pixel line per column, 20 + 1 per row; one fixed row and column.
    EXPECT_EQ(grid.CellRect(0, 0), QRect(0, 0, 50, 20));
    EXPECT_EQ(grid.CellRect(2, 3), QRect(102, 63, 50, 20));
    EXPECT_EQ(grid.MouseCoord(102, 63), (GridCoord{2, 3}));
    EXPECT_EQ(grid.MouseCoord(152, 83), (GridCoord{2, 3})) << "the lines belong to the cell before them";
    EXPECT_EQ(grid.MouseCoord(299, 500), GridCoord{});
    EXPECT_EQ(grid.VisibleColCount(), 4);  // 51 fixed + 4 * 51 = 255 <= 300
    EXPECT_EQ(grid.VisibleRowCount(), 8);  // 21 fixed + 8 * 21 = 189 <= 200

    grid.SetTopRow(10);
    EXPECT_EQ(grid.TopRow(), 10);
    EXPECT_TRUE(grid.CellRect(2, 5).isEmpty()) << "a scrolled-out row has no rectangle";
    EXPECT_EQ(grid.CellRect(2, 10), QRect(102, 21, 50, 20));
    EXPECT_EQ(grid.MouseCoord(102, 21), (GridCoord{2, 10}));
    EXPECT_EQ(grid.MouseCoord(10, 21), (GridCoord{0, 10})) << "fixed columns stay at the left";

    // Scrolling past the end stops where the last row is still whole.
    grid.SetTopRow(100000);
    EXPECT_EQ(grid.TopRow(), 200 - 8);
    grid.SetLeftCol(-3);
    EXPECT_EQ(grid.LeftCol(), 1);
    grid.SetFixedCols(10);
    EXPECT_EQ(grid.FixedCols(), 5) << "at least one column stays scrollable";
}

TEST(CustomGrid, PaintDrawsEveryShownCellOnceAndNothingElse) {
    RecordingGrid grid;
    grid.SetTopRow(150);
    grid.PaintAll();
    std::set<std::pair<int, int>> cells(grid.drawn.begin(), grid.drawn.end());
    EXPECT_EQ(cells.size(), grid.drawn.size());
    // 6 columns (300 px hold 5 whole and a part of the sixth) x (title + 9 rows, the last one cut).
    EXPECT_EQ(grid.drawn.size(), 6u * 10u);
    EXPECT_TRUE(cells.count({0, 0}));
    EXPECT_TRUE(cells.count({5, 150}));
    EXPECT_FALSE(cells.count({1, 149}));
}

TEST(CustomGrid, KeysMoveTheCurrentCellAndSelectCellCanRefuse) {
    RecordingGrid grid;
    auto press = [&](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QCoreApplication::sendEvent(&grid, &event);
    };
    press(Qt::Key_Down);
    press(Qt::Key_Right);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 2);
    press(Qt::Key_PageDown);
    EXPECT_EQ(grid.Row(), 10);
    EXPECT_EQ(grid.TopRow(), 3) << "the current row is scrolled into view";
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 199);
    press(Qt::Key_Home);
    EXPECT_EQ(grid.Col(), 1);
    grid.refusedRow = 198;
    press(Qt::Key_Up);
    EXPECT_EQ(grid.Row(), 199) << "a refused cell keeps the old one";
    grid.SetOptions(grid.Options() | GridOption::Tabs);
    grid.refusedRow = -1;
    grid.MoveColRow(5, 100, true, true);
    grid.SetTabStops(1, false);
    press(Qt::Key_Tab);
    EXPECT_EQ(grid.Col(), 2) << "Tab wraps to the next row and skips columns without a tab stop";
    EXPECT_EQ(grid.Row(), 101);
}

TEST(CustomGrid, MouseSizesAndMovesColumnsAndTellsOnce) {
    RecordingGrid grid;
    grid.SetOptions(grid.Options() | GridOption::ColSizing | GridOption::ColMoving);
    grid.show();
    QWidget* view = grid.viewport();
    // Drag the border after column 1 (at x = 101) 30 pixels to the right.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(101, 10));
    QTest::mouseMove(view, QPoint(120, 10));
    QTest::mouseMove(view, QPoint(131, 10));
    EXPECT_EQ(grid.ColWidths(1), 50) << "the width is applied on release";
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(131, 10));
    EXPECT_EQ(grid.ColWidths(1), 80);
    EXPECT_EQ(grid.widthChanges, 1);

    // Drag the title of column 1 onto column 3: its width goes with it.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(40 + 51, 10));
    QTest::mouseMove(view, QPoint(200, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(200, 10));
    ASSERT_EQ(grid.moved.size(), 1u);
    EXPECT_EQ(grid.moved[0], std::make_pair(1, 3));
    EXPECT_EQ(grid.ColWidths(3), 80);
    EXPECT_EQ(grid.ColWidths(1), 50);

    // A press and release on a title without moving moves nothing.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_EQ(grid.moved.size(), 1u);

    // A click on a data cell makes it current.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 2);
}

TEST(CustomGrid, TheEditorFollowsTheCurrentCell) {
    RecordingGrid grid;
    grid.SetOptions(grid.Options() | GridOption::Editing);
    grid.show();
    grid.ShowEditor();
    ASSERT_NE(grid.InplaceEditor(), nullptr);
    EXPECT_EQ(grid.InplaceEditor()->geometry(), grid.CellRect(1, 1));
    grid.MoveColRow(3, 4, true, true);
    EXPECT_EQ(grid.InplaceEditor()->geometry(), grid.CellRect(3, 4));
    grid.SetOptions(grid.Options() | GridOption::RowSelect);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_FALSE(grid.InplaceEditor()->isVisible()) << "row selection takes the editor away";
}

} // namespace
