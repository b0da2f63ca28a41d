#pragma once
// Fixed tables of colour reduction: the palettes that stand in for the
// system's default and halftone palettes, the web palette, and the
// error-diffusion kernels.

#include <array>
#include <cstddef>
#include <cstdint>

namespace image {

struct TRGBTriple {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
};

// The 20 static colours of a palette device: 10 dark ones first, 10 light
// ones last, as a system palette holds them.
inline constexpr std::array<TRGBTriple, 20> SystemPalette20{{
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
}};

// The 6 x 6 x 6 cube: entry r * 36 + g * 6 + b = (51r, 51g, 51b).
inline constexpr std::array<TRGBTriple, 216> WebPaletteTable = [] {
    std::array<TRGBTriple, 216> p{};
    for (int i = 0; i < 216; ++i)
        p[std::size_t(i)] = {uint8_t(i / 36 * 51), uint8_t(i / 6 % 6 * 51), uint8_t(i % 6 * 51)};
    return p;
}();

// Our halftone palette: the first 10 static colours, the web cube, the 20
// greys 255k/25 (rounded) that the cube lacks (k = 1..24, not a multiple of
// 5), the last 10 static colours.
inline constexpr std::array<TRGBTriple, 256> HalftonePalette = [] {
    std::array<TRGBTriple, 256> p{};
    std::size_t n = 0;
    for (int i = 0; i < 10; ++i) p[n++] = SystemPalette20[std::size_t(i)];
    for (const TRGBTriple& c : WebPaletteTable) p[n++] = c;
    for (int k = 1; k < 25; ++k)
        if (k % 5 != 0) {
            const auto g = uint8_t((k * 255 * 2 + 25) / 50);
            p[n++] = {g, g, g};
        }
    for (int i = 10; i < 20; ++i) p[n++] = SystemPalette20[std::size_t(i)];
    return p;
}();
static_assert(HalftonePalette[246].Red == 255 && HalftonePalette[226].Red == 10 && HalftonePalette[245].Red == 245);

// The grey levels of the 4-grey palette.
inline constexpr std::array<uint8_t, 4> Gray4Levels{0, 128, 192, 255};

// One weight of an error-diffusion kernel: the row below the current one
// (0 = the current row), the offset from the current column (+ = ahead in
// the scan direction) and the weight.
struct TDitherWeight {
    int8_t Row;
    int8_t Offset;
    uint8_t Weight;
};

struct TDitherKernel {
    int Divisor;
    int Rows;    // rows touched below the current one, plus one
    int Border;  // the largest offset, either way
    int Count;
    std::array<TDitherWeight, 14> Weights;
};

// Indexed by dither mode - 1 (Floyd-Steinberg, Stucki, Sierra, Jarvis,
// Stevenson-Arce, Burkes).
inline constexpr std::array<TDitherKernel, 6> DitherKernels{{
    {16, 2, 1, 4, {{{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}}},
    {42, 3, 2, 12, {{{0, 1, 8}, {0, 2, 4},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                     {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}}},
    {32, 3, 2, 10, {{{0, 1, 5}, {0, 2, 3},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                     {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}}},
    {48, 3, 2, 12, {{{0, 1, 7}, {0, 2, 5},
                     {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                     {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}}},
    {200, 4, 3, 12, {{{0, 2, 32},
                      {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                      {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                      {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}}},
    {32, 2, 2, 7, {{{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}}},
}};

// Every kernel spreads exactly the whole error.
static_assert([] {
    for (const TDitherKernel& k : DitherKernels) {
        int sum = 0;
        for (int i = 0; i < k.Count; ++i) sum += k.Weights[std::size_t(i)].Weight;
        if (sum != k.Divisor) return false;
    }
    return true;
}());

} // namespace image
