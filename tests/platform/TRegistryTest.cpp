#include "platform/FileLock.h"
#include "platform/TRegistry.h"
#include "support/ConfigHome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using platform::ERegistryException;
using platform::TRegDataType;
using platform::TRegistry;
using testsupport::ConfigHome;
using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr std::string_view kKey = "Software\\Corvane\\Tessel";

void Save(std::string_view key, std::string_view name, std::string_view value) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(name, value);
    reg.CloseKey();
}

// Folder permissions bind this thread as any user: root's ways past them
// are dropped from its effective capabilities for the object's life (a user
// has none to drop), so these tests run as root in CI too.
class PermissionsBind {
public:
    PermissionsBind() {
        __user_cap_data_struct dropped[2];
        if (::syscall(SYS_capget, &m_header, m_saved) != 0) return;
        std::copy(m_saved, m_saved + 2, dropped);
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) dropped[cap / 32].effective &= ~(1u << cap % 32);
        m_dropped = ::syscall(SYS_capset, &m_header, dropped) == 0;
    }
    ~PermissionsBind() {
        if (m_dropped) ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool Binds() const { return m_dropped || ::geteuid() != 0; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

std::string Nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) open += "<key name=\"k\">", close += "</key>";
    return "<registry>" + open + close + "</registry>";
}

std::string ReadStringValue(std::string_view key, std::string_view name) {
    TRegistry reg;
    if (!reg.OpenKey(key, false)) return "<no key>";
    return reg.ReadString(name);
}

} // namespace

TEST(Registry, AMissingKeyIsNoErrorAndASaveCreatesIt) {
    ConfigHome home;
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.ValueExists("PageCount"));
    EXPECT_THROW(reg.WriteInteger("PageCount", 1), ERegistryException);

    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("PageCount", 5);
    reg.WriteString("s_ty", "All");
    reg.CloseKey();
    EXPECT_TRUE(std::filesystem::exists(TRegistry::StoreFile()));
    EXPECT_TRUE(TRegistry().KeyExists(kKey));
    EXPECT_TRUE(TRegistry().KeyExists("Software\\Corvane"));

    // A second save overwrites the values.
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("PageCount", 7);
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadInteger("PageCount"), 7);
    EXPECT_EQ(reg.ReadString("s_ty"), "All");
    EXPECT_EQ(FilesIn(TRegistry::StoreFile().parent_path()), 1u) << "no temporary file is left";
}

TEST(Registry, CreatingAnEmptyKeyKeepsIt) {
    ConfigHome home;
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Corvane\\Tessel\\CarGroup", true));
    }
    EXPECT_TRUE(TRegistry().KeyExists("Software\\Corvane\\Tessel\\CarGroup"));
}

TEST(Registry, ReadingAValueAsTheWrongKindRaises) {
    ConfigHome home;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("PageCount", 3);
    reg.WriteString("s_ty", "Week");
    EXPECT_EQ(reg.GetDataType("PageCount"), TRegDataType::Integer);
    EXPECT_EQ(reg.GetDataType("s_ty"), TRegDataType::String);
    EXPECT_EQ(reg.GetDataType("nothing"), TRegDataType::Unknown);
    try {
        (void)reg.ReadString("PageCount");
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'PageCount'");
    }
    EXPECT_THROW((void)reg.ReadInteger("s_ty"), ERegistryException);
    EXPECT_THROW((void)reg.ReadInteger("nothing"), ERegistryException);
    EXPECT_THROW((void)reg.ReadString("nothing"), ERegistryException);
}

