// The compressor: zlib inflates everything it writes, and the blocks and
// tokens it chooses are the ones its algorithm prescribes.
#include "DeflateTestHelpers.h"

#include <cmath>


using namespace image;
using namespace imagetest;

namespace {

struct Sample {
    const char* name;
    std::string data;
};

std::vector<Sample> Samples() {
    std::string nearWindow = RandomBytes(40000, 11);
    // Repeats exactly 32768 and 32767 bytes back, and one just out of reach.
    nearWindow += nearWindow.substr(nearWindow.size() - 32768, 300);
    nearWindow += nearWindow.substr(nearWindow.size() - 32767, 300);
    nearWindow += nearWindow.substr(nearWindow.size() - 32769, 300);
    std::string mixed = Text(50000) + RandomBytes(30000, 5) + std::string(5000, 'z') + Text(70000, 9);
    return {
        {"empty", ""},
        {"one byte", "x"},
        {"two bytes", "ab"},
        {"three equal", "aaa"},
        {"run of 1000", std::string(1000, 'a')},
        {"run of 300000", std::string(300000, '\0')},
        {"period 3", [] { std::string s; for (int i = 0; i < 20000; ++i) s += "abc"; return s; }()},
        {"random 100", RandomBytes(100)},
        {"random 200000", RandomBytes(200000)},
        {"text", Text(120000)},
        {"photo", Photo(300, 200)},
        {"near 32 KiB", nearWindow},
        {"mixed over 64 KiB", mixed},
        {"pattern", Pattern(150000)},
    };
}

} // namespace

TEST(DeflateWrite, ZlibInflatesEveryMethodAndSample) {
    for (const Sample& s : Samples())
        for (auto method : {TDeflateMethod::Dynamic, TDeflateMethod::Fixed, TDeflateMethod::Stored}) {
            SCOPED_TRACE(std::string(s.name) + " method " + std::to_string(int(method)));
            const std::string z = Deflate(s.data, method);
            const auto back = ZlibInflate(z);
            ASSERT_TRUE(back.has_value());
            EXPECT_TRUE(*back == s.data);
            EXPECT_TRUE(Inflate(z) == s.data);
            const TRefResult ref = TReferenceInflater::Run(z);
            ASSERT_TRUE(ref.ok);
            ASSERT_FALSE(ref.blocks.empty());
            EXPECT_TRUE(ref.blocks.back().final);
            for (size_t i = 0; i + 1 < ref.blocks.size(); ++i) EXPECT_FALSE(ref.blocks[i].final) << i;
            for (const TRefBlock& b : ref.blocks) EXPECT_EQ(b.type, method == TDeflateMethod::Dynamic ? 2 : method == TDeflateMethod::Fixed ? 1 : 0);
        }
}

TEST(DeflateWrite, OutputDoesNotDependOnHowTheInputIsSplit) {
    // Runs give matches of the longest length that end where a write ends.
    const std::string data = Text(90000) + RandomBytes(20000) + Photo(100, 100) + std::string(3000, 'a') + Text(600);
    for (auto method : {TDeflateMethod::Dynamic, TDeflateMethod::Fixed, TDeflateMethod::Stored}) {
        const std::string whole = Deflate(data, method);
        for (size_t piece : {size_t(1), size_t(7), size_t(258), size_t(4096), size_t(40000)})
            EXPECT_TRUE(Deflate(data, method, piece) == whole) << int(method) << " piece " << piece;
    }
}

TEST(DeflateWrite, RunIsOneLiteralThenMaximalMatchesAtDistanceOne) {
    const TRefResult ref = TReferenceInflater::Run(Deflate(std::string(1000, 'q')));
    ASSERT_TRUE(ref.ok);
    ASSERT_EQ(ref.blocks.size(), 1u);
    const auto& t = ref.blocks[0].tokens;
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].length, 0);
    EXPECT_EQ(t[0].literal, 'q');
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(t[i].length, 258);
        EXPECT_EQ(t[i].distance, 1);
    }
    EXPECT_EQ(t[4].length, 999 - 3 * 258);
    EXPECT_EQ(t[4].distance, 1);
}

