// What data-aware controls hear through TDataSource and TDataLink.
#include "MemDataSet.h"

#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using testsupport::MemDataSet;
using testsupport::RecordingLink;
using Events = std::vector<std::string>;

MemDataSet Three(bool modifiable = false) {
    return MemDataSet({{"Name", 20}, {"Age", 3}}, {{"Анна", "25"}, {"Борис", "31"}, {"Вера", "40"}}, modifiable);
}

// An open three-row table heard by a link through a source.
struct Listened {
    explicit Listened(bool modifiable = false) : ds(Three(modifiable)) {
        ds.Open();
        link.SetDataSource(&source);
    }
    MemDataSet ds;
    db::TDataSource source{&ds};
    RecordingLink link;
};

TEST(DataLink, FollowsOpenCloseAndTheSourcesDataSet) {
    MemDataSet ds = Three();
    MemDataSet other = Three();
    other.Open();
    db::TDataSource source(&ds);
    RecordingLink link;
    link.SetDataSource(&source);
    EXPECT_FALSE(link.Active());
    ds.Open();
    ds.Close();
    ds.Open();
    source.SetDataSet(&other);
    ds.Next();  // the old dataset no longer reaches the link
    source.SetDataSet(nullptr);
    EXPECT_EQ(link.Take(), (Events{"active", "inactive", "active", "inactive", "active", "inactive"}));
    EXPECT_EQ(source.State(), db::TDataSetState::dsInactive);
}

TEST(DataLink, DataSetSourceAndLinkMayGoInAnyOrder) {
    RecordingLink link;
    auto source = std::make_unique<db::TDataSource>();
    link.SetDataSource(source.get());
    {
        MemDataSet ds = Three();
        ds.Open();
        source->SetDataSet(&ds);
    }
    EXPECT_EQ(link.Take(), (Events{"active", "inactive"}));
    EXPECT_EQ(source->DataSet(), nullptr);

    MemDataSet ds = Three();
    ds.Open();
    source->SetDataSet(&ds);
    auto gone = std::make_unique<RecordingLink>();
    gone->SetDataSource(source.get());
    gone.reset();
    ds.Next();  // a destroyed link is not called
    source.reset();
    EXPECT_EQ(link.Take(), (Events{"active", "scrolled 1", "inactive"}));
    EXPECT_EQ(link.DataSource(), nullptr);
    ds.Next();  // nor is a destroyed source
}
TEST(DataLink, HearsScrollsByDistanceAndNothingWhenTheCursorStays) {
    Listened heard;
    auto& [ds, source, link] = heard;
    EXPECT_EQ(link.Take(), Events{"active"});
    ds.Next();
    ds.Last();
    ds.Next();  // at the end: no move, no notice
    ds.SetRecNo(1);
    ds.First();
    ds.MoveBy(2);
    ds.GotoBookmark(db::TBookmark{0});
    EXPECT_EQ(link.Take(), (Events{"scrolled 1", "scrolled 1", "scrolled -2", "scrolled 2", "scrolled -2"}));
}

TEST(DataLink, HearsEditingRecordChangesAndHandsOverPendingText) {
    Listened heard(true);
    auto& [ds, source, link] = heard;
    link.Take();

    EXPECT_TRUE(link.Edit());
    ds.FieldByName("Age").SetAsString("26");
    link.pendingText = "Аня";  // what the control's editor holds
    ds.Post();
    EXPECT_EQ(link.Take(), (Events{"editing", "record Age", "update data", "record Name", "browsing", "changed"}));
    EXPECT_EQ(ds.rows[0], (std::vector<std::string>{"Аня", "26"}));

    ds.Edit();
    ds.Cancel();
    EXPECT_EQ(link.Take(), (Events{"editing", "browsing", "changed"}));
}

TEST(DataLink, ReadOnlyLinkNeitherEditsNorReportsEditing) {
    Listened heard(true);
    auto& [ds, source, link] = heard;
    link.SetReadOnly(true);
    link.Take();
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds.State(), db::TDataSetState::dsBrowse);
    ds.Edit();
    EXPECT_FALSE(link.Editing());
    EXPECT_TRUE(link.Take().empty());
}

TEST(DataLink, FieldSettingsAreLayoutOrDataChanges) {
    Listened heard;
    auto& [ds, source, link] = heard;
    link.Take();
    db::TField& age = ds.FieldByName("Age");
    age.SetDisplayLabel("Возраст");
    age.SetDisplayWidth(5);
    age.SetVisible(false);
    age.SetIndex(0);
    age.SetAlignment(db::TAlignment::taCenter);
    age.SetReadOnly(true);
    age.SetAlignment(db::TAlignment::taCenter);  // unchanged: no notice
    EXPECT_EQ(link.Take(), (Events{"layout", "layout", "layout", "layout", "changed", "changed"}));
}

TEST(DataLink, DisabledControlsHearOneChangeAtTheEnd) {
    Listened heard;
    auto& [ds, source, link] = heard;
    link.Take();

    ds.DisableControls();
    ds.DisableControls();
    ds.Next();
    ds.Last();
    ds.EnableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    EXPECT_TRUE(link.Take().empty());
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(link.Take(), Events{"changed"});

    ds.DisableControls();
    ds.EnableControls();
    EXPECT_TRUE(link.Take().empty()) << "nothing happened, nothing to tell";

    ds.DisableControls();
    ds.Close();
    EXPECT_TRUE(link.Active()) << "the link hears of the close only at the end";
    ds.EnableControls();
    EXPECT_EQ(link.Take(), Events{"inactive"});
    ds.EnableControls();  // unbalanced: ignored
    EXPECT_FALSE(ds.ControlsDisabled());
}

// A control that lets go of another control's link while it is notified,
// as a form does when it swaps its views.
class DetachingLink : public RecordingLink {
public:
    RecordingLink* victim = nullptr;

protected:
    void DataSetScrolled(int distance) override {
        RecordingLink::DataSetScrolled(distance);
        if (victim) victim->SetDataSource(nullptr);
    }
};

TEST(DataLink, LinkDetachedDuringANoticeIsNotCalled) {
    MemDataSet ds = Three();
    ds.Open();
    db::TDataSource source(&ds);
    DetachingLink first;
    RecordingLink second;
    first.SetDataSource(&source);
    second.SetDataSource(&source);
    first.victim = &second;
    second.Take();
    ds.Next();
    EXPECT_EQ(second.Take(), Events{"inactive"});
}

} // namespace
