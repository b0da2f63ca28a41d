#include "image/TBitStream.h"

#include "image/EImageError.h"

#include <algorithm>
#include <cstring>

namespace image {

namespace {
constexpr int InCapacity = 32768;
}

TBitStream::TBitStream(TBaseStream& inner) : TFilterStream(inner) {
    m_canRead = inner.CanRead();
    m_canWrite = inner.CanWrite();
    m_checkIO = inner.CheckIO();
    if (m_canWrite) m_outBuf = std::make_unique_for_overwrite<uint8_t[]>(OutCapacity);
}

TBitStream::~TBitStream() {
    try {
        if (m_outBuf && (m_outBitCount > 0 || m_outCount > 0)) TBitStream::Flush();
    } catch (...) {
        // Best effort only; Flush reports write errors.
    }
    if (m_restoreCheckIO) m_inner->SetCheckIO(true);
}

void TBitStream::SetCheckIO(bool value) {
    m_checkIO = value;
    if (m_reading)
        m_restoreCheckIO = value;
    else
        m_inner->SetCheckIO(value);
}

void TBitStream::WriteBitsOutOfRange(int count) {
    if (count > 32) throw EAssertionFailed("Assertion failed");
}

void TBitStream::StartReading() {
    if (m_reading) return;
    m_reading = true;
    m_inBuf = std::make_unique_for_overwrite<uint8_t[]>(InCapacity);
    m_inCapacity = InCapacity;
    m_in = m_inEnd = m_inBuf.get();
    m_restoreCheckIO = m_inner->CheckIO();
    if (m_restoreCheckIO) m_inner->SetCheckIO(false);
}

bool TBitStream::FillInput(bool need) {
    StartReading();
    if (m_inputEnded) return false;
    uint8_t* buf = m_inBuf.get();
    const size_t left = static_cast<size_t>(m_inEnd - m_in);
    if (m_in != buf) {
        std::memmove(buf, m_in, left);
        m_in = buf;
        m_inEnd = buf + left;
    }
    const int space = std::min(m_inCapacity - static_cast<int>(left), m_fillLimit);
    if (space <= 0) return false;
    int want = static_cast<int>(std::clamp<int64_t>(m_inner->Available(), 0, space));
    if (want == 0) {
        if (!need) return false;
        want = 1;
    }
    const int got = m_inner->Read(const_cast<uint8_t*>(m_inEnd), want);
    if (got <= 0) {
        m_inputEnded = true;
        return false;
    }
    m_inEnd += std::min(got, want);
    return true;
}

bool TBitStream::PullByte() {
    if (m_in == m_inEnd && !FillInput(true)) return false;
    m_bitBuf &= (uint64_t(1) << m_bitCount) - 1;
    m_bitBuf |= uint64_t(*m_in++) << m_bitCount;
    m_bitCount += 8;
    return true;
}

int TBitStream::ReadBits(void* dest, int count) {
    auto* d = static_cast<uint8_t*>(dest);
    int done = 0;
    while (done < count) {
        const int n = std::min(8, count - done);
        if (!NeedBits(n)) {
            const int rest = m_bitCount;
            if (rest > 0) {
                d[done / 8] = static_cast<uint8_t>(PeekBits(rest));
                DropBits(rest);
            }
            return done + rest;
        }
        d[done / 8] = static_cast<uint8_t>(PeekBits(n));
        DropBits(n);
        done += n;
    }
    return done;
}

int TBitStream::ReadBit() {
    if (!NeedBits(1)) return -1;
    const int bit = static_cast<int>(m_bitBuf & 1);
    DropBits(1);
    return bit;
}

int TBitStream::Read(void* buf, int count) {
    if (count < 1) return 0;
    StartReading();
    auto* dst = static_cast<uint8_t*>(buf);
    int done = 0;
    if (m_bitCount & 7) {
        while (done < count && NeedBits(8)) {
            dst[done++] = static_cast<uint8_t>(PeekBits(8));
            DropBits(8);
        }
    } else {
        while (done < count && m_bitCount >= 8) {
            dst[done++] = static_cast<uint8_t>(m_bitBuf);
            DropBits(8);
        }
        // The register's hidden copies of input bytes are stale once bytes
        // are taken from the buffer directly.
        if (m_bitCount == 0) m_bitBuf = 0;
        while (done < count) {
            if (m_in == m_inEnd) {
                if (m_inputEnded) break;
                if (count - done >= m_inCapacity) {
                    const int got = m_inner->Read(dst + done, count - done);
                    if (got <= 0) {
                        m_inputEnded = true;
                        break;
                    }
                    done += std::min(got, count - done);
                    continue;
                }
                if (!FillInput(true)) break;
            }
            const int n = std::min(count - done, static_cast<int>(m_inEnd - m_in));
            std::memcpy(dst + done, m_in, static_cast<size_t>(n));
            m_in += n;
            done += n;
        }
    }
    if (done < count && m_checkIO) throw EInOutError(SReadLessThanExpected);
    return done;
}

void TBitStream::PutOutBytes() {
    while (m_outBitCount >= 8) {
        if (m_outCount == OutCapacity) SendOutput();
        m_outBuf[m_outCount++] = static_cast<uint8_t>(m_outBits);
        m_outBits >>= 8;
        m_outBitCount -= 8;
    }
}

void TBitStream::SendOutput() {
    if (m_outCount == 0) return;
    const int sent = std::clamp(m_inner->Write(m_outBuf.get(), m_outCount), 0, m_outCount);
    if (sent < m_outCount) {
        // Nothing is dropped: the unsent bytes stay for a later attempt.
        std::memmove(m_outBuf.get(), m_outBuf.get() + sent, static_cast<size_t>(m_outCount - sent));
        m_outCount -= sent;
        throw EInOutError(SReadLessThanExpected);
    }
    m_outCount = 0;
}

void TBitStream::SendWholeBytes() {
    if (!m_outBuf) return;
    PutOutBytes();
    SendOutput();
}

int TBitStream::Write(const void* buf, int count) {
    if (count < 1) return 0;
    if (!m_outBuf) throw EInOutError("Stream not open for write");
    const auto* src = static_cast<const uint8_t*>(buf);
    if (m_outBitCount & 7) {
        for (int i = 0; i < count; ++i) WriteBits(src[i], 8);
        return count;
    }
    PutOutBytes();
    int done = 0;
    while (done < count) {
        if (m_outCount == OutCapacity) SendOutput();
        const int n = std::min(count - done, OutCapacity - m_outCount);
        std::memcpy(m_outBuf.get() + m_outCount, src + done, static_cast<size_t>(n));
        m_outCount += n;
        done += n;
    }
    return count;
}

void TBitStream::Flush() {
    if (m_outBuf) {
        // Bits above m_outBitCount are zero, so rounding up pads with zeros.
        m_outBitCount = (m_outBitCount + 7) & ~7;
        PutOutBytes();
        SendOutput();
    }
    if (m_reading) AlignToByte();
}

int64_t TBitStream::Available() const {
    int64_t n = m_inner->Available();
    if (m_reading) n += (m_inEnd - m_in) + m_bitCount / 8;
    return n;
}

} // namespace image
