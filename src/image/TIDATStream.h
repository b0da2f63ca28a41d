#pragma once
// The image data of a PNG file as one stream: the data of an IDAT chunk and
// of the IDAT chunks that follow it, without their lengths, types and CRCs.
// Reads never go past the data of the chunk in hand unless a byte is really
// wanted (Available reports only that chunk's rest), so the inflater's read
// ahead stays inside the image data.

#include "image/TFilterStream.h"

#include <cstdint>

namespace image {

class TCRC32Stream;

class TIDATStream : public TFilterStream {
public:
    // `inner` is the CRC stream of the chunk walk, just past the type of an
    // IDAT chunk whose data is `length` bytes long; its register holds the
    // CRC of that type so far.
    TIDATStream(TCRC32Stream& inner, uint32_t length);

    // Delivers image data. At the end of a chunk it reads the chunk's CRC
    // and compares it ("CRC error" when it differs), then the next chunk's
    // length and type; a chunk other than IDAT there, or a length above
    // 2^31 - 1, raises EImageError "Invalid PNG data". Input that ends
    // inside a chunk raises EInOutError "Read less than expected".
    int Read(void* buf, int count) override;
    // The bytes left in the current chunk.
    int64_t Available() const override { return m_remaining; }
    // Not writable.
    int Write(const void* buf, int count) override;
    // Only this stream's flag: the chunk walk below checks for itself.
    void SetCheckIO(bool value) override { m_checkIO = value; }

    // Skips the rest of the current chunk and checks its CRC, leaving the
    // inner stream at the next chunk. Raises as Read does.
    void FinishChunk();

    uint32_t Remaining() const { return m_remaining; }

private:
    void ReadInner(void* buf, int count);
    void CheckCRC();

    TCRC32Stream& m_crc;
    uint32_t m_remaining;
};

} // namespace image
