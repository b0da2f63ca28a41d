// Lookups by login and address: ASCII-only folding, fields found by name in
// every row, and answers identical to a first-match scan after every kind of
// change the table's operations make.
#include "ProfileTestSupport.h"

#include "data/TFriend.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using data::TFriend;
using data::TXMLTable;
using testsupport::AddProfile;
using testsupport::Logins;
using testsupport::ScanFind;
using testsupport::TempDir;
using testsupport::WriteFile;

// The row index of a found field element, or -1.
int RowOf(const TXMLTable& table, pugi::xml_node field) {
    if (!field) return -1;
    for (int i = 0; i < table.RecordCount(); ++i)
        if (table.RecordNode(i) == field.parent()) return i;
    return -2;  // a node outside the table
}

TEST(FriendLookup, FoldsLatinLettersOnly) {
    TFriend table;
    AddProfile(table, "Anna_77");
    AddProfile(table, "Ёлка");
    table.AddFriend("", "", "http://Example.TEST/Anketa?id=5", "", 0, 0, 0, 0, 0, 0, "");
    struct Case {
        std::string_view login;
        int row;
    };
    for (const Case& c : {Case{"anna_77", 0}, Case{"ANNA_77", 0}, Case{"Ёлка", 1}, Case{"ёлка", -1},
                          Case{"ЁЛКА", -1}, Case{"Anna_7", -1}, Case{"", -1}})
        EXPECT_EQ(RowOf(table, table.FindByLogin(c.login)), c.row) << c.login;
    EXPECT_EQ(RowOf(table, table.FindByURL("http://example.test/anketa?id=5")), 2);
    EXPECT_EQ(RowOf(table, table.FindByURL("HTTP://EXAMPLE.TEST/ANNA_77")), 0);
    EXPECT_EQ(RowOf(table, table.FindByURL("http://example.test/ёлка")), -1);
    const pugi::xml_node found = table.FindByURL("http://example.test/Ёлка");
    EXPECT_STREQ(found.name(), "URL") << "the field element is the answer";
}

TEST(FriendLookup, EmptyLoginMatchesNothingButAnEmptyAddressMatchesAnEmptyURL) {
    TFriend table;
    table.AddFriend("a", "", "", "", 0, 0, 0, 0, 0, 0, "");
    EXPECT_FALSE(table.FindByLogin(""));
    EXPECT_EQ(RowOf(table, table.FindByURL("")), 0);
}

TEST(FriendLookup, FindsTheFieldByNameInEveryRow) {
    // The first row has no Login and keeps its URL last: neither must decide
    // where the field is looked for in the other rows.
    TempDir dir;
    WriteFile(dir / "f.xml",
              "<Friends>"
              "<Friend><Name>first</Name><Age>1</Age><URL>http://a.test/1</URL></Friend>"
              "<Friend><URL>http://a.test/2</URL><Login>second</Login></Friend>"
              "<Friend><Login>third</Login><Name>x</Name><URL>http://a.test/3</URL></Friend>"
              "</Friends>");
    TFriend table;
    table.LoadFromFile(dir / "f.xml");
    EXPECT_EQ(RowOf(table, table.FindByLogin("SECOND")), 1);
    EXPECT_EQ(RowOf(table, table.FindByLogin("third")), 2);
    EXPECT_EQ(RowOf(table, table.FindByURL("http://a.test/2")), 1);
    EXPECT_EQ(RowOf(table, table.FindByURL("http://a.test/1")), 0);
    EXPECT_FALSE(table.FindByURL("")) << "a row without URL has no empty one either";
}

// Random changes through every operation of the table, each followed by the
// lookup of every value of a small pool (in both cases), compared with a
// plain scan: the same element, or none, every time.
TEST(FriendLookup, AgreesWithAScanThroughRandomChanges) {
    const std::vector<std::string> pool = {"anna", "Anna", "ANNA", "boris", "Ёлка", "ёлка", "x", ""};
    TempDir dir;
    TFriend table;
    table.Open();
    TFriend other;
    for (const char* login : {"boris", "new1", "ANNA"}) AddProfile(other, login);

    std::mt19937 random(20240611);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto login = [&] { return pool[static_cast<size_t>(pick(static_cast<int>(pool.size())))]; };
    auto url = [&](const std::string& l) { return pick(4) == 0 ? std::string() : "http://example.test/" + l; };

    for (int step = 0; step < 3000; ++step) {
        const int count = table.RecordCount();
        switch (pick(12)) {
        case 0: case 1: case 2: {
            const std::string l = login();
            table.AddFriend("n", l, url(l), "", 1, 0, 0, 0, 0, 0, "");
            break;
        }
        case 3:
            if (count) {
                const std::string l = login();
                table.UpdateFriend(pick(count), "n", l, url(l), "", 2, 0, 0, 0, 0, 0, "");
            }
            break;
        case 4: table.DeleteFriend(count ? pick(count) : 0); break;
        case 5:
        case 6:
            if (count) {
                table.SetRecNo(pick(count) + 1);
                pick(2) ? table.MoveUp() : table.MoveDown();
            }
            break;
        case 7:
            if (count) {
                table.SetRecNo(pick(count) + 1);
                table.DeleteCurrent();
            }
            break;
        case 8: table.AddFromRecordAt(table, count ? pick(count) : 0); break;
        case 9: pick(2) ? other.MergeByLogin(table) : other.MergeByURL(table); break;
        case 10:
            if (pick(10) == 0) table.ClearRecords();
            break;
        case 11:
            if (pick(5) == 0) {
                table.SaveToFile(dir / "r.xml");
                table.LoadFromFile(dir / "r.xml");
            }
            break;
        }
        for (const std::string& value : pool) {
            ASSERT_EQ(table.FindByLogin(value), ScanFind(table, "Login", value, true))
                << "step " << step << " login " << value << " in " << Logins(table);
            const std::string address = "http://example.test/" + value;
            ASSERT_EQ(table.FindByURL(address), ScanFind(table, "URL", address, false))
                << "step " << step << " url " << address;
        }
        ASSERT_EQ(table.FindByURL(""), ScanFind(table, "URL", "", false)) << "step " << step;
    }
}

} // namespace

namespace {

// Thousands of distinct values make the index's hash tables grow and, as
// rows go, close their gaps; every login and address must still be found in
// its row, and the removed ones nowhere.
TEST(FriendLookup, ManyDistinctValuesThroughGrowthAndRemoval) {
    TFriend table;
    table.Open();
    constexpr int kRows = 5000;
    for (int i = 0; i < kRows; ++i) AddProfile(table, "login" + std::to_string(i));
    std::mt19937 random(5);
    std::vector<bool> removed(kRows, false);
    for (int k = 0; k < kRows / 2; ++k) {
        const int row = std::uniform_int_distribution<int>(0, table.RecordCount() - 1)(random);
        const std::string login = TXMLTable::NodeText(table.RecordNode(row), "Login");
        removed[static_cast<size_t>(std::stoi(login.substr(5)))] = true;
        table.DeleteFriend(row);
    }
    for (int i = 0; i < kRows; ++i) {
        const std::string login = "LOGIN" + std::to_string(i);
        const pugi::xml_node found = table.FindByLogin(login);
        ASSERT_EQ(static_cast<bool>(found), !removed[static_cast<size_t>(i)]) << login;
        if (found) {
            ASSERT_EQ(text::AsciiUpper(found.text().as_string()), login);
        }
        ASSERT_EQ(table.FindByURL("http://example.test/login" + std::to_string(i)).parent(), found.parent());
    }
}

} // namespace
