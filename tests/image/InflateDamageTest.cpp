// Damaged compressed data: every fault raises "Error in compressed data"
// after the bytes before it are delivered, never crashes or hangs; zlib and
// the bit-by-bit reference decoder refuse the same streams and decode the
// same bytes.
#include "DeflateTestHelpers.h"

#include "image/THuffmanBitStream.h"

using namespace image;
using namespace imagetest;

namespace {

// Composes streams bit by bit, least significant bit first.
class TBits {
public:
    TBits& Put(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            if (m_bit % 8 == 0) m_bytes += '\0';
            m_bytes.back() = static_cast<char>(m_bytes.back() | (((value >> i) & 1) << (m_bit % 8)));
            ++m_bit;
        }
        return *this;
    }
    // Zero bits up to the next byte boundary.
    TBits& Align() {
        m_bit = (m_bit + 7) / 8 * 8;
        return *this;
    }
    // A Huffman code word, most significant bit first.
    TBits& Code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Put((code >> i) & 1, 1);
        return *this;
    }
    TBits& Fixed(int symbol) {
        if (symbol < 144) return Code(0x30 + symbol, 8);
        if (symbol < 256) return Code(0x190 + symbol - 144, 9);
        if (symbol < 280) return Code(symbol - 256, 7);
        return Code(0xC0 + symbol - 280, 8);
    }
    // A dynamic block header with the given code-length code lengths (all
    // sent, HCLEN 19) whose symbols are then written with their canonical
    // codes, `sequence` being code-length symbols with their extra bits.
    TBits& Dynamic(bool final, int hlit, int hdist, const std::array<uint8_t, 19>& cl,
                   const std::vector<std::pair<int, int>>& sequence) {
        Put(final, 1).Put(2, 2).Put(uint32_t(hlit - 257), 5).Put(uint32_t(hdist - 1), 5).Put(15, 4);
        for (int i = 0; i < 19; ++i) Put(cl[CodeLengthOrder[i]], 3);
        THuffmanBitStream::TCode codes[19];
        THuffmanBitStream::MakeCodes(codes, cl.data(), 19);
        for (auto [sym, extra] : sequence) {
            Put(codes[sym].Code, codes[sym].Length);
            if (sym == 16) Put(uint32_t(extra), 2);
            if (sym == 17) Put(uint32_t(extra), 3);
            if (sym == 18) Put(uint32_t(extra), 7);
        }
        return *this;
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    int m_bit = 0;
};

// Code-length code lengths giving symbols 0..15 and 16..18 valid codes:
// all 19 symbols of lengths 4 and 5 (13 of length 4, 6 of length 5 → Kraft 1).
std::array<uint8_t, 19> UsualCodeLengthCode() {
    std::array<uint8_t, 19> cl{};
    for (int i = 0; i < 19; ++i) cl[i] = i < 13 ? 4 : 5;
    return cl;
}

// A code-length sequence giving `hlit` literal/length codes and `hdist`
// distance codes the same length each.
std::vector<std::pair<int, int>> PlainLengths(int hlit, int hdist, int litLength, int distLength) {
    std::vector<std::pair<int, int>> seq;
    for (int i = 0; i < hlit; ++i) seq.push_back({litLength, 0});
    for (int i = 0; i < hdist; ++i) seq.push_back({distLength, 0});
    return seq;
}

void ExpectRefused(const char* name, const std::string& stream) {
    SCOPED_TRACE(name);
    const TInflateResult ours = TryInflate(stream);
    EXPECT_FALSE(ours.ok);
    EXPECT_EQ(ours.error, "Error in compressed data");
    EXPECT_FALSE(ZlibInflate(stream).has_value()) << "zlib accepts it";
    const TRefResult ref = TReferenceInflater::Run(stream);
    EXPECT_FALSE(ref.ok);
    EXPECT_TRUE(ours.output == ref.output);
}

void ExpectAccepted(const char* name, const std::string& stream, const std::string& expected) {
    SCOPED_TRACE(name);
    const TInflateResult ours = TryInflate(stream);
    EXPECT_TRUE(ours.ok) << ours.error;
    EXPECT_TRUE(ours.output == expected);
    EXPECT_EQ(ZlibInflate(stream), std::optional<std::string>(expected));
}

} // namespace

