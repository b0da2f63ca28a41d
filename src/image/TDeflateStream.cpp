// Construction and decompression of TDeflateStream; compression is in
// TDeflateStreamWrite.cpp.
//
// Decompression decodes into a linear buffer of history plus output, as much
// as fits, and hands it out on Read. The hot loop keeps the bit register in
// locals and refills it with one unaligned 64-bit load while at least eight
// input bytes are buffered; each refill leaves at least 56 valid bits, enough
// for a whole length/distance pair (15 + 5 + 15 + 13 bits). Near the end of
// the buffered input it decodes one symbol at a time and pulls bytes only as
// the code needs them.
#include "image/TDeflateStream.h"

#include "image/EImageError.h"
#include "image/TDeflateStreamState.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace image {

namespace {

using TTable = THuffmanBitStream::TDecodeTable;

constexpr const char* SErrorInCompressedData = "Error in compressed data";

// Table entries of each symbol, without the code length.
struct TSymbolEntries {
    std::array<uint32_t, LiteralLengthSymbols> litLen{};
    std::array<uint32_t, DistanceSymbols> dist{};
    std::array<uint32_t, CodeLengthSymbols> codeLength{};

    constexpr TSymbolEntries() {
        for (int s = 0; s < 256; ++s) litLen[s] = TTable::Entry(uint32_t(s), 0, TTable::LiteralFlag);
        litLen[EndOfBlock] = TTable::EndOfBlockFlag;
        for (int s = 257; s < 286; ++s) litLen[s] = TTable::Entry(LengthCodes[s - 257].base, LengthCodes[s - 257].extraBits);
        litLen[286] = litLen[287] = TTable::InvalidFlag;
        for (int s = 0; s < 30; ++s) dist[s] = TTable::Entry(DistanceCodes[s].base, DistanceCodes[s].extraBits);
        dist[30] = dist[31] = TTable::InvalidFlag;
        for (int s = 0; s < CodeLengthSymbols; ++s) codeLength[s] = TTable::Entry(uint32_t(s));
    }
};
constexpr TSymbolEntries SymbolEntries;

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

inline uint64_t LowBits(uint64_t v, int n) { return v & ((uint64_t(1) << n) - 1); }

// Copies a match of `length` bytes from `distance` back, 8 bytes at a time;
// may write up to 7 bytes past the end (the buffer has room for that).
inline uint8_t* CopyMatch(uint8_t* out, uint32_t distance, uint32_t length) {
    const uint8_t* src = out - distance;
    uint8_t* const end = out + length;
    if (distance >= 8) {
        do {
            std::memcpy(out, src, 8);
            out += 8;
            src += 8;
        } while (out < end);
    } else if (distance == 1) {
        const uint64_t v = uint64_t(*src) * 0x0101010101010101ull;
        do {
            std::memcpy(out, &v, 8);
            out += 8;
        } while (out < end);
    } else {
        // A short period: lay down the first 8 bytes one by one, then copy
        // words from a multiple of the period at least 8 back.
        for (int i = 0; i < 8; ++i) out[i] = src[i];
        const uint32_t period = (8 + distance - 1) / distance * distance;
        out += 8;
        while (out < end) {
            std::memcpy(out, out - period, 8);
            out += 8;
        }
    }
    return end;
}

} // namespace

TDeflateStream::TCompressor::TCompressor()
    : window(new uint8_t[WindowSize + 16]()), head(new uint32_t[Buckets]()), prev(new uint32_t[ChainSize]()),
      rank(new uint16_t[ChainSize]()), head3(new uint32_t[1u << TripleBits]()), prev3(new uint32_t[ChainSize]()) {
    symbols.reserve(SymbolLimit);
    MakeFixedCodes(fixedLit.data());
    MakeFixedDistanceCodes(fixedDist.data());
}

TDeflateStream::TDecompressor::TDecompressor() : buf(new uint8_t[BufferSize]) {
    out = deliver = buf.get();
}