TEST(Registry, NamesCompareWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    ConfigHome home;
    Save(kKey, "PageCount", "a");
    Save("SOFTWARE\\corvane\\tessel", "PAGECOUNT", "b");
    Save("Software\\Corvane\\Tessel", "Страна", "c");

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("software\\CORVANE\\Tessel", false));
    EXPECT_EQ(reg.ReadString("pagecount"), "b");
    EXPECT_EQ(reg.ReadString("СТРАНА"), "c");
    EXPECT_THAT(reg.GetValueNames(), ElementsAre("PageCount", "Страна"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Corvane\\Tessel\\"));
}

TEST(Registry, ValuesComeBackExactly) {
    ConfigHome home;
    std::string allBytes;
    for (int c = 1; c < 256; ++c) allBytes.push_back(static_cast<char>(c));
    const std::vector<std::string> strings = {
        "", " ", "  leading and trailing  ", "line\r\nbreaks\rand\nmore\t", "<&\"'>", "Пароль ёЁ", allBytes,
    };
    const std::vector<int32_t> integers = {0, 1, -1, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()};
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        for (size_t i = 0; i < strings.size(); ++i) reg.WriteString("s" + std::to_string(i), strings[i]);
        for (size_t i = 0; i < integers.size(); ++i) reg.WriteInteger("i" + std::to_string(i), integers[i]);
        reg.WriteString("nul", std::string_view("cut\0here", 8));
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    for (size_t i = 0; i < strings.size(); ++i)
        EXPECT_EQ(reg.ReadString("s" + std::to_string(i)), strings[i]) << "string " << i;
    for (size_t i = 0; i < integers.size(); ++i)
        EXPECT_EQ(reg.ReadInteger("i" + std::to_string(i)), integers[i]) << "integer " << i;
    EXPECT_EQ(reg.ReadString("nul"), "cut");
}

TEST(Registry, ChangesReachTheFileWhenTheKeyCloses) {
    ConfigHome home;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("login", "anna");
    EXPECT_EQ(reg.ReadString("login"), "anna") << "the object sees its own writes";
    EXPECT_FALSE(TRegistry().KeyExists(kKey)) << "nothing is written before the key closes";
    reg.CloseKey();
    EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
}

TEST(Registry, SavesThroughTwoObjectsKeepEachOthersValues) {
    ConfigHome home;
    TRegistry first;
    TRegistry second;
    ASSERT_TRUE(first.OpenKey(kKey, true));
    ASSERT_TRUE(second.OpenKey(kKey, true));
    first.WriteString("login", "anna");
    second.WriteString("ProxyServer", "10.0.0.1");
    second.CloseKey();
    first.CloseKey();
    EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
    EXPECT_EQ(ReadStringValue(kKey, "ProxyServer"), "10.0.0.1");
}

TEST(Registry, DeletesValuesAndKeepsSubkeysApart) {
    ConfigHome home;
    const std::string cars = std::string(kKey) + "\\CarGroup";
    Save(kKey, "CarID0", "settings value");
    Save(cars, "CarID0", "1");
    Save(cars, "CarName0", "Audi");
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(cars, false));
        EXPECT_TRUE(reg.DeleteValue("carid0"));
        EXPECT_FALSE(reg.DeleteValue("CarID0"));
        EXPECT_THAT(reg.GetValueNames(), ElementsAre("CarName0"));
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(cars, false));
    EXPECT_THAT(reg.GetValueNames(), ElementsAre("CarName0"));
    EXPECT_EQ(ReadStringValue(kKey, "CarID0"), "settings value");
}