TEST(InflateDamage, BlockAndStoredHeaders) {
    ExpectRefused("no input", "");
    ExpectRefused("block type 3", TBits().Put(1, 1).Put(3, 2).Bytes());
    ExpectRefused("NLEN not the complement", TBits().Put(1, 1).Put(0, 2).Align().Put(5, 16).Put(0xFFFF, 16).Bytes() + "abcde");
    ExpectRefused("stored block cut short", TBits().Put(1, 1).Put(0, 2).Align().Put(5, 16).Put(0xFFFA, 16).Bytes() + "abc");
    ExpectRefused("no final block", TBits().Put(0, 1).Put(0, 2).Align().Put(1, 16).Put(0xFFFE, 16).Bytes() + "x");
    ExpectAccepted("stored", TBits().Put(1, 1).Put(0, 2).Align().Put(5, 16).Put(0xFFFA, 16).Bytes() + "abcde", "abcde");
}

TEST(InflateDamage, FixedBlockSymbols) {
    ExpectRefused("literal/length code 286", TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed(286).Fixed(256).Bytes());
    ExpectRefused("literal/length code 287", TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed(287).Fixed(256).Bytes());
    ExpectRefused("distance code 30",
                  TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed(257).Code(30, 5).Fixed(256).Bytes());
    ExpectRefused("distance code 31",
                  TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed(257).Code(31, 5).Fixed(256).Bytes());
    ExpectRefused("distance before the start",
                  TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed('b').Fixed(257).Code(2, 5).Fixed(256).Bytes());
    ExpectRefused("distance before the start, first symbol",
                  TBits().Put(1, 1).Put(1, 2).Fixed(257).Code(0, 5).Fixed(256).Bytes());
    ExpectRefused("no end of block", TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed('b').Bytes());
    ExpectAccepted("distance to the very start",
                   TBits().Put(1, 1).Put(1, 2).Fixed('a').Fixed('b').Fixed(257).Code(1, 5).Fixed(256).Bytes(),
                   "ababa");
}

TEST(InflateDamage, DynamicCodeLengths) {
    const auto cl = UsualCodeLengthCode();
    // 286 literal/length codes: 30 of 8 bits and 256 of 9 bits would be
    // 30/256 + 256/512 < 1: use 8 bits for all 286 (over-subscribed: 286 > 256).
    ExpectRefused("over-subscribed literal/length code",
                  TBits().Dynamic(true, 286, 1, cl, PlainLengths(286, 1, 8, 1)).Bytes());
    ExpectRefused("incomplete literal/length code",
                  TBits().Dynamic(true, 257, 1, cl, PlainLengths(257, 1, 9, 1)).Bytes());
    {
        std::array<uint8_t, 19> over = cl;
        over.fill(1);
        ExpectRefused("over-subscribed code-length code", TBits().Dynamic(true, 257, 1, over, {}).Bytes());
        std::array<uint8_t, 19> incomplete{};
        incomplete[8] = 2;
        incomplete[0] = 2;
        incomplete[18] = 2;
        ExpectRefused("incomplete code-length code", TBits().Dynamic(true, 257, 1, incomplete, {{18, 127}}).Bytes());
        std::array<uint8_t, 19> none{};
        ExpectRefused("empty code-length code", TBits().Dynamic(true, 257, 1, none, {}).Bytes());
    }
    ExpectRefused("repeat with nothing before", TBits().Dynamic(true, 257, 1, cl, {{16, 0}}).Bytes());
    {
        // 257 + 1 lengths, then a zero run of 11 past the end.
        auto seq = PlainLengths(250, 0, 8, 0);
        seq.push_back({18, 0});
        ExpectRefused("zero run past HLIT + HDIST", TBits().Dynamic(true, 257, 1, cl, seq).Bytes());
        auto seq16 = PlainLengths(256, 0, 8, 0);
        seq16.push_back({16, 0});
        ExpectRefused("repeat past HLIT + HDIST", TBits().Dynamic(true, 257, 1, cl, seq16).Bytes());
    }
    ExpectRefused("HLIT 287", TBits().Dynamic(true, 287, 1, cl, PlainLengths(287, 1, 9, 1)).Bytes());
    ExpectRefused("HDIST 31", TBits().Dynamic(true, 257, 31, cl, PlainLengths(257, 31, 9, 5)).Bytes());
    {
        // Literals 0..255 of 8 bits would use the whole code: no room for the end of block.
        auto seq = PlainLengths(256, 0, 8, 0);
        seq.push_back({0, 0});
        seq.push_back({1, 0});
        ExpectRefused("no end-of-block code", TBits().Dynamic(true, 257, 1, cl, seq).Bytes());
    }
    ExpectRefused("cut inside the header", TBits().Dynamic(true, 257, 1, cl, PlainLengths(100, 0, 9, 0)).Bytes());
}

