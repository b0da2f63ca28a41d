#pragma once
// The working state of TDeflateStream, private to its sources.

#include "image/DeflateTables.h"
#include "image/TDeflateStream.h"

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
            prev[hashed & (ChainSize - 1)] = head[key];
            head[key] = hashed + 1;
        }
    }

    std::unique_ptr<uint8_t[]> window;
    uint32_t base = 0;
    uint32_t readPos = 0;  // the next byte to encode (absolute)
    uint32_t writePos = 0; // the end of the input taken (absolute)
    uint32_t hashed = 0;   // the next position to enter into its bucket

    // The buckets. Each lists, newest first, every earlier position whose
    // two bytes form its key: head[key] is the newest, prev[] leads to the
    // next older one. Walking at most RingSize links visits exactly the
    // RingSize newest entries that a ring of RingSize positions per bucket
    // would hold, in 384 KiB instead of 16 MiB. A walk ends at the first
    // position more than MaxDistance back, before its prev[] slot could have
    // been reused, so ChainSize = MaxDistance suffices.
    std::unique_ptr<uint32_t[]> head;
    std::unique_ptr<uint32_t[]> prev;

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
