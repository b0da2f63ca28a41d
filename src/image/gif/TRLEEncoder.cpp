#include "image/gif/TRLEEncoder.h"

// Bookkeeping. OutCount is the number of codes sent since the last clear; a
// decoder has then made OutCount - 1 table entries, the next free one being
// ClearCode + 1 + OutCount, and it widens its codes when that reaches a power
// of two: OutBump is the count at which that happens next. OutClear is the
// count at which the encoder clears: soon after a clear while it only sends
// plain pixels (so the width never grows), MaxOCodes while it relies on run
// entries (the last count before the decoder's table would pass code 4093,
// well inside 12 bits).
//
// Run entries: after a clear, the codes p, Base, Base+1, ... (Base =
// ClearCode + 2) give runs of 1, 2, 3, ... pixels p, and the entry for a run
// of N is Base + N - 2. RLTableMax is the longest run so known and
// RLTablePixel its pixel; entries the decoder adds later are never used.

namespace image {

namespace {

// The integer square root by Newton's method from a power of two above it.
int ISqrt(int x) {
    if (x < 2) return x;
    int digits = 0;
    for (int v = x; v > 0; v >>= 2) ++digits;
    int r = 1 << digits;
    for (;;) {
        const int next = (x / r + r) / 2;
        if (next == r || next == r + 1) return r;
        r = next;
    }
}

// Codes needed to send `count` pixels of one colour from a clear, when the
// runs may grow to `nRepCodes` codes before the table must be cleared.
int TriangleCount(int count, int nRepCodes) {
    const int perRep = nRepCodes * (nRepCodes + 1) / 2;
    int cost = 0;
    while (count >= perRep) {
        cost += nRepCodes;
        count -= perRep;
    }
    if (count > 0) {
        int n = ISqrt(count);
        while (n * (n + 1) >= 2 * count) --n;
        while (n * (n + 1) < 2 * count) ++n;
        cost += n;
    }
    return cost;
}

} // namespace

void TRLEEncoder::Clear() {
    m_outBump = m_outBumpInit;
    m_outClear = m_outClearInit;
    m_outCount = 0;
    m_rlTableMax = 0;
    m_clearFlag = true;
    PutCode(m_clearCode);
    m_bitsPerCode = m_initialBitsPerCode;
}

void TRLEEncoder::OutputPlain(int c) {
    m_clearFlag = false;
    PutCode(c);
    ++m_outCount;
    if (m_outCount >= m_outBump) {
        ++m_bitsPerCode;
        m_outBump += 1 << (m_bitsPerCode - 1);
    }
    if (m_outCount >= m_outClear) Clear();
}

void TRLEEncoder::ResetOutClear() {
    m_outClear = m_outClearInit;
    if (m_outCount >= m_outClear) Clear();
}

void TRLEEncoder::FlushFromClear(int count) {
    MaxOutClear();
    m_rlTablePixel = m_rlPixel;
    int n = 1;
    while (count > 0) {
        if (n == 1) {
            m_rlTableMax = 1;
            OutputPlain(m_rlPixel);
            --count;
        } else if (count >= n) {
            m_rlTableMax = n;
            OutputPlain(m_baseCode + n - 2);
            count -= n;
        } else {
            ++m_rlTableMax;
            OutputPlain(count == 1 ? m_rlPixel : m_baseCode + count - 2);
            count = 0;
        }
        n = m_outCount == 0 ? 1 : n + 1;
    }
    ResetOutClear();
}

void TRLEEncoder::FlushClearOrRep(int count) {
    if (count > 1 + TriangleCount(count, m_maxOCodes)) {
        Clear();
        FlushFromClear(count);
    } else {
        for (; count > 0; --count) OutputPlain(m_rlPixel);
    }
}

void TRLEEncoder::FlushWithTable(int count) {
    int reps = count / m_rlTableMax;
    int left = count % m_rlTableMax;
    int leftCodes = left > 0 ? 1 : 0;
    if (m_outCount + reps + leftCodes > m_maxOCodes) {
        reps = m_maxOCodes - m_outCount;
        left = count - reps * m_rlTableMax;
        leftCodes = 1 + TriangleCount(left, m_maxOCodes);
    }
    if (1 + TriangleCount(count, m_maxOCodes) < reps + leftCodes) {
        Clear();
        FlushFromClear(count);
        return;
    }
    MaxOutClear();
    for (; reps > 0; --reps) OutputPlain(m_baseCode + m_rlTableMax - 2);
    if (left > 0) {
        if (m_clearFlag)
            FlushFromClear(left);
        else
            OutputPlain(left == 1 ? m_rlPixel : m_baseCode + left - 2);
    }
    ResetOutClear();
}

void TRLEEncoder::Flush(int count) {
    if (count == 1)
        OutputPlain(m_rlPixel);
    else if (m_clearFlag)
        FlushFromClear(count);
    else if (m_rlTableMax < 2 || m_rlTablePixel != m_rlPixel)
        FlushClearOrRep(count);
    else
        FlushWithTable(count);
}

void TRLEEncoder::Compress() {
    m_outBumpInit = m_clearCode - 1;
    // Small tables are cleared a little later: clearing costs a code, and
    // with few colours the width grows slowly anyway.
    m_outClearInit = m_bitsPerPixel > 3 ? m_outBumpInit - 1 : 9;
    m_maxOCodes = 4095 - m_baseCode;
    Clear();

    m_rlPixel = -1;
    int count = 0;
    const uint8_t* p;
    int64_t n;
    while (NextSpan(p, n)) {
        for (const uint8_t* const end = p + n; p < end; ++p) {
            const int c = *p;
            if (c == m_rlPixel) {
                ++count;
                continue;
            }
            if (count > 0) Flush(count);
            m_rlPixel = c;
            count = 1;
        }
    }
    Flush(count);
}

} // namespace image
