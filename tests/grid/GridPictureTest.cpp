// The grid rendered onto a magenta background: every pixel of the title and
// footer rows is painted over, rows keep the data row height, title groups
// cover their own columns only, sorted titles keep their whole caption and
// an empty grid draws no row; rows that gave way to the footer draw nothing
// on the title, the rows below the data are none, and columns of any width
// keep the geometry.
#include "grid/TMDBGrid.h"

#include "data/TFriend.h"
#include "grid/TColumnCheckbox.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TGridDataLink.h"
#include "grid/TRecordmarkList.h"
#include "platform/db/MemDataSet.h"
#include "platform/db/TDataSource.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>

namespace {

using grid::TDBGridOption;

const QColor kHole(255, 0, 255);

class Friends : public data::TFriend {
protected:
    bool GetCanModify() const override { return true; }
};

// The grid whose cells can be painted one by one.
struct CellGrid : grid::TMDBGrid {
    using grid::TMDBGrid::DrawCell;
};

struct Picture : ::testing::Test {
    Friends table;
    db::TDataSource source{&table};
    CellGrid grid;

    void Show(int records, std::initializer_list<std::pair<const char*, const char*>> columns, TDBGridOption option) {
        for (int i = 0; i < records; ++i)
            table.AddFriend("Name" + std::to_string(i), "login" + std::to_string(i), "http://site.example/", "Омск",
                            18 + i, 0, 0, 0, 0, 0, "18-30");
        if (records > 0) table.Open();
        for (const auto& [field, caption] : columns) {
            grid::TDBGColumn& column = grid.Columns().Add();
            column.SetFieldName(field);
            column.Title().SetCaption(caption);
            column.SetWidth(70);
        }
        grid::TDBGridOptions options = grid.Options();
        options.Include(option);
        grid.SetOptions(options);
        Resize(330, 200);
        grid.SetDataSource(&source);
        grid.show();
    }
    void Resize(int width, int height) {
        grid.resize(width, height);
        QApplication::processEvents();
    }
    QImage Render() {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        image.fill(kHole);
        grid.viewport()->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    // Background pixels left in a row.
    int Holes(const QImage& image, int row) {
        const QRect cells = grid.CellRect(0, row);
        int holes = 0;
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            for (int x = 0; x < image.width(); ++x) holes += image.pixelColor(x, y) == kHole;
        return holes;
    }
    void ExpectWhole(const char* when) {
        SCOPED_TRACE(when);
        const int rows = grid.DataLink().RecordCount();
        for (int row = 1; row <= rows; ++row) EXPECT_EQ(grid.RowHeights(row), grid.DefaultRowHeight()) << row;
        ASSERT_EQ(grid.RowCount(), rows + 3) << "title, records, spacer, footer";
        EXPECT_EQ(grid.CellRect(1, rows + 2).bottom(), grid.viewport()->height() - 1);
        const QImage image = Render();
        EXPECT_EQ(Holes(image, 0) + Holes(image, rows + 2), 0);
    }
    bool Black(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); }
    template <class P> int Count(const QImage& image, const QRect& r, P is) {  // the pixels of r that `is` takes
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += is(image.pixelColor(x, y));
        return n;
    }
};

TEST_F(Picture, FooterStaysAtTheBottomAndRowsKeepTheirHeight) {
    Show(3, {{"Name", "Имя"}, {"Age", "Возраст"}}, TDBGridOption::dgFooters);
    grid.Columns()[1].Footer().SetText("Всего 3");
    ExpectWhole("opened");
    Resize(330, 320);
    ExpectWhole("grown");
    const int title = grid.RowHeights(0);
    Resize(0, 0);
    Resize(330, 200);
    ExpectWhole("shrunk to nothing and back");
    EXPECT_EQ(grid.RowHeights(0), title) << "the title takes its height back";
    table.AddFriend("Новый", "new", "http://site.example/new", "Омск", 30, 0, 0, 0, 0, 0, "");
    ExpectWhole("a record appended");
    table.SetRecNo(2);
    table.Insert();
    ASSERT_EQ(grid.DataLink().RecordCount(), 5);
    ExpectWhole("a record being inserted");
    table.Cancel();
    // Too short for a data row: it gives way to the footer.
    Resize(420, 40);
    const int footer = grid.RowCount() - 1;
    EXPECT_EQ(grid.CellRect(1, footer).bottom(), grid.viewport()->height() - 1);
    EXPECT_EQ(Holes(Render(), footer), 0);
    table.ClearRecords();
    Resize(330, 200);
    EXPECT_EQ(grid.CellRect(1, 3).bottom(), grid.viewport()->height() - 1) << "emptied";
    // The column lines go on through the empty row to the footer.
    const QImage empty = Render();
    const int line = grid.CellRect(1, 1).right() + 1;
    for (int y = grid.CellRect(1, 1).top(); y < grid.CellRect(1, 3).top(); ++y)
        ASSERT_NE(empty.pixelColor(line, y), grid.Color()) << y;
}

TEST_F(Picture, EveryTitleLevelIsSeenAndTheBandsMeet) {
    Show(2, {{"Name", ""}, {"Login", ""}}, TDBGridOption::dgMultilineTitle);
    // Leaves are written with the grid's title font the bands are measured with.
    grid.Columns()[0].Title().SetFont(QFont("Sans", 30));
    QFont leafFont;
    grid.OnGetBtnParams = [&](grid::TCustomMDBGrid&, grid::TDBGColumn& column, QFont& font, QColor&, grid::TSortMarker&,
                              bool) { leafFont = column.Index() == 0 ? font : leafFont; };
    for (int levels : {2, 50}) {
        std::string path;
        for (int k = 1; k < levels; ++k) path += "L" + std::to_string(k) + "|";
        grid.Columns()[0].Title().SetCaption(path + "a");
        grid.Columns()[1].Title().SetCaption(path + "b");
        const int band = (grid.RowHeights(0) + 1) / levels;
        ASSERT_EQ(grid.RowHeights(0), levels * band - 1) << "levels of one text line each";
        Resize(330, levels * band + 100);
        const QImage image = Render();
        // Level k from the top: its band, then its line right above the next.
        const int left = grid.CellRect(1, 0).left();
        const int right = grid.CellRect(2, 0).right();
        for (int k = 1; k <= levels; ++k) {
            const QRect inside(left + 1, (k - 1) * band + 1, right - left - 1, band - 4);
            EXPECT_GT(Count(image, inside, [](QColor c) { return qGray(c.rgb()) < 100; }), 0) << levels << ": " << k;
            if (k == levels) continue;
            EXPECT_TRUE(Black(image, left, k * band - 1) && Black(image, right, k * band - 1)) << levels << ": " << k;
        }
    }
    EXPECT_EQ(leafFont, grid.TitleFont());
}

TEST_F(Picture, TitleGroupsCoverTheirOwnColumnsOnly) {
    Show(4,
         {{"Name", "Анкета|Имя"}, {"Login", "Анкета|Логин"}, {"Age", "Возраст"}, {"Area", "Место|Город"},
          {"URL", "Место|Адрес"}, {"AgeRange", "Ищет"}},
         TDBGridOption::dgMultilineTitle);
    grid.Columns()[0].Title().SetSortMarker(grid::TSortMarker::smUp);
    // The y of the black line under the groups.
    int line = 0;
    for (const QImage image = Render(); line < grid.RowHeights(0) && !Black(image, 15, line);) ++line;
    ASSERT_LT(line, grid.RowHeights(0));
    // The line runs to the group's last column and not into the next one.
    auto check = [&](const char* when, int last, int next) {
        SCOPED_TRACE(when);
        const QImage image = Render();
        EXPECT_EQ(Holes(image, 0), 0);
        EXPECT_TRUE(Black(image, grid.CellRect(last, 0).right() - 2, line));
        EXPECT_FALSE(Black(image, grid.CellRect(next, 0).left() + 1, line));
    };
    check("plain", 2, 3);
    grid.SetFrozenCols(1);
    check("a group across the frozen edge", 2, 3);
    grid.SetFrozenCols(2);
    check("two frozen columns", 2, 3);
    // Логин scrolled away behind the frozen Имя: nothing of the group may
    // reach over Возраст.
    grid.SetFrozenCols(1);
    grid.SetLeftCol(3);
    ASSERT_TRUE(grid.CellRect(2, 0).isEmpty());
    check("scrolled", 1, 3);
    // Beside a column of no width, also one frozen last, the groups stay.
    grid.SetLeftCol(1);
    grid.Columns()[2].SetWidth(0);
    check("beside a column of no width", 5, 6);
    grid.SetFrozenCols(3);
    check("beside one frozen last", 5, 6);
    EXPECT_TRUE(Black(Render(), grid.CellRect(1, 0).left() + 1, line));
    // A title cell painted alone leaves nothing of itself unpainted.
    QImage cell(grid.CellRect(4, 0).size(), QImage::Format_RGB32);
    cell.fill(kHole);
    QPainter painter(&cell);
    grid.DrawCell(painter, 4, 0, cell.rect(), platform::gdFixed);
    painter.end();
    EXPECT_EQ(cell.pixelColor(cell.width() / 2, 1), grid.Columns()[3].Title().Color()) << "the groups' band";
    grid.Columns()[2].SetWidth(70);
    grid.SetFrozenCols(0);
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgAutoFitColumns);
    grid.SetOptions(options);
    ASSERT_NE(grid.ColWidths(1), 70);
    check("fitted", 2, 3);
    check("fitted, the second group", 5, 6);
}

