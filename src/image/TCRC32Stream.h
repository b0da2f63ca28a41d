#pragma once
// A filter that keeps the CRC-32 (as PNG and zlib use it) of every byte
// written through it or read through it.

#include "image/TFilterStream.h"

#include <cstddef>
#include <cstdint>

namespace image {

// Advances a CRC-32 register over `count` bytes, without the initial or final
// inversion: start from 0xFFFFFFFF and xor the result with 0xFFFFFFFF to get
// the checksum. A count of 0 leaves the register as it is.
uint32_t UpdateCRC32(uint32_t crc, const void* buf, size_t count);

// The finished CRC-32 of a whole buffer (0 for no bytes).
inline uint32_t CRC32(const void* buf, size_t count) {
    return UpdateCRC32(0xFFFFFFFFu, buf, count) ^ 0xFFFFFFFFu;
}

class TCRC32Stream : public TFilterStream {
public:
    // Takes CanRead and CanWrite of `inner` (borrowed); the register starts
    // at 0xFFFFFFFF.
    explicit TCRC32Stream(TBaseStream& inner);

    // Starts a new checksum.
    void Reset() { m_crc = 0xFFFFFFFFu; }
    // The checksum of the bytes since construction or Reset.
    uint32_t GetCRC() const { return m_crc ^ 0xFFFFFFFFu; }

    // Counts all `count` bytes, then forwards them; errors of the inner
    // stream pass through (the bytes are then already counted).
    int Write(const void* buf, int count) override;
    // Forwards, then counts the bytes that actually arrived.
    int Read(void* buf, int count) override;
    // Does nothing: the CRC stream never flushes its inner stream.
    void Flush() override {}

private:
    uint32_t m_crc = 0xFFFFFFFFu;
};

} // namespace image
