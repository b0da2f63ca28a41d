#pragma once
// Fixed byte strings and tables of the PNG and MNG formats.

#include <array>
#include <cstdint>

namespace image {

inline constexpr std::array<uint8_t, 8> PNGSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
inline constexpr std::array<uint8_t, 8> MNGSignature{0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The largest chunk length PNG allows (2^31 - 1).
inline constexpr uint32_t PNGMaxChunkLength = 0x7FFFFFFFu;

// IHDR's filter method that marks MNG's intrapixel differencing
// (R - G and B - G stored instead of R and B).
inline constexpr int MNGIntrapixelFilterMethod = 64;

// PNG row filters, by their number in the filter-type byte.
inline constexpr int PNGFilterNone = 0;
inline constexpr int PNGFilterSub = 1;
inline constexpr int PNGFilterUp = 2;
inline constexpr int PNGFilterAverage = 3;
inline constexpr int PNGFilterPaeth = 4;

// One pass of Adam7 interlacing: the pass takes every stepX-th pixel from
// column startX of every stepY-th row from row startY.
struct TAdam7Pass {
    int startX, startY, stepX, stepY;
};

inline constexpr std::array<TAdam7Pass, 7> Adam7Passes{{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};

} // namespace image
