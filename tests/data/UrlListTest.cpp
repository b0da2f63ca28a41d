// The address lists: the server list's file and default row, copying and
// sorting addresses, and the folder list's owned tables.
#include "ProfileTestSupport.h"

#include "data/DefaultServer.h"
#include "data/TFriendFolderList.h"
#include "data/TServer.h"
#include "data/TUrlList.h"

#include <gtest/gtest.h>

namespace {

using data::TFriend;
using data::TServer;
using data::TUrlList;
using data::TXMLTable;
using testsupport::ProgramDirScope;
using testsupport::ReadFile;
using testsupport::WriteFile;

std::vector<std::string> Urls(const TXMLTable& table) {
    std::vector<std::string> out;
    table.FillStrings("URL", out);
    return out;
}

TEST(Server, MissingFileGivesTheDefaultRowAndWritesNothing) {
    ProgramDirScope program;
    TServer servers;
    servers.SetFileName("FinderServers.xml");
    servers.Open();
    servers.Load();
    EXPECT_EQ(Urls(servers), std::vector<std::string>{std::string(data::DefaultServerHost)});
    EXPECT_FALSE(std::filesystem::exists(program / "FinderServers.xml"));
    servers.Save();
    EXPECT_EQ(ReadFile(program / "FinderServers.xml"),
              "<Servers>\n\t<Server>\n\t\t<URL>" + std::string(data::DefaultServerHost) +
                  "</URL>\n\t</Server>\n</Servers>\n");
}

TEST(Server, FileWithRowsGivesExactlyThoseAndAnEmptyOneTheDefault) {
    ProgramDirScope program;
    WriteFile(program / "FinderServers.xml",
              "<Servers><Server><URL>love.example</URL></Server><Server><URL>знакомства.example</URL></Server></Servers>");
    TServer servers;
    servers.SetFileName("FinderServers.xml");
    servers.Load();
    EXPECT_EQ(Urls(servers), (std::vector<std::string>{"love.example", "знакомства.example"}));

    WriteFile(program / "FinderServers.xml", "<Servers/>");
    TServer empty;
    empty.SetFileName("FinderServers.xml");
    empty.Load();
    EXPECT_EQ(Urls(empty), std::vector<std::string>{std::string(data::DefaultServerHost)});
}

TEST(Server, DamagedFileThrowsAndAddsNothing) {
    ProgramDirScope program;
    WriteFile(program / "FinderServers.xml", "<Servers><Server>");
    TServer servers;
    servers.SetFileName("FinderServers.xml");
    EXPECT_THROW(servers.Load(), data::EXMLTable);
    EXPECT_EQ(servers.RecordCount(), 0);
    EXPECT_THROW(servers.Save(), data::EXMLTable);
    EXPECT_EQ(ReadFile(program / "FinderServers.xml"), "<Servers><Server>");
}

TEST(UrlList, CopyMissingToAddsOnlyAddressesTheTargetLacks) {
    TUrlList source;
    for (const char* url : {"B.example", "a.example", "c.example", "c.example"}) source.AddURL(url);
    TUrlList target;
    target.AddURL("b.EXAMPLE");
    source.CopyMissingTo(target);
    EXPECT_EQ(Urls(target), (std::vector<std::string>{"b.EXAMPLE", "a.example", "c.example"}));
    source.CopyMissingTo(source);
    EXPECT_EQ(source.RecordCount(), 4);
}

TEST(UrlList, SortByURLOrdersBytesWithCaseCounting) {
    TUrlList list;
    for (const char* url : {"b", "я.example", "a", "B", "", "a"}) list.AddURL(url);
    list.SortByURL();
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"", "B", "a", "a", "b", "я.example"}));
}

TEST(UrlList, SetURLAndDeleteURLOutsideTheRowsDoNothing) {
    TUrlList list;
    list.AddURL("a");
    list.SetURL(1, "x");
    list.SetURL(-1, "x");
    list.DeleteURL(3);
    list.SetURL(0, "b");
    EXPECT_EQ(Urls(list), std::vector<std::string>{"b"});
    EXPECT_STREQ(list.FindByURL("B").name(), "URL");
    list.DeleteURL(0);
    EXPECT_FALSE(list.FindByURL("b"));
}

TEST(UrlList, LoadAndSaveUseTheProgramsFolder) {
    ProgramDirScope program;
    TUrlList list;
    list.AddURL("a");
    list.Save();  // no file name: nothing
    list.SetFileName("urls.xml");
    list.Save();
    EXPECT_EQ(ReadFile(program / "urls.xml"), "<URLs>\n\t<URL>\n\t\t<URL>a</URL>\n\t</URL>\n</URLs>\n");
    TUrlList back;
    back.SetFileName("urls.xml");
    back.Load();
    EXPECT_EQ(Urls(back), std::vector<std::string>{"a"});
}

// A profile table that counts its own destruction.
class CountedFriend : public TFriend {
public:
    explicit CountedFriend(int& destroyed) : m_destroyed(destroyed) {}
    ~CountedFriend() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

TEST(FriendFolderList, DeletingARowFreesTheTableAtItsPosition) {
    data::TFriendFolderList folders;
    int destroyed = 0;
    std::vector<TXMLTable*> tables;
    for (const char* id : {"1", "2", "3"}) {
        const pugi::xml_node row = folders.NewRecordNode();
        TXMLTable::SetNodeText(row, "id", id);
        tables.push_back(&folders.InsertComponent(std::make_unique<CountedFriend>(destroyed)));
    }
    folders.NewRecordNode();  // a row without a table of its own

    folders.DeleteNode(1);
    EXPECT_EQ(destroyed, 1);
    ASSERT_EQ(folders.ComponentCount(), 2);
    EXPECT_EQ(&folders.Components(0), tables[0]);
    EXPECT_EQ(&folders.Components(1), tables[2]);
    EXPECT_EQ(TXMLTable::NodeText(folders.RecordNode(1), "id"), "3");

    folders.DeleteNode(2);  // the row without a table
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(folders.RecordCount(), 2);
    folders.DeleteNode(5);
    folders.DeleteNode(-1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_THROW(folders.Components(2), data::EXMLTable);
    EXPECT_THROW(folders.InsertComponent(nullptr), data::EXMLTable);
}

TEST(FriendFolderList, LocalDirReachesEveryProfileTable) {
    data::TFriendFolderList folders;
    folders.SetLocalDir("/home/anna/знакомства");
    auto& early = dynamic_cast<TFriend&>(folders.InsertComponent(std::make_unique<TFriend>()));
    EXPECT_EQ(early.LocalDir(), "/home/anna/знакомства");
    folders.InsertComponent(std::make_unique<TUrlList>());
    folders.SetLocalDir("D:\\Tessel\\");
    EXPECT_EQ(early.LocalDir(), "D:\\Tessel\\");
    EXPECT_EQ(folders.LocalDir(), "D:\\Tessel\\");
}

} // namespace
