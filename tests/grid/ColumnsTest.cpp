// Grid columns, titles, footers and checkboxes: defaults that follow the
// field until assigned, change reports, moves and streaming.
#include "GridTestHost.h"
#include "platform/db/MemDataSet.h"

#include "grid/TColumnCheckbox.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TPassthroughColumn.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

using grid::TColumnValue;
using grid::TDBGColumn;
using grid::TDBGGridColumns;
using Events = std::vector<std::string>;

struct Fixture {
    testsupport::MemDataSet ds{{{"Name", 20}, {"Age", 3}, {"City", 15}},
                               {{"Анна", "25", "Тверь"}, {"Борис", "31", "Омск"}}};
    testsupport::GridTestHost host;
    TDBGGridColumns columns{&host};

    Fixture() {
        ds.Open();
        host.dataSet = &ds;
        host.linkActive = true;
    }
    // Columns as the grid's own layout makes them, one per field.
    void AddPassthroughColumns() {
        for (int i = 0; i < ds.FieldCount(); ++i)
            columns.AddItem(std::make_unique<grid::TPassthroughColumn>(columns)).SetField(&ds.Fields(i));
        host.Take();
    }
    int DigitWidth(const QFont& font) const { return QFontMetrics(font).horizontalAdvance(QLatin1Char('0')); }
};

TEST(GridColumns, DefaultsFollowTheFieldUntilAssignedAndRestore) {
    Fixture f;
    TDBGColumn& c = f.columns.Add();
    c.SetFieldName("name");
    ASSERT_EQ(c.Field(), &f.ds.Fields(0));
    EXPECT_EQ(c.FieldName(), "Name") << "the field's own spelling";

    f.ds.Fields(0).SetDisplayLabel("Имя");
    f.ds.Fields(0).SetDisplayWidth(10);
    EXPECT_EQ(c.Title().Caption(), "Имя");
    EXPECT_EQ(c.Width(), 10 * f.DigitWidth(f.host.font) + 4);

    // Setting the default width on an unassigned column stores nothing.
    c.SetWidth(c.Width());
    EXPECT_FALSE(c.AssignedValues().Has(TColumnValue::cvWidth));
    f.ds.Fields(0).SetDisplayWidth(12);
    EXPECT_EQ(c.Width(), 12 * f.DigitWidth(f.host.font) + 4);

    c.SetWidth(90);
    c.SetColor(Qt::yellow);
    c.Title().SetCaption("Кто");
    c.Footer().SetText("Итого");
    c.Checkbox().SetActive(true);
    c.Checkbox().SetColor(Qt::red);
    f.ds.Fields(0).SetDisplayWidth(30);
    f.ds.Fields(0).SetDisplayLabel("Name2");
    f.host.color = Qt::blue;
    EXPECT_EQ(c.Width(), 90);
    EXPECT_EQ(c.Title().Caption(), "Кто");

    c.RestoreDefaults();
    EXPECT_TRUE(c.AssignedValues().IsEmpty());
    EXPECT_EQ(c.Width(), 30 * f.DigitWidth(f.host.font) + 4);
    EXPECT_EQ(c.Color(), QColor(Qt::blue));
    EXPECT_EQ(c.Title().Caption(), "Name2");
    EXPECT_EQ(c.Footer().Text(), "");
    EXPECT_TRUE(c.Checkbox().Active()) << "restoring keeps a checkbox column";
    EXPECT_EQ(c.Checkbox().Color(), QColor(Qt::black));

    // Without a grid a missing field leaves the column empty.
    TDBGGridColumns loose(nullptr);
    TDBGColumn& l = loose.Add();
    l.SetFieldName("Nope");
    EXPECT_EQ(l.Field(), nullptr);
    EXPECT_EQ(l.Width(), 64);
    EXPECT_EQ(l.Title().Caption(), "Nope");
}

TEST(GridColumns, EveryChangeIsReportedOnce) {
    Fixture f;
    TDBGColumn& c = f.columns.Add();
    EXPECT_EQ(f.host.Take(), (Events{"begin layout", "end layout"})) << "a new column is one layout";
    f.columns.Add().SetFieldName("Age");
    c.SetFieldName("Name");
    const std::string width = std::to_string(c.Width());
    const Events one{"paint col 1", "width 1 " + width};
    f.host.Take();

    c.SetColor(Qt::green);
    EXPECT_EQ(f.host.Take(), one);
    c.SetColor(Qt::green);
    EXPECT_EQ(f.host.Take(), Events{}) << "an equal assigned value is no change";
    c.Title().SetSortMarker(grid::TSortMarker::smUp);
    c.Footer().SetAlignment(db::TAlignment::taRightJustify);
    c.Checkbox().SetValueTrue(QString("да"));
    EXPECT_EQ(f.host.Take(), (Events{one[0], one[1], one[0], one[1], one[0], one[1]}));
    c.Title().SetFont(QFont("Serif", 14));
    EXPECT_EQ(f.host.Take(), Events{"layout"}) << "a title font changes the title row";
    c.Checkbox().RestoreDefaults();
    EXPECT_EQ(f.host.Take(), one) << "a checkbox's restore repaints like any change";
    c.SetFieldName("City");
    EXPECT_EQ(f.host.Take().size(), 2u);
    c.Footer().SetText("x");
    c.RestoreDefaults();
    f.host.Take();
    c.Footer().SetText("x");
    f.host.Take();
    c.RestoreDefaults();
    EXPECT_EQ(f.host.Take().size(), 2u) << "title, footer and checkbox restore in one report";

    f.columns.Items(1).Assign(c);
    EXPECT_EQ(f.host.Take(), Events{"layout"});
    EXPECT_EQ(f.columns.Items(1).FieldName(), "City");
    f.columns.BeginUpdate();
    c.SetWidth(10);
    c.SetReadOnly(true);
    f.columns.EndUpdate();
    EXPECT_EQ(f.host.Take(), Events{"layout"});

    f.host.options.Include(grid::TDBGridOption::dgAutoFitColumns);
    c.SetAlignment(db::TAlignment::taCenter);
    EXPECT_EQ(f.host.Take(), Events{"paint col 1"}) << "fitted widths stay the grid's";
    f.host.loading = true;
    c.SetAlignment(db::TAlignment::taLeftJustify);
    EXPECT_EQ(f.host.Take(), Events{});
}

