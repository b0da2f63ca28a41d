#pragma once
// The five row filters of PNG (None, Sub, Up, Average, Paeth), both ways.
// A filter predicts each byte from the byte `bpp` places to its left (a),
// the byte above it (b) and the byte above that left one (c); bytes left of
// the row count as 0, and the first row of an image or pass is filtered
// against a row of zeros.

#include <cstdint>

namespace image {

// The Paeth predictor: of a, b, c the one nearest to a + b - c, ties going
// to a, then b.
inline int PaethPredictor(int a, int b, int c) {
    const int pa = b > c ? b - c : c - b;
    const int pb = a > c ? a - c : c - a;
    const int pAll = a + b - 2 * c;
    const int pc = pAll < 0 ? -pAll : pAll;
    const int nearerBC = pb <= pc ? b : c;
    return pa <= (pb < pc ? pb : pc) ? a : nearerBC;
}

// Undoes filter `type` (0..4) on the `count` bytes of `row` in place, with
// `prev` the already unfiltered row above (zeros for the first row). `bpp`
// is the byte distance of one pixel, 1..8. Another type does nothing.
void UnfilterRow(int type, uint8_t* row, const uint8_t* prev, int count, int bpp);

// Writes `row` filtered with `type` (0..4) against `prev` into `out`
// (`count` bytes, the filter-type byte not included).
void FilterRow(int type, const uint8_t* row, const uint8_t* prev, uint8_t* out, int count, int bpp);

} // namespace image