TEST(DeflateWrite, NearestOfEqualMatchesWinsAndFarOnesAreNotUsed) {
    // "abcdef" at 0 and at 100; at 200 both are 6-byte matches: the nearer wins.
    std::string s = RandomBytes(300, 4);
    s.replace(0, 6, "abcdef");
    s.replace(100, 6, "abcdef");
    s.replace(200, 6, "abcdef");
    const TRefResult ref = TReferenceInflater::Run(Deflate(s));
    ASSERT_TRUE(ref.ok);
    bool found = false;
    size_t pos = 0;
    for (const TRefToken& t : ref.blocks[0].tokens) {
        if (pos == 200) {
            EXPECT_EQ(t.length, 6);
            EXPECT_EQ(t.distance, 100);
            found = true;
        }
        pos += t.length ? size_t(t.length) : 1;
    }
    EXPECT_TRUE(found);

    // A repeat 32769 bytes back is out of reach; 32768 is in reach.
    std::string far = RandomBytes(33000, 8);
    far += far.substr(far.size() - 32769, 50);
    far += far.substr(far.size() - 32768, 50);
    const TRefResult farRef = TReferenceInflater::Run(Deflate(far));
    ASSERT_TRUE(farRef.ok);
    int maxDistance = 0;
    for (const TRefBlock& b : farRef.blocks)
        for (const TRefToken& t : b.tokens) maxDistance = std::max(maxDistance, t.distance);
    EXPECT_EQ(maxDistance, 32768);
}

TEST(DeflateWrite, EveryMatchIsTheLongestOfTheNewest64WithTheSameTwoBytes) {
    // A plain model of the search: at each position the 64 newest earlier
    // positions with the same two bytes within 32768 bytes, the longest
    // match of at least 3 (up to 258 and the end), the nearest among equals,
    // no lazy matching. Samples with long buckets (few pair values, noise)
    // take the encoder through its three-byte chains.
    std::mt19937 rng(3);
    std::string noisy(200000, '\0'), pairs(120000, '\0');
    for (size_t i = 0; i < noisy.size(); ++i) noisy[i] = char(40 + int(20 * std::sin(double(i % 1000) / 90)) + int(rng() % 5));
    for (size_t i = 0; i < pairs.size(); ++i) pairs[i] = char(rng() % 3 == 0 ? 'a' + rng() % 4 : 'x');
    for (const std::string& data : {noisy, pairs, Text(100000, 3) + Photo(200, 100)}) {
        const TRefResult ref = TReferenceInflater::Run(Deflate(data));
        ASSERT_TRUE(ref.ok);
        std::vector<std::vector<uint32_t>> bucket(65536);
        size_t pos = 0;
        for (const TRefBlock& b : ref.blocks)
            for (const TRefToken& t : b.tokens) {
                int best = 2, bestDistance = 0;
                if (pos + 2 < data.size()) {
                    const auto& list = bucket[uint8_t(data[pos]) | uint8_t(data[pos + 1]) << 8];
                    const int maxLen = int(std::min<size_t>(258, data.size() - pos));
                    for (size_t k = 0; k < 64 && k < list.size(); ++k) {
                        const size_t q = list[list.size() - 1 - k];
                        if (pos - q > 32768) break;
                        int len = 0;
                        while (len < maxLen && data[q + size_t(len)] == data[pos + size_t(len)]) ++len;
                        if (len > best) best = len, bestDistance = int(pos - q);
                    }
                }
                ASSERT_EQ(t.length, best < 3 ? 0 : best) << pos;
                ASSERT_EQ(t.distance, bestDistance) << pos;
                for (size_t end = pos + size_t(std::max(t.length, 1)); pos < end; ++pos)
                    if (pos + 1 < data.size()) bucket[uint8_t(data[pos]) | uint8_t(data[pos + 1]) << 8].push_back(uint32_t(pos));
            }
        EXPECT_EQ(pos, data.size());
    }
}

TEST(DeflateWrite, DynamicBlocksAreCutWhenTheSymbolBufferFills) {
    // Mostly literals. The buffer counts one entry per literal and, per
    // match, its two codes and each non-empty extra-bits field.
    const std::string data = RandomBytes(150000, 21);
    const TRefResult ref = TReferenceInflater::Run(Deflate(data));
    ASSERT_TRUE(ref.ok);
    ASSERT_EQ(ref.blocks.size(), 3u);
    const auto entries = [](const TRefBlock& b) {
        int n = 0;
        for (const TRefToken& t : b.tokens) {
            if (t.length == 0) {
                ++n;
                continue;
            }
            int li = 0, di = 0;
            while (li + 1 < 29 && LengthCodes[li + 1].base <= t.length) ++li;
            while (di + 1 < 30 && DistanceCodes[di + 1].base <= t.distance) ++di;
            n += 2 + (LengthCodes[li].extraBits > 0) + (DistanceCodes[di].extraBits > 0);
        }
        return n;
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(entries(ref.blocks[i]), 65527) << i;
        EXPECT_LE(entries(ref.blocks[i]), 65527 + 3) << i;
    }
    EXPECT_LT(entries(ref.blocks[2]), 65527);
    EXPECT_TRUE(ref.output == data);
}

