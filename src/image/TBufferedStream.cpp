#include "image/TBufferedStream.h"

#include "image/EImageError.h"

#include <algorithm>
#include <cstring>

namespace image {

namespace {

int CheckedSize(int size) {
    if (size == -1) return TBufferedStream::DefaultBufferSize;
    if (size < 2 && size != 0) throw EStreamCreate("Invalid buffer size");
    return size;
}

} // namespace

TBufferedStream::TBufferedStream(TBaseStream& inner, int readBufferSize, int writeBufferSize)
    : TFilterStream(inner) {
    m_canWrite = inner.CanWrite();
    m_canRead = inner.CanRead();
    m_checkIO = inner.CheckIO();
    const int readSize = m_canRead ? CheckedSize(readBufferSize) : 0;
    const int writeSize = m_canWrite ? CheckedSize(writeBufferSize) : 0;
    if (readSize > 0) {
        m_readBuf = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(readSize));
        m_readCapacity = readSize;
    }
    if (writeSize > 0) {
        m_writeBuf = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(writeSize));
        m_writeCapacity = writeSize;
    }
    m_restoreCheckIO = m_readBuf && m_checkIO;
    if (m_restoreCheckIO) inner.SetCheckIO(false);
}

TBufferedStream::~TBufferedStream() {
    try {
        if (m_writeBuf) SendBuffer();
    } catch (...) {
        // Best effort only; Flush reports write errors.
    }
    if (m_restoreCheckIO) m_inner->SetCheckIO(true);
}

void TBufferedStream::SetCheckIO(bool value) {
    m_checkIO = value;
    if (!m_readBuf) m_inner->SetCheckIO(value);
}

int TBufferedStream::Read(void* buf, int count) {
    if (!m_readBuf) return m_inner->Read(buf, count);
    if (count < 1) return 0;
    char* dst = static_cast<char*>(buf);
    const int buffered = m_readFilled - m_readPos;
    if (count <= buffered) {
        std::memcpy(dst, m_readBuf.get() + m_readPos, static_cast<size_t>(count));
        m_readPos += count;
        return count;
    }
    std::memcpy(dst, m_readBuf.get() + m_readPos, static_cast<size_t>(buffered));
    m_readPos = m_readFilled = 0;
    const int rest = count - buffered;
    if (rest < m_readCapacity) {
        const int got = ReadInner(m_readBuf.get(), m_readCapacity, rest);
        if (got < rest) {
            std::memcpy(dst + buffered, m_readBuf.get(), static_cast<size_t>(got));
            if (m_checkIO) throw EInOutError(SReadLessThanExpected);
            return buffered + got;
        }
        std::memcpy(dst + buffered, m_readBuf.get(), static_cast<size_t>(rest));
        m_readPos = rest;
        m_readFilled = got;
        return count;
    }
    const int got = ReadInner(dst + buffered, rest, rest);
    if (m_checkIO && got < rest) throw EInOutError(SReadLessThanExpected);
    return buffered + got;
}

// Reads up to `count` bytes, going back to the inner stream while fewer than
// `need` have come: an inner stream that hands out data in pieces (a pipe, a
// network device) must not look like one that has ended.
int TBufferedStream::ReadInner(char* dst, int count, int need) {
    int got = 0;
    while (got < need) {
        const int n = m_inner->Read(dst + got, count - got);
        if (n <= 0) break;
        got += n;
    }
    return got;
}

bool TBufferedStream::SendBuffer() {
    if (m_writeCount == 0) return true;
    const int sent = std::clamp(m_inner->Write(m_writeBuf.get(), m_writeCount), 0, m_writeCount);
    if (sent < m_writeCount)
        std::memmove(m_writeBuf.get(), m_writeBuf.get() + sent, static_cast<size_t>(m_writeCount - sent));
    m_writeCount -= sent;
    return m_writeCount == 0;
}

int TBufferedStream::Write(const void* buf, int count) {
    if (!m_writeBuf) return m_inner->Write(buf, count);
    if (count < 1) return 0;
    const char* src = static_cast<const char*>(buf);
    const int space = m_writeCapacity - m_writeCount;
    if (count <= space) {
        std::memcpy(m_writeBuf.get() + m_writeCount, src, static_cast<size_t>(count));
        m_writeCount += count;
        return count;
    }
    std::memcpy(m_writeBuf.get() + m_writeCount, src, static_cast<size_t>(space));
    m_writeCount += space;
    if (!SendBuffer()) {
        if (m_checkIO) throw EInOutError(SReadLessThanExpected);
        return space;
    }
    const int rest = count - space;
    if (rest < m_writeCapacity) {
        std::memcpy(m_writeBuf.get(), src + space, static_cast<size_t>(rest));
        m_writeCount = rest;
        return count;
    }
    const int sent = std::max(0, m_inner->Write(src + space, rest));
    if (m_checkIO && sent < rest) throw EInOutError(SReadLessThanExpected);
    return space + sent;
}

void TBufferedStream::Flush() {
    if (!m_writeBuf) return;
    if (!SendBuffer() && m_checkIO) throw EInOutError(SReadLessThanExpected);
}

int64_t TBufferedStream::Available() const {
    return m_inner->Available() + (m_readFilled - m_readPos);
}

} // namespace image