TEST_F(Picture, SortedTitlesKeepTheirCaptionAndEmptyGridsDrawNoRow) {
    Show(0, {{"Name", "Имя"}, {"Age", "Возраст"}}, TDBGridOption::dgTitles);
    const QImage empty = Render();
    for (int y = grid.RowHeights(0) + 1; y < empty.height(); y += 3)
        for (int x = 0; x < empty.width(); x += 3) ASSERT_EQ(empty.pixelColor(x, y), grid.Color()) << x << "," << y;

    grid.Columns()[1].SetWidth(30);
    grid.Columns()[1].Title().SetSortMarker(grid::TSortMarker::smDown);
    const int caption = QFontMetrics(grid.TitleFont()).horizontalAdvance(QStringLiteral("Возраст"));
    EXPECT_GE(grid.ColWidths(2), caption + 4 + 16) << "room for the caption and the marker";
    EXPECT_EQ(grid.Columns()[1].Width(), 30);
    grid.Columns()[1].Title().SetSortMarker(grid::TSortMarker::smNone);
    EXPECT_EQ(grid.ColWidths(2), 30);
}

TEST_F(Picture, ACheckboxNarrowerThanItsBoxStaysInItsCell) {
    Show(3, {{"RealUser", "Да"}, {"Name", "Имя"}}, TDBGridOption::dgTitles);
    grid::TDBGColumn& narrow = grid.Columns()[0];
    narrow.SetWidth(5);
    narrow.Checkbox().SetActive(true);
    narrow.Checkbox().SetColor(Qt::red);
    const QImage image = Render();
    const QRect column(grid.CellRect(1, 1).left(), 0, 5, image.height());
    auto red = [](QColor c) { return c == QColor(Qt::red); };
    EXPECT_GT(Count(image, column, red), 0);
    EXPECT_EQ(Count(image, image.rect(), red), Count(image, column, red));
}