TEST(DeflateWrite, StoredBlocksHoldAtMost65535Bytes) {
    const std::string data = RandomBytes(70000, 2);
    const std::string z = Deflate(data, TDeflateMethod::Stored);
    const TRefResult ref = TReferenceInflater::Run(z);
    ASSERT_TRUE(ref.ok);
    ASSERT_EQ(ref.blocks.size(), 2u);
    EXPECT_EQ(ref.blocks[0].storedLength, 65535);
    EXPECT_FALSE(ref.blocks[0].final);
    EXPECT_EQ(ref.blocks[1].storedLength, 4465);
    EXPECT_TRUE(ref.blocks[1].final);
    EXPECT_EQ(z.size(), 70000u + 2 * 5);
}

TEST(DeflateWrite, FixedMethodEndsWithAnEmptyFinalBlockAfterAFlush) {
    TMemStream m;
    {
        TDeflateStream z(m, TDeflateMode::Compress);
        z.SetMethod(TDeflateMethod::Fixed);
        z.Write("hello hello hello", 17);
        z.Flush();
        z.Finish();
    }
    const TRefResult ref = TReferenceInflater::Run(Contents(m));
    ASSERT_TRUE(ref.ok);
    ASSERT_EQ(ref.blocks.size(), 2u);
    EXPECT_FALSE(ref.blocks[0].final);
    EXPECT_TRUE(ref.blocks[1].final);
    EXPECT_TRUE(ref.blocks[1].tokens.empty());
    EXPECT_EQ(ref.output, "hello hello hello");
}

TEST(DeflateWrite, FlushPassesTheBlockOnAndTheStreamGoesOn) {
    TMemStream m;
    TDeflateStream z(m, TDeflateMode::Compress);
    const std::string a = Text(5000), b = Text(7000, 3);
    z.Write(a.data(), int(a.size()));
    z.Flush();
    const int64_t afterFlush = m.GetSize();
    EXPECT_GT(afterFlush, 0);
    // Everything but the last partial byte has arrived: all but the last
    // symbol or so decodes.
    const TRefResult partial = TReferenceInflater::Run(Contents(m));
    EXPECT_GE(partial.output.size(), a.size() - MaxMatch);
    EXPECT_TRUE(a.compare(0, partial.output.size(), partial.output) == 0);
    z.Write(b.data(), int(b.size()));
    z.Finish();
    EXPECT_EQ(ZlibInflate(Contents(m)), std::optional<std::string>(a + b));
    EXPECT_THROW(z.Write("x", 1), EInOutError);
    z.Finish(); // again: nothing
}

TEST(DeflateWrite, MethodCanChangeBetweenWrites) {
    TMemStream m;
    const std::string parts[] = {Text(40000), RandomBytes(70000), Text(3000, 2), Photo(50, 50)};
    {
        TDeflateStream z(m, TDeflateMode::Compress);
        const TDeflateMethod methods[] = {TDeflateMethod::Fixed, TDeflateMethod::Stored, TDeflateMethod::Dynamic,
                                          TDeflateMethod::Fixed};
        for (int i = 0; i < 4; ++i) {
            z.SetMethod(methods[i]);
            z.Write(parts[i].data(), int(parts[i].size()));
        }
    }
    EXPECT_EQ(ZlibInflate(Contents(m)), std::optional<std::string>(parts[0] + parts[1] + parts[2] + parts[3]));
}

TEST(DeflateWrite, WriteErrorsReachFinishAndNotTheDestructor) {
    const std::string data = RandomBytes(100000);
    TSinkStream sink(1000);
    sink.SetCheckIO(false);
    {
        TDeflateStream z(sink, TDeflateMode::Compress);
        EXPECT_THROW(
            {
                z.Write(data.data(), int(data.size()));
                z.Finish();
            },
            EInOutError);
    } // the destructor swallows
    EXPECT_EQ(sink.data.size(), 1000u);

    TSinkStream quiet(10);
    EXPECT_NO_THROW({
        TDeflateStream z(quiet, TDeflateMode::Compress);
        z.Write(data.data(), 5000);
    });
}
