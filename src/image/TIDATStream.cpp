#include "image/TIDATStream.h"

#include "image/EImageError.h"
#include "image/PNGTables.h"
#include "image/TCRC32Stream.h"

#include <algorithm>
#include <cstring>

namespace image {

TIDATStream::TIDATStream(TCRC32Stream& inner, uint32_t length)
    : TFilterStream(static_cast<TBaseStream&>(inner)), m_crc(inner), m_remaining(length) {
    m_canRead = true;
}

void TIDATStream::ReadInner(void* buf, int count) {
    auto* p = static_cast<uint8_t*>(buf);
    while (count > 0) {
        const int got = m_crc.Read(p, count);
        if (got <= 0) throw EInOutError(SReadLessThanExpected);
        p += got;
        count -= got;
    }
}

void TIDATStream::CheckCRC() {
    const uint32_t crc = m_crc.GetCRC();
    uint8_t stored[4];
    ReadInner(stored, 4);
    const uint32_t expected = uint32_t(stored[0]) << 24 | uint32_t(stored[1]) << 16 | uint32_t(stored[2]) << 8 | stored[3];
    if (crc != expected) throw EImageError("CRC error");
}

int TIDATStream::Read(void* buf, int count) {
    auto* p = static_cast<uint8_t*>(buf);
    int done = 0;
    while (done < count) {
        if (m_remaining == 0) {
            CheckCRC();
            uint8_t head[8];
            ReadInner(head, 4);
            m_crc.Reset();
            ReadInner(head + 4, 4);
            const uint32_t length = uint32_t(head[0]) << 24 | uint32_t(head[1]) << 16 | uint32_t(head[2]) << 8 | head[3];
            if (length > PNGMaxChunkLength || std::memcmp(head + 4, "IDAT", 4) != 0)
                throw EImageError("Invalid PNG data");
            m_remaining = length;
            continue;
        }
        const int n = static_cast<int>(std::min<int64_t>(count - done, m_remaining));
        ReadInner(p + done, n);
        m_remaining -= uint32_t(n);
        done += n;
    }
    return done;
}

int TIDATStream::Write(const void*, int count) {
    if (count > 0) throw EInOutError("Stream not open for write");
    return 0;
}

void TIDATStream::FinishChunk() {
    uint8_t scratch[4096];
    while (m_remaining > 0) {
        const int n = static_cast<int>(std::min<uint32_t>(m_remaining, sizeof scratch));
        ReadInner(scratch, n);
        m_remaining -= uint32_t(n);
    }
    CheckCRC();
}

} // namespace image