TDeflateStream::TDeflateStream(TBaseStream& inner, TDeflateMode mode) : THuffmanBitStream(inner) {
    const bool compress = mode != TDeflateMode::Decompress && inner.CanWrite();
    const bool decompress = !compress && mode != TDeflateMode::Compress && inner.CanRead();
    if (!compress && !decompress) throw EAssertionFailed("Assertion failed");
    m_canWrite = compress;
    m_canRead = decompress;
    if (compress)
        m_comp = std::make_unique<TCompressor>();
    else
        m_dec = std::make_unique<TDecompressor>();
}

TDeflateStream::~TDeflateStream() {
    if (m_comp && !m_finished) {
        try {
            Finish();
        } catch (...) {
            // Best effort only; Finish reports write errors.
        }
    }
}

void TDeflateStream::Damaged() const { throw EImageError(SErrorInCompressedData); }

// --- Reading ------------------------------------------------------------------

int TDeflateStream::Read(void* buf, int count) {
    if (count < 1) return 0;
    auto* dst = static_cast<uint8_t*>(buf);
    int done = 0;
    if (m_dec) {
        TDecompressor& d = *m_dec;
        // Stored data of large reads goes straight to `dst`; `direct` bytes
        // of it end at dst + done and become the window before anything is
        // decoded into the buffer.
        int direct = 0;
        const auto keepDirect = [&] {
            // Once the final block has ended nothing can refer back.
            if (direct > 0 && d.state != TDecompressor::TState::Done) SaveHistory(dst + done - direct, direct);
            direct = 0;
        };
        while (done < count) {
            if (d.deliver < d.out) {
                const int n = static_cast<int>(std::min<ptrdiff_t>(count - done, d.out - d.deliver));
                std::memcpy(dst + done, d.deliver, static_cast<size_t>(n));
                d.deliver += n;
                done += n;
                continue;
            }
            if (d.state == TDecompressor::TState::Done) break;
            if (d.error) {
                // What came before the damage goes out as a short read; the
                // next read raises.
                if (done > 0) return done;
                std::rethrow_exception(d.error);
            }
            const bool large = count - done >= 4096;
            try {
                if (large && d.state == TDecompressor::TState::Stored) {
                    const int n = ReadStoredDirect(dst + done, count - done);
                    done += n;
                    direct += n;
                } else if (large && d.state == TDecompressor::TState::Header) {
                    ReadBlockHeader();
                } else {
                    keepDirect();
                    Decode();
                }
            } catch (...) {
                // The bytes decoded before the damage are handed out first;
                // the failure is raised when the reader wants more.
                d.error = std::current_exception();
                if (d.deliver == d.out && done == 0) throw;
            }
        }
        keepDirect();
    }
    if (done < count && m_checkIO) throw EInOutError(SReadLessThanExpected);
    return done;
}

void TDeflateStream::SaveHistory(const uint8_t* src, int n) {
    TDecompressor& d = *m_dec;
    uint8_t* const base = d.buf.get();
    if (n >= TDecompressor::History) {
        std::memcpy(base, src + n - TDecompressor::History, TDecompressor::History);
        d.out = base + TDecompressor::History;
    } else {
        if (d.out - base + n > TDecompressor::BufferSize) {
            std::memmove(base, d.out - TDecompressor::History, TDecompressor::History);
            d.out = base + TDecompressor::History;
        }
        std::memcpy(d.out, src, static_cast<size_t>(n));
        d.out += n;
    }
    d.deliver = d.out;
}

int64_t TDeflateStream::Available() const {
    if (!m_dec) return 0;
    const TDecompressor& d = *m_dec;
    int64_t n = d.out - d.deliver;
    if (d.state != TDecompressor::TState::Done && !d.error) n += TBitStream::Available() + (m_bitCount % 8 ? 1 : 0);
    return n;
}

bool TDeflateStream::IsFinished() const {
    return m_dec && m_dec->state == TDecompressor::TState::Done && m_dec->deliver == m_dec->out;
}

