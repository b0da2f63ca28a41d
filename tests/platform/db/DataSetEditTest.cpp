// Browse, edit and insert states of the dataset base.
#include "MemDataSet.h"

#include "platform/db/TField.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ExpectError;
using testsupport::MemDataSet;
using Rows = std::vector<std::vector<std::string>>;

MemDataSet Editable(Rows rows) { return MemDataSet({{"Name", 20}, {"Age", 3}}, std::move(rows), true); }

TEST(DataSetEdit, ReadOnlyDataSetRefusesEveryChange) {
    MemDataSet ds({{"Name", 20}}, {{"Анна"}});
    ds.Open();
    EXPECT_FALSE(ds.CanModify());
    EXPECT_FALSE(ds.Fields(0).CanModify());
    for (auto op : {&db::TDataSet::Edit, &db::TDataSet::Insert, &db::TDataSet::Append, &db::TDataSet::Delete})
        ExpectError([&] { (ds.*op)(); }, "Cannot modify a read-only dataset");
    EXPECT_EQ(ds.State(), db::TDataSetState::dsBrowse);
    EXPECT_EQ(ds.rows.size(), 1u);
    ExpectError([&] { ds.Fields(0).SetAsString("x"); }, "Dataset not in edit or insert mode");
    ExpectError([&] { ds.Post(); }, "Dataset not in edit or insert mode");
}

TEST(DataSetEdit, EditShowsTheNewTextUntilCancelAndPostWritesIt) {
    MemDataSet ds = Editable({{"Анна", "25"}, {"Борис", "31"}});
    ds.Open();
    ds.Next();
    ds.Edit();
    EXPECT_EQ(ds.State(), db::TDataSetState::dsEdit);
    ds.FieldByName("Name").SetAsString("Бронислав");
    EXPECT_TRUE(ds.Modified());
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "Бронислав");
    EXPECT_EQ(ds.FieldText(1, 0), "Бронислав") << "painting controls see the edit";
    EXPECT_EQ(ds.FieldText(0, 0), "Анна");
    ds.Cancel();
    EXPECT_EQ(ds.State(), db::TDataSetState::dsBrowse);
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "Борис");
    EXPECT_EQ(ds.rows[1][0], "Борис");

    // Post writes the record and keeps the place.
    ds.Edit();
    ds.FieldByName("Age").SetAsString("32");
    ds.Post();
    EXPECT_EQ(ds.rows[1], (std::vector<std::string>{"Борис", "32"}));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.State(), db::TDataSetState::dsBrowse);
}

TEST(DataSetEdit, InsertGoesBeforeTheCurrentRecordAppendAfterTheLast) {
    MemDataSet ds = Editable({{"Анна", "25"}, {"Вера", "40"}});
    ds.Open();
    ds.Next();
    ds.Insert();
    EXPECT_EQ(ds.State(), db::TDataSetState::dsInsert);
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "") << "a new record starts empty";
    ds.FieldByName("Name").SetAsString("Борис");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Append();
    ds.FieldByName("Name").SetAsString("Глеб");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 4);
    ASSERT_EQ(ds.rows.size(), 4u);
    EXPECT_EQ(ds.rows[0][0], "Анна");
    EXPECT_EQ(ds.rows[1][0], "Борис");
    EXPECT_EQ(ds.rows[2][0], "Вера");
    EXPECT_EQ(ds.rows[3][0], "Глеб");

    MemDataSet empty = Editable({});
    empty.Open();
    empty.Edit();
    EXPECT_EQ(empty.State(), db::TDataSetState::dsInsert) << "editing an empty dataset inserts";
}

TEST(DataSetEdit, MovingPostsAModifiedEditAndDropsAnUntouchedInsert) {
    MemDataSet ds = Editable({{"Анна", "25"}, {"Борис", "31"}});
    ds.Open();
    ds.Edit();
    ds.FieldByName("Age").SetAsString("26");
    ds.Next();
    EXPECT_EQ(ds.rows[0][1], "26");
    EXPECT_EQ(ds.RecNo(), 2);

    ds.Append();
    ds.First();
    EXPECT_EQ(ds.rows.size(), 2u);
    EXPECT_EQ(ds.State(), db::TDataSetState::dsBrowse);
}

TEST(DataSetEdit, DeleteKeepsThePlaceAndStopsWhenEmpty) {
    MemDataSet ds = Editable({{"Анна", "25"}, {"Борис", "31"}, {"Вера", "40"}});
    ds.Open();
    ds.Next();
    ds.Delete();
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "Вера");
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Delete();
    EXPECT_EQ(ds.RecNo(), 1) << "deleting the last record steps back";
    ds.Delete();
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    ExpectError([&] { ds.Delete(); }, "Cannot perform this operation on an empty dataset");
}

TEST(DataSetEdit, ReadOnlyFieldAndLongTextOnWriting) {
    MemDataSet ds = Editable({{"Анна", "25"}});
    ds.Open();
    ds.FieldByName("Age").SetReadOnly(true);
    EXPECT_FALSE(ds.FieldByName("Age").CanModify());
    ds.Edit();
    ExpectError([&] { ds.FieldByName("Age").SetAsString("1"); }, "Field 'Age' cannot be modified");
    ds.FieldByName("Name").SetAsString(std::string(30, 'x'));
    EXPECT_EQ(ds.FieldByName("Name").AsString(), std::string(20, 'x'));
}

} // namespace
