// The grid's selected rows: bookmarks kept in record order, found by
// binary search, refreshed and deleted.
#include "GridTestHost.h"
#include "platform/db/MemDataSet.h"

#include "grid/TRecordmarkList.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<std::string>;

std::vector<std::vector<std::string>> Rows(int count) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < count; ++i) rows.push_back({"r" + std::to_string(i)});
    return rows;
}

struct Fixture {
    testsupport::MemDataSet ds;
    testsupport::GridTestHost host;
    grid::TRecordmarkList list{host};

    explicit Fixture(int count, bool modifiable = true) : ds({{"Name", 10}}, Rows(count), modifiable) {
        ds.Open();
        host.dataSet = &ds;
        host.linkActive = true;
        list.LinkActive(true);
    }
    void Select(int record) {
        ds.SetRecNo(record + 1);
        list.SetCurrentRowSelected(true);
    }
};

TEST(SelectedRows, SelectionIsKeptInRecordOrderAndFoundFromTheCache) {
    Fixture f(10);
    int index = -1;
    EXPECT_FALSE(f.list.Find({3}, index));
    EXPECT_EQ(index, 0);

    f.Select(5);
    EXPECT_EQ(f.host.Take(), Events{"paint row"});
    f.Select(5);
    f.ds.SetRecNo(3);
    f.list.SetCurrentRowSelected(false);
    EXPECT_EQ(f.host.Take(), Events{}) << "selecting twice or unselecting an unselected row changes nothing";
    EXPECT_EQ(f.list.Count(), 1);

    f.Select(8);
    f.Select(1);
    EXPECT_TRUE(f.list.Find({8}, index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(f.list.Find({8}, index));
    EXPECT_EQ(index, 2);
    f.Select(0);
    EXPECT_TRUE(f.list.Find({8}, index)) << "a change of the list empties the cache";
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(f.list.Find({6}, index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(f.list.Items(0), db::TBookmark{0});
    EXPECT_EQ(f.list.Items(3), db::TBookmark{8});
    EXPECT_THROW(f.list.Items(4), grid::EInvalidGridOperation);
    f.ds.SetRecNo(9);
    EXPECT_TRUE(f.list.CurrentRowSelected());
    f.list.SetCurrentRowSelected(false);
    EXPECT_EQ(f.list.Count(), 3);

    f.host.Take();
    f.list.Clear();
    f.list.Clear();
    EXPECT_EQ(f.host.Take(), Events{"paint all"});
    f.list.LinkActive(false);
    try {
        f.list.CurrentRow();
        ADD_FAILURE() << "no error on a closed link";
    } catch (const grid::EInvalidGridOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
    }
}

TEST(SelectedRows, DeletingSkipsRecordsThatAreAlreadyGone) {
    constexpr int Total = 10000;
    Fixture f(Total);
    for (int i = Total - 1; i >= 0; --i)
        if (i % 3 == 0) f.Select(i);
    EXPECT_EQ(f.list.Count(), 3334);

    // Another view deletes the last 100 records; the cursor rests on an
    // unselected record, which must survive.
    f.ds.Last();
    for (int i = 0; i < 100; ++i) f.ds.Delete();
    f.ds.SetRecNo(2);
    EXPECT_EQ(f.list.Delete(), 3300);
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_FALSE(f.ds.ControlsDisabled());
    ASSERT_EQ(f.ds.rows.size(), 6600u);
    for (size_t k = 0; k < f.ds.rows.size(); ++k) {
        const int kept = std::stoi(f.ds.rows[k][0].substr(1));
        ASSERT_NE(kept % 3, 0) << k;
    }

    // Refresh drops the bookmarks of records that went away.
    f.Select(6000);
    f.Select(6590);
    f.ds.Last();
    for (int i = 0; i < 20; ++i) f.ds.Delete();
    f.host.Take();
    EXPECT_TRUE(f.list.Refresh());
    EXPECT_EQ(f.list.Count(), 1);
    EXPECT_EQ(f.host.Take(), Events{"paint all"});
    EXPECT_FALSE(f.list.Refresh());
}

TEST(SelectedRows, AFailedDeleteKeepsTheRestAndReenablesControls) {
    Fixture f(5, false);
    f.Select(1);
    f.Select(3);
    EXPECT_THROW(f.list.Delete(), db::EDatabaseError);
    EXPECT_EQ(f.list.Count(), 2);
    EXPECT_FALSE(f.ds.ControlsDisabled());
    EXPECT_EQ(f.ds.rows.size(), 5u);
}

} // namespace
