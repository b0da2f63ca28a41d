// The XML table as a dataset: its cursor rules, the element operations that
// add, move and remove records, and what data-aware controls hear of them.
#include "TestTables.h"

#include "../platform/db/MemDataSet.h"
#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FriendTable;
using testsupport::KeyTable;
using Events = std::vector<std::string>;

std::string Order(const data::TXMLTable& table) {
    std::string out;
    for (int i = 0; i < table.RecordCount(); ++i) out += data::TXMLTable::NodeText(table.RecordNode(i), "Login");
    // The document must agree with the table's own list of records.
    std::string doc;
    for (pugi::xml_node r = table.Document().document_element().first_child(); r; r = r.next_sibling())
        doc += data::TXMLTable::NodeText(r, "Login");
    EXPECT_EQ(doc, out);
    return out;
}

// Four records with logins A..D, open, on record 1.
void Abcd(FriendTable& table) {
    for (const char* login : {"A", "B", "C", "D"}) table.Add(login, login);
    table.Open();
}

TEST(XMLTable, NewRecordNodeMakesContainerAndEmptyFieldsInOrder) {
    KeyTable plain;
    const pugi::xml_node record = plain.NewRecordNode();
    EXPECT_STREQ(plain.Document().document_element().name(), "XMLTable");
    EXPECT_STREQ(record.name(), "Record");

    FriendTable table;
    int position = -1;
    table.OnPosition = [&](data::TXMLTable& sender, int32_t value) {
        EXPECT_EQ(&sender, &table);
        position = value;
    };
    const pugi::xml_node first = table.NewRecordNode();
    EXPECT_EQ(position, 1);
    table.NewRecordNode();
    EXPECT_EQ(position, 2);
    EXPECT_STREQ(table.Document().document_element().name(), "Friends");
    EXPECT_STREQ(first.name(), "Friend");
    size_t i = 0;
    for (pugi::xml_node field = first.first_child(); field; field = field.next_sibling(), ++i) {
        ASSERT_LT(i, testsupport::kFriendFields.size());
        EXPECT_EQ(field.name(), testsupport::kFriendFields[i]);
        EXPECT_FALSE(field.first_child()) << "fields start empty";
    }
    EXPECT_EQ(i, testsupport::kFriendFields.size());
}

TEST(XMLTable, FirstRecordOfAnEmptyOpenTableBecomesCurrent) {
    FriendTable table;
    table.Open();
    table.Add("Анна", "anna");
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(table.GetFieldValue("Name"), "Анна");
    table.Add("Борис", "boris");
    EXPECT_EQ(table.RecNo(), 1) << "later records leave the cursor";
}

TEST(XMLTable, SetRecNoAcceptsZeroToCountAndFiresOnPosition) {
    FriendTable table;
    Abcd(table);
    std::vector<int> positions;
    table.OnPosition = [&](data::TXMLTable&, int32_t value) { positions.push_back(value); };
    table.SetRecNo(3);
    EXPECT_EQ(table.GetFieldValue("Login"), "C");
    table.SetRecNo(0);
    EXPECT_EQ(table.GetFieldValue("Login"), "");
    try {
        table.SetRecNo(5);
        FAIL();
    } catch (const data::EXMLTable& e) {
        EXPECT_STREQ(e.what(), "SetRecNo: out of range");
    }
    EXPECT_THROW(table.SetRecNo(-1), data::EXMLTable);
    EXPECT_EQ(positions, (std::vector<int>{3, 0}));

    FriendTable unbound;
    EXPECT_THROW(unbound.SetRecNo(0), data::EXMLTable);
}

TEST(XMLTable, LastThenPriorDeliversTheRecordBeforeTheLast) {
    FriendTable table;
    Abcd(table);
    table.Last();
    EXPECT_EQ(table.GetFieldValue("Login"), "D");
    table.Prior();
    EXPECT_EQ(table.GetFieldValue("Login"), "C");
    table.Prior();
    EXPECT_EQ(table.GetFieldValue("Login"), "B");
}