int TDeflateStream::ReadTrailer(void* buf, int count) {
    if (!m_dec) {
        if (count > 0 && m_checkIO) throw EInOutError(SReadLessThanExpected);
        return 0;
    }
    TDecompressor& d = *m_dec;
    while (d.state != TDecompressor::TState::Done) {
        d.deliver = d.out;
        if (d.error) std::rethrow_exception(d.error);
        try {
            Decode();
        } catch (...) {
            d.error = std::current_exception();
            throw;
        }
    }
    d.deliver = d.out;
    AlignToByte();
    return TBitStream::Read(buf, count);
}

void TDeflateStream::Decode() {
    TDecompressor& d = *m_dec;
    uint8_t* const base = d.buf.get();
    if (d.out - base > TDecompressor::BufferSize - TDecompressor::History) {
        std::memmove(base, d.out - TDecompressor::History, TDecompressor::History);
        d.out = d.deliver = base + TDecompressor::History;
    }
    uint8_t* const stop = base + TDecompressor::BufferSize - MaxMatch - TDecompressor::CopySlack;
    while (d.out < stop) {
        switch (d.state) {
        case TDecompressor::TState::Header: ReadBlockHeader(); break;
        case TDecompressor::TState::Stored: CopyStored(); break;
        case TDecompressor::TState::Huffman: DecodeHuffman(stop); break;
        case TDecompressor::TState::Done: return;
        }
    }
}

void TDeflateStream::ReadBlockHeader() {
    TDecompressor& d = *m_dec;
    if (d.finalBlock) {
        d.state = TDecompressor::TState::Done;
        return;
    }
    // With nothing read ahead (the start, or after stored data that went
    // straight to the reader), only the five bytes a stored block's header
    // takes are fetched, so that its data can go straight to the reader
    // too instead of through the input buffer.
    struct TLimit {
        int& limit;
        ~TLimit() { limit = 1 << 30; }
    } restore{m_fillLimit};
    if (m_in == m_inEnd) m_fillLimit = 5;
    if (!NeedBits(3)) Damaged();
    d.finalBlock = PeekBits(1);
    const uint32_t type = (PeekBits(3) >> 1);
    DropBits(3);
    if (type != 0) m_fillLimit = 1 << 30;
    switch (type) {
    case 0: {
        AlignToByte();
        if (!NeedBits(32)) Damaged();
        const uint32_t len = PeekBits(16);
        const uint32_t nlen = uint32_t(m_bitBuf >> 16) & 0xFFFF;
        DropBits(32);
        if (nlen != (len ^ 0xFFFF)) Damaged();
        d.storedLeft = len;
        d.state = TDecompressor::TState::Stored;
        break;
    }
    case 1: {
        d.state = TDecompressor::TState::Huffman;
        if (d.fixedTables) break;
        std::array<uint8_t, LiteralLengthSymbols + DistanceSymbols> lengths;
        for (int i = 0; i < LiteralLengthSymbols; ++i) lengths[i] = FixedLiteralLength(i);
        std::fill(lengths.begin() + LiteralLengthSymbols, lengths.end(), uint8_t(5));
        d.litLen.Build(lengths.data(), LiteralLengthSymbols, SymbolEntries.litLen.data(), TDecompressor::LitLenTableBits, false);
        d.dist.Build(lengths.data() + LiteralLengthSymbols, DistanceSymbols, SymbolEntries.dist.data(),
                     TDecompressor::DistTableBits, false);
        d.fixedTables = true;
        break;
    }
    case 2:
        d.fixedTables = false;
        ReadDynamicCodes();
        d.state = TDecompressor::TState::Huffman;
        break;
    default: Damaged();
    }
}

