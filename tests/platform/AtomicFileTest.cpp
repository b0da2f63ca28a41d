#include "platform/AtomicFile.h"
#include "platform/ProgramDir.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::ReadFile;
using testsupport::TempDir;

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto file = dir / "Friends.xml";
    platform::WriteFileAtomic(file, "old");
    platform::WriteFileAtomic(file, "new content");
    EXPECT_EQ(ReadFile(file), "new content");
    EXPECT_EQ(testsupport::FilesIn(dir.path()), 1u);
}

namespace {
// Each flush of a save: the file flushed ("" for the folder) and the target's bytes then.
std::vector<std::pair<std::string, std::string>> g_flushed;
std::filesystem::path g_target;
int RecordingFlush(int fd) {
    const auto flushed = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd));
    g_flushed.emplace_back(std::filesystem::is_directory(flushed) ? "" : flushed.filename().string(), ReadFile(g_target));
    return ::fsync(fd);
}
} // namespace

// The folder is flushed once the rename stands, or a power loss could undo it; what a killed save
// leaves goes at the start by the name a save gives it, a user's copy beside it stays.
TEST(AtomicFile, TheFolderIsFlushedAfterTheRenameAndOnlyASavesLeftoverIsRemoved) {
    TempDir dir;
    platform::WriteFileAtomic(g_target = dir / "Friends.xml", "old");
    const platform::TFlush fsync = platform::SetFlush(&RecordingFlush);
    platform::WriteFileAtomic(g_target, "new");
    platform::SetFlush(fsync);
    ASSERT_EQ(g_flushed, (decltype(g_flushed){{g_flushed[0].first, "old"}, {"", "new"}}));
    testsupport::WriteFile(dir / g_flushed[0].first, "<XMLTable>");
    testsupport::WriteFile(dir / ".Friends.xml.backup", "the user's");
    platform::RemoveLeftTemporaries(dir.path(), {"Friends.xml"});
    EXPECT_EQ(testsupport::FilesIn(dir.path()), 2u) << "Friends.xml and .Friends.xml.backup";
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const auto file = dir / "x.xml";
    platform::WriteFileAtomic(file, "keep me");
    EXPECT_THROW(platform::WriteFileAtomic(dir / "missing-folder" / "x.xml", "y"), platform::EFileWrite);
    EXPECT_EQ(ReadFile(file), "keep me");
}

TEST(ProgramDir, IsTheDataFolderCreatedOnFirstUseAndCanBePointedElsewhere) {
    TempDir data;
    const std::string old = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    const auto real = platform::ProgramDir();
    EXPECT_EQ(real, data.path() / "Corvane" / "Tessel");
    EXPECT_TRUE(std::filesystem::is_directory(real));
    platform::SetProgramDir("/tmp/somewhere");
    EXPECT_EQ(platform::ProgramDir(), std::filesystem::path("/tmp/somewhere"));
    platform::SetProgramDir({});
    EXPECT_EQ(platform::ProgramDir(), real);
    ::setenv("XDG_DATA_HOME", old.c_str(), 1);
}
