#pragma once
// Fixed tables of the deflate format (RFC 1951, section 3.2.5 and 3.2.7).

#include <array>
#include <cstdint>

namespace image {

// A length or distance code: the smallest value it stands for and the number
// of extra bits that follow it to select the exact value.
struct TDeflateCode {
    uint16_t base;
    uint8_t extraBits;
};

// Literal/length symbols 257..285 (index = symbol - 257).
inline constexpr std::array<TDeflateCode, 29> LengthCodes = {{
    {3, 0},   {4, 0},   {5, 0},   {6, 0},   {7, 0},   {8, 0},   {9, 0},   {10, 0},
    {11, 1},  {13, 1},  {15, 1},  {17, 1},  {19, 2},  {23, 2},  {27, 2},  {31, 2},
    {35, 3},  {43, 3},  {51, 3},  {59, 3},  {67, 4},  {83, 4},  {99, 4},  {115, 4},
    {131, 5}, {163, 5}, {195, 5}, {227, 5}, {258, 0},
}};

// Distance codes 0..29. Codes 30 and 31 exist in the fixed code but are
// never valid in data.
inline constexpr std::array<TDeflateCode, 30> DistanceCodes = {{
    {1, 0},     {2, 0},     {3, 0},     {4, 0},     {5, 1},     {7, 1},     {9, 2},     {13, 2},
    {17, 3},    {25, 3},    {33, 4},    {49, 4},    {65, 5},    {97, 5},    {129, 6},   {193, 6},
    {257, 7},   {385, 7},   {513, 8},   {769, 8},   {1025, 9},  {1537, 9},  {2049, 10}, {3073, 10},
    {4097, 11}, {6145, 11}, {8193, 12}, {12289, 12}, {16385, 13}, {24577, 13},
}};

// The order in which a dynamic block header sends the code-length code's lengths.
inline constexpr std::array<uint8_t, 19> CodeLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                            11, 4,  12, 3, 13, 2, 14, 1, 15};

inline constexpr int LiteralLengthSymbols = 288; // 0..287, of which 286 and 287 are never valid
inline constexpr int DistanceSymbols = 32;       // 0..31, of which 30 and 31 are never valid
inline constexpr int CodeLengthSymbols = 19;
inline constexpr int EndOfBlock = 256;
inline constexpr int MinMatch = 3;
inline constexpr int MaxMatch = 258;
inline constexpr int MaxDistance = 32768;
inline constexpr int MaxCodeLength = 15;        // literal/length and distance codes
inline constexpr int MaxCodeLengthCodeLength = 7; // the code that sends code lengths

// The fixed literal/length code lengths: 0..143 8 bits, 144..255 9, 256..279 7, 280..287 8.
constexpr uint8_t FixedLiteralLength(int symbol) {
    return symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
}

static_assert(LengthCodes.back().base == MaxMatch);
static_assert(DistanceCodes.back().base + (1 << DistanceCodes.back().extraBits) - 1 == MaxDistance);

} // namespace image
