#include "StreamTestHelpers.h"

#include "image/TBufferedStream.h"

using namespace image;
using imagetest::Contents;
using imagetest::Pattern;
using imagetest::TPieceStream;
using imagetest::TSinkStream;

TEST(BufferedStream, BufferSizes) {
    TPieceStream inner(Pattern(100000));
    {
        TBufferedStream b(inner, -1, 0);
        char c;
        b.Read(&c, 1);
        EXPECT_EQ(inner.lastAsked, 65536); // -1 is the default size
    }
    {
        TBufferedStream b(inner, 0, 0);
        char c[3];
        b.Read(c, 3);
        EXPECT_EQ(inner.lastAsked, 3); // 0: no buffer, reads go through
    }
    EXPECT_THROW(TBufferedStream(inner, 1, 0), EStreamCreate);
    EXPECT_THROW(TBufferedStream(inner, -2, 0), EStreamCreate);
    TSinkStream sink;
    EXPECT_THROW(TBufferedStream(sink, 0, 1), EStreamCreate);
    // A direction the inner stream lacks gets no buffer, whatever its size.
    EXPECT_NO_THROW(TBufferedStream(sink, 1, 16));
}

TEST(BufferedStream, SmallReadsAreServedFromOneInnerRead) {
    const std::string data = Pattern(1000);
    TPieceStream inner(data);
    TBufferedStream b(inner, 256, 0);
    std::string got;
    for (int i = 0; i < 64; ++i) {
        char four[4];
        ASSERT_EQ(b.Read(four, 4), 4);
        got.append(four, 4);
    }
    EXPECT_EQ(got, data.substr(0, 256));
    EXPECT_EQ(inner.reads, 1);
    EXPECT_EQ(b.Available(), 1000 - 256);
}

TEST(BufferedStream, ReadsAcrossRefillsAndLargeReadsKeepTheOrder) {
    const std::string data = Pattern(5000, 9);
    // Reads of assorted sizes, some below the capacity and some above it.
    for (int piece : {1 << 30, 7}) {
        TPieceStream inner(data, piece);
        TBufferedStream b(inner, 64, 0);
        std::string got;
        for (int want : {3, 70, 1, 64, 63, 200, 5, 1000, 2, 64}) {
            std::string buf(static_cast<size_t>(want), '\0');
            ASSERT_EQ(b.Read(buf.data(), want), want);
            got += buf;
        }
        EXPECT_EQ(got, data.substr(0, got.size())) << piece;
        EXPECT_EQ(b.Available(), static_cast<int64_t>(data.size() - got.size()));
    }
}

TEST(BufferedStream, AShortReadDeliversWhatCameAndChecksOnlyWhenAsked) {
    const std::string data = "0123456789";
    TPieceStream inner(data);
    {
        TBufferedStream b(inner, 16, 0);
        EXPECT_FALSE(inner.CheckIO()); // read-ahead must not trip the inner check
        char buf[8];
        ASSERT_EQ(b.Read(buf, 8), 8);
        char rest[8] = {};
        EXPECT_THROW(b.Read(rest, 8), EInOutError);
        EXPECT_EQ(b.Available(), 0);
    }
    EXPECT_TRUE(inner.CheckIO()); // restored by the destructor

    TPieceStream again(data);
    again.SetCheckIO(false);
    TBufferedStream b(again, 16, 0);
    EXPECT_FALSE(b.CheckIO());
    char buf[16] = {};
    EXPECT_EQ(b.Read(buf, 16), 10);
    EXPECT_EQ(std::string(buf, 10), data);
    EXPECT_EQ(b.Read(buf, 1), 0);
}

TEST(BufferedStream, SwitchingCheckIOOnKeepsTheInnerCheckOff) {
    TPieceStream inner("abc");
    TBufferedStream b(inner, 16, 0);
    b.SetCheckIO(false);
    b.SetCheckIO(true);
    EXPECT_FALSE(inner.CheckIO());
    char buf[2];
    EXPECT_EQ(b.Read(buf, 2), 2); // the read-ahead of 16 did not raise inside
}

TEST(BufferedStream, WritesAreCollectedAndFlushedInOneInnerWrite) {
    TSinkStream sink;
    const std::string data = Pattern(300);
    {
        TBufferedStream b(sink, 0, 100);
        for (size_t i = 0; i < 90; i += 3) b.Write(data.data() + i, 3);
        EXPECT_EQ(sink.writes, 0);
        b.Flush();
        EXPECT_EQ(sink.writes, 1);
        EXPECT_EQ(sink.data, data.substr(0, 90));
        // Overflowing: the buffer is filled and sent, the rest buffered.
        EXPECT_EQ(b.Write(data.data() + 90, 150), 150);
        EXPECT_EQ(sink.writes, 2);
        EXPECT_EQ(sink.data, data.substr(0, 190));
        // A write larger than the buffer goes straight through.
        EXPECT_EQ(b.Write(data.data() + 240, 60), 60);
        b.Flush();
    }
    EXPECT_EQ(sink.data, data.substr(0, 300));
}

TEST(BufferedStream, DestructorFlushesAndNeverThrows) {
    TSinkStream sink(5);
    {
        TBufferedStream b(sink, 0, 64);
        b.Write("0123456789", 10);
    } // the sink takes only 5 bytes: the loss is not thrown from here
    EXPECT_EQ(sink.data, "01234");
}

TEST(BufferedStream, AnInnerShortWriteKeepsTheRestAndReports) {
    // The sink takes five bytes in all, then refuses everything.
    TSinkStream sink(5);
    TBufferedStream b(sink, 0, 8);
    EXPECT_EQ(b.Write("01234567", 8), 8);
    EXPECT_THROW(b.Flush(), EInOutError);
    EXPECT_EQ(sink.data, "01234");
    EXPECT_THROW(b.Write("89abcdef", 8), EInOutError); // fills the buffer, which cannot go out
    b.SetCheckIO(false);
    EXPECT_NO_THROW(b.Flush()); // still held, not dropped
    EXPECT_EQ(b.Write("x", 1), 0); // a full buffer accepts nothing more
    EXPECT_EQ(sink.data, "01234");
}
