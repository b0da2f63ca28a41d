#pragma once
// Small arithmetic helpers of the codecs.

#include <cstdint>

namespace image {

// X rounded up to a multiple of 4 (row strides of device bitmaps).
constexpr int64_t RoundUp4(int64_t x) { return (x + 3) & ~int64_t(3); }

static_assert(RoundUp4(0) == 0 && RoundUp4(1) == 4 && RoundUp4(4) == 4 && RoundUp4(5) == 8);

} // namespace image
