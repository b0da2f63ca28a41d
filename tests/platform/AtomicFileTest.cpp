#include "platform/AtomicFile.h"
#include "platform/ProgramDir.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// What the flushes of one save saw: the name flushed (the temporary file's,
// or "" for a folder) and what the target held at that moment.
struct Flushed {
    std::string name;
    std::string target;
};
std::vector<Flushed> g_flushed;
std::filesystem::path g_target;

int RecordingFlush(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    std::string name;
    if (S_ISREG(st.st_mode))
        name = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).filename().string();
    g_flushed.push_back({name, std::filesystem::exists(g_target) ? ReadFile(g_target) : ""});
    return ::fsync(fd);
}

// Saves `bytes` to `file` and tells what its flushes saw.
std::vector<Flushed> SaveWatched(const std::filesystem::path& file, std::string_view bytes) {
    g_flushed.clear();
    g_target = file;
    const platform::TFlush previous = platform::SetFlush(&RecordingFlush);
    platform::WriteFileAtomic(file, bytes);
    platform::SetFlush(previous);
    return g_flushed;
}

} // namespace

// The folder is flushed once the rename stands, or a power loss could undo
// the rename though the new bytes are on the disk.
TEST(AtomicFile, FlushesTheFileBeforeItsRenameAndTheFolderAfterIt) {
    TempDir dir;
    const auto file = dir / "Friends.xml";
    platform::WriteFileAtomic(file, "old");
    const auto flushed = SaveWatched(file, "new");
    ASSERT_EQ(flushed.size(), 2u);
    EXPECT_FALSE(flushed[0].name.empty());
    EXPECT_EQ(flushed[0].target, "old");
    EXPECT_EQ(flushed[1].name, "") << "the folder";
    EXPECT_EQ(flushed[1].target, "new");
}

// The start removes what a killed save leaves, by the name a save really
// gives its temporary file, and no copy a user keeps beside the files (nor
// what a save of an older version left, which no mark proves ours).
TEST(AtomicFile, OnlyWhatASaveLeftIsRemoved) {
    TempDir dir;
    const std::string left = SaveWatched(dir / "Friends.xml", "<XMLTable/>").at(0).name;
    EXPECT_TRUE(left.starts_with(".Friends.xml.")) << left;
    const std::vector<std::string> users = {".Friends.xml.backup", ".Friends.xml.Oldcfg", ".Friends.xml.a1B2c3",
                                            ".Friends.xml.tmp",    "Friends.xml.backup",  ".notes.txt.backup"};
    for (const std::string& name : users) testsupport::WriteFile(dir / name, "the user's");
    testsupport::WriteFile(dir / left, "<XMLTable>");
    platform::RemoveLeftTemporaries(dir.path(), {"Friends.xml"});
    EXPECT_FALSE(std::filesystem::exists(dir / left));
    for (const std::string& name : users)
        EXPECT_EQ(std::filesystem::exists(dir / name) ? ReadFile(dir / name) : "removed", "the user's") << name;
    EXPECT_EQ(ReadFile(dir / "Friends.xml"), "<XMLTable/>");
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
