// Cursor, fields, random-access reading and bookmarks of the dataset base.
#include "MemDataSet.h"

#include "platform/db/TField.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using testsupport::MemDataSet;

MemDataSet ThreeNames() {
    return MemDataSet({{"Name", 10}, {"Age", 3}}, {{"Анна", "25"}, {"Борис", "31"}, {"Вера", "40"}});
}

struct CursorStep {
    const char* what;
    std::function<int(db::TDataSet&)> op;  // answers MoveBy's result where it matters
    int recNo;
    bool bof;
    bool eof;
    int moved = 0;
};

TEST(DataSetCursor, WalksThreeRecordsAsTheFrameworkDoes) {
    MemDataSet ds = ThreeNames();
    const std::vector<CursorStep> steps = {
        {"open", [](db::TDataSet& d) { d.Open(); return 0; }, 1, true, false},
        {"next", [](db::TDataSet& d) { d.Next(); return 0; }, 2, false, false},
        {"next", [](db::TDataSet& d) { d.Next(); return 0; }, 3, false, false},
        {"next past the end", [](db::TDataSet& d) { d.Next(); return 0; }, 3, false, true},
        {"prior", [](db::TDataSet& d) { d.Prior(); return 0; }, 2, false, false},
        {"first", [](db::TDataSet& d) { d.First(); return 0; }, 1, true, false},
        {"prior before the start", [](db::TDataSet& d) { d.Prior(); return 0; }, 1, true, false},
        {"last", [](db::TDataSet& d) { d.Last(); return 0; }, 3, false, true},
        {"prior after last", [](db::TDataSet& d) { d.Prior(); return 0; }, 2, false, false},
        {"move by +5", [](db::TDataSet& d) { return d.MoveBy(5); }, 3, false, true, 1},
        {"move by -5", [](db::TDataSet& d) { return d.MoveBy(-5); }, 1, true, false, -2},
        {"move by +2 exactly", [](db::TDataSet& d) { return d.MoveBy(2); }, 3, false, false, 2},
        {"RecNo 0", [](db::TDataSet& d) { d.SetRecNo(0); return 0; }, 0, true, false},
        {"next from before the first", [](db::TDataSet& d) { d.Next(); return 0; }, 1, false, false},
        {"RecNo 0 again", [](db::TDataSet& d) { d.SetRecNo(0); return 0; }, 0, true, false},
        {"prior from before the first", [](db::TDataSet& d) { d.Prior(); return 0; }, 0, true, false},
        {"RecNo 2", [](db::TDataSet& d) { d.SetRecNo(2); return 0; }, 2, false, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.op(ds), step.moved);
        EXPECT_EQ(ds.RecNo(), step.recNo);
        EXPECT_EQ(ds.Bof(), step.bof);
        EXPECT_EQ(ds.Eof(), step.eof);
    }
}

TEST(DataSetCursor, EmptyDataSetHasNoCurrentRecord) {
    MemDataSet ds({{"Name", 10}}, {});
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    for (auto op : {&db::TDataSet::First, &db::TDataSet::Last, &db::TDataSet::Next, &db::TDataSet::Prior}) {
        (ds.*op)();
        EXPECT_EQ(ds.RecNo(), 0);
        EXPECT_TRUE(ds.Bof());
        EXPECT_TRUE(ds.Eof());
    }
    EXPECT_EQ(ds.Fields(0).AsString(), "");
    EXPECT_TRUE(ds.Fields(0).IsNull());
    EXPECT_TRUE(ds.GetBookmark().IsNull());
    EXPECT_NO_THROW(ds.SetRecNo(0));
    EXPECT_THROW(ds.SetRecNo(1), db::EDatabaseError);

    // A record's empty text is data, not null.
    MemDataSet blank({{"Name", 10}}, {{""}});
    blank.Open();
    EXPECT_FALSE(blank.Fields(0).IsNull());
    blank.Close();
    EXPECT_TRUE(blank.Fields(0).IsNull());
}

