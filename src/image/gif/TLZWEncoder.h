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
    // 8009 (a prime) entries, each empty (all ones) or (Key << 12) + Code,
    // with Key = Prefix * 256 + Pixel (20 bits) and Code below 4096.
    static constexpr int HashSize = 8009;
    static constexpr uint32_t EmptyEntry = 0xFFFFFFFF;
    using THashTable = std::array<uint32_t, HashSize>;

    void Emit(int value);

    THashTable m_hashTable{};
    int m_freeEntry = 0;
};

} // namespace image
