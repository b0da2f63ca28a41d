// The profile table: how rows are written and read back, merges, where its
// file lives, and what a damaged or hand-edited file does to it.
#include "ProfileTestSupport.h"

#include "data/TFriend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using data::TFriend;
using data::TXMLTable;
using testsupport::AddProfile;
using testsupport::Logins;
using testsupport::ProgramDirScope;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::string Field(const TXMLTable& table, int index, std::string_view field) {
    return TXMLTable::NodeText(table.RecordNode(index), field);
}

// A hand-edited file: fields out of order, numbers that are no numbers,
// missing fields.
constexpr std::string_view kHandEdited =
    "<Friends>"
    "<Friend><Login>olga</Login><Name>Ольга</Name><Age>31</Age><RealUser>да</RealUser><PhotoCount>12abc</PhotoCount>"
    "<VideoCount> 2</VideoCount><URL>http://example.test/olga</URL></Friend>"
    "<Friend><Name>Без логина</Name><Login/><URL>http://example.test/x</URL><Age/></Friend>"
    "</Friends>";

TEST(Friend, AddFriendWritesAllTwelveFieldsInFileOrder) {
    ProgramDirScope dir;
    TFriend table;
    table.SetFileName("Friends.xml");
    table.AddFriend("Анна", "anna", "http://example.test/anna", "Москва", 25, 1, 0, 3, 2, 0, "20-30");
    data::TFriendRecord r{"Ольга", "olga", "http://example.test/olga", "Тверь", -7, 0, 1, 0, 0, 1, ""};
    table.AddFriendRecord(r);
    table.Save();
    EXPECT_EQ(ReadFile(dir / "Friends.xml"),
              "<Friends>\n"
              "\t<Friend>\n\t\t<Name>Анна</Name>\n\t\t<Login>anna</Login>\n\t\t<URL>http://example.test/anna</URL>\n"
              "\t\t<Area>Москва</Area>\n\t\t<Age>25</Age>\n\t\t<RealUser>1</RealUser>\n\t\t<VipUser>0</VipUser>\n"
              "\t\t<PhotoCount>3</PhotoCount>\n\t\t<VideoCount>2</VideoCount>\n\t\t<Intim>0</Intim>\n"
              "\t\t<AgeRange>20-30</AgeRange>\n\t\t<NewMessage>0</NewMessage>\n\t</Friend>\n"
              "\t<Friend>\n\t\t<Name>Ольга</Name>\n\t\t<Login>olga</Login>\n\t\t<URL>http://example.test/olga</URL>\n"
              "\t\t<Area>Тверь</Area>\n\t\t<Age>-7</Age>\n\t\t<RealUser>0</RealUser>\n\t\t<VipUser>1</VipUser>\n"
              "\t\t<PhotoCount>0</PhotoCount>\n\t\t<VideoCount>0</VideoCount>\n\t\t<Intim>1</Intim>\n"
              "\t\t<AgeRange />\n\t\t<NewMessage>0</NewMessage>\n\t</Friend>\n"
              "</Friends>\n");

    const data::TFriendRecord back = TFriend::ReadRecord(table, 1);
    EXPECT_EQ(back.Name, r.Name);
    EXPECT_EQ(back.URL, r.URL);
    EXPECT_EQ(back.Age, -7);
    EXPECT_EQ(back.VipUser, 1);
    EXPECT_EQ(back.Intim, 1);
    EXPECT_EQ(back.AgeRange, "");
}

TEST(Friend, ReadRecordOfHandEditedRowsGivesZeroForWhatIsNoNumber) {
    TempDir dir;
    WriteFile(dir / "f.xml", kHandEdited);
    TFriend table;
    table.LoadFromFile(dir / "f.xml");
    const data::TFriendRecord olga = TFriend::ReadRecord(table, 0);
    EXPECT_EQ(olga.Name, "Ольга");
    EXPECT_EQ(olga.Login, "olga");
    EXPECT_EQ(olga.Age, 31);
    EXPECT_EQ(olga.RealUser, 0) << "\"да\" is no number";
    EXPECT_EQ(olga.PhotoCount, 0) << "\"12abc\" is no number";
    EXPECT_EQ(olga.VideoCount, 2);
    EXPECT_EQ(olga.VipUser, 0) << "missing";
    EXPECT_EQ(olga.Area, "");
    const data::TFriendRecord none = TFriend::ReadRecord(table, 5);
    EXPECT_EQ(none.Name, "");
    EXPECT_EQ(none.Age, 0);
}