void TDeflateStream::ReadDynamicCodes() {
    TDecompressor& d = *m_dec;
    if (!NeedBits(14)) Damaged();
    const int hlit = 257 + int(PeekBits(5));
    const int hdist = 1 + int(PeekBits(10) >> 5);
    const int hclen = 4 + int(PeekBits(14) >> 10);
    DropBits(14);
    // Codes 286, 287, 30 and 31 never occur in valid data; like zlib, a
    // header that declares them is refused.
    if (hlit > 286 || hdist > 30) Damaged();

    std::array<uint8_t, CodeLengthSymbols> clLengths{};
    for (int i = 0; i < hclen; ++i) {
        if (!NeedBits(3)) Damaged();
        clLengths[CodeLengthOrder[i]] = static_cast<uint8_t>(PeekBits(3));
        DropBits(3);
    }
    if (!d.codeLengths.Build(clLengths.data(), CodeLengthSymbols, SymbolEntries.codeLength.data(),
                             TDecompressor::CodeLengthTableBits, false))
        Damaged();

    std::array<uint8_t, LiteralLengthSymbols + DistanceSymbols> lengths{};
    const int total = hlit + hdist;
    int n = 0;
    while (n < total) {
        const uint32_t e = DecodeEntry(d.codeLengths);
        if (e & TTable::InvalidFlag) Damaged();
        const uint32_t sym = TTable::Value(e);
        if (sym < 16) {
            lengths[n++] = static_cast<uint8_t>(sym);
            continue;
        }
        int repeat;
        uint8_t value = 0;
        if (sym == 16) {
            if (n == 0 || !NeedBits(2)) Damaged();
            repeat = 3 + int(PeekBits(2));
            DropBits(2);
            value = lengths[n - 1];
        } else if (sym == 17) {
            if (!NeedBits(3)) Damaged();
            repeat = 3 + int(PeekBits(3));
            DropBits(3);
        } else {
            if (!NeedBits(7)) Damaged();
            repeat = 11 + int(PeekBits(7));
            DropBits(7);
        }
        if (n + repeat > total) Damaged();
        std::fill_n(lengths.begin() + n, repeat, value);
        n += repeat;
    }
    if (lengths[EndOfBlock] == 0) Damaged();
    if (!d.litLen.Build(lengths.data(), hlit, SymbolEntries.litLen.data(), TDecompressor::LitLenTableBits, true) ||
        !d.dist.Build(lengths.data() + hlit, hdist, SymbolEntries.dist.data(), TDecompressor::DistTableBits, true))
        Damaged();
}

void TDeflateStream::CopyStored() {
    TDecompressor& d = *m_dec;
    uint8_t* const end = d.buf.get() + TDecompressor::BufferSize;
    while (d.storedLeft > 0 && d.out < end) {
        // After the aligned header, whole bytes may still wait in the register.
        if (m_bitCount >= 8) {
            *d.out++ = static_cast<uint8_t>(m_bitBuf);
            DropBits(8);
            --d.storedLeft;
            continue;
        }
        m_bitBuf = 0; // its hidden copies of input bytes go stale below
        if (m_in == m_inEnd && !FillInput(true)) Damaged();
        const size_t n = std::min<size_t>({d.storedLeft, size_t(m_inEnd - m_in), size_t(end - d.out)});
        std::memcpy(d.out, m_in, n);
        m_in += n;
        d.out += n;
        d.storedLeft -= static_cast<uint32_t>(n);
    }
    if (d.storedLeft == 0)
        d.state = d.finalBlock ? TDecompressor::TState::Done : TDecompressor::TState::Header;
}

// Copies stored bytes straight to the reader (the caller keeps the window).
// Input that ends early is damage, raised on the next read after the bytes
// that came.
int TDeflateStream::ReadStoredDirect(uint8_t* dst, int count) {
    TDecompressor& d = *m_dec;
    const int want = static_cast<int>(std::min<uint32_t>(d.storedLeft, uint32_t(count)));
    int n = 0;
    while (n < want && m_bitCount >= 8) {
        dst[n++] = static_cast<uint8_t>(m_bitBuf);
        DropBits(8);
    }
    if (m_bitCount == 0) m_bitBuf = 0;
    const int buffered = static_cast<int>(std::min<ptrdiff_t>(want - n, m_inEnd - m_in));
    std::memcpy(dst + n, m_in, static_cast<size_t>(buffered));
    m_in += buffered;
    n += buffered;
    while (n < want && !m_inputEnded) {
        const int got = m_inner->Read(dst + n, want - n);
        if (got <= 0) m_inputEnded = true;
        else n += std::min(got, want - n);
    }
    d.storedLeft -= static_cast<uint32_t>(n);
    if (d.storedLeft == 0) d.state = d.finalBlock ? TDecompressor::TState::Done : TDecompressor::TState::Header;
    else if (n < want) d.error = std::make_exception_ptr(EImageError(SErrorInCompressedData));

    return n;
}