TEST(DataSetCursor, ClosedDataSetRefusesMovesButCountsRecords) {
    MemDataSet ds = ThreeNames();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.State(), db::TDataSetState::dsInactive);
    testsupport::ExpectError([&] { ds.First(); }, "Cannot perform this operation on a closed dataset");
    ds.Open();
    ds.Last();
    ds.Close();
    EXPECT_EQ(ds.RecNo(), 0);
    ds.Open();
    EXPECT_EQ(ds.RecNo(), 1) << "reopening starts at the first record";
}

TEST(DataSetFields, ComeFromTheDefinitionsAndSurviveClose) {
    MemDataSet ds = ThreeNames();
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 2);
    db::TField* name = &ds.FieldByName("name");  // names fold ASCII letters
    EXPECT_EQ(name->FieldName(), "Name");
    EXPECT_EQ(name->DisplayWidth(), 10) << "a field is as wide as its size";
    EXPECT_EQ(ds.FindField("Missing"), nullptr);
    testsupport::ExpectError([&] { ds.FieldByName("Missing"); }, "Field 'Missing' not found");
    EXPECT_THROW(ds.Fields(2), db::EDatabaseError);

    ds.Close();
    ds.Open();
    EXPECT_EQ(&ds.FieldByName("Name"), name) << "controls may hold field pointers across Close";
    EXPECT_EQ(ds.initFieldDefsCalls, 1);
}

TEST(DataSetFields, SetIndexReordersFieldsAndReading) {
    MemDataSet ds = ThreeNames();
    ds.Open();
    ds.FieldByName("Age").SetIndex(0);
    EXPECT_EQ(ds.Fields(0).FieldName(), "Age");
    EXPECT_EQ(ds.Fields(1).FieldName(), "Name");
    EXPECT_EQ(ds.FieldText(1, 0), "31");
    ds.FieldByName("Age").SetIndex(99);  // clamped to the last place
    EXPECT_EQ(ds.FieldByName("Age").Index(), 1);
}

TEST(DataSetReading, ReadsAnyRecordWithoutMovingTheCursor) {
    MemDataSet ds = ThreeNames();
    ds.Open();
    ds.SetRecNo(2);
    EXPECT_EQ(ds.FieldText(0, 0), "Анна");
    EXPECT_EQ(ds.FieldText(2, ds.FieldByName("Age")), "40");
    EXPECT_EQ(ds.FieldText(3, 0), "") << "past the last record";
    EXPECT_EQ(ds.FieldText(-1, 0), "");
    EXPECT_EQ(ds.FieldText(0, 7), "") << "no such field";
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "Борис");
}

TEST(DataSetReading, TextLongerThanTheFieldIsCutByCharacters) {
    MemDataSet ds({{"Name", 4}}, {{"Александра"}, {"Ян"}, {"abcdef"}});
    ds.Open();
    EXPECT_EQ(ds.FieldText(0, 0), "Алек");
    EXPECT_EQ(ds.FieldText(1, 0), "Ян");
    EXPECT_EQ(ds.FieldText(2, 0), "abcd");
    EXPECT_EQ(ds.Fields(0).AsString(), "Алек");
}

TEST(DataSetBookmarks, ReturnToTheMarkedRecord) {
    MemDataSet ds = ThreeNames();
    ds.Open();
    ds.SetRecNo(2);
    const db::TBookmark mark = ds.GetBookmark();
    EXPECT_FALSE(mark.IsNull());
    ds.Last();
    ds.GotoBookmark(mark);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_FALSE(ds.Bof());
    EXPECT_FALSE(ds.Eof());

    ds.GotoBookmark(db::TBookmark{});  // an empty bookmark goes nowhere
    EXPECT_EQ(ds.RecNo(), 2);

    const db::TBookmark first{0};
    EXPECT_EQ(ds.CompareBookmarks(first, mark), -1);
    EXPECT_EQ(ds.CompareBookmarks(mark, first), 1);
    EXPECT_EQ(ds.CompareBookmarks(mark, mark), 0);

    ds.rows.pop_back();
    ds.rows.pop_back();
    EXPECT_FALSE(ds.BookmarkValid(mark));
    testsupport::ExpectError([&] { ds.GotoBookmark(mark); }, "Record not found");
}

} // namespace
