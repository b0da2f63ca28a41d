// Copies of the whole program on one data folder, each a process of its own:
// one writer at a time, a second start told and writing nothing, and no lock
// outliving its holder, however it ends.
#include "support/TempDir.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

namespace fs = std::filesystem;

TEST(OneCopyPerFolder, ASecondCopyIsToldAndWritesNothingAndNoLockOutlivesItsHolder) {
    const testsupport::TempDir home;
    const fs::path data = home / "data/Corvane/Tessel", config = home / "config/Corvane/Tessel";
    // A copy on the folders, up when it says READY; killed and waited for by its end.
    auto start = [&] {
        auto copy = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", (home / "data").c_str());
        env.insert("XDG_CONFIG_HOME", (home / "config").c_str());
        copy->setProcessEnvironment(env);
        copy->start(VELMORA_PROGRAM_COPY, {});
        return copy;
    };
    auto ready = [](QProcess& copy) {
        for (QDeadlineTimer end(30000); copy.state() != QProcess::NotRunning && !copy.canReadLine() && !end.hasExpired();)
            copy.waitForReadyRead(200);
        return copy.readLine() == "READY\n";
    };
    auto snapshot = [&] { // every file of both folders, its bytes and time of change
        std::map<fs::path, std::string> files;
        for (const fs::path& dir : {data, config})
            for (const auto& e : fs::recursive_directory_iterator(dir))
                files[e.path()] = (e.is_regular_file() ? testsupport::ReadFile(e.path()) : "") +
                                  std::to_string(e.last_write_time().time_since_epoch().count());
        return files;
    };

    auto first = start();
    ASSERT_TRUE(ready(*first));
    // What saves killed midway would leave; the user's copies, and names that only look so.
    const std::vector<fs::path> left = {data / ".LoadedFriends.xml.velmora-save-a1B2c3", config / ".registry.xml.velmora-save-Q1w2E3"};
    const std::vector<fs::path> foreign = {data / ".Friends.xml.backup", data / ".FinderServers.xml.backup", config / ".registry.xml.backup",
                                           config / ".registry.xml.Oldcfg", data / ".Friends.xml.tmp", data / ".notes.txt.a1B2c3", data / "Friends.xml.a1B2c3"};
    fs::create_directories(config);
    for (const auto& file : left) testsupport::WriteFile(file, "<XMLTable>");
    for (const auto& file : foreign) testsupport::WriteFile(file, "kept");

    // The first may be saving through them: the second removes nothing.
    const auto before = snapshot();
    auto second = start();
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(second->readAllStandardError().contains(("Папка данных «" + data.string() + "» занята").c_str()));
    EXPECT_EQ(snapshot(), before);

    // Ended, the first leaves the folder free; the next start clears only
    // what dead saves left. Killed, a holder leaves no lock standing.
    first->closeWriteChannel();
    ASSERT_TRUE(first->waitForFinished(30000) && first->exitCode() == 0);
    auto third = start();
    ASSERT_TRUE(ready(*third));
    for (const auto& file : left) EXPECT_FALSE(fs::exists(file)) << file;
    for (const auto& file : foreign) EXPECT_TRUE(fs::exists(file)) << file;
    third->kill();
    ASSERT_TRUE(third->waitForFinished(30000));
    EXPECT_TRUE(ready(*start()));
}
