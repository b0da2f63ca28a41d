// Compression of TDeflateStream.
//
// Input is copied into the window in pieces of at most 32767 pending bytes
// (65535 for stored blocks). The match finder runs while at least 258 bytes
// are pending, so every search sees a full maximum match ahead and the
// output does not depend on how the input was split into writes; a flush
// encodes the rest. At each position the bucket of its two bytes lists the
// earlier positions with the same two bytes; the newest 64 are tried, newest
// first, until one lies more than 32768 bytes back. A candidate must match at
// the offset of the best length so far before it is measured (a longer match
// has to), and only a strictly longer one replaces the best, so the nearest
// wins among equals. Every position consumed, by a literal or inside a
// match, is entered into its bucket; the last byte written waits for the
// next, which completes its pair. A bucket longer than 64 entries is not
// walked: only candidates whose first three bytes match can win, and those
// among its newest 64 are found through chains of positions with the same
// three bytes, in the same order (TDeflateStreamState.h), so the output is
// the same and long buckets (palette images, text) cost far less.
#include "image/TDeflateStream.h"

#include "image/EImageError.h"
#include "image/TDeflateStreamState.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace image {

namespace {

// The length symbol (as an index 0..28 into LengthCodes) of each length 0..258.
constexpr std::array<uint8_t, MaxMatch + 1> LengthIndex = [] {
    std::array<uint8_t, MaxMatch + 1> t{};
    for (int i = 0; i < 29; ++i) {
        const int end = i + 1 < 29 ? LengthCodes[i + 1].base : MaxMatch + 1;
        for (int len = LengthCodes[i].base; len < end && len <= MaxMatch; ++len) t[len] = uint8_t(i);
    }
    t[MaxMatch] = 28; // 258 has a code of its own; 227 + 31 would also reach it
    return t;
}();

// Distance codes by (distance - 1) for 1..256 and by (distance - 1) >> 7
// beyond, as zlib tabulates them.
constexpr std::array<uint8_t, 512> DistanceIndex = [] {
    std::array<uint8_t, 512> t{};
    for (int code = 0; code < 30; ++code) {
        const int first = DistanceCodes[code].base;
        const int last = first + (1 << DistanceCodes[code].extraBits) - 1;
        for (int d = first; d <= last; ++d) {
            if (d <= 256)
                t[d - 1] = uint8_t(code);
            else
                t[256 + ((d - 1) >> 7)] = uint8_t(code);
        }
    }
    return t;
}();

inline int DistanceCode(uint32_t distance) {
    return distance <= 256 ? DistanceIndex[distance - 1] : DistanceIndex[256 + ((distance - 1) >> 7)];
}

// The number of equal bytes at `a` and `b`, at most `limit`.
inline int MatchLength(const uint8_t* a, const uint8_t* b, int limit) {
    int len = 0;
    while (len + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little)
                return len + (std::countr_zero(x ^ y) >> 3);
            else
                return len + (std::countl_zero(x ^ y) >> 3);
        }
        len += 8;
    }
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

} // namespace

void TDeflateStream::SlideWindow() {
    TCompressor& c = *m_comp;
    if (c.readPos - c.base <= MaxDistance) return;
    const uint32_t newBase = c.readPos - MaxDistance;
    std::memmove(c.window.get(), c.At(newBase), c.writePos - newBase);
    c.base = newBase;
}

int TDeflateStream::Write(const void* buf, int count) {
    if (!m_comp || m_finished) throw EInOutError("Stream not open for write");
    if (count < 1) return 0;
    TCompressor& c = *m_comp;
    const auto* src = static_cast<const uint8_t*>(buf);
    int left = count;
    while (left > 0) {
        const uint32_t limit =
            m_method == TDeflateMethod::Stored ? TCompressor::MaxPendingStored : TCompressor::MaxPendingCoded;
        if (c.Pending() >= limit) {
            // Possible only after the method changed from stored.
            Encode();
            if (c.Pending() >= limit) throw EAssertionFailed("Assertion failed");
            continue;
        }
        const uint32_t piece = std::min<uint32_t>(uint32_t(left), limit - c.Pending());
        if (c.writePos - c.base + piece > TCompressor::WindowSize) SlideWindow();
        std::memcpy(c.window.get() + (c.writePos - c.base), src, piece);
        c.writePos += piece;
        src += piece;
        left -= static_cast<int>(piece);
        Encode();
    }
    return count;
}