void TDeflateStream::DecodeHuffman(uint8_t* stop) {
    TDecompressor& d = *m_dec;
    const uint32_t* const lt = d.litLen.Data();
    const uint32_t* const dt = d.dist.Data();
    constexpr int LB = TDecompressor::LitLenTableBits;
    constexpr int DB = TDecompressor::DistTableBits;
    const uint8_t* const base = d.buf.get();
    uint8_t* out = d.out;

    for (;;) {
        // Fast loop: the bit register in locals.
        uint64_t bb = m_bitBuf;
        int bc = m_bitCount;
        const uint8_t* in = m_in;
        const uint8_t* const inEnd = m_inEnd;
        bool endOfBlock = false;
        bool damaged = false;
        while (inEnd - in >= 8 && out < stop) {
            bb |= Load64(in) << bc;
            in += (63 - bc) >> 3;
            bc |= 56;

            uint32_t e = lt[bb & ((1u << LB) - 1)];
            if (e & TTable::SubtableFlag) {
                bb >>= LB;
                bc -= LB;
                e = lt[TTable::Value(e) + LowBits(bb, TTable::ExtraBits(e))];
            }
            bb >>= TTable::Bits(e);
            bc -= TTable::Bits(e);
            if (e & TTable::LiteralFlag) {
                *out++ = static_cast<uint8_t>(e >> 16);
                continue;
            }
            if (e & (TTable::EndOfBlockFlag | TTable::InvalidFlag)) {
                endOfBlock = (e & TTable::EndOfBlockFlag) != 0;
                damaged = !endOfBlock;
                break;
            }
            int xb = TTable::ExtraBits(e);
            const uint32_t length = TTable::Value(e) + uint32_t(LowBits(bb, xb));
            bb >>= xb;
            bc -= xb;

            e = dt[bb & ((1u << DB) - 1)];
            if (e & TTable::SubtableFlag) {
                bb >>= DB;
                bc -= DB;
                e = dt[TTable::Value(e) + LowBits(bb, TTable::ExtraBits(e))];
            }
            bb >>= TTable::Bits(e);
            bc -= TTable::Bits(e);
            xb = TTable::ExtraBits(e);
            const uint32_t distance = TTable::Value(e) + uint32_t(LowBits(bb, xb));
            bb >>= xb;
            bc -= xb;
            if ((e & TTable::InvalidFlag) || distance > uint32_t(out - base)) {
                damaged = true;
                break;
            }
            out = CopyMatch(out, distance, length);
        }
        m_bitBuf = bb;
        m_bitCount = bc;
        m_in = in;
        d.out = out;
        if (damaged) Damaged();
        if (endOfBlock) {
            d.state = d.finalBlock ? TDecompressor::TState::Done : TDecompressor::TState::Header;
            return;
        }
        if (out >= stop) return;

        // Slow step: one symbol, pulling input bytes only as needed.
        uint32_t e = DecodeEntry(d.litLen);
        if (e & TTable::LiteralFlag) {
            *out++ = static_cast<uint8_t>(e >> 16);
            d.out = out;
            continue;
        }
        if (e & TTable::InvalidFlag) Damaged();
        if (e & TTable::EndOfBlockFlag) {
            d.state = d.finalBlock ? TDecompressor::TState::Done : TDecompressor::TState::Header;
            return;
        }
        int xb = TTable::ExtraBits(e);
        if (!NeedBits(xb)) Damaged();
        const uint32_t length = TTable::Value(e) + PeekBits(xb);
        DropBits(xb);
        e = DecodeEntry(d.dist);
        if (e & TTable::InvalidFlag) Damaged();
        xb = TTable::ExtraBits(e);
        if (!NeedBits(xb)) Damaged();
        const uint32_t distance = TTable::Value(e) + PeekBits(xb);
        DropBits(xb);
        if (distance > uint32_t(out - base)) Damaged();
        out = CopyMatch(out, distance, length);
        d.out = out;
    }
}

} // namespace image
