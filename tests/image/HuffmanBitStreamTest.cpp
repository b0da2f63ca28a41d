// Bit I/O, Huffman code construction and table decoding, Adler-32.
#include "StreamTestHelpers.h"

#include "image/Adler32.h"
#include "image/THuffmanBitStream.h"

#include <random>
#include <zlib.h>

using namespace image;
using namespace imagetest;

namespace {

double Kraft(const std::vector<uint8_t>& lengths) {
    double k = 0;
    for (uint8_t l : lengths)
        if (l) k += 1.0 / double(1u << l);
    return k;
}

} // namespace

TEST(BitStream, BitsRoundTripInAnyWidths) {
    std::mt19937 rng(3);
    std::vector<std::pair<uint32_t, int>> items;
    TMemStream m;
    {
        TBitStream w(m);
        for (int i = 0; i < 5000; ++i) {
            const int n = 1 + int(rng() % 32);
            const uint32_t v = rng() & (n == 32 ? 0xFFFFFFFFu : (1u << n) - 1);
            items.push_back({v, n});
            w.WriteBits(v, n);
        }
        w.WriteBits(0xFFFFFFFF, 0); // nothing
        w.Flush();
    }
    m.SetPosition(0);
    TBitStream r(m);
    for (const auto& [v, n] : items) {
        uint8_t buf[4] = {};
        ASSERT_EQ(r.ReadBits(buf, n), n);
        EXPECT_EQ(uint32_t(buf[0]) | uint32_t(buf[1]) << 8 | uint32_t(buf[2]) << 16 | uint32_t(buf[3]) << 24, v);
    }
}

TEST(BitStream, OnlyTheLowBitsAreWrittenAndWideWritesAreRefused) {
    TMemStream m;
    TBitStream w(m);
    w.WriteBits(0xFFFFFFF5u, 3); // 101
    w.WriteBits(0, 5);
    EXPECT_EQ(ErrorText<EAssertionFailed>([&] { w.WriteBits(1, 33); }), "Assertion failed");
    w.Flush();
    EXPECT_EQ(Contents(m), std::string("\x05", 1));
}

TEST(BitStream, BytesAtAnyBitPositionAndTheEndOfInput) {
    TMemStream m;
    {
        TBitStream w(m);
        w.WriteBits(1, 1);
        w.Write("AB", 2); // unaligned: shifted by one bit
        w.Flush();        // pads to the byte
        w.Write("CD", 2); // aligned
    }
    EXPECT_EQ(Contents(m).size(), 5u);
    m.SetPosition(0);
    TBitStream r(m);
    EXPECT_EQ(r.ReadBit(), 1);
    char buf[4] = {};
    EXPECT_EQ(r.Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "AB");
    r.Flush(); // drops the padding bits
    r.SetCheckIO(false);
    EXPECT_EQ(r.Read(buf, 4), 2);
    EXPECT_EQ(std::string(buf, 2), "CD");
    uint8_t bits[2] = {};
    EXPECT_EQ(r.ReadBits(bits, 9), 0);
    EXPECT_EQ(r.ReadBit(), -1);
    r.SetCheckIO(true);
    EXPECT_EQ(ErrorText<EInOutError>([&] { r.Read(buf, 1); }), "Read less than expected");
}

TEST(Huffman, LengthsFollowTheJpegProcedureWithTiesToTheHigherSymbol) {
    const uint32_t freq[] = {5, 1, 1, 2};
    uint8_t lengths[4];
    THuffmanBitStream::MakeLengths(freq, 4, 15, lengths);
    EXPECT_EQ(std::vector<int>(lengths, lengths + 4), (std::vector<int>{1, 3, 3, 2}));
}

TEST(Huffman, LengthsAreCompleteAndWithinTheLimit) {
    std::mt19937 rng(9);
    for (int trial = 0; trial < 500; ++trial) {
        const int count = 2 + int(rng() % 287);
        const int limit = trial % 2 ? 15 : 9;
        std::vector<uint32_t> freq(static_cast<size_t>(count));
        for (auto& f : freq) f = rng() % 4 == 0 ? 0 : 1 + rng() % (1u << (rng() % 20));
        std::vector<uint8_t> lengths(static_cast<size_t>(count));
        THuffmanBitStream::MakeLengths(freq.data(), count, limit, lengths.data());
        int used = 0;
        for (int i = 0; i < count; ++i) {
            used += freq[i] > 0;
            if (freq[i]) {
                EXPECT_GT(lengths[i], 0);
            }
            EXPECT_LE(lengths[i], limit);
        }
        if (used > 0) {
            EXPECT_EQ(Kraft(lengths), 1.0) << trial;
        }
    }
    // Fibonacci frequencies make the unlimited code 30 bits deep.
    std::vector<uint32_t> fib = {1, 1};
    while (fib.size() < 30) fib.push_back(fib[fib.size() - 1] + fib[fib.size() - 2]);
    for (int limit : {7, 15}) {
        std::vector<uint8_t> lengths(fib.size());
        THuffmanBitStream::MakeLengths(fib.data(), int(fib.size()), limit, lengths.data());
        EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), limit);
        EXPECT_EQ(Kraft(lengths), 1.0);
    }
}