void TDeflateStream::Flush() {
    if (!m_comp || m_finished) return;
    FlushBlocks();
}

void TDeflateStream::FlushBlocks() {
    TCompressor& c = *m_comp;
    while (!c.finalWritten && (c.Pending() > 0 || c.fixedBlockOpen || c.symbolCount > 0 || c.lastBlock)) {
        c.flushAll = true;
        try {
            Encode();
        } catch (...) {
            c.flushAll = false;
            throw;
        }
        c.flushAll = false;
    }
    SendWholeBytes();
}

void TDeflateStream::Finish() {
    if (!m_comp || m_finished) return;
    m_finished = true; // a failed finish is not retried
    m_comp->lastBlock = true;
    FlushBlocks();
    TBitStream::Flush();
}

void TDeflateStream::Encode() {
    TCompressor& c = *m_comp;
    if (m_method == TDeflateMethod::Stored) {
        // The method changed: close the coded block first.
        if (c.fixedBlockOpen) {
            WriteCode(c.fixedLit[EndOfBlock]);
            c.fixedBlockOpen = false;
        }
        if (c.symbolCount > 0) WriteDynamicBlock(false);
        WriteStoredBlocks(c.flushAll);
        return;
    }
    if (m_method == TDeflateMethod::Dynamic && c.fixedBlockOpen) {
        WriteBits(c.fixedLit[EndOfBlock].Code, c.fixedLit[EndOfBlock].Length);
        c.fixedBlockOpen = false;
    }
    if (m_method == TDeflateMethod::Fixed && c.symbolCount > 0) WriteDynamicBlock(false);
    if (c.Pending() < MaxMatch && !c.flushAll) return;
    if (m_method == TDeflateMethod::Fixed && !c.fixedBlockOpen) OpenFixedBlock();
    EncodeMatches(c.flushAll);
    if (!c.flushAll) return;
    // The last 0..2 bytes cannot start a match.
    while (c.Pending() > 0) {
        EmitLiteral(*c.At(c.readPos));
        ++c.readPos;
        c.HashUpTo(c.readPos);
        if (m_method == TDeflateMethod::Dynamic && c.symbolCount >= TCompressor::SymbolLimit)
            WriteDynamicBlock(c.lastBlock && c.Pending() == 0);
    }
    if (m_method == TDeflateMethod::Fixed) {
        WriteCode(c.fixedLit[EndOfBlock]);
        c.fixedBlockOpen = false;
    } else if (c.symbolCount > 0 || c.lastBlock) {
        WriteDynamicBlock(c.lastBlock);
    }
}

void TDeflateStream::OpenFixedBlock() {
    TCompressor& c = *m_comp;
    const bool final = c.lastBlock;
    c.lastBlock = false;
    c.finalWritten = final;
    WriteBits(final ? 1u : 0u, 1);
    WriteBits(1, 2);
    c.fixedBlockOpen = true;
}

