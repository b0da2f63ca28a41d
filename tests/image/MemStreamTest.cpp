#include "StreamTestHelpers.h"

#include "image/TMemStream.h"

#include <vector>

using namespace image;
using imagetest::Contents;
using imagetest::Pattern;

TEST(MemStream, BlockSizesFollowTheFirstWriteThatNeedsThem) {
    struct Case {
        std::vector<int> writes;
        std::vector<int> blocks;
    };
    const Case cases[] = {
        {{5000}, {5000}},
        {{4096}, {4096}},
        {{4096, 1}, {4096, 4096}},
        {{1, 1, 1}, {4096}},
        {{100, 9000}, {4096, 5004}},
        {{10, 5000}, {4096, 4096}}, // fills the block, then appends a full one
        {{0}, {}},
    };
    for (const auto& c : cases) {
        TMemStream m;
        std::string all;
        for (int n : c.writes) {
            const std::string piece = Pattern(static_cast<size_t>(n), static_cast<unsigned>(all.size()));
            m.Write(piece.data(), n);
            all += piece;
        }
        EXPECT_EQ(m.BlockCapacities(), c.blocks);
        EXPECT_EQ(Contents(m), all);
    }
}

TEST(MemStream, RewritingInsideTheStreamReusesBlocks) {
    TMemStream m;
    const std::string data = Pattern(9000);
    m.Write(data.data(), 9000);
    m.SetPosition(4000);
    m.Write("XYZWV", 5);
    std::string expect = data;
    expect.replace(4000, 5, "XYZWV");
    EXPECT_EQ(m.GetSize(), 9000);
    EXPECT_EQ(m.BlockCapacities(), (std::vector<int>{9000}));
    EXPECT_EQ(Contents(m), expect);

    // Across a block boundary: 4090..4100 spans the two blocks.
    TMemStream two;
    const std::string head = Pattern(10), tail = Pattern(5000, 3);
    two.Write(head.data(), 10);
    two.Write(tail.data(), 5000);
    two.SetPosition(4090);
    two.Write("0123456789", 10);
    std::string joined = head + tail;
    joined.replace(4090, 10, "0123456789");
    EXPECT_EQ(Contents(two), joined);
}

TEST(MemStream, PositionRules) {
    TMemStream m;
    EXPECT_EQ(m.Write(nullptr, 0), 0);
    EXPECT_EQ(m.GetSize(), 0);
    m.SetPosition(0); // an empty stream allows position 0
    const std::string data = Pattern(8192);
    m.Write(data.data(), 8192);
    m.SetPosition(m.GetSize());
    EXPECT_THROW(m.SetPosition(m.GetSize() + 1), EInOutError);
    EXPECT_EQ(m.GetPosition(), 8192);
    // Exactly on a block boundary, then forward and backward.
    for (int64_t pos : {4096, 0, 8191, 1, 4095, 4097}) {
        m.SetPosition(pos);
        char c = 0;
        m.Read(&c, 1);
        EXPECT_EQ(c, data[static_cast<size_t>(pos)]) << pos;
        EXPECT_EQ(m.GetPosition(), pos + 1);
        EXPECT_EQ(m.Available(), 8192 - pos - 1);
    }
}

TEST(MemStream, ReadingPastTheEndDependsOnCheckIO) {
    TMemStream m;
    m.Write("abcdef", 6);
    m.SetPosition(2);
    m.SetCheckIO(false);
    char buf[16] = {};
    EXPECT_EQ(m.Read(buf, 16), 4);
    EXPECT_EQ(std::string(buf, 4), "cdef");
    EXPECT_EQ(m.Read(buf, 16), 0);
    EXPECT_TRUE(m.Eof());
    m.SetCheckIO(true);
    m.SetPosition(5);
    EXPECT_THROW(m.Read(buf, 2), EInOutError);
    EXPECT_EQ(buf[0], 'f'); // what was there was delivered before the error
}

TEST(MemStream, TruncateCutsAtThePositionAndClearEmpties) {
    TMemStream m;
    const std::string data = Pattern(10000);
    m.Write(data.data(), 4096);
    m.Write(data.data() + 4096, 4096);
    m.Write(data.data() + 8192, 1808);
    EXPECT_EQ(m.BlockCapacities().size(), 3u);
    m.SetPosition(5000);
    m.Truncate();
    EXPECT_EQ(m.GetSize(), 5000);
    EXPECT_EQ(m.BlockCapacities(), (std::vector<int>{4096, 4096}));
    EXPECT_EQ(Contents(m), data.substr(0, 5000));
    m.Write("tail", 4);
    EXPECT_EQ(Contents(m), data.substr(0, 5000) + "tail");

    m.Clear();
    EXPECT_EQ(m.GetSize(), 0);
    EXPECT_EQ(m.GetPosition(), 0);
    EXPECT_TRUE(m.BlockCapacities().empty());
    m.Write("again", 5);
    EXPECT_EQ(Contents(m), "again");
}

TEST(MemStream, CopyStreamStopsAtTheSourceEndAndCanSkip) {
    TMemStream src, dst;
    const std::string data = Pattern(6000);
    src.Write(data.data(), 6000);
    src.SetPosition(0);
    // Asking for more than there is: a short piece trips the source's check...
    EXPECT_THROW(CopyStream(src, &dst, 10000), EInOutError);
    // ...and without it the copy stops at the end.
    dst.Clear();
    src.SetPosition(0);
    src.SetCheckIO(false);
    EXPECT_EQ(CopyStream(src, &dst, 10000), 6000);
    EXPECT_EQ(Contents(dst), data);
    src.SetCheckIO(true);

    src.SetPosition(0);
    EXPECT_EQ(CopyStream(src, nullptr, 5000), 5000);
    EXPECT_EQ(src.GetPosition(), 5000);

    src.SetPosition(0);
    TMemStream whole;
    whole.CopyFrom(src);
    EXPECT_EQ(Contents(whole), data);
    EXPECT_TRUE(src.CheckIO()); // switched off for the copy only
}

TEST(MemStream, CopyFromEndsWhenASourceDeliversNothing) {
    // A stream whose Available claims bytes that Read never delivers.
    class TLiar : public TBaseStream {
    public:
        int Write(const void*, int) override { return 0; }
        int Read(void*, int) override { return 0; }
        int64_t Available() const override { return 100; }
    } liar;
    TMemStream m;
    m.CopyFrom(liar);
    EXPECT_EQ(CopyStream(liar, &m, 50), 0);
    EXPECT_EQ(m.GetSize(), 0);
}
