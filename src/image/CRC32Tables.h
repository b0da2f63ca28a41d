#pragma once
// Tables of the CRC-32 of ISO 3309 / ITU-T V.42 (PNG, zlib): reflected
// polynomial 0xEDB88320. Table 0 is the classic byte-at-a-time table,
// new = T0[(crc ^ byte) & 0xFF] ^ (crc >> 8). Table k gives the effect of a
// byte followed by k zero bytes, which lets UpdateCRC32 fold sixteen bytes
// per step ("slicing by 16") with results identical to the byte-wise loop.

#include <array>
#include <cstdint>

namespace image {

inline constexpr uint32_t CRC32Polynomial = 0xEDB88320u;

inline constexpr std::array<std::array<uint32_t, 256>, 16> CRC32Tables = [] {
    std::array<std::array<uint32_t, 256>, 16> t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? CRC32Polynomial ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (size_t k = 1; k < 16; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    return t;
}();

static_assert(CRC32Tables[0][1] == 0x77073096u, "first entry of the standard table");
static_assert(CRC32Tables[0][255] == 0x2D02EF8Du, "last entry of the standard table");

} // namespace image
