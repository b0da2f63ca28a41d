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
// that size, so both sides switch at the same code. The table stops growing
// when code 4094 has been given out, so codes never need more than 12 bits
// and every decoder (giflib's included) still has room for its entry.
//
// A full table of short strings (a photo's) is cleared at once: a fresh one
// learns the pixels that follow. One whose strings ran long (line art, text)
// is kept while it serves: every CheckGap pixels, the pixels taken per bit
// sent since it filled up are compared with what it gave while filling up,
// and only a fall clears it, as clearing it would throw away the strings
// that similar rows go on using.
//
// The hash takes the top bits of a Fibonacci multiplication (runs of
// similar keys from smooth pictures land far apart, so probes stay short)
// and probes the next slots in turn, which keeps a probe within a few cache
// lines and needs no division; it always ends at an empty slot, the table
// being at most half full. Which slot holds a string does not change the
// codes sent.

#include "image/gif/GIFException.h"

#include <QtGlobal>
#include <algorithm>

namespace image {

namespace {
// The code after the last one given out: the table is full.
constexpr int LastFreeEntry = 4095;
constexpr int MaxBitsPerCode = 12;
// Pixels between two looks at how a full table serves.
constexpr int64_t CheckGap = 4096;
// Pixels per code, on average while the table filled up, from which a full
// table is kept.
constexpr int64_t LongRuns = 16;
inline int Hash(uint32_t key) { return static_cast<int>((key * 2654435761u) >> 19); }

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

int64_t TLZWEncoder::BitsSent() const { return m_writer->Written() * 8 + m_outputBits; }

void TLZWEncoder::ClearAt(int64_t pixels) {
    Clear();
    m_clearPixels = pixels, m_clearBits = BitsSent(), m_fillRatio = -1;
}

Q_NEVER_INLINE void TLZWEncoder::TableFull(int64_t pixels) {
    if (m_fillRatio < 0) {
        // Just full: strings of a few pixels are cleared at once, long runs
        // kept while the table serves as well as it did filling up.
        const int64_t filled = pixels - m_clearPixels;
        if (filled < LongRuns * (LastFreeEntry - m_clearCode - 2)) {
            ClearAt(pixels);
            return;
        }
        m_fullBits = BitsSent();
        m_fillRatio = (filled << 8) / std::max<int64_t>(m_fullBits - m_clearBits, 1);
        m_fullPixels = pixels, m_nextLook = pixels + CheckGap;
    } else if (pixels >= m_nextLook) {
        m_nextLook = pixels + CheckGap;
        if (((pixels - m_fullPixels) << 8) / std::max<int64_t>(BitsSent() - m_fullBits, 1) < m_fillRatio)
            ClearAt(pixels);
    }
}

void TLZWEncoder::Compress() {
    Clear();
    m_clearPixels = m_clearBits = 0, m_fillRatio = -1;
    const uint8_t* p;
    int64_t count;
    bool first = true;
    uint32_t prefix = 0;
    int64_t taken = 0;  // pixels of the spans before this one
    while (NextSpan(p, count)) {
        // The pixels taken up to p are at + p.
        const intptr_t at = intptr_t(taken) - reinterpret_cast<intptr_t>(p);
        const uint8_t* const end = p + count;
        if (first) {
            prefix = *p++;
            first = false;
        }
        for (; p < end; ++p) {
            const uint32_t c = *p;
            const uint32_t key = (prefix << 8) | c;
            int h = Hash(key);
            uint32_t entry;
            while ((entry = m_hashTable[static_cast<size_t>(h)]) != EmptyEntry && (entry >> 12) != key)
                h = (h + 1) & (HashSize - 1);
            if (entry != EmptyEntry) {
                prefix = entry & 0xFFF;
                continue;
            }
            Emit(static_cast<int>(prefix));
            prefix = c;
            if (m_freeEntry < LastFreeEntry) {
                // The probe stopped at the first empty slot of this key's chain.
                m_hashTable[static_cast<size_t>(h)] = (key << 12) | uint32_t(m_freeEntry);
                ++m_freeEntry;
            } else {
                TableFull(at + reinterpret_cast<intptr_t>(p));
            }
        }
        taken += count;
    }
    Emit(static_cast<int>(prefix));
}

} // namespace image
