#include "data/Base64.h"
#include "data/CodeTables.h"
#include "data/DefaultServer.h"
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "platform/Text.h"
#include "support/ConfigHome.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace data;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

// One row of "Profiles.xml"; the password is given in clear text and
// written as Base64, as the file keeps it.
struct ProfileRow {
    std::string Login;
    std::string Password;
    std::string LocalDir;
    std::string UseProxy;
    std::string Authorization;
    std::string ProxyServer = "proxy.local";
    std::string ProxyPort = "3128";
    std::string ProxyUserName = "puser";
    std::string ProxyPassword = "ppass";
    std::string ProxyBypass = "localhost";
};

std::string ProfilesXml(const std::vector<ProfileRow>& rows, std::string_view declaration = "") {
    std::string xml(declaration);
    xml += "<XMLTable>";
    for (const ProfileRow& r : rows) {
        xml += "<Record><Login>" + r.Login + "</Login><Password>" + Base64Encode(r.Password) + "</Password><LocalDir>" +
               r.LocalDir + "</LocalDir><UseProxy>" + r.UseProxy + "</UseProxy><Authorization>" + r.Authorization +
               "</Authorization><ProxyServer>" + r.ProxyServer + "</ProxyServer><ProxyPort>" + r.ProxyPort +
               "</ProxyPort><ProxyUserName>" + r.ProxyUserName + "</ProxyUserName><ProxyPassword>" +
               r.ProxyPassword + "</ProxyPassword><ProxyBypass>" + r.ProxyBypass + "</ProxyBypass></Record>";
    }
    return xml + "</XMLTable>";
}

std::string FriendsXml(std::string_view login) {
    return "<Friends><Friend><Name>N</Name><Login>" + std::string(login) + "</Login><URL>http://x.test/" +
           std::string(login) + "</URL></Friend></Friends>";
}

struct ProxyState {
    bool UseProxy;
    bool Authorization;
    std::string Server;
    int32_t Port;
    std::string UserName;
    std::string Password;
    std::string Bypass;
    bool operator==(const ProxyState&) const = default;
};

ProxyState StateOf(const TTesselProxyParams& p) {
    return {p.UseProxy(),     p.ProxyAuthorization(), p.ProxyServer(), p.ProxyPort(),
            p.ProxyUserName(), p.ProxyPassword(),      p.ProxyBypass()};
}

const ProxyState kNoProxy{false, false, "", 0, "", "", ""};

class DataModule : public ::testing::Test {
protected:
    DataModule() { platform::SetProgramDir(m_programDir.path()); }
    ~DataModule() override { platform::SetProgramDir({}); }

    std::filesystem::path ProgramFile(std::string_view name) const { return m_programDir / name; }

    // Saves settings with the site login "me" / "secret" and, when `profile`
    // is not empty, UseProfile naming it.
    static void SaveSettings(const std::string& profile) {
        TTesselSettings settings;
        settings.SetLogin("me");
        settings.SetPassword("secret");
        settings.SetUseProfile(!profile.empty());
        settings.SetProfileLogin(profile);
        settings.Save();
    }

    testsupport::ConfigHome m_config;
    testsupport::TempDir m_programDir;
};

TEST_F(DataModule, FirstRunWithoutAnyFile) {
    {
        TdmFriend dm;
        EXPECT_EQ(&dmFriend(), &dm);
        EXPECT_THROW(TdmFriend second, std::logic_error);
        EXPECT_EQ(&dmFriend(), &dm);

        EXPECT_TRUE(dm.FirstRun());
        EXPECT_EQ(dm.Settings().FinderServer(), DefaultServerHost);
        EXPECT_TRUE(DefaultServerHost.ends_with(".example")); // names no real site
        EXPECT_TRUE(dm.StartupWarnings().empty());
        EXPECT_TRUE(dm.Profiles().Active());
        EXPECT_EQ(dm.Profiles().RecordCount(), 0);
        EXPECT_EQ(dm.LocalDir(), "");
        EXPECT_EQ(dm.Profile().Login, "");
        EXPECT_EQ(StateOf(dm.Profile().ProxyParams), kNoProxy);

        // Every table is made and open; the vocabulary is filled in order.
        for (TXMLTable* t : std::vector<TXMLTable*>{&dm.Friends(), &dm.Ignore(), &dm.Servers(), &dm.Countries(),
                                                    &dm.Regions(), &dm.Cities(), &dm.Stations(), &dm.CarGroup()})
            EXPECT_TRUE(t->Active());
        for (const TVocabularyGroupInfo& info : VocabularyGroups) {
            EXPECT_TRUE(dm.ConditionGroup(info.Group).Active()) << info.Name;
            EXPECT_EQ(dm.ConditionGroup(info.Group).RecordCount(), static_cast<int>(info.RowCount)) << info.Name;
        }
        EXPECT_EQ(TXMLTable::NodeText(dm.TargetGroup().RecordNode(0), "id"), "Friendship");
        EXPECT_EQ(TXMLTable::NodeText(dm.OrientationGroup().RecordNode(0), "id"),
                  VocabularyRowsOf(TVocabularyGroup::Orientation)[0].id);
        EXPECT_EQ(dm.Countries().RecordCount(), 2);
        EXPECT_EQ(dm.Stations().RecordCount(), 1);
        EXPECT_EQ(dm.CarGroup().RecordCount(), 0);

        EXPECT_EQ(dm.Friends().FilePath(), ProgramFile("Friends.xml"));
        EXPECT_EQ(dm.Ignore().FilePath(), ProgramFile("Ignore.xml"));
        dm.Servers().Load();
        ASSERT_EQ(dm.Servers().RecordCount(), 1);
        EXPECT_EQ(TXMLTable::NodeText(dm.Servers().RecordNode(0), "URL"), DefaultServerHost);
    }
    EXPECT_FALSE(dmFriendExists());
    EXPECT_THROW(dmFriend(), std::logic_error);
    // Nothing is written at start-up or at the end.
    EXPECT_TRUE(std::filesystem::is_empty(m_programDir.path()));
}

