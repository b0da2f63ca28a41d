#include "platform/AtomicFile.h"
#include "platform/ProgramDir.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

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
