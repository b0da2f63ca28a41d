// The XML table's files: round trip, encodings, and what happens to
// the user's file when loading or saving goes wrong.
#include "TestTables.h"

#include "data/TFriend.h"

#include "platform/Text.h"
#include "platform/db/TField.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using testsupport::FriendTable;
using testsupport::KeyTable;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

std::vector<std::string> Column(const data::TXMLTable& table, std::string_view field) {
    std::vector<std::string> out;
    table.FillStrings(field, out);
    return out;
}

TEST(XMLTableFile, RoundTripKeepsEveryText) {
    const std::vector<std::string> names = {
        "Анна-Мария Ёлкина",  "Ж&М <\"кавычки\"> 'апостроф' ]]>", "  пробелы по краям  ", "   ",
        "строка\r\nвторая\rтретья\nчетвёртая", "\tтаб", "", "emoji 😀 and ∑", "control \x01 char"};
    TempDir dir;
    FriendTable out;
    for (size_t i = 0; i < names.size(); ++i) out.Add(names[i], "login" + std::to_string(i), static_cast<int>(i));
    out.SaveToFile(dir / "Friends.xml");

    const std::string bytes = ReadFile(dir / "Friends.xml");
    EXPECT_TRUE(bytes.starts_with("<Friends>\n\t<Friend>\n\t\t<Name>Анна-Мария Ёлкина</Name>"));
    EXPECT_TRUE(text::IsValidUtf8(bytes));

    FriendTable in;
    in.LoadFromFile(dir / "Friends.xml");
    std::vector<std::string> kept = names;
    kept.back() = "control \uFFFD char"; // XML 1.0 holds no such character
    EXPECT_EQ(Column(in, "Name"), kept);
    for (std::string_view field : testsupport::kFriendFields)
        EXPECT_EQ(Column(in, field), Column(out, field)) << field;
}

// What XML 1.0 cannot hold becomes U+FFFD, so that every XML tool reads the
// files; files of the older writer ("&#01;", a raw U+FFFF) still load.
TEST(XMLTableFile, FilesHoldOnlyWhatXmlAllowsAndOlderOnesStillLoad) {
    if (std::system("command -v xmllint >/dev/null") != 0) GTEST_SKIP() << "xmllint is missing";
    TempDir dir;
    const auto wellFormed = [&](std::string_view name) {
        return std::system(("xmllint --noout '" + (dir / name).string() + "' 2>/dev/null").c_str()) == 0;
    };
    data::TFriend out, in;
    out.AddFriend("a\x01z\x1F\x7F", "b\uFFFE", "http://h/\uFFFF", "\t\r\n", 20, 0, 0, 0, 0, 0, "");
    out.SaveToFile(dir / "Friends.xml");
    EXPECT_TRUE(wellFormed("Friends.xml"));
    in.LoadFromFile(dir / "Friends.xml");
    EXPECT_EQ(Column(in, "Name"), std::vector<std::string>{"a\uFFFDz\uFFFD\x7F"});
    EXPECT_EQ(Column(in, "Area"), std::vector<std::string>{"\t\r\n"});
    EXPECT_TRUE(in.FindByLogin("b\uFFFE")) << "found by the text it was given";

    WriteFile(dir / "Old.xml", "<Friends><Friend><Name>x&#01;y\uFFFF</Name><Login>o&#31;</Login></Friend></Friends>");
    ASSERT_FALSE(wellFormed("Old.xml"));
    in.LoadFromFile(dir / "Old.xml");
    EXPECT_EQ(Column(in, "Name"), std::vector<std::string>{"x\uFFFDy\uFFFD"});
    EXPECT_TRUE(in.FindByLogin("o\x1F"));
    in.SaveToFile(dir / "Old.xml");
    EXPECT_TRUE(wellFormed("Old.xml"));
}

