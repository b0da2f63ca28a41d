#include "image/gif/TLZWEncoder.h"

// LZW as GIF uses it. The current string is Prefix (a code); each next pixel
// C either extends it (the table knows Prefix + C: Prefix becomes that code)
// or ends it: Prefix is sent, C starts the next string and Prefix + C gets
// the next free code. Codes 0..ClearCode-1 are the pixels, ClearCode and
// EOFCode follow, table strings start at ClearCode + 2.
//
// A decoder adds a table entry for every code after the first following a
// clear, and widens its codes once the next free entry no longer fits. The
// encoder widens after sending the code whose entry makes the table reach
// that size, so both sides switch at the same code. The table is cleared
// when code 4094 has been given out, so codes never need more than 12 bits
// and every decoder (giflib's included) still has room for its entry.
//
// The hash spreads keys by a Fibonacci multiplication scaled to the table
// (runs of similar keys from smooth pictures land far apart, so probes stay
// short) and probes with a fixed step (the table size minus the first slot),
// which visits every slot of the prime-sized table: a probe always ends at
// an empty slot, the table being at most half full.

#include "image/gif/GIFException.h"

#include <algorithm>

namespace image {

namespace {
// The last code given out before the table is cleared.
constexpr int LastFreeEntry = 4095;
constexpr int MaxBitsPerCode = 12;
inline int Hash(uint32_t key) {
    return static_cast<int>((uint64_t(key * 2654435761u) * 8009) >> 32);
}

} // namespace

inline void TLZWEncoder::Emit(int value) {
    PutCode(value);
    if (m_freeEntry > m_maxCode || m_clearFlag) {
        if (m_clearFlag) {
            m_bitsPerCode = m_initialBitsPerCode;
            m_maxCode = (1 << m_bitsPerCode) - 1;
            m_clearFlag = false;
        } else {
            ++m_bitsPerCode;
            // At 12 bits the width is final: no code reaches 4096.
            m_maxCode = m_bitsPerCode == MaxBitsPerCode ? 1 << MaxBitsPerCode : (1 << m_bitsPerCode) - 1;
        }
    }
}

void TLZWEncoder::Output(int value) { Emit(value); }

void TLZWEncoder::Clear() {
    m_clearFlag = true;
    Emit(m_clearCode);
    m_hashTable.fill(EmptyEntry);
    m_freeEntry = m_clearCode + 2;
}

void TLZWEncoder::Compress() {
    Clear();
    const uint8_t* p;
    int64_t count;
    bool first = true;
    uint32_t prefix = 0;
    while (NextSpan(p, count)) {
        const uint8_t* const end = p + count;
        if (first) {
            prefix = *p++;
            first = false;
        }
        for (; p < end; ++p) {
            const uint32_t c = *p;
            const uint32_t key = (prefix << 8) | c;
            int h = Hash(key);
            const int step = h == 0 ? 1 : HashSize - h;
            uint32_t entry;
            while ((entry = m_hashTable[static_cast<size_t>(h)]) != EmptyEntry && (entry >> 12) != key) {
                h -= step;
                if (h < 0) h += HashSize;
            }
            if (entry != EmptyEntry) {
                prefix = entry & 0xFFF;
                continue;
            }
            Emit(static_cast<int>(prefix));
            prefix = c;
            if (m_freeEntry >= LastFreeEntry) {
                Clear();
            } else {
                // The probe stopped at the first empty slot of this key's chain.
                m_hashTable[static_cast<size_t>(h)] = (key << 12) | uint32_t(m_freeEntry);
                ++m_freeEntry;
            }
        }
    }
    Emit(static_cast<int>(prefix));
}

} // namespace image