TEST_F(Picture, RowsThatGaveWayDrawNothingOnTheTitle) {
    Show(3, {{"Name", "Имя"}}, TDBGridOption::dgFooters);
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    const int title = grid.RowHeights(0);
    const int frame = grid.height() - grid.viewport()->height();
    const QRect above(0, 0, grid.viewport()->width(), title + 1);  // the title and its line
    for (int kept : {5, 0}) {
        // Title, the current row, the spacer and the footer with their lines.
        Resize(330, title + kept + grid.RowHeights(grid.RowCount() - 1) + 3 + frame);
        ASSERT_EQ(grid.RowHeights(1), kept);
        const QImage focused = Render();
        grid.clearFocus();
        EXPECT_EQ(focused.copy(above), Render().copy(above)) << kept << " px: the focus frame";
        grid.setFocus();
        const QRect indicator(0, 0, grid.ColWidths(0), title + 1);
        EXPECT_EQ(Count(focused, indicator, [](QColor c) { return c == Qt::black; }), 0) << kept << " px: the glyph";
    }
}

TEST_F(Picture, TheSpacerAndTheFooterAreNoDataRows) {
    Show(3, {{"Name", "Имя"}, {"Age", "Возраст"}}, TDBGridOption::dgFooters);
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgMultiSelect);
    grid.SetOptions(options);
    int clicks = 0;
    grid.OnCellClick = [&](grid::TDBGColumn&) { ++clicks; };
    const QRect spacer = grid.CellRect(1, grid.RowCount() - 2);
    ASSERT_GT(spacer.height(), 10);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, spacer.center());
    EXPECT_EQ(std::pair(clicks, grid.SelectedRows().Count()), std::pair(0, 0));

    // At every height of a row's pitch the rows shown keep their height.
    for (int i = 3; i < 50; ++i) table.AddFriend("Name" + std::to_string(i), "", "", "", 20, 0, 0, 0, 0, 0, "");
    for (int height = 150; height <= 150 + grid.RowHeights(1); ++height) {
        Resize(330, height);
        for (int row = 1; row <= grid.DataLink().RecordCount(); ++row)
            ASSERT_EQ(grid.RowHeights(row), grid.DefaultRowHeight()) << height << ": " << row;
    }
    // A drag onto the footer scrolls on a row at a time, not to its row number.
    table.First();
    const int shown = grid.DataLink().RecordCount();
    const QPoint footer = grid.CellRect(1, grid.RowCount() - 1).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 3).center());
    for (int dx : {0, 2, 4}) QTest::mouseMove(grid.viewport(), footer + QPoint(dx, 0));
    EXPECT_EQ(table.RecNo(), 3);
    for (int i = 0; i < 200 && table.RecNo() == 3; ++i) QTest::qWait(5);
    EXPECT_EQ(table.RecNo(), shown + 1);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, footer);
}