TEST(Huffman, NoneOrOneSymbolStillGivesACompleteCode) {
    uint32_t none[5] = {};
    uint8_t lengths[5];
    THuffmanBitStream::MakeLengths(none, 5, 15, lengths);
    EXPECT_EQ(std::vector<int>(lengths, lengths + 5), (std::vector<int>{0, 0, 0, 0, 0}));
    uint32_t one[5] = {0, 0, 7, 0, 0};
    THuffmanBitStream::MakeLengths(one, 5, 15, lengths);
    EXPECT_EQ(std::vector<int>(lengths, lengths + 5), (std::vector<int>{1, 0, 1, 0, 0}));
    uint32_t first[3] = {4, 0, 0};
    THuffmanBitStream::MakeLengths(first, 3, 15, lengths);
    EXPECT_EQ(std::vector<int>(lengths, lengths + 3), (std::vector<int>{1, 1, 0}));
}

TEST(Huffman, CanonicalCodesOfTheRfcExample) {
    // RFC 1951 3.2.2: lengths (3, 3, 3, 3, 3, 2, 4, 4) give
    // 010 011 100 101 110 00 1110 1111, sent most significant bit first.
    const uint8_t lengths[] = {3, 3, 3, 3, 3, 2, 4, 4};
    const uint32_t msbFirst[] = {2, 3, 4, 5, 6, 0, 14, 15};
    THuffmanBitStream::TCode codes[8];
    THuffmanBitStream::MakeCodes(codes, lengths, 8);
    for (int i = 0; i < 8; ++i) {
        uint32_t reversed = 0;
        for (int b = 0; b < lengths[i]; ++b) reversed |= ((msbFirst[i] >> b) & 1) << (lengths[i] - 1 - b);
        EXPECT_EQ(codes[i].Code, reversed) << i;
        EXPECT_EQ(codes[i].Length, lengths[i]);
    }
}

TEST(Huffman, TableDecodingGivesTheWrittenSymbols) {
    // Codes up to 15 bits force subtables behind the 11-bit main table.
    std::mt19937 rng(17);
    for (int trial = 0; trial < 20; ++trial) {
        const int count = 288;
        std::vector<uint32_t> freq(count);
        for (int i = 0; i < count; ++i) freq[size_t(i)] = trial % 2 ? 1 + rng() % 1000 : uint32_t(1) << (i % 20);
        std::vector<uint8_t> lengths(count);
        THuffmanBitStream::MakeLengths(freq.data(), count, 15, lengths.data());
        std::vector<THuffmanBitStream::TCode> codes(count);
        THuffmanBitStream::MakeCodes(codes.data(), lengths.data(), count);
        std::vector<uint32_t> entries(count);
        for (int i = 0; i < count; ++i) entries[size_t(i)] = THuffmanBitStream::TDecodeTable::Entry(uint32_t(i));
        THuffmanBitStream::TDecodeTable table;
        ASSERT_TRUE(table.Build(lengths.data(), count, entries.data(), 11, false));

        std::vector<int> symbols;
        TMemStream m;
        {
            THuffmanBitStream w(m);
            for (int i = 0; i < 3000; ++i) {
                int s = int(rng() % count);
                while (!lengths[size_t(s)]) s = (s + 1) % count;
                symbols.push_back(s);
                w.WriteCode(codes[size_t(s)]);
            }
            w.Flush();
        }
        m.SetPosition(0);
        THuffmanBitStream r(m);
        for (int s : symbols) ASSERT_EQ(int(THuffmanBitStream::TDecodeTable::Value(r.DecodeEntry(table))), s);
    }
}

TEST(Huffman, DecodeTablesRefuseBadLengthSets) {
    THuffmanBitStream::TDecodeTable t;
    std::vector<uint32_t> entries(19, 0);
    const uint8_t over[] = {1, 1, 1};
    const uint8_t incomplete[] = {2, 2, 2};
    const uint8_t single[] = {0, 1, 0};
    const uint8_t singleLong[] = {0, 2, 0};
    const uint8_t none[] = {0, 0, 0};
    EXPECT_FALSE(t.Build(over, 3, entries.data(), 7, true));
    EXPECT_FALSE(t.Build(incomplete, 3, entries.data(), 7, true));
    EXPECT_TRUE(t.Build(single, 3, entries.data(), 7, true));
    EXPECT_FALSE(t.Build(single, 3, entries.data(), 7, false));
    EXPECT_FALSE(t.Build(singleLong, 3, entries.data(), 7, true));
    EXPECT_TRUE(t.Build(none, 3, entries.data(), 7, true));
    EXPECT_FALSE(t.Build(none, 3, entries.data(), 7, false));
}

TEST(Adler32, KnownValuesAndZlib) {
    EXPECT_EQ(Adler32("", 0), 1u);
    EXPECT_EQ(Adler32("abc", 3), 0x024D0127u);
    TAdler32 a;
    Adler32Update(a, "abc", 3);
    uint8_t bytes[4];
    Adler32Bytes(a, bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), std::string("\x02\x4D\x01\x27", 4));

    // Long runs of 0xFF push the sums hardest between reductions.
    for (const std::string& s : {std::string(100000, '\xFF'), Pattern(70000, 3), std::string(5553, '\x80')}) {
        EXPECT_EQ(Adler32(s.data(), s.size()),
                  uint32_t(adler32(1, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size()))));
        TAdler32 byByte;
        for (char c : s) Adler32UpdateByte(byByte, uint8_t(c));
        EXPECT_EQ(Adler32Value(byByte), Adler32(s.data(), s.size()));
        TAdler32 pieces;
        for (size_t i = 0; i < s.size(); i += 1000) Adler32Update(pieces, s.data() + i, std::min<size_t>(1000, s.size() - i));
        EXPECT_EQ(Adler32Value(pieces), Adler32(s.data(), s.size()));
    }
}
