#include "image/TCRC32Stream.h"

#include "image/CRC32Tables.h"

#include <cstring>

namespace image {

uint32_t UpdateCRC32(uint32_t crc, const void* buf, size_t count) {
    const auto& t = CRC32Tables;
    const auto* p = static_cast<const unsigned char*>(buf);
    // Eight bytes per step; the words are assembled byte by byte so the code
    // does not depend on the machine's byte order or on alignment.
    while (count >= 8) {
        const uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                   uint32_t(p[3]) << 24);
        const uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 |
                            uint32_t(p[7]) << 24;
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        p += 8;
        count -= 8;
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
