#pragma once
// The working state of TDeflateStream, private to its sources.

#include "image/DeflateTables.h"
#include "image/TDeflateStream.h"

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <vector>

namespace image {

struct TDeflateStream::TCompressor {
    // The window is a linear buffer of input; window[0] is absolute position
    // `base`. It keeps at least MaxDistance bytes before `readPos` (or all
    // since the start) and the pending bytes up to `writePos`.
    static constexpr uint32_t WindowSize = 1u << 17;
    static constexpr int RingSize = 64;          // positions searched per bucket
    static constexpr int Buckets = 65536;        // one per value of two bytes
    static constexpr int TripleBits = 16;        // heads of the three-byte chains
    // Buckets of at most this many entries within reach are walked entry by
    // entry; longer ones through the three-byte chains.
    static constexpr int ShortBucket = RingSize;
    static constexpr uint32_t ChainSize = MaxDistance;
    static constexpr int SymbolLimit = 65527;    // symbol entries that cut a dynamic block
    static constexpr uint32_t MaxPendingCoded = 32767;
    static constexpr uint32_t MaxPendingStored = 65535;

    TCompressor();

    uint32_t Pending() const { return writePos - readPos; }
    const uint8_t* At(uint32_t pos) const { return window.get() + (pos - base); }

    // Enters every consumed position before `end` into its bucket (stored
    // as pos + 1, so that 0 marks the end), in order. The last byte taken so
    // far has no pair yet: it waits for the next byte written, so that what
    // the buckets hold at each search does not depend on how the input was
    // split into writes.
    void HashUpTo(uint32_t end) {
        for (; hashed < end && hashed + 1 < writePos; ++hashed) {
            const uint8_t* p = At(hashed);
            const uint32_t key = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            const uint32_t newest = head[key];
            prev[hashed & (ChainSize - 1)] = newest;
            head[key] = hashed + 1;
            // One more than the entry before it; a bucket whose newest entry
            // is out of reach starts again (those entries never count again).
            rank[hashed & (ChainSize - 1)] =
                newest != 0 && hashed - (newest - 1) <= MaxDistance ? uint16_t(rank[(newest - 1) & (ChainSize - 1)] + 1) : 0;
        }
    }
    // Enters the positions before `end` into their three-byte chains,
    // those out of reach of `end` excepted.
    void HashTriplesUpTo(uint32_t end) {
        hashed3 = std::max(hashed3, end - std::min(end - base, uint32_t(MaxDistance)));
        for (; hashed3 < end; ++hashed3) {
            const uint32_t slot = TripleHash(At(hashed3));
            prev3[hashed3 & (ChainSize - 1)] = head3[slot];
            head3[slot] = hashed3 + 1;
        }
    }
    static uint32_t TripleHash(const uint8_t* p) {
        const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        return (v * 2654435761u) >> (32 - TripleBits);
    }

    std::unique_ptr<uint8_t[]> window;
    uint32_t base = 0;
    uint32_t readPos = 0;  // the next byte to encode (absolute)
    uint32_t writePos = 0; // the end of the input taken (absolute)
    uint32_t hashed = 0;   // the next position to enter into its bucket
    uint32_t hashed3 = 0;  // the next position to enter into its three-byte chain

    // The buckets. Each lists, newest first, every earlier position whose
    // two bytes form its key: head is the newest, prev[] leads to the next
    // older one. Walking at most RingSize links visits exactly the RingSize
    // newest entries that a ring of RingSize positions per bucket would
    // hold, in a few hundred KiB instead of 16 MiB. A walk ends at the first
    // position more than MaxDistance back, before its prev[] slot could have
    // been reused, so ChainSize = MaxDistance suffices.
    std::unique_ptr<uint32_t[]> head;
    std::unique_ptr<uint32_t[]> prev;
    // A faster way to the same candidates in long buckets. Only a candidate
    // whose first three bytes match can beat the initial best length of 2,
    // so past the first few entries of its bucket the search walks a chain
    // of the positions whose three bytes hash alike (newest first, as the
    // bucket is ordered) and takes from it the true three-byte matches that
    // lie among the RingSize newest entries of the bucket: rank[] numbers the
    // entries of a bucket in order (modulo 2^16, exact for the at most 32768
    // within reach), so a position is among the newest RingSize while the
    // head's rank - its rank < RingSize. Candidates are met in the bucket's
    // order, so the result is the bucket walk's. The head's rank + 1 bounds
    // the entries within reach (the numbering starts again when the bucket's
    // newest entry is out of reach), which tells short buckets from long
    // ones before anything is walked. The chains are filled only when a
    // search needs them (hashed3 lags behind), so data whose buckets stay
    // short never pays for them.
    std::unique_ptr<uint16_t[]> rank;
    std::unique_ptr<uint32_t[]> head3;
    std::unique_ptr<uint32_t[]> prev3;

    // Buffered symbols of the open dynamic block: a literal byte (< 256) or
    // a match, length | distance << 9.
    std::vector<uint32_t> symbols;
    int symbolCount = 0; // entries as counted for the cut: codes and extra-bit fields
    std::array<uint32_t, LiteralLengthSymbols> litFreq{};
    std::array<uint32_t, DistanceSymbols> distFreq{};

    bool lastBlock = false;
    bool flushAll = false;
    bool fixedBlockOpen = false;
    bool finalWritten = false;
    std::array<THuffmanBitStream::TCode, LiteralLengthSymbols> fixedLit{};
    std::array<THuffmanBitStream::TCode, DistanceSymbols> fixedDist{};
};

struct TDeflateStream::TDecompressor {
    enum class TState { Header, Stored, Huffman, Done };

    // Decoded bytes go to a linear buffer that keeps the last MaxDistance
    // bytes before `deliver` when it slides.
    static constexpr int History = MaxDistance;
    static constexpr int BufferSize = History + 131072;
    static constexpr int CopySlack = 16; // matches are copied in 8-byte words
    static constexpr int LitLenTableBits = 11;
    static constexpr int DistTableBits = 8;
    static constexpr int CodeLengthTableBits = 7;

    TDecompressor();

    TState state = TState::Header;
    bool finalBlock = false;
    uint32_t storedLeft = 0;
    bool fixedTables = false; // litLen and dist hold the fixed codes
    std::unique_ptr<uint8_t[]> buf;
    uint8_t* out = nullptr;     // next byte to decode
    uint8_t* deliver = nullptr; // next byte to hand to the reader
    THuffmanBitStream::TDecodeTable litLen, dist, codeLengths;
    std::exception_ptr error;   // the failure that ended decoding
};

} // namespace image