TEST(InflateDamage, SingleCodesThatZlibAccepts) {
    const auto cl = UsualCodeLengthCode();
    // Only the end of block, one bit long; no distance codes at all.
    auto seq = PlainLengths(256, 0, 0, 0);
    seq.push_back({1, 0});
    seq.push_back({0, 0});
    ExpectAccepted("end of block alone", TBits().Dynamic(true, 257, 1, cl, seq).Put(0, 1).Bytes(), "");
    // Literal 'a' and end of block of 1 bit each... plus one length code
    // would over-subscribe, so: 'a' (1 bit), 256 and 257 (2 bits each) and
    // a single distance code of one bit.
    std::vector<std::pair<int, int>> s2;
    for (int i = 0; i < 258; ++i) s2.push_back({i == 'a' ? 1 : (i >= 256 ? 2 : 0), 0});
    s2.push_back({1, 0});
    const std::string stream = TBits()
                                   .Dynamic(true, 258, 1, cl, s2)
                                   .Code(0, 1)  // 'a'
                                   .Code(3, 2)  // 257: length 3
                                   .Code(0, 1)  // distance code 0: 1
                                   .Code(2, 2)  // end of block
                                   .Bytes();
    ExpectAccepted("single distance code", stream, "aaaa");
}

TEST(InflateDamage, RandomFlipsAndCutsAgreeWithZlib) {
    std::vector<std::string> streams = {
        ZlibDeflate(Text(3000), 6),
        ZlibDeflate(Text(2000, 5), 1),
        ZlibDeflate(Photo(40, 20), 9),
        ZlibDeflate(Text(1500, 8), 6, Z_FIXED),
        ZlibDeflate(RandomBytes(500) + std::string(500, 'x'), 6, Z_RLE),
        Deflate(Text(2500, 3)),
        Deflate(RandomBytes(300), TDeflateMethod::Stored),
        Deflate(Text(800, 2), TDeflateMethod::Fixed),
    };
    std::mt19937 rng(2024);
    int refused = 0, accepted = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        std::string s = streams[size_t(trial) % streams.size()];
        switch (rng() % 4) {
        case 0: // one to three flipped bits
        case 1:
            for (int n = 1 + int(rng() % 3); n > 0; --n) s[rng() % s.size()] ^= static_cast<char>(1 << (rng() % 8));
            break;
        case 2: // cut short
            s.resize(rng() % s.size());
            break;
        default: // a random byte, mostly in the header
            s[rng() % std::min<size_t>(s.size(), 40)] = static_cast<char>(rng());
        }
        const TInflateResult ours = TryInflate(s);
        const std::optional<std::string> zlib = ZlibInflate(s);
        const TRefResult ref = TReferenceInflater::Run(s);
        ASSERT_EQ(ours.ok, zlib.has_value()) << "trial " << trial;
        ASSERT_EQ(ours.ok, ref.ok) << "trial " << trial;
        ASSERT_TRUE(ours.output == ref.output) << "trial " << trial;
        if (ours.ok) {
            ASSERT_TRUE(ours.output == *zlib) << "trial " << trial;
            ++accepted;
        } else {
            ASSERT_EQ(ours.error, "Error in compressed data") << "trial " << trial;
            ++refused;
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(accepted, 100);
}

TEST(InflateDamage, FailedStreamStaysFailed) {
    std::string s = ZlibDeflate(Text(200000), 6);
    s.resize(s.size() / 2);
    TPieceStream in(s);
    TDeflateStream d(in);
    d.SetCheckIO(false);
    std::string buf(1 << 20, '\0');
    std::string got;
    std::string error;
    for (int i = 0; i < 100 && error.empty(); ++i) {
        try {
            got.append(buf.data(), size_t(d.Read(buf.data(), 4096)));
        } catch (const EImageError& e) {
            error = e.what();
        }
    }
    EXPECT_EQ(error, "Error in compressed data");
    EXPECT_EQ(ErrorText<EImageError>([&] { d.Read(buf.data(), 1); }), "Error in compressed data");
    EXPECT_LT(got.size(), 200000u);
}
