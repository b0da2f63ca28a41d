#pragma once
// Shared by the deflate tests: sample data, our compressor and decompressor
// over memory, zlib's raw deflate and inflate as the oracle, and a small
// bit-by-bit reference decoder that also reports the blocks and tokens of a
// stream, so tests can check what the encoder chose.

#include "StreamTestHelpers.h"
#include "../../fuzz/ZlibOracle.h"

#include "image/DeflateTables.h"
#include "image/TDeflateStream.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace imagetest {

// --- Sample data ---------------------------------------------------------------

inline std::string RandomBytes(size_t n, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

// English-like text: words drawn with a skewed distribution, so it has
// repeats at all distances as real text does.
inline std::string Text(size_t n, uint32_t seed = 7) {
    static const char* words[] = {"the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was",
                                  "with", "be", "by", "on", "not", "he", "this", "are", "or", "his", "from",
                                  "at", "which", "but", "have", "an", "had", "they", "you", "were", "their",
                                  "one", "all", "we", "can", "her", "has", "there", "been", "if", "more",
                                  "when", "will", "would", "who", "so", "no", "compression", "stream", "window",
                                  "profile", "search", "favourite", "picture", "encoder", "Huffman"};
    std::mt19937 rng(seed);
    std::string s;
    s.reserve(n + 16);
    const size_t count = sizeof words / sizeof *words;
    while (s.size() < n) {
        const size_t a = rng() % count, b = rng() % count;
        s += words[std::min(a, b)];
        s += (rng() % 13 == 0) ? ".\n" : " ";
    }
    s.resize(n);
    return s;
}

// Raw pixels of a smooth picture with noise, like a photo's rows.
inline std::string Photo(int width, int height, uint32_t seed = 3) {
    std::mt19937 rng(seed);
    std::string s;
    s.reserve(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int v = (x * (c + 1) + y * (3 - c)) / 4 + int(rng() % 9);
                s += static_cast<char>(v & 0xFF);
            }
    return s;
}

// --- Ours ------------------------------------------------------------------------

// Compresses `data` into a memory stream, in writes of `piece` bytes.
inline std::string Deflate(const std::string& data, image::TDeflateMethod method = image::TDeflateMethod::Dynamic,
                           size_t piece = SIZE_MAX) {
    image::TMemStream m;
    {
        image::TDeflateStream z(m, image::TDeflateMode::Compress);
        z.SetMethod(method);
        for (size_t i = 0; i < data.size(); i += piece)
            z.Write(data.data() + i, static_cast<int>(std::min(piece, data.size() - i)));
        z.Finish();
    }
    return Contents(m);
}

// Decompresses everything, in reads of `piece` bytes; raises what the stream raises.
inline std::string Inflate(const std::string& compressed, int piece = 1 << 20) {
    TPieceStream in(compressed);
    image::TDeflateStream z(in, image::TDeflateMode::Decompress);
    z.SetCheckIO(false);
    std::string out, buf(static_cast<size_t>(piece), '\0');
    for (;;) {
        // A short read may precede an error; only 0 is the end.
        const int got = z.Read(buf.data(), piece);
        out.append(buf.data(), static_cast<size_t>(got));
        if (got == 0) break;
    }
    return out;
}

struct TInflateResult {
    bool ok = false;
    std::string output; // all bytes delivered (up to the damage)
    std::string error;
};

// Like Inflate, but catches the failure and keeps what was delivered.
inline TInflateResult TryInflate(const std::string& compressed) {
    TInflateResult r;
    TPieceStream in(compressed);
    image::TDeflateStream z(in, image::TDeflateMode::Decompress);
    z.SetCheckIO(false);
    char buf[4096];
    try {
        for (;;) {
            const int got = z.Read(buf, sizeof buf);
            r.output.append(buf, static_cast<size_t>(got));
            if (got == 0) break;
        }
        r.ok = true;
    } catch (const image::EImageError& e) {
        r.error = e.what();
    }
    return r;
}

// --- zlib --------------------------------------------------------------------------

inline std::string ZlibDeflate(const std::string& data, int level, int strategy = Z_DEFAULT_STRATEGY,
                               int windowBits = 15, int memLevel = 8) {
    z_stream s{};
    if (deflateInit2(&s, level, Z_DEFLATED, -windowBits, memLevel, strategy) != Z_OK) return {};
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())) + 64, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return rc == Z_STREAM_END ? out : std::string();
}

// zlib's raw inflate: the output when the stream ends properly, else nothing.
inline std::optional<std::string> ZlibInflate(const std::string& compressed) {
    std::string out;
    if (!fuzzsupport::ZlibInflate(compressed.data(), compressed.size(), out)) return std::nullopt;
    return out;
}

// --- Reference decoder ---------------------------------------------------------------

struct TRefToken {
    int length = 0; // 0 for a literal
    int distance = 0;
    uint8_t literal = 0;
};

struct TRefBlock {
    int type = 0;
    bool final = false;
    int storedLength = 0;
    std::vector<TRefToken> tokens;
};

struct TRefResult {
    bool ok = false;
    std::string output;
    std::vector<TRefBlock> blocks;
};

