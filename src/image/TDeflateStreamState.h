#pragma once
// The working state of TDeflateStream, private to its sources.

#include "image/DeflateTables.h"
#include "image/TDeflateStream.h"

#include <array>
#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

namespace image {

struct TDeflateStream::TCompressor {
    // The window is a linear buffer of input; window[0] is absolute position
    // `base`. It keeps at least MaxDistance bytes before `readPos` (or all
    // since the start) and the pending bytes up to `writePos`.
    static constexpr uint32_t WindowSize = 1u << 17;
    static constexpr int RingSize = 64;          // positions per hash bucket
    static constexpr int Buckets = 65536;        // one per value of two bytes
    static constexpr int SymbolLimit = 65527;    // symbol entries that cut a dynamic block
    static constexpr uint32_t MaxPendingCoded = 32767;
    static constexpr uint32_t MaxPendingStored = 65535;

    struct TFree {
        void operator()(void* p) const { std::free(p); }
    };

    TCompressor();

    uint32_t Pending() const { return writePos - readPos; }
    const uint8_t* At(uint32_t pos) const { return window.get() + (pos - base); }

    // Enters the two bytes at absolute position `pos` into their bucket
    // once `pos` is consumed (stored as pos + 1, so that 0 marks an empty
    // slot). The last byte taken so far has no pair yet and is not entered.
    void Insert(uint32_t pos) {
        if (pos + 1 >= writePos) return;
        const uint8_t* p = At(pos);
        const uint32_t key = uint32_t(p[0]) | uint32_t(p[1]) << 8;
        uint8_t& counter = ringCounters.get()[key];
        rings.get()[key * RingSize + (counter & (RingSize - 1))] = pos + 1;
        ++counter;
    }

    std::unique_ptr<uint8_t[]> window;
    uint32_t base = 0;
    uint32_t readPos = 0;  // the next byte to encode (absolute)
    uint32_t writePos = 0; // the end of the input taken (absolute)

    // Ring of each bucket: absolute positions + 1 of earlier pairs, 0 = empty. Zeroed pages come from calloc lazily, so a small
    // input touches little of the 16 MiB.
    std::unique_ptr<uint32_t, TFree> rings;
    std::unique_ptr<uint8_t, TFree> ringCounters;

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