// Files this store never writes: each is set aside under a new name, reads
// as no keys at all, and is never overwritten.
TEST(Registry, ADamagedFileIsKeptAsideAndReadsAsEmpty) {
    const std::vector<std::string> damaged = {
        "not xml at all",
        "<registry><key name=\"Software\"><value name=\"x\" type=\"string\" data=\"y\"/>",
        "<settings/>",
        "<registry><key name=\"Software\"><value name=\"x\" type=\"binary\" data=\"00\"/></key></registry>",
        "<registry><key name=\"Software\"><value name=\"x\" type=\"string\"/></key></registry>",
        "<registry><key name=\"Software\"><value name=\"x\" type=\"string\" data=\"1\"/>"
        "<value name=\"X\" type=\"string\" data=\"2\"/></key></registry>",
        "<registry><key><value name=\"x\" type=\"string\" data=\"1\"/></key></registry>",
        "<registry>text<key name=\"Software\"/></registry>",
        // Read key by key, it would overflow the stack at every start.
        Nested(100000),
    };
    for (const auto& content : damaged) {
        SCOPED_TRACE(content.substr(0, 200));
        ConfigHome home;
        const auto file = TRegistry::StoreFile();
        std::filesystem::create_directories(file.parent_path());
        WriteFile(file, content);

        EXPECT_FALSE(TRegistry().KeyExists("Software"));
        auto aside = file;
        aside += ".damaged";
        EXPECT_EQ(TRegistry::TakeSetAsideFile(), aside);
        EXPECT_TRUE(TRegistry::TakeSetAsideFile().empty()) << "reported once";
        EXPECT_EQ(ReadFile(aside), content);

        Save(kKey, "login", "anna");
        EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
        EXPECT_EQ(ReadFile(aside), content);
    }
}

// An integer that is no 32-bit number damages only itself: it is passed
// over, told by name and cause, and kept in the file as written.
TEST(Registry, AnIntegerThatIsNoNumberIsPassedOverAlone) {
    const struct {
        std::string data;
        std::string cause;
    } cases[] = {
        {"2147483648", "число 2147483648 вне пределов от -2147483648 до 2147483647"},
        {"-2147483649", "число -2147483649 вне пределов от -2147483648 до 2147483647"},
        {"+3", "«+3» записано не как целое число"},
        {"12abc", "«12abc» записано не как целое число"},
        {std::string(50, '7') + "x", "«" + std::string(40, '7') + "…» записано не как целое число"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        ConfigHome home;
        std::filesystem::create_directories(TRegistry::StoreFile().parent_path());
        WriteFile(TRegistry::StoreFile(), "<registry><key name=\"Software\"><value name=\"PageCount\" type=\"integer\" "
                                          "data=\"" + c.data + "\"/><value name=\"login\" type=\"string\" data=\"anna\"/>"
                                          "</key></registry>");
        {
            TRegistry reg;
            ASSERT_TRUE(reg.OpenKey("Software", false));
            EXPECT_EQ(reg.ReadIntegerIfValid("pagecount"), std::nullopt);
            EXPECT_EQ(reg.ReadStringIfValid("login"), "anna");
            EXPECT_EQ(reg.ReadStringIfValid("PageCount"), std::nullopt) << "an integer all the same";
            EXPECT_THROW((void)reg.ReadInteger("PageCount"), ERegistryException);
        }
        EXPECT_TRUE(TRegistry::TakeSetAsideFile().empty());
        const auto skipped = TRegistry::TakeSkippedValues();
        ASSERT_EQ(skipped.size(), 1u) << "one entry per value";
        EXPECT_EQ(skipped[0].Name, "PageCount");
        EXPECT_THAT(skipped[0].Cause, HasSubstr(c.cause));
        EXPECT_TRUE(TRegistry::TakeSkippedValues().empty());

        Save("Software", "login", "boris");
        EXPECT_THAT(ReadFile(TRegistry::StoreFile()), HasSubstr("data=\"" + c.data + "\""));
    }
}

TEST(Registry, AWideFileIsReadInOnePass) {
    // 100,000 values: each is not compared with every other.
    ConfigHome home;
    std::filesystem::create_directories(TRegistry::StoreFile().parent_path());
    std::string wide = "<registry><key name=\"Software\"><key name=\"Corvane\"><key name=\"Tessel\">";
    for (int i = 0; i < 100000; ++i) wide += "<value name=\"v" + std::to_string(i) + "\" type=\"string\" data=\"x\"/>";
    WriteFile(TRegistry::StoreFile(), wide + "<value name=\"login\" type=\"string\" data=\"anna\"/></key></key></key></registry>");
    EXPECT_EQ(ReadStringValue(kKey, "LOGIN"), "anna");
}

TEST(Registry, ASecondDamagedFileDoesNotReplaceTheFirst) {
    ConfigHome home;
    const auto file = TRegistry::StoreFile();
    std::filesystem::create_directories(file.parent_path());
    WriteFile(file, "first damage");
    EXPECT_FALSE(TRegistry().KeyExists(kKey));
    WriteFile(file, "second damage");
    EXPECT_FALSE(TRegistry().KeyExists(kKey));
    EXPECT_EQ(ReadFile(file.string() + ".damaged"), "first damage");
    EXPECT_EQ(ReadFile(file.string() + ".damaged-2"), "second damage");
    (void)TRegistry::TakeSetAsideFile();
}

TEST(Registry, AnEmptyFileReadsAsNoKeys) {
    ConfigHome home;
    const auto file = TRegistry::StoreFile();
    std::filesystem::create_directories(file.parent_path());
    WriteFile(file, "");
    EXPECT_FALSE(TRegistry().KeyExists(kKey));
    EXPECT_TRUE(TRegistry::TakeSetAsideFile().empty());
    Save(kKey, "login", "anna");
    EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
}

TEST(Registry, ADamagedFileThatCannotBeSetAsideIsNeverOverwritten) {
    ConfigHome home;
    const PermissionsBind bind;
    ASSERT_TRUE(bind.Binds());
    const auto file = TRegistry::StoreFile();
    const auto dir = file.parent_path();
    std::filesystem::create_directories(dir);
    WriteFile(file, "damaged");
    ::chmod(dir.c_str(), 0500);

    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(kKey));
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("login", "anna");
    try {
        reg.CloseKey();
        ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_THAT(e.what(), HasSubstr("не удалось отложить в сторону"));
    }
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(ReadFile(file), "damaged");
}