TEST(Friend, MergeByLoginAppendsOnlyNewLoginsWithMinusOneForMissingNumbers) {
    TempDir dir;
    WriteFile(dir / "f.xml", kHandEdited);
    TFriend source;
    source.LoadFromFile(dir / "f.xml");
    AddProfile(source, "ANNA");
    AddProfile(source, "boris");
    AddProfile(source, "Boris");  // the same login once folded: arrives once

    TFriend target;
    AddProfile(target, "anna");
    TXMLTable::SetNodeText(target.RecordNode(0), "NewMessage", "1");
    source.MergeByLogin(target);

    EXPECT_EQ(Logins(target), "anna olga  boris");
    EXPECT_EQ(Field(target, 0, "NewMessage"), "1") << "rows already there stay as they were";
    // olga: Age 31 kept, "да" and "12abc" are no numbers (0), VipUser and
    // Intim missing (-1), VideoCount " 2" read as 2.
    EXPECT_EQ(Field(target, 1, "Age"), "31");
    EXPECT_EQ(Field(target, 1, "RealUser"), "0");
    EXPECT_EQ(Field(target, 1, "PhotoCount"), "0");
    EXPECT_EQ(Field(target, 1, "VideoCount"), "2");
    EXPECT_EQ(Field(target, 1, "VipUser"), "-1");
    EXPECT_EQ(Field(target, 1, "Intim"), "-1");
    EXPECT_EQ(Field(target, 1, "Area"), "");
    // The row without a login is always taken; its empty Age is -1 too.
    EXPECT_EQ(Field(target, 2, "Name"), "Без логина");
    EXPECT_EQ(Field(target, 2, "Age"), "-1");
    EXPECT_EQ(Field(target, 3, "PhotoCount"), "3");
    for (int i = 0; i < target.RecordCount(); ++i) EXPECT_EQ(Field(target, i, "NewMessage"), i ? "0" : "1");

    const int before = target.RecordCount();
    target.MergeByURL(target);
    EXPECT_EQ(target.RecordCount(), before) << "merging a table into itself by address adds nothing";
}

TEST(Friend, MergeByURLComparesAddressesWithLatinLettersFolded) {
    TFriend source;
    source.AddFriend("A", "a", "HTTP://Example.test/A", "", 1, 0, 0, 0, 0, 0, "");
    source.AddFriend("B", "b", "http://example.test/b", "", 2, 0, 0, 0, 0, 0, "");
    TFriend target;
    target.AddFriend("A", "other", "http://example.test/a", "", 1, 0, 0, 0, 0, 0, "");
    source.MergeByURL(target);
    ASSERT_EQ(target.RecordCount(), 2);
    EXPECT_EQ(Field(target, 1, "URL"), "http://example.test/b");
}

TEST(Friend, CopiesFromAnotherTableTakeEveryFieldByName) {
    TempDir dir;
    WriteFile(dir / "f.xml", kHandEdited);
    TFriend source;
    source.LoadFromFile(dir / "f.xml");
    source.Open();
    TFriend copy;
    copy.AddFromCurrent(source);
    EXPECT_EQ(Field(copy, 0, "Name"), "Ольга");
    EXPECT_EQ(Field(copy, 0, "PhotoCount"), "12abc") << "copied as text";
    EXPECT_EQ(Field(copy, 0, "NewMessage"), "");
    copy.AddFromRecordAt(source, 1);
    EXPECT_EQ(Field(copy, 1, "Name"), "Без логина");
    EXPECT_FALSE(copy.AddFromRecordAt(source, 2));
    EXPECT_FALSE(copy.AddFromRecordAt(source, -1));
    copy.AddFromRecordAt(copy, 0);
    EXPECT_EQ(Logins(copy), "olga  olga");
    EXPECT_TRUE(copy.FindByLogin("OLGA"));
}

