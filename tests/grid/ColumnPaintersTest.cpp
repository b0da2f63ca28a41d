// The footer text and checkbox painters, checked pixel by pixel, and the
// cut of a cell's text to what can be seen.
#include "grid/CheckMarkTables.h"
#include "grid/ColumnPainters.h"
#include "grid/TColumnCheckbox.h"
#include "grid/TColumnFooter.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels Drawn(const QImage& image) {
    Pixels out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) out.insert({x, y});
    return out;
}

template <class Strokes>
Pixels Expected(QPoint o, const Strokes* strokes) {
    Pixels out;
    for (int i = 0; i < grid::CheckboxSize; ++i) {
        out.insert({o.x() + i, o.y()});
        out.insert({o.x() + i, o.y() + 10});
        out.insert({o.x(), o.y() + i});
        out.insert({o.x() + 10, o.y() + i});
    }
    if (strokes)
        for (const auto& s : *strokes)
            for (int y = s.From; y < s.To; ++y) out.insert({o.x() + s.Dx, o.y() + y});
    return out;
}

Pixels PaintBox(const QRect& cell, bool checked, grid::TCheckType type) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    grid::DrawCheckbox(painter, cell, checked, type, Qt::red);
    painter.end();
    return Drawn(image);
}

TEST(ColumnPainters, CheckboxBoxAndMarksArePixelExact) {
    const QRect cell(7, 5, 20, 18);
    const QPoint o = grid::CheckboxOrigin(cell);
    EXPECT_EQ(o, QPoint(11, 8));
    EXPECT_EQ(PaintBox(cell, false, grid::TCheckType::ctCheck), Expected<decltype(grid::CheckMark)>(o, nullptr));
    EXPECT_EQ(PaintBox(cell, true, grid::TCheckType::ctCheck), Expected(o, &grid::CheckMark));
    EXPECT_EQ(PaintBox(cell, true, grid::TCheckType::ctCross), Expected(o, &grid::CrossMark));
    // A cell narrower than the box still centres it (rounding towards zero).
    EXPECT_EQ(grid::CheckboxOrigin(QRect(0, 0, 8, 8)), QPoint(-1, -1));
}

TEST(ColumnPainters, CheckedValuesAndFooterText) {
    grid::TDBGGridColumns columns(nullptr);
    grid::TDBGColumn& column = columns.Add();
    grid::TColumnCheckbox& box = column.Checkbox();
    EXPECT_TRUE(box.IsChecked("1"));
    EXPECT_FALSE(box.IsChecked("0"));
    EXPECT_FALSE(box.IsChecked("да"));
    EXPECT_FALSE(box.IsChecked(""));
    box.SetValueTrue(QString(""));
    EXPECT_TRUE(box.IsChecked("")) << "an empty text is a value";
    EXPECT_FALSE(box.IsChecked("", true)) << "a null field is never checked";
    box.SetValueTrue(1);
    EXPECT_TRUE(box.IsChecked("1.0"));
    EXPECT_FALSE(box.IsChecked("x"));
    box.SetValueTrue(QString("Да"));
    EXPECT_TRUE(box.IsChecked("Да"));

    // The text sits in the footer cell itself, whatever the grid scrolled.
    EXPECT_EQ(grid::FooterTextRect(QRect(100, 200, 60, 20), 16), QRect(103, 204, 55, 12));

    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const QRect cell(10, 10, 80, 24);
    grid::DrawFooterText(painter, cell, 20, column.Footer());
    EXPECT_TRUE(Drawn(image).empty()) << "an unassigned footer shows nothing";
    column.Footer().SetText("Итого: 12 анкет, из них новых 3");
    column.Footer().SetAlignment(db::TAlignment::taRightJustify);
    grid::DrawFooterText(painter, cell, 20, column.Footer());
    painter.end();
    const Pixels text = Drawn(image);
    ASSERT_FALSE(text.empty());
    for (const auto& [x, y] : text) {
        EXPECT_GE(x, 13);
        EXPECT_LE(x, 88) << "the long text is cut with an ellipsis";
    }
}

TEST(ColumnPainters, ACellsTextIsCutToWhatCanBeSeen) {
    const std::string huge(10'000'000, 'x');
    const QString line = grid::ShownCellText(huge, QRect(0, 0, 80, 18), 14, false);
    const QString lines = grid::ShownCellText(huge, QRect(0, 0, 80, 42), 14, true);
    EXPECT_TRUE(line.size() > 80 && line.size() <= 200 && line == QString(line.size(), 'x')) << line.size();
    EXPECT_TRUE(lines.size() > 3 * 80 && lines.size() <= 5 * 200) << lines.size();
    EXPECT_EQ(grid::ShownCellText("Анна", QRect(0, 0, 2, 18), 14, false), "Анна");
}

} // namespace