// Decodes a raw deflate stream one bit at a time with canonical codes
// counted per length (the textbook way), under zlib's rules for what is
// refused.
class TReferenceInflater {
public:
    static TRefResult Run(const std::string& data) {
        TReferenceInflater r(data);
        TRefResult res;
        try {
            r.Blocks(res);
            res.ok = true;
        } catch (const Fail&) {
        }
        res.output = std::move(r.m_out);
        return res;
    }

private:
    struct Fail {};
    struct Code {
        int count[16] = {};
        std::vector<int> symbols;
    };

    explicit TReferenceInflater(const std::string& d) : m_data(d) {}

    int Bit() {
        if (m_pos >= m_data.size() * 8) throw Fail{};
        const int b = (static_cast<uint8_t>(m_data[m_pos / 8]) >> (m_pos % 8)) & 1;
        ++m_pos;
        return b;
    }
    int Bits(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) v |= Bit() << i;
        return v;
    }
    // Kraft's remainder: 0 complete, > 0 incomplete, < 0 over-subscribed.
    static int Build(Code& c, const int* lengths, int n) {
        for (int i = 0; i < n; ++i) ++c.count[lengths[i]];
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left = left * 2 - c.count[len];
            if (left < 0) return left;
        }
        for (int len = 1; len < 16; ++len)
            for (int i = 0; i < n; ++i)
                if (lengths[i] == len) c.symbols.push_back(i);
        return left;
    }
    int Decode(const Code& c) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= Bit();
            const int count = c.count[len];
            if (code - first < count) return c.symbols[static_cast<size_t>(index + code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        throw Fail{};
    }
    void Blocks(TRefResult& res) {
        bool final = false;
        while (!final) {
            TRefBlock block;
            final = block.final = Bit();
            block.type = Bits(2);
            if (block.type == 0) {
                m_pos = (m_pos + 7) / 8 * 8;
                const int len = Bits(16), nlen = Bits(16);
                if (nlen != (len ^ 0xFFFF)) throw Fail{};
                for (int i = 0; i < len; ++i) m_out += static_cast<char>(Bits(8));
                block.storedLength = len;
            } else if (block.type == 1) {
                int lengths[288 + 30];
                for (int i = 0; i < 288; ++i) lengths[i] = image::FixedLiteralLength(i);
                for (int i = 0; i < 30; ++i) lengths[288 + i] = 5;
                Code lit, dist;
                Build(lit, lengths, 288);
                Build(dist, lengths + 288, 30);
                Symbols(lit, dist, block);
            } else if (block.type == 2) {
                Dynamic(block);
            } else {
                throw Fail{};
            }
            res.blocks.push_back(std::move(block));
        }
    }
    void Dynamic(TRefBlock& block) {
        const int hlit = Bits(5) + 257, hdist = Bits(5) + 1, hclen = Bits(4) + 4;
        if (hlit > 286 || hdist > 30) throw Fail{};
        int cl[19] = {};
        for (int i = 0; i < hclen; ++i) cl[image::CodeLengthOrder[i]] = Bits(3);
        Code clCode;
        if (Build(clCode, cl, 19) != 0) throw Fail{};
        int lengths[320] = {};
        int n = 0;
        while (n < hlit + hdist) {
            const int sym = Decode(clCode);
            if (sym < 16) {
                lengths[n++] = sym;
                continue;
            }
            int value = 0, repeat;
            if (sym == 16) {
                if (n == 0) throw Fail{};
                value = lengths[n - 1];
                repeat = 3 + Bits(2);
            } else if (sym == 17) {
                repeat = 3 + Bits(3);
            } else {
                repeat = 11 + Bits(7);
            }
            if (n + repeat > hlit + hdist) throw Fail{};
            while (repeat--) lengths[n++] = value;
        }
        if (lengths[256] == 0) throw Fail{};
        Code lit, dist;
        // An incomplete code is allowed only as a single code of length 1
        // (or, for distances, no code at all).
        const int litLeft = Build(lit, lengths, hlit);
        const int litUsed = hlit - lit.count[0];
        if (litLeft < 0 || (litLeft > 0 && !(litUsed == 1 && lit.count[1] == 1))) throw Fail{};
        const int distLeft = Build(dist, lengths + hlit, hdist);
        const int distUsed = hdist - dist.count[0];
        if (distLeft < 0 || (distLeft > 0 && !(distUsed == 0 || (distUsed == 1 && dist.count[1] == 1)))) throw Fail{};
        Symbols(lit, dist, block);
    }
    void Symbols(const Code& lit, const Code& dist, TRefBlock& block) {
        for (;;) {
            const int sym = Decode(lit);
            if (sym < 256) {
                m_out += static_cast<char>(sym);
                block.tokens.push_back({0, 0, static_cast<uint8_t>(sym)});
                continue;
            }
            if (sym == 256) return;
            if (sym > 285) throw Fail{};
            const auto& lc = image::LengthCodes[static_cast<size_t>(sym - 257)];
            const int length = lc.base + Bits(lc.extraBits);
            const int dsym = Decode(dist);
            if (dsym > 29) throw Fail{};
            const auto& dc = image::DistanceCodes[static_cast<size_t>(dsym)];
            const int distance = dc.base + Bits(dc.extraBits);
            if (distance > static_cast<int>(m_out.size())) throw Fail{};
            for (int i = 0; i < length; ++i) m_out += m_out[m_out.size() - static_cast<size_t>(distance)];
            block.tokens.push_back({length, distance, 0});
        }
    }

    const std::string& m_data;
    size_t m_pos = 0;
    std::string m_out;
};

} // namespace imagetest
