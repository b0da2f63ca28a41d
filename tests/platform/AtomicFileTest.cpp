#include "platform/AtomicFile.h"
#include "platform/ProgramDir.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempDir;

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto file = dir / "Friends.xml";
    platform::WriteFileAtomic(file, "old");
    platform::WriteFileAtomic(file, "new content");
    EXPECT_EQ(ReadFile(file), "new content");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const auto file = dir / "x.xml";
    platform::WriteFileAtomic(file, "keep me");
    EXPECT_THROW(platform::WriteFileAtomic(dir / "missing-folder" / "x.xml", "y"), platform::EFileWrite);
    EXPECT_EQ(ReadFile(file), "keep me");
}

TEST(ProgramDir, CanBePointedElsewhereAndBack) {
    const auto real = platform::ProgramDir();
    EXPECT_TRUE(std::filesystem::exists(real));
    platform::SetProgramDir("/tmp/somewhere");
    EXPECT_EQ(platform::ProgramDir(), std::filesystem::path("/tmp/somewhere"));
    platform::SetProgramDir({});
    EXPECT_EQ(platform::ProgramDir(), real);
}
