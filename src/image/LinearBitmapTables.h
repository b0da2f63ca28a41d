#pragma once
// Fixed palettes of the linear bitmap. A palette is 256 entries of three
// bytes in the order B, G, R.

#include <array>
#include <cstdint>

namespace image {

using TBGRPalette = std::array<uint8_t, 768>;

// Entry i is (i, i, i).
inline constexpr TBGRPalette GrayPalette = [] {
    TBGRPalette p{};
    for (int i = 0; i < 256; ++i)
        p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = static_cast<uint8_t>(i);
    return p;
}();

// The palette of 24-bit images reduced to 8 bits: index bits RRRGGGBB, red
// and green spread over 0..255 in sevenths (rounded), blue in thirds.
inline constexpr TBGRPalette Palette332 = [] {
    TBGRPalette p{};
    // round(k * 255 / 7) for k = 0..7; no value falls on a half.
    constexpr auto seventh = [](int k) { return static_cast<uint8_t>((k * 255 * 2 + 7) / 14); };
    for (int i = 0; i < 256; ++i) {
        p[3 * i] = static_cast<uint8_t>((i & 3) * 85);
        p[3 * i + 1] = seventh((i >> 2) & 7);
        p[3 * i + 2] = seventh(i >> 5);
    }
    return p;
}();

static_assert(Palette332[3 * 0xFF] == 255 && Palette332[3 * 0xFF + 1] == 255 &&
              Palette332[3 * 0xFF + 2] == 255);
static_assert(Palette332[3 * 0x20 + 2] == 36 && Palette332[3 * 0x40 + 2] == 73);

} // namespace image