TEST_F(DataModule, StartsWithEveryFilePresent) {
    const std::filesystem::path anna = m_programDir / "anna";
    std::filesystem::create_directory(anna);
    // A hand-written profiles file in windows-1251, as the original's users kept it.
    const std::string profiles = ProfilesXml(
        {{"olga", "o", "", "", ""}, {"anna", "пароль", anna.string(), "Да", "Да", "10.0.0.1", "8080"}},
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
    WriteFile(ProgramFile("Profiles.xml"), text::Utf8ToCp1251(profiles));
    WriteFile(ProgramFile("Friends.xml"), FriendsXml("fav"));
    WriteFile(anna / "Ignore.xml", FriendsXml("ign"));
    WriteFile(ProgramFile("Ignore.xml"), FriendsXml("other"));
    WriteFile(ProgramFile("FinderServers.xml"), "<Servers><Server><URL>a.test</URL></Server>"
                                                "<Server><URL>b.test</URL></Server></Servers>");
    SaveSettings("anna");

    TdmFriend dm;
    EXPECT_FALSE(dm.FirstRun());
    EXPECT_TRUE(dm.StartupWarnings().empty());
    EXPECT_EQ(dm.Profiles().RecordCount(), 2);
    EXPECT_EQ(dm.Profile().Login, "anna");
    EXPECT_EQ(dm.Profile().Password, "пароль");
    EXPECT_EQ(dm.LocalDir(), anna.string());
    EXPECT_EQ(dm.FolderList().LocalDir(), anna.string());
    EXPECT_EQ(StateOf(dm.Profile().ProxyParams),
              (ProxyState{true, true, "10.0.0.1", 8080, "puser", "ppass", "localhost"}));

    // The lists are left for their users to load, each from its own folder.
    EXPECT_EQ(dm.Friends().RecordCount(), 0);
    dm.Friends().Load();
    dm.Ignore().Load();
    dm.Servers().Load();
    EXPECT_EQ(dm.Friends().RecordCount(), 1);
    EXPECT_FALSE(dm.Friends().FindByLogin("fav").empty());
    EXPECT_EQ(dm.Ignore().RecordCount(), 1);
    EXPECT_FALSE(dm.Ignore().FindByLogin("ign").empty());
    EXPECT_EQ(dm.Servers().RecordCount(), 2);
}

TEST_F(DataModule, DamagedFilesAreReportedAndTheProgramStarts) {
    // Lists that start-up does not read cannot stop it, and a settings file
    // that cannot be parsed makes a first run.
    for (const char* name : {"Friends.xml", "Ignore.xml", "FinderServers.xml"}) WriteFile(ProgramFile(name), "<broken");
    std::filesystem::create_directories(m_config.path() / "Corvane" / "Tessel");
    WriteFile(m_config.path() / "Corvane" / "Tessel" / "registry.xml", "not xml at all <<");

    bool first = true;
    struct Case {
        const char* what;
        bool asFolder;  // "Profiles.xml" is a folder: it exists and cannot be read
        std::string content;
    };
    for (const Case& c : {Case{"unparseable", false, "<XMLTable><Record><Login>anna</Login>"},
                          Case{"not UTF-8 as declared", false, "<?xml version=\"1.0\" encoding=\"utf-8\"?><XMLTable>"
                                                               "<Record><Login>\xC0\xED\xED\xE0</Login></Record>"
                                                               "</XMLTable>"},
                          Case{"unreadable", true, ""}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(ProgramFile("Profiles.xml"));
        if (c.asFolder)
            std::filesystem::create_directory(ProgramFile("Profiles.xml"));
        else
            WriteFile(ProgramFile("Profiles.xml"), c.content);

        TdmFriend dm;
        EXPECT_TRUE(dm.FirstRun());
        // The damaged settings file is reported once, when it is set aside.
        const size_t settingsWarnings = first ? 1 : 0;
        first = false;
        ASSERT_EQ(dm.StartupWarnings().size(), settingsWarnings + 1);
        if (settingsWarnings) {
            const std::string& told = dm.StartupWarnings()[0];
            EXPECT_NE(told.find("registry.xml.damaged»"), std::string::npos) << told;
            // What was wrong with it, quoted as every other message quotes a file.
            EXPECT_NE(told.find("повреждён: разметка XML нарушена у байта "), std::string::npos) << told;
            EXPECT_EQ(told.find('"'), std::string::npos) << told;
        }
        EXPECT_NE(dm.StartupWarnings().back().find("Profiles.xml"), std::string::npos);
        EXPECT_TRUE(dm.Profiles().Active());
        EXPECT_EQ(dm.Profiles().RecordCount(), 0);
        EXPECT_EQ(dm.TargetGroup().RecordCount(), 13);
        EXPECT_EQ(dm.LocalDir(), "");
        EXPECT_EQ(StateOf(dm.Profile().ProxyParams), kNoProxy);
        if (!c.asFolder) {
            EXPECT_EQ(ReadFile(ProgramFile("Profiles.xml")), c.content);
        }
    }
}

TEST_F(DataModule, BadProxyPortAndMissingFolderAreReported) {
    WriteFile(ProgramFile("Profiles.xml"),
              ProfilesXml({{"anna", "p", "D:\\Знакомства\\Анна", "Да", "Да", "proxy.local", "80a"}}));
    SaveSettings("anna");

    TdmFriend dm;
    ASSERT_EQ(dm.StartupWarnings().size(), 2u);
    EXPECT_EQ(dm.StartupWarnings()[0], dm.ProfileWarning());
    EXPECT_NE(dm.StartupWarnings()[0].find("\"80a\""), std::string::npos);
    EXPECT_NE(dm.StartupWarnings()[1].find("D:\\Знакомства\\Анна"), std::string::npos);
    // The rest of the profile holds; only the proxy and the folder are dropped.
    EXPECT_EQ(dm.Profile().Login, "anna");
    EXPECT_EQ(StateOf(dm.Profile().ProxyParams), kNoProxy);
    EXPECT_EQ(dm.LocalDir(), "");
    EXPECT_EQ(dm.FolderList().LocalDir(), "");
    EXPECT_EQ(dm.Ignore().FilePath(), ProgramFile("Ignore.xml"));
}

TEST_F(DataModule, ASettingThatCannotBeTakenIsToldAndTheRestIsRead) {
    const struct {
        const char* port;
        int32_t taken; // -1: refused and told
    } ports[] = {{"99999", -1}, {"-1", -1}, {"0", 0}, {"8080", 8080}};
    for (const auto& p : ports) {
        SCOPED_TRACE(p.port);
        std::filesystem::create_directories(m_config.path() / "Corvane" / "Tessel");
        WriteFile(m_config.path() / "Corvane" / "Tessel" / "registry.xml",
                  std::string("<registry><key name=\"Software\"><key name=\"Corvane\"><key name=\"Tessel\">"
                              "<value name=\"PageCount\" type=\"integer\" data=\"2147483648\"/>"
                              "<value name=\"login\" type=\"string\" data=\"anna\"/>"
                              "<value name=\"ProxyServer\" type=\"string\" data=\"proxy.local\"/>"
                              "<value name=\"ProxyPort\" type=\"integer\" data=\"") +
                      p.port + "\"/></key></key></key></registry>");
        TdmFriend dm;
        EXPECT_FALSE(dm.FirstRun());
        EXPECT_EQ(dm.Settings().login(), "anna");
        EXPECT_EQ(dm.Settings().ProxyParams().ProxyServer(), "proxy.local");
        EXPECT_EQ(dm.Settings().PageCount(), 0);
        EXPECT_EQ(dm.Settings().ProxyParams().ProxyPort(), std::max(p.taken, 0));
        ASSERT_EQ(dm.StartupWarnings().size(), 1u);
        const std::string& told = dm.StartupWarnings()[0];
        EXPECT_NE(told.find("registry.xml» не прочитан"), std::string::npos) << told;
        EXPECT_NE(told.find("«PageCount»: число 2147483648 вне пределов"), std::string::npos) << told;
        EXPECT_EQ(told.find("«ProxyPort»: номер порта " + std::string(p.port) + " вне пределов от 1 до 65535") !=
                      std::string::npos,
                  p.taken < 0)
            << told;
    }
}

TEST_F(DataModule, OnlyDaSwitchesTheProxyAndItsAuthorization) {
    struct Case {
        std::string UseProxy, Authorization, ProxyPort;
        ProxyState expected;
        bool warned = false;
    };
    const ProxyState full{true, true, "proxy.local", 3128, "puser", "ppass", "localhost"};
    const ProxyState noAuth{true, false, "proxy.local", 3128, "", "", "localhost"};
    const std::vector<Case> cases{
        {"Да", "Да", "3128", full},
        {"Да", "да", "3128", noAuth},
        {"Да", "", "3128", noAuth},
        {"Да", "1", " 3128", noAuth},
        {"Да", "Да", "$0C38", full},  // the port read as the original reads integers
        {"да", "Да", "3128", kNoProxy},
        {"1", "Да", "3128", kNoProxy},
        {"Yes", "Да", "3128", kNoProxy},
        {"Да ", "Да", "3128", kNoProxy},
        {"ДА", "Да", "3128", kNoProxy},
        {"", "", "x", kNoProxy},  // no proxy: the port is not looked at
        {"Да", "Да", "", kNoProxy, true},
        {"Да", "Да", "3128x", kNoProxy, true},
        {"Да", "Да", "70000", kNoProxy, true},
        {"Да", "Да", "-1", kNoProxy, true},
    };
    std::vector<ProfileRow> rows;
    for (size_t i = 0; i < cases.size(); ++i)
        rows.push_back({"user" + std::to_string(i), "p", "", cases[i].UseProxy, cases[i].Authorization, "proxy.local",
                        cases[i].ProxyPort});
    WriteFile(ProgramFile("Profiles.xml"), ProfilesXml(rows));

    TdmFriend dm;
    dm.Settings().SetUseProfile(true);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        dm.Settings().SetProfileLogin("user" + std::to_string(i));
        const TTesselProfile& profile = dm.GetActiveProfile();
        EXPECT_EQ(StateOf(profile.ProxyParams), cases[i].expected);
        EXPECT_EQ(!dm.ProfileWarning().empty(), cases[i].warned);
        EXPECT_EQ(profile.Login, "user" + std::to_string(i));
    }
}

TEST_F(DataModule, ActiveProfileRules) {
    const std::filesystem::path folder = m_programDir / "anna";
    std::filesystem::create_directory(folder);
    WriteFile(ProgramFile("Profiles.xml"),
              ProfilesXml({{"anna", "annapass", folder.string(), "Да", "Да"}, {"anna", "second", "", "", ""}}));
    SaveSettings("Anna");

    // The profile lookup is exact: "Anna" names no row, so the settings'
    // login and clear password are used, with no proxy and no folder.
    TdmFriend dm;
    EXPECT_TRUE(dm.StartupWarnings().empty());
    EXPECT_EQ(dm.Profile().Login, "me");
    EXPECT_EQ(dm.Profile().Password, "secret");
    EXPECT_EQ(dm.Profile().LocalDir, "");
    EXPECT_EQ(dm.LocalDir(), "");
    EXPECT_EQ(StateOf(dm.Profile().ProxyParams), kNoProxy);

    // The first of two rows with the same login counts.
    dm.Settings().SetProfileLogin("anna");
    TTesselProfile& profile = dm.GetActiveProfile();
    EXPECT_EQ(&profile, &dm.Profile());
    EXPECT_EQ(profile.Password, "annapass");
    EXPECT_EQ(profile.LocalDir, folder.string());
    EXPECT_TRUE(profile.ProxyParams.UseProxy());
    // Start-up resolved the folders once; a later change leaves them.
    EXPECT_EQ(dm.LocalDir(), "");

    // UseProfile off: the settings' account and no proxy; the folder stays
    // as the last profile left it.
    dm.Settings().SetUseProfile(false);
    dm.GetActiveProfile();
    EXPECT_EQ(profile.Login, "me");
    EXPECT_EQ(profile.Password, "secret");
    EXPECT_EQ(profile.LocalDir, folder.string());
    EXPECT_EQ(StateOf(profile.ProxyParams), kNoProxy);
}

} // namespace