TEST(Registry, AFileThatCannotBeWrittenRaisesOnClose) {
    ConfigHome home;
    const PermissionsBind bind;
    ASSERT_TRUE(bind.Binds());
    Save(kKey, "login", "anna");
    const auto dir = TRegistry::StoreFile().parent_path();
    ::chmod(dir.c_str(), 0500);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("login", "boris");
    EXPECT_THROW(reg.CloseKey(), ERegistryException);
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
}

TEST(Registry, WhatDeadSavesLeftIsClearedOnlyWhileNoSaveRuns) {
    ConfigHome home;
    Save(kKey, "login", "anna");
    const auto dir = TRegistry::StoreFile().parent_path(), left = dir / ".registry.xml.velmora-save-a1B2c3";
    WriteFile(left, "<registry>");
    for (const bool saving : {true, false}) {
        platform::TFileLock save; // as a save of another copy holds the folder
        std::error_code ec;
        if (saving) {
            ASSERT_TRUE(save.Lock(dir, platform::TFileLock::TMode::Shared, false, ec));
        }
        TRegistry::RemoveLeftTemporaries();
        EXPECT_EQ(std::filesystem::exists(left), saving);
    }
    EXPECT_EQ(ReadStringValue(kKey, "login"), "anna");
}

TEST(Registry, ASaveThatCannotReachItsFolderRaises) {
    ConfigHome home;
    std::filesystem::create_directories(home.path() / "Corvane");
    WriteFile(home.path() / "Corvane" / "Tessel", "a file where the folder should be");
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(kKey));
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("login", "anna");
    EXPECT_THROW(reg.CloseKey(), ERegistryException);
    EXPECT_EQ(ReadFile(home.path() / "Corvane" / "Tessel"), "a file where the folder should be");
}

TEST(Registry, TheFileIsTheUsersAlone) {
    ConfigHome home;
    Save(kKey, "password", "c2VjcmV0");
    struct stat st {};
    ASSERT_EQ(::stat(TRegistry::StoreFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
