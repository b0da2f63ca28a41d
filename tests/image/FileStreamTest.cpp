#include "StreamTestHelpers.h"

#include "image/TFileStream.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <unistd.h>

using namespace image;
using imagetest::Pattern;
using testsupport::ReadFile;
using testsupport::TempDir;

TEST(FileStream, ModesDecideAccessAndCreation) {
    TempDir dir;
    const std::string path = (dir / "f.bin").string();
    {
        TFileStream w(path, TFileStream::fmRead | TFileStream::fmWrite | TFileStream::fmCreate);
        EXPECT_TRUE(w.CanRead());
        EXPECT_TRUE(w.CanWrite());
        const std::string data = Pattern(10000);
        EXPECT_EQ(w.Write(data.data(), 10000), 10000);
        EXPECT_EQ(w.GetSize(), 10000);
        EXPECT_EQ(w.GetPosition(), 10000);
        EXPECT_EQ(w.Available(), 0);
        w.Flush();
    }
    EXPECT_EQ(ReadFile(path), Pattern(10000));
    {
        TFileStream r(path, TFileStream::fmRead | TFileStream::fmShareRead);
        EXPECT_TRUE(r.CanRead());
        EXPECT_FALSE(r.CanWrite());
        r.SetPosition(9990);
        EXPECT_EQ(r.Available(), 10);
        char buf[20];
        r.SetCheckIO(false);
        EXPECT_EQ(r.Read(buf, 20), 10);
        EXPECT_TRUE(r.Eof());
    }
    {
        // Without fmCreate an existing file is opened as it is.
        TFileStream w(path, TFileStream::fmWrite);
        EXPECT_EQ(w.GetSize(), 10000);
        w.SetPosition(4000);
        w.Truncate();
    }
    EXPECT_EQ(ReadFile(path), Pattern(4000));
    {
        TFileStream c(path, TFileStream::fmWrite | TFileStream::fmCreate);
        EXPECT_EQ(c.GetSize(), 0);
    }
}

TEST(FileStream, WrapsAnOpenDescriptorAndReadsAPipeInPieces) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    auto reader = TFileStream::CreateFromHandle(fds[0]);
    EXPECT_TRUE(reader->CanRead());
    EXPECT_TRUE(reader->CanWrite());
    ASSERT_EQ(::write(fds[1], "abc", 3), 3);
    ASSERT_EQ(::write(fds[1], "def", 3), 3);
    ::close(fds[1]);
    char buf[6];
    EXPECT_EQ(reader->Read(buf, 6), 6);
    EXPECT_EQ(std::string(buf, 6), "abcdef");
    EXPECT_THROW(TFileStream::CreateFromHandle(-1), EInOutError);
}
