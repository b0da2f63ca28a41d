#include "StreamTestHelpers.h"

#include "image/TFileStream.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <unistd.h>

using namespace image;
using imagetest::ErrorText;
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

TEST(FileStream, ReadAheadNeverShowsThroughThePositionTheReaderReached) {
    TempDir dir;
    const std::string path = (dir / "f.bin").string();
    const std::string data = Pattern(70000);
    testsupport::WriteFile(path, data);
    TFileStream f(path, TFileStream::fmRead | TFileStream::fmWrite);
    // Small reads across the read buffer's end, each stepping back over
    // the byte it peeked at, as the codecs read.
    std::string got;
    char buf[8];
    while (got.size() < 66000) {
        ASSERT_EQ(f.Read(buf, 7), 7);
        got.append(buf, 6);
        f.SetPosition(f.GetPosition() - 1);
        ASSERT_EQ(f.GetPosition(), int64_t(got.size()));
        ASSERT_EQ(f.Available(), int64_t(data.size() - got.size()));
    }
    EXPECT_TRUE(got == data.substr(0, got.size()));
    // Writing and cutting happen where the reader stands.
    f.Read(buf, 4);
    f.Write("XYZ", 3);
    f.Truncate();
    EXPECT_TRUE(ReadFile(path) == data.substr(0, got.size() + 4) + "XYZ");
    // A file cut short: what is there comes, and with CheckIO an error.
    f.SetPosition(int64_t(got.size()) + 5);
    EXPECT_EQ(ErrorText<EInOutError>([&] { f.Read(buf, 4); }), "Read less than expected");
    f.SetPosition(int64_t(got.size()) + 5);
    f.SetCheckIO(false);
    EXPECT_EQ(f.Read(buf, 4), 2);
    EXPECT_EQ(std::string(buf, 2), "YZ");
}
