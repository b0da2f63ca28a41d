#include "image/TCRC32Stream.h"

#include "image/CRC32Tables.h"

#include <cstring>

namespace image {

uint32_t UpdateCRC32(uint32_t crc, const void* buf, size_t count) {
    const auto& t = CRC32Tables;
    const auto* p = static_cast<const unsigned char*>(buf);
    // Sixteen bytes per step; the words are assembled byte by byte so the
    // code depends neither on the machine's byte order nor on alignment.
    const auto word = [](const unsigned char* q) {
        return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
    };
    while (count >= 16) {
        const uint32_t a = crc ^ word(p), b = word(p + 4), c = word(p + 8), d = word(p + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        count -= 16;
    }
    while (count--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

TCRC32Stream::TCRC32Stream(TBaseStream& inner) : TFilterStream(inner) {
    m_canRead = inner.CanRead();
    m_canWrite = inner.CanWrite();
}

int TCRC32Stream::Write(const void* buf, int count) {
    if (count > 0) m_crc = UpdateCRC32(m_crc, buf, static_cast<size_t>(count));
    return m_inner->Write(buf, count);
}

int TCRC32Stream::Read(void* buf, int count) {
    const int got = m_inner->Read(buf, count);
    if (got > 0) m_crc = UpdateCRC32(m_crc, buf, static_cast<size_t>(got));
    return got;
}

} // namespace image