TEST(XMLTable, MovesAndDeletesKeepDocumentAndCursorInStep) {
    struct Step {
        const char* what;
        void (*op)(data::TXMLTable&);
        const char* order;
        int recNo;
    };
    const std::vector<Step> steps = {
        {"RecNo 2", [](data::TXMLTable& t) { t.SetRecNo(2); }, "ABCD", 2},
        {"move B up", [](data::TXMLTable& t) { t.MoveUp(); }, "BACD", 1},
        {"move B up at the top", [](data::TXMLTable& t) { t.MoveUp(); }, "BACD", 1},
        {"move B down", [](data::TXMLTable& t) { t.MoveDown(); }, "ABCD", 2},
        {"move B down", [](data::TXMLTable& t) { t.MoveDown(); }, "ACBD", 3},
        {"move B down", [](data::TXMLTable& t) { t.MoveDown(); }, "ACDB", 4},
        {"move B down at the bottom", [](data::TXMLTable& t) { t.MoveDown(); }, "ACDB", 4},
        {"delete current B", [](data::TXMLTable& t) { t.DeleteCurrent(); }, "ACD", 3},
        {"delete record 0 before the cursor", [](data::TXMLTable& t) { t.DeleteNode(0); }, "CD", 2},
        {"delete D under the cursor", [](data::TXMLTable& t) { t.DeleteNode(1); }, "C", 1},
        {"append E: the cursor follows",
         [](data::TXMLTable& t) { data::TXMLTable::SetNodeText(t.AppendRecord(), "Login", "E"); }, "CE", 2},
        {"first", [](data::TXMLTable& t) { t.First(); }, "CE", 1},
        {"delete current C at the top", [](data::TXMLTable& t) { t.DeleteCurrent(); }, "E", 1},
        {"delete the last record", [](data::TXMLTable& t) { t.DeleteCurrent(); }, "", 0},
    };
    FriendTable table;
    Abcd(table);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.op(table);
        EXPECT_EQ(Order(table), step.order);
        EXPECT_EQ(table.RecNo(), step.recNo);
    }
}

TEST(XMLTable, OperationsWithoutACurrentRecordDoNothing) {
    FriendTable empty;
    empty.Open();
    empty.DeleteCurrent();
    empty.MoveUp();
    empty.MoveDown();
    empty.DeleteNode(0);
    EXPECT_EQ(empty.RecordCount(), 0);

    FriendTable table;
    Abcd(table);
    table.SetRecNo(0);
    table.DeleteCurrent();
    table.MoveDown();
    table.MoveUp();
    table.DeleteNode(-1);
    table.DeleteNode(4);
    EXPECT_EQ(Order(table), "ABCD");
    EXPECT_EQ(table.RecNo(), 0);

    FriendTable closed;
    closed.Add("Анна", "anna");
    closed.DeleteCurrent();  // a closed table has no current record
    EXPECT_EQ(closed.RecordCount(), 1);
    closed.Open();
    EXPECT_THROW(closed.Edit(), db::EDatabaseError) << "records change only through the element operations";
}

TEST(XMLTable, ClearRecordsAndFillStrings) {
    FriendTable table;
    Abcd(table);
    table.RecordNode(1).remove_child("Name");
    std::vector<std::string> names{"stale"};
    table.FillStrings("Name", names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "", "C", "D"}));
    table.ClearRecords();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.RecNo(), 0);
    table.FillStrings("Name", names);
    EXPECT_TRUE(names.empty());
    EXPECT_STREQ(table.Document().document_element().name(), "Friends") << "the container stays";
}

TEST(XMLTable, ControlsReadFieldsByIndexWithoutMovingTheCursor) {
    FriendTable table;
    Abcd(table);
    table.SetRecNo(2);
    const int login = table.FieldByName("Login").Index();
    EXPECT_EQ(table.FieldText(3, login), "D");
    EXPECT_EQ(table.FieldText(0, table.FieldByName("Area")), "Москва, Россия");
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(table.FieldByName("Login").AsString(), "B");
    EXPECT_EQ(table.FieldDefs().Items(2).Size, 2048);
}

TEST(XMLTable, ControlsHearOfElementOperations) {
    FriendTable table;
    Abcd(table);
    db::TDataSource source(&table);
    testsupport::RecordingLink link;
    link.SetDataSource(&source);
    EXPECT_EQ(link.Take(), Events{"active"});

    table.SetRecNo(3);
    table.Add("Е", "E");
    table.MoveUp();
    table.DeleteNode(0);
    table.DeleteCurrent();
    table.ClearRecords();
    EXPECT_EQ(link.Take(), (Events{"scrolled 2", "changed", "changed", "changed", "changed", "changed"}));

    table.DisableControls();
    for (int i = 0; i < 10; ++i) table.Add("x", "x");
    table.EnableControls();
    EXPECT_EQ(link.Take(), Events{"changed"});

    // Loading replaces every record and goes to the first.
    testsupport::TempDir dir;
    table.SaveToFile(dir / "t.xml");
    table.Last();
    link.Take();
    table.LoadFromFile(dir / "t.xml");
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(link.Take(), Events{"changed"});
}

} // namespace