TEST(GridColumns, CustomColumnsMoveAndABadTargetRaises) {
    Fixture f;
    TDBGGridColumns custom(&f.host);
    for (const char* name : {"City", "Name", "Age"}) custom.Add().SetFieldName(name);
    EXPECT_EQ(custom.State(), grid::TDBGridColumnsState::csCustomized);
    custom.ColumnMoved(2, 0);
    EXPECT_EQ(custom[0].FieldName(), "Age");
    EXPECT_EQ(custom[1].FieldName(), "City");
    EXPECT_THROW(custom.ColumnMoved(0, 3), grid::EInvalidGridOperation);
}

TEST(GridColumns, GeneratedColumnsWriteThroughToTheField) {
    Fixture f;
    f.AddPassthroughColumns();
    TDBGColumn& c = f.columns[1];
    c.Title().SetCaption("Возраст");
    c.SetAlignment(db::TAlignment::taRightJustify);
    c.SetReadOnly(true);
    c.SetWidth(10 * f.DigitWidth(c.Font()) + 4);
    EXPECT_EQ(f.ds.Fields(1).DisplayLabel(), "Возраст");
    EXPECT_EQ(f.ds.Fields(1).Alignment(), db::TAlignment::taRightJustify);
    EXPECT_TRUE(f.ds.Fields(1).ReadOnly());
    EXPECT_EQ(f.ds.Fields(1).DisplayWidth(), 10);
    EXPECT_TRUE(c.AssignedValues().IsEmpty());
    EXPECT_EQ(c.Title().Caption(), "Возраст");

    // A generated column ahead of a customized one keeps the default state.
    f.columns.Add().SetFieldName("City");
    EXPECT_EQ(f.columns.State(), grid::TDBGridColumnsState::csDefault);
    c.SetField(nullptr);
    EXPECT_EQ(c.FieldName(), "");
}

TEST(GridColumns, StoredValuesSurviveARoundTrip) {
    Fixture f;
    TDBGColumn& c = f.columns.Add();
    c.SetFieldName("Name");
    c.SetWidth(c.Width());  // the default: not stored
    c.SetColor(f.host.color);  // assigned but equal to the default: not stored
    c.SetFont(QFont("Serif", 9));
    c.SetPickList({"Анна", "Борис"});
    c.SetDropDownRows(3);
    c.SetButtonStyle(grid::TColumnButtonStyle::cbsEllipsis);
    c.Title().SetCaption("Имя");
    c.Title().SetTitleButton(true);
    c.Title().SetSortMarker(grid::TSortMarker::smDown);
    c.Footer().SetText("Итого: 2");
    c.Checkbox().SetActive(true);
    c.Checkbox().SetCheckType(grid::TCheckType::ctCross);
    c.Checkbox().SetValueTrue(1);  // equal to the default "1": not stored
    c.Checkbox().SetValueFalse(QString("нет"));
    f.columns.Add().SetFieldName("Age");

    const auto stored = f.columns.Store();
    ASSERT_EQ(stored.size(), 2u);
    std::vector<std::string> names;
    for (const auto& p : stored[0]) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"ButtonStyle", "DropDownRows", "FieldName", "Font", "PickList",
                                               "Title.Caption", "Title.TitleButton", "Title.SortMarker",
                                               "Footer.Text", "Checkbox.Active", "Checkbox.CheckType",
                                               "Checkbox.ValueFalse"}));

    TDBGGridColumns copy(&f.host);
    copy.Add();
    copy.Load(stored);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy[0].Font(), QFont("Serif", 9));
    EXPECT_EQ(copy[0].Title().Caption(), "Имя");
    EXPECT_EQ(copy[0].Checkbox().CheckType(), grid::TCheckType::ctCross);
    EXPECT_EQ(copy[0].PickList(), QStringList({"Анна", "Борис"}));
    EXPECT_EQ(copy[1].Field(), &f.ds.Fields(1));
    for (int i = 0; i < 2; ++i) {
        const auto again = copy.Store()[static_cast<size_t>(i)];
        ASSERT_EQ(again.size(), stored[static_cast<size_t>(i)].size());
        for (size_t k = 0; k < again.size(); ++k) EXPECT_EQ(again[k].Value, stored[static_cast<size_t>(i)][k].Value);
    }

    TDBGGridColumns assigned(nullptr);
    assigned.Assign(f.columns);
    EXPECT_EQ(assigned[0].Footer().Text(), "Итого: 2");
    EXPECT_EQ(assigned[0].Title().SortMarker(), grid::TSortMarker::smDown);
}

} // namespace