void TDeflateStream::EncodeMatches(bool flushAll) {
    TCompressor& c = *m_comp;
    const uint32_t* const head = c.head.get();
    const uint32_t* const prev = c.prev.get();
    const uint32_t* const head3 = c.head3.get();
    const uint32_t* const prev3 = c.prev3.get();
    const uint16_t* const rank = c.rank.get();
    const bool dynamic = m_method == TDeflateMethod::Dynamic;
    for (;;) {
        const uint32_t pending = c.Pending();
        if (pending < MaxMatch && !(flushAll && pending >= MinMatch)) break;
        const uint32_t p = c.readPos;
        // A position left waiting for its pair at the end of the last write.
        c.HashUpTo(p);
        const uint8_t* const s = c.At(p);
        const int maxLen = static_cast<int>(std::min<uint32_t>(MaxMatch, pending));
        const uint32_t key = uint32_t(s[0]) | uint32_t(s[1]) << 8;
        const uint32_t reach = std::min<uint32_t>(MaxDistance, p - c.base);
        int best = MinMatch - 1;
        uint32_t bestDistance = 0;
        // A candidate counts when it matches at the best length so far,
        // and replaces the best only when strictly longer.
        const auto consider = [&](const uint8_t* m, uint32_t distance) {
            if (m[best] != s[best]) return false;
            const int len = MatchLength(m, s, maxLen);
            if (len <= best) return false;
            best = len;
            bestDistance = distance;
            return len >= maxLen;
        };
        constexpr uint32_t Mask = TCompressor::ChainSize - 1;
        const uint32_t first = head[key];
        if (first != 0 && p - (first - 1) - 1 < reach) {
            const uint16_t newest = rank[(first - 1) & Mask];
            bool walk = newest < TCompressor::ShortBucket;
            if (!walk) {
                // A long bucket: its three-byte matches through their chain.
                c.HashTriplesUpTo(p);
                const uint8_t s2 = s[2];
                int strangers = 0;
                for (uint32_t t = head3[TCompressor::TripleHash(s)]; t != 0; t = prev3[(t - 1) & Mask]) {
                    const uint32_t distance = p - (t - 1);
                    // Older entries lie farther back: the first out of reach ends the search.
                    if (distance - 1 >= reach) break;
                    const uint8_t* const m = s - distance;
                    if (m[2] != s2 || m[1] != s[1] || m[0] != s[0]) {
                        // Too many other triples hashed alike: the bucket walk.
                        if (++strangers <= 4 * TCompressor::RingSize) continue;
                        best = MinMatch - 1;
                        bestDistance = 0;
                        walk = true;
                        break;
                    }
                    if (uint16_t(newest - rank[(t - 1) & Mask]) >= TCompressor::RingSize) break;
                    if (consider(m, distance)) break;
                }
            }
            if (walk) {
                uint32_t q = first;
                for (int i = 0; i < TCompressor::RingSize && q != 0; ++i, q = prev[(q - 1) & Mask]) {
                    const uint32_t distance = p - (q - 1);
                    if (distance - 1 >= reach || consider(s - distance, distance)) break;
                }
            }
        }
        if (best < MinMatch) {
            EmitLiteral(s[0]);
            ++c.readPos;
        } else {
            EmitMatch(best, static_cast<int>(bestDistance));
            c.readPos += uint32_t(best);
        }
        c.HashUpTo(c.readPos);
        if (dynamic && c.symbolCount >= TCompressor::SymbolLimit) WriteDynamicBlock(c.lastBlock && c.Pending() == 0);
    }
}

void TDeflateStream::EmitLiteral(uint8_t byte) {
    TCompressor& c = *m_comp;
    if (m_method == TDeflateMethod::Dynamic) {
        c.symbols.push_back(byte);
        ++c.litFreq[byte];
        ++c.symbolCount;
    } else {
        WriteCode(c.fixedLit[byte]);
    }
}

void TDeflateStream::EmitMatch(int length, int distance) {
    TCompressor& c = *m_comp;
    const int li = LengthIndex[length];
    const int di = DistanceCode(uint32_t(distance));
    const TDeflateCode& lc = LengthCodes[li];
    const TDeflateCode& dc = DistanceCodes[di];
    if (m_method == TDeflateMethod::Dynamic) {
        c.symbols.push_back(uint32_t(length) | uint32_t(distance) << 9);
        ++c.litFreq[257 + li];
        ++c.distFreq[di];
        c.symbolCount += 2 + (lc.extraBits > 0) + (dc.extraBits > 0);
    } else {
        const TCode& l = c.fixedLit[257 + li];
        WriteBits(l.Code | uint32_t(length - lc.base) << l.Length, l.Length + lc.extraBits);
        const TCode& d = c.fixedDist[di];
        WriteBits(d.Code | uint32_t(distance - dc.base) << d.Length, d.Length + dc.extraBits);
    }
}