TEST(Friend, UpdateAndDeleteOutsideTheRowsChangeNothing) {
    TFriend table;
    AddProfile(table, "anna");
    table.UpdateFriend(1, "x", "x", "x", "x", 0, 0, 0, 0, 0, 0, "x");
    table.UpdateFriend(-1, "x", "x", "x", "x", 0, 0, 0, 0, 0, 0, "x");
    table.DeleteFriend(1);
    table.DeleteFriend(-1);
    EXPECT_EQ(Logins(table), "anna");
}

TEST(Friend, LocalDirWithEitherSeparatorOrNoneNamesTheSameFile) {
    ProgramDirScope program;
    const std::filesystem::path folder = program / "Анна";
    std::filesystem::create_directories(folder / "sub");
    const std::string windowsStyle = [&] {
        std::string s = folder.string();
        std::replace(s.begin(), s.end(), '/', '\\');
        return s;
    }();
    struct Case {
        std::string localDir;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {folder.string(), folder / "Friends.xml"},
        {folder.string() + "/", folder / "Friends.xml"},
        {folder.string() + "\\", folder / "Friends.xml"},
        {folder.string() + "  ", folder / "Friends.xml"},
        {windowsStyle + "\\", folder / "Friends.xml"},
        {"Анна\\sub", folder / "sub" / "Friends.xml"},
        {"Анна/sub/", folder / "sub" / "Friends.xml"},
        {"", program / "Friends.xml"},
        {"   ", program / "Friends.xml"},
    };
    for (const Case& c : cases) {
        TFriend table;
        table.SetFileName("Friends.xml");
        table.SetLocalDir(c.localDir);
        EXPECT_EQ(table.FilePath().lexically_normal(), c.expected.lexically_normal()) << c.localDir;
        AddProfile(table, "written");
        table.Save();
        TFriend back;
        back.SetFileName("Friends.xml");
        back.SetLocalDir(c.localDir);
        back.Load();
        EXPECT_EQ(Logins(back), "written") << c.localDir;
        std::filesystem::remove(c.expected);
    }
    TFriend unnamed;
    EXPECT_TRUE(unnamed.FilePath().empty());
}

TEST(Friend, LoadOfAMissingFileEmptiesTheTable) {
    ProgramDirScope program;
    TFriend table;
    table.Open();
    AddProfile(table, "anna");
    table.SetFileName("Friends.xml");
    table.Load();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.FindByLogin("anna"));
    EXPECT_FALSE(std::filesystem::exists(program / "Friends.xml")) << "nothing written";

    AddProfile(table, "boris");
    table.SetFileName("");
    table.Load();
    EXPECT_EQ(table.RecordCount(), 0) << "without a file name the table is just emptied";
}

TEST(Friend, DamagedFileLeavesTheTableAndTheFileAsTheyWere) {
    ProgramDirScope program;
    const std::string damaged = "<Friends><Friend><Login>x</Login></Friend>";
    WriteFile(program / "Friends.xml", damaged);
    TFriend table;
    table.Open();
    table.SetFileName("Friends.xml");
    AddProfile(table, "anna");
    AddProfile(table, "boris");
    EXPECT_THROW(table.Load(), data::EXMLTable);
    EXPECT_EQ(Logins(table), "anna boris");
    EXPECT_TRUE(table.FindByLogin("Boris"));
    EXPECT_FALSE(table.FindByLogin("x"));
    EXPECT_THROW(table.Save(), data::EXMLTable);
    EXPECT_EQ(ReadFile(program / "Friends.xml"), damaged);

    // Once the file is mended it loads and can be saved again.
    WriteFile(program / "Friends.xml", "<Friends><Friend><Login>x</Login></Friend></Friends>");
    table.Load();
    EXPECT_EQ(Logins(table), "x");
    table.Save();
}

} // namespace
