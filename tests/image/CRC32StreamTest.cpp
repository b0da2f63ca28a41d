#include "StreamTestHelpers.h"

#include "image/TCRC32Stream.h"

#include <zlib.h>

using namespace image;
using imagetest::Pattern;

namespace {
uint32_t Zlib(const std::string& s) {
    return static_cast<uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}
} // namespace

TEST(CRC32, MatchesZlibForEveryLengthAndAlignment) {
    const std::string data = Pattern(4096 + 17, 5);
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t len = 0; len < 80; ++len) {
            const std::string piece = data.substr(offset, len);
            ASSERT_EQ(CRC32(piece.data(), piece.size()), Zlib(piece)) << offset << "+" << len;
        }
    EXPECT_EQ(CRC32(data.data(), data.size()), Zlib(data));
    // Register updates in pieces equal one update over the whole.
    uint32_t reg = 0xFFFFFFFFu;
    for (size_t i = 0; i < data.size(); i += 333)
        reg = UpdateCRC32(reg, data.data() + i, std::min<size_t>(333, data.size() - i));
    EXPECT_EQ(reg ^ 0xFFFFFFFFu, Zlib(data));
}

TEST(CRC32Stream, CountsWritesAndDeliveredReads) {
    TMemStream m;
    TCRC32Stream crc(m);
    EXPECT_TRUE(crc.CanRead());
    EXPECT_TRUE(crc.CanWrite());
    EXPECT_EQ(crc.GetCRC(), 0u);
    crc.Write("IE", 2);
    crc.Write("ND", 2);
    crc.Write(nullptr, 0);
    EXPECT_EQ(crc.GetCRC(), 0xAE426082u);

    crc.Reset();
    m.SetPosition(0);
    m.SetCheckIO(false);
    char buf[10];
    EXPECT_EQ(crc.Read(buf, 10), 4); // only the four bytes there count
    EXPECT_EQ(crc.GetCRC(), 0xAE426082u);
}

TEST(CRC32Stream, FlushDoesNotReachTheInnerStream) {
    class TFlushCounter : public imagetest::TSinkStream {
    public:
        void Flush() override { ++flushes; }
        int flushes = 0;
    } sink;
    TCRC32Stream crc(sink);
    crc.Write("x", 1);
    crc.Flush();
    EXPECT_EQ(sink.flushes, 0);
    EXPECT_EQ(sink.data, "x");
}