// The place of damage lies in the file itself, whatever it was converted
// from before parsing: each file breaks at the 'b' of "</b>".
TEST(XMLTableFile, APlaceOfDamageIsTheFilesOwnByte) {
    const auto utf16 = [](std::u16string_view text) { return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2); };
    const struct {
        const char* what;
        std::string bytes;
        const char* place;
    } cases[] = {
        {"UTF-8", "<a>жжж</b>", "у байта 12:"},
        {"windows-1251", "<a>\xE6\xE6\xE6</b>", "у байта 9:"},
        {"latin-1", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xE6\xE6\xE6</b>", "у байта 52:"},
        {"UTF-16", utf16(u"\uFEFF<a>жжж</b>"), "у байта 19:"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir / "Friends.xml", c.bytes);
        FriendTable table;
        try {
            table.LoadFromFile(dir / "Friends.xml");
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const data::EXMLTableDamaged& e) {
            EXPECT_NE(std::string(e.what()).find(c.place), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

TEST(XMLTableFile, MissingFileOpensEmptyAndWritesNothing) {
    TempDir dir;
    FriendTable table;
    table.Open();
    table.LoadFromFile(dir / "Friends.xml");
    EXPECT_TRUE(table.RecordsBound());
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.RecNo(), 0);
    EXPECT_STREQ(table.Document().document_element().name(), "Friends");
    EXPECT_FALSE(std::filesystem::exists(dir / "Friends.xml"));

    table.Add("Анна", "anna");
    table.LoadFromFile(dir / "Friends.xml");
    EXPECT_EQ(table.RecordCount(), 1) << "a missing file leaves the records as they are";
}

TEST(XMLTableFile, EmptyTableSavesAContainerThatLoadsAgain) {
    TempDir dir;
    FriendTable table;
    table.SaveToFile(dir / "Friends.xml");
    EXPECT_EQ(ReadFile(dir / "Friends.xml"), "<Friends />\n");
    FriendTable again;
    again.LoadFromFile(dir / "Friends.xml");
    EXPECT_EQ(again.RecordCount(), 0);
}

TEST(XMLTableFile, ReadsAnyContainerAndRecordNamesExtraAndReorderedFields) {
    TempDir dir;
    WriteFile(dir / "odd.xml",
              "<?xml version=\"1.0\"?>\n<!-- written by hand -->\n<Anything>\n"
              "  <X><Age>25</Age><Extra>x</Extra><Name>Анна</Name><Name>вторая</Name></X>\n"
              "  <Y/>\n"
              "  <Z><Name>Бо<![CDATA[<рис>]]></Name></Z>\n"
              "</Anything>\n");
    FriendTable table;
    table.Open();
    table.LoadFromFile(dir / "odd.xml");
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(table.GetFieldValue("Name"), "Анна") << "the first element of that name counts";
    EXPECT_EQ(table.GetFieldValue("Age"), "25");
    EXPECT_EQ(table.GetFieldValue("Login"), "") << "a field the record lacks reads empty";
    table.Next();
    EXPECT_EQ(table.FieldByName("Name").AsString(), "");
    EXPECT_EQ(table.FieldText(2, table.FieldByName("Name")), "Бо<рис>");
}

TEST(XMLTableFile, Windows1251FilesAreConverted) {
    const std::string body = "<Profiles><Record><Login>Вася</Login><LocalDir>Папка</LocalDir></Record></Profiles>";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"declared windows-1251",
         text::Utf8ToCp1251("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + body)},
        {"declared with single quotes and upper case",
         text::Utf8ToCp1251("<?xml version='1.0' encoding = 'WINDOWS-1251' ?>" + body)},
        {"not declared and not UTF-8", text::Utf8ToCp1251(body)},
        {"declared UTF-8 with a byte order mark", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "Profiles.xml", c.bytes);
        KeyTable table;
        table.LoadFromFile(dir / "Profiles.xml");
        ASSERT_EQ(table.RecordCount(), 1);
        EXPECT_EQ(data::TXMLTable::NodeText(table.RecordNode(0), "Login"), "Вася");
        EXPECT_EQ(data::TXMLTable::NodeText(table.RecordNode(0), "LocalDir"), "Папка");
        table.SaveToFile(dir / "Profiles.xml");
        EXPECT_TRUE(ReadFile(dir / "Profiles.xml").starts_with("<Profiles>\n\t<Record>\n\t\t<Login>Вася</Login>"));
    }
}

TEST(XMLTableFile, InvalidUtf8IsReplacedWhenStoredSoOtherRowsStayReadable) {
    TempDir dir;
    data::TFriend out, in;
    out.AddFriend("Анна", "anna", "http://h/anna/", "", 20, 0, 0, 0, 0, 0, "");
    out.AddFriend("bad \xC0\xAF end", "b\xE9", "http://h/b/", "", 30, 0, 0, 0, 0, 0, "");
    out.SaveToFile(dir / "Friends.xml");
    in.LoadFromFile(dir / "Friends.xml");
    EXPECT_EQ(Column(in, "Name"), (std::vector<std::string>{"Анна", "bad \uFFFD\uFFFD end"}));
    // Found by the bytes it was given.
    EXPECT_TRUE(out.FindByLogin("b\xE9") && in.FindByLogin("b\xE9"));
    // The deepest nesting allowed loads.
    WriteFile(dir / "Friends.xml", "<Friends><Friend><Name>" + Repeat("<a>", 252) + Repeat("</a>", 252) + "</Name></Friend></Friends>");
    EXPECT_NO_THROW(in.LoadFromFile(dir / "Friends.xml"));
}

TEST(XMLTableFile, DamagedFileKeepsTheTableAndTheFile) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"empty file", "", "в нём нет ни одного элемента XML"},
        {"cut short", "<Friends><Friend><Name>Анна</Name>", "у байта 38: закрывающий тег не совпадает с открывающим"},
        {"mismatched tags", "<Friends><Friend></Name></Friends>", "у байта 20: закрывающий тег не совпадает"},
        {"not XML", "это не XML", "в нём нет ни одного элемента XML"},
        {"invalid UTF-8 declared UTF-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xC0\xAF</a>", "не в кодировке UTF-8"},
        {"unsupported encoding", "<?xml version=\"1.0\" encoding=\"koi8-r\"?><a/>", "неизвестная кодировка «koi8-r»"},
        // Saving it would cost memory quadratic in its depth (2 GiB here).
        {"nested too deep",
         "<Friends><Friend>" + Repeat("<a>", 100000) + Repeat("</a>", 100000) + "</Friend></Friends>",
         "вложенность элементов глубже 256 уровней"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto path = dir / "Friends.xml";
        FriendTable table;
        table.Open();
        table.Add("Анна", "anna");
        table.Add("Борис", "boris");
        table.SaveToFile(path);
        table.Last();
        WriteFile(path, c.bytes);

        try {
            table.LoadFromFile(path);
            ADD_FAILURE() << "a damaged file loaded";
        } catch (const data::EXMLTableDamaged& e) {
            EXPECT_NE(std::string(e.what()).find("Файл «" + path.string() + "» повреждён: "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(Column(table, "Name"), (std::vector<std::string>{"Анна", "Борис"}));
        EXPECT_EQ(table.RecNo(), 2);

        EXPECT_THROW(table.SaveToFile(path), data::EXMLTable) << "the damaged file must not be replaced";
        EXPECT_EQ(ReadFile(path), c.bytes);
        EXPECT_NO_THROW(table.SaveToFile(dir / "elsewhere.xml"));

        // Once the user has repaired the file, it loads and saves again.
        WriteFile(path, "<Friends><Friend><Name>Вера</Name></Friend></Friends>");
        table.LoadFromFile(path);
        EXPECT_EQ(Column(table, "Name"), std::vector<std::string>{"Вера"});
        EXPECT_NO_THROW(table.SaveToFile(path));
    }

    // A damaged file the user has removed may be written afresh.
    TempDir dir;
    WriteFile(dir / "Friends.xml", "<Friends>");
    FriendTable table;
    EXPECT_THROW(table.LoadFromFile(dir / "Friends.xml"), data::EXMLTable);
    std::filesystem::remove(dir / "Friends.xml");
    EXPECT_NO_THROW(table.SaveToFile(dir / "Friends.xml"));
}

TEST(XMLTableFile, UnreadableFileIsAnErrorNotAnEmptyTable) {
    TempDir dir;
    const auto path = dir / "Friends.xml";
    std::filesystem::create_directory(path);  // a folder where the file should be
    FriendTable table;
    table.Add("Анна", "anna");
    try {
        table.LoadFromFile(path);
        FAIL();
    } catch (const data::EXMLTable& e) {
        EXPECT_EQ(dynamic_cast<const data::EXMLTableDamaged*>(&e), nullptr) << "a folder is no damaged file";
        EXPECT_NE(std::string(e.what()).find("не прочитан: это папка, а не файл (EISDIR)"), std::string::npos) << e.what();
    }
    EXPECT_EQ(table.RecordCount(), 1);
}

} // namespace
