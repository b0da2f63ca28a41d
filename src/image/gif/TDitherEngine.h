#pragma once
// Walks the pixels of an image in serpentine order (left to right, then
// right to left, alternately, starting left to right) and maps each to a
// palette index through a colour lookup, optionally spreading every pixel's
// colour error over the pixels not yet visited with one of six
// error-diffusion kernels (ColorReductionTables.h).
//
// Errors are kept per channel, undivided, in one line per kernel row with a
// border as wide as the kernel on either side, so no weight falls outside a
// line; the line of the current row is cleared and becomes the farthest one
// when the walk moves to the next row. A pixel's value is its channel plus
// its accumulated error divided by the kernel's divisor (rounded half up,
// truncated toward zero), clamped to 0..255; the error passed on is that
// value minus the chosen entry's channel. Weights are laid out in the scan
// direction, so rows below are mirrored on right-to-left rows.

#include "image/gif/TColorLookup.h"

#include <cstdint>
#include <vector>

namespace image {

// The error-diffusion kernels; ordinals are the GIF codec's dither modes.
enum class TDitherMode : uint8_t {
    DitherNone,
    DitherFloydSteinberg,
    DitherStucki,
    DitherSierra,
    DitherJarvis,
    DitherStevensonArce,
    DitherBurkes,
};

class TDitherEngine {
public:
    // An image `width` pixels wide; `lookup` is borrowed. A mode past
    // DitherBurkes diffuses nothing (callers check the mode first).
    TDitherEngine(int width, TColorLookup& lookup, TDitherMode mode);

    // The column the next Dither call works on, and the walk's direction
    // (+1 or -1).
    int Column() const { return m_column; }
    int Direction() const { return m_direction; }
    int Width() const { return m_width; }

    // The index for the pixel at Column (its colour goes to `color`), then
    // the next column.
    uint8_t Dither(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color);
    // Moves on one column without visiting the pixel (its share of the
    // error is dropped).
    void NextColumn() { m_column += m_direction; }
    // Turns round at the end of a row.
    void NextLine();

private:
    int* Line(int row) { return m_lines.data() + size_t((m_first + row) % m_kernelRows) * m_lineSize; }

    int m_width;
    TColorLookup& m_lookup;
    const TDitherKernel* m_kernel = nullptr;
    int m_column = 0;
    int m_direction = 1;
    int m_kernelRows = 1;
    int m_border = 0;
    size_t m_lineSize = 0;  // ints per line: three channels per cell
    int m_first = 0;        // the line of the current row
    std::vector<int> m_lines;
};

} // namespace image
