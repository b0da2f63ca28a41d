#pragma once
// Adler-32, the checksum of the zlib format (RFC 1950) that PNG puts after
// its compressed image data. The deflate stream itself carries no checksum;
// the PNG reader and writer keep one of these beside it.

#include <cstddef>
#include <cstdint>

namespace image {

// The running sums A and B of the checksum.
struct TAdler32 {
    uint32_t A = 1;
    uint32_t B = 0;
};

// Starts a checksum: A = 1, B = 0 (the checksum of no bytes is 1).
inline void Adler32Init(TAdler32& adler) { adler = TAdler32{}; }

// Adds `count` bytes; a count of 0 changes nothing.
void Adler32Update(TAdler32& adler, const void* buf, size_t count);

// Adds one byte.
inline void Adler32UpdateByte(TAdler32& adler, uint8_t byte) {
    adler.A = (adler.A + byte) % 65521u;
    adler.B = (adler.B + adler.A) % 65521u;
}

// The checksum as a number, (B << 16) | A. A zlib stream stores it
// big-endian: write SwapDWord of it on a little-endian machine, or use
// Adler32Bytes.
inline uint32_t Adler32Value(const TAdler32& adler) { return (adler.B << 16) | adler.A; }

// The checksum in the byte order of the zlib trailer (most significant first).
inline void Adler32Bytes(const TAdler32& adler, uint8_t out[4]) {
    const uint32_t v = Adler32Value(adler);
    out[0] = uint8_t(v >> 24);
    out[1] = uint8_t(v >> 16);
    out[2] = uint8_t(v >> 8);
    out[3] = uint8_t(v);
}

// The checksum of a whole buffer.
inline uint32_t Adler32(const void* buf, size_t count) {
    TAdler32 a;
    Adler32Update(a, buf, count);
    return Adler32Value(a);
}

} // namespace image