TEST_F(Picture, AnEmptiedTableMakesTheBlankRowCurrentNeverTheFooter) {
    Show(12, {{"Name", "Имя"}}, TDBGridOption::dgFooters);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, grid.RowCount() - 3).center());  // held
    table.ClearRecords();
    EXPECT_EQ(std::pair(grid.Row(), grid.RowCount()), std::pair(1, 4)) << "title, blank row, spacer, footer";
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton);
}

// Huge texts are cut before they are laid out wherever they are drawn (a
// picture records the texts drawn), and measured as far as they are seen.
TEST_F(Picture, TextsAreCutWhereTheyAreDrawn) {
    const std::string huge(1000000, 'x');
    testsupport::MemDataSet texts{{{"Name", 0}}, {{huge}}};
    texts.Open();
    source.SetDataSet(&texts);
    Show(0, {{"Name", ""}, {"Name", ""}}, TDBGridOption::dgFooters);
    grid.Columns()[1].Title().SetCaption(huge);
    grid.Columns()[1].Footer().SetText(huge);
    QFont none = grid.font();  // letters that take no room: the footer shows all it is given
    none.setLetterSpacing(QFont::AbsoluteSpacing, -QFontMetricsF(none).horizontalAdvance('x'));
    grid.Columns()[1].Footer().SetFont(none);
    auto recorded = [&] { QPicture picture; grid.viewport()->render(&picture); return picture.size(); };
    EXPECT_LT(recorded(), 100000u) << "a cell, a title and a footer";
    grid.SetOptions(grid::TDBGridOptions(grid.Options().Bits() | grid::TDBGridOptions{TDBGridOption::dgMultilineTitle}.Bits()));
    grid.Columns()[1].Title().SetCaption(huge + "|" + huge);
    EXPECT_LT(recorded(), 100000u) << "a group and a leaf";
    grid.Columns()[1].Title().SetCaption(QString("аб ").repeated(100000).toStdString());
    Resize(330, 10000);
    EXPECT_EQ(grid.RowHeights(1), 0) << "measured again for a higher grid, the title takes the rows' room";
}

TEST_F(Picture, ColumnsOfAnyWidthKeepTheGeometry) {
    Show(3, {{"Name", "A|Имя"}, {"Login", "A|Логин"}, {"Age", "Возраст"}}, TDBGridOption::dgMultilineTitle);
    for (int i : {0, 1}) {
        grid.Columns()[i].SetWidth(INT_MAX);
        grid.Columns()[i].SetAutoFit(false);
    }
    grid.SetFrozenCols(2);
    EXPECT_EQ(grid.ColWidths(1), platform::MaxCellSize);
    EXPECT_TRUE(grid.CellRect(3, 1).isEmpty()) << "past two such columns";
    EXPECT_EQ(Holes(Render(), 0), 0);
    // More of them than an int can sum up, half of them frozen.
    for (int i = 0; i < 300; ++i) {
        grid::TDBGColumn& column = grid.Columns().Add();
        column.SetFieldName("Login");
        column.SetWidth(INT_MAX);
        column.SetAutoFit(false);
    }
    grid.SetFrozenCols(150);
    EXPECT_TRUE(grid.CellRect(303, 1).isEmpty()) << "the last behind the frozen ones";
    grid.SetLeftCol(303);
    EXPECT_EQ(grid.LeftCol(), 303) << "reached by scrolling";
    grid::TDBGridOptions options = grid.Options();
    options.Include(TDBGridOption::dgAutoFitColumns);
    grid.SetOptions(options);
    EXPECT_EQ(grid.ColWidths(3), 0) << "no room is left to fit";
}

} // namespace
