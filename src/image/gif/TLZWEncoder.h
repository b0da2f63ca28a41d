#pragma once
// The LZW encoder of GIF frames (the default): greedy longest match against
// a string table of up to 4096 codes held in an open-addressed hash.

#include "image/gif/TGIFEncoder.h"

#include <array>
#include <cstdint>

namespace image {

class TLZWEncoder : public TGIFEncoder {
protected:
    // After each code the width grows when the next free code no longer fits,
    // as a decoder's does after reading it; it stays at 12 bits.
    void Output(int value) override;
    // Sends the clear code and empties the string table.
    void Clear() override;
    void Compress() override;

private:
    // 8192 entries, each empty (all ones) or (Key << 12) + Code,
    // with Key = Prefix * 256 + Pixel (20 bits) and Code below 4096.
    static constexpr int HashSize = 8192;
    static constexpr uint32_t EmptyEntry = 0xFFFFFFFF;
    using THashTable = std::array<uint32_t, HashSize>;

    void Emit(int value);
    // The table is full after `pixels` pixels: cleared, or kept while it
    // serves (see the .cpp). Out of the loop over the pixels, which keeps
    // its few values in registers.
    void TableFull(int64_t pixels);
    // Clears the table, a fresh one starting after `pixels` pixels.
    void ClearAt(int64_t pixels);
    // The bits sent so far, as the writer counts them.
    int64_t BitsSent() const;

    THashTable m_hashTable{};
    int m_freeEntry = 0;
    // Where the last clear was; how many pixels per bit (times 256) the
    // table gave while it filled up, -1 until it is full; where it filled up
    // and the next look at how it serves since.
    int64_t m_clearPixels = 0, m_clearBits = 0, m_fillRatio = -1, m_fullPixels = 0, m_fullBits = 0, m_nextLook = 0;
};

} // namespace image