void TDeflateStream::WriteDynamicBlock(bool final) {
    TCompressor& c = *m_comp;
    c.lastBlock = c.lastBlock && !final;
    c.finalWritten = final;
    ++c.litFreq[EndOfBlock];

    std::array<uint8_t, 286> litLengths{};
    std::array<uint8_t, 30> distLengths{};
    MakeLengths(c.litFreq.data(), 286, MaxCodeLength, litLengths.data());
    MakeLengths(c.distFreq.data(), 30, MaxCodeLength, distLengths.data());
    int hlit = 286;
    while (hlit > 257 && litLengths[hlit - 1] == 0) --hlit;
    int hdist = 30;
    while (hdist > 1 && distLengths[hdist - 1] == 0) --hdist;
    std::array<uint8_t, 286 + 30> lengths{};
    std::copy_n(litLengths.begin(), hlit, lengths.begin());
    std::copy_n(distLengths.begin(), hdist, lengths.begin() + hlit);

    // Run-length code both length sequences as one.
    struct TRun {
        uint8_t symbol, extra, extraBits;
    };
    std::vector<TRun> runs;
    runs.reserve(size_t(hlit + hdist));
    std::array<uint32_t, CodeLengthSymbols> clFreq{};
    const int total = hlit + hdist;
    for (int i = 0; i < total;) {
        const uint8_t v = lengths[i];
        int run = 1;
        while (i + run < total && lengths[i + run] == v) ++run;
        i += run;
        if (v == 0) {
            while (run >= 11) {
                const int r = std::min(run, 138);
                runs.push_back({18, uint8_t(r - 11), 7});
                run -= r;
            }
            if (run >= 3) {
                runs.push_back({17, uint8_t(run - 3), 3});
                run = 0;
            }
        } else {
            runs.push_back({v, 0, 0});
            --run;
            while (run >= 3) {
                const int r = std::min(run, 6);
                runs.push_back({16, uint8_t(r - 3), 2});
                run -= r;
            }
        }
        for (; run > 0; --run) runs.push_back({v, 0, 0});
    }
    for (const TRun& r : runs) ++clFreq[r.symbol];
    std::array<uint8_t, CodeLengthSymbols> clLengths{};
    MakeLengths(clFreq.data(), CodeLengthSymbols, MaxCodeLengthCodeLength, clLengths.data());
    int hclen = CodeLengthSymbols;
    while (hclen > 4 && clLengths[CodeLengthOrder[hclen - 1]] == 0) --hclen;

    std::array<TCode, 286> litCodes;
    std::array<TCode, 30> distCodes;
    std::array<TCode, CodeLengthSymbols> clCodes;
    MakeCodes(litCodes.data(), litLengths.data(), 286);
    MakeCodes(distCodes.data(), distLengths.data(), 30);
    MakeCodes(clCodes.data(), clLengths.data(), CodeLengthSymbols);

    WriteBits(final ? 1u : 0u, 1);
    WriteBits(2, 2);
    WriteBits(uint32_t(hlit - 257), 5);
    WriteBits(uint32_t(hdist - 1), 5);
    WriteBits(uint32_t(hclen - 4), 4);
    for (int i = 0; i < hclen; ++i) WriteBits(clLengths[CodeLengthOrder[i]], 3);
    for (const TRun& r : runs) {
        const TCode& code = clCodes[r.symbol];
        WriteBits(code.Code | uint32_t(r.extra) << code.Length, code.Length + r.extraBits);
    }

    for (const uint32_t sym : c.symbols) {
        if (sym < 256) {
            WriteCode(litCodes[sym]);
            continue;
        }
        const uint32_t length = sym & 511;
        const uint32_t distance = sym >> 9;
        const int li = LengthIndex[length];
        const int di = DistanceCode(distance);
        const TCode& l = litCodes[257 + li];
        WriteBits(l.Code | (length - LengthCodes[li].base) << l.Length, l.Length + LengthCodes[li].extraBits);
        const TCode& d = distCodes[di];
        WriteBits(d.Code | (distance - DistanceCodes[di].base) << d.Length, d.Length + DistanceCodes[di].extraBits);
    }
    WriteCode(litCodes[EndOfBlock]);

    c.symbols.clear();
    c.symbolCount = 0;
    c.litFreq.fill(0);
    c.distFreq.fill(0);
}

void TDeflateStream::WriteStoredBlocks(bool flushAll) {
    TCompressor& c = *m_comp;
    while (c.Pending() >= TCompressor::MaxPendingStored || (flushAll && (c.Pending() > 0 || c.lastBlock))) {
        const uint32_t len = std::min<uint32_t>(c.Pending(), TCompressor::MaxPendingStored);
        const bool final = c.lastBlock;
        c.lastBlock = false;
        c.finalWritten = final;
        WriteBits(final ? 1u : 0u, 1);
        WriteBits(0, 2);
        PadToByte();
        WriteBits(len, 16);
        WriteBits(len ^ 0xFFFF, 16);
        TBitStream::Write(c.At(c.readPos), static_cast<int>(len));
        c.readPos += len;
        c.HashUpTo(c.readPos);
        if (final) break;
    }
}

} // namespace image
