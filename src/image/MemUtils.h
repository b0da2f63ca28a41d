#pragma once
// Small memory helpers of the codecs.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace image {

// Clears `count` bytes at `p`; nothing for a count below 1.
inline void ZeroMem(void* p, ptrdiff_t count) {
    if (count > 0) std::memset(p, 0, static_cast<size_t>(count));
}

// The 32-bit value with its byte order reversed (PNG numbers are big-endian).
constexpr uint32_t SwapDWord(uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0x0000FF00u) | ((x << 8) & 0x00FF0000u) | (x << 24);
}

// Reverses the byte order of `x` in place.
constexpr void SwapDWordVar(uint32_t& x) { x = SwapDWord(x); }

// Exchanges two 32-bit values.
constexpr void ExchangeDWords(uint32_t& a, uint32_t& b) { std::swap(a, b); }

static_assert(SwapDWord(0x11223344u) == 0x44332211u);

} // namespace image
