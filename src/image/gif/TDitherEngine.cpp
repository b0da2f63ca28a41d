#include "image/gif/TDitherEngine.h"

#include <algorithm>

namespace image {

TDitherEngine::TDitherEngine(int width, TColorLookup& lookup, TDitherMode mode)
    : m_width(width), m_lookup(lookup) {
    const auto m = static_cast<size_t>(mode);
    if (m >= 1 && m <= DitherKernels.size()) {
        m_kernel = &DitherKernels[m - 1];
        m_kernelRows = m_kernel->Rows;
        m_border = m_kernel->Border;
        m_lineSize = size_t(std::max(width, 0) + 2 * m_border) * 3;
        m_lines.assign(m_lineSize * size_t(m_kernelRows), 0);
    }
}

uint8_t TDitherEngine::Dither(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) {
    if (!m_kernel) {
        const uint8_t index = m_lookup.Lookup(red, green, blue, color);
        NextColumn();
        return index;
    }
    const int divisor = m_kernel->Divisor;
    const int half = divisor / 2;
    const size_t cell = size_t(m_column + m_border) * 3;
    const int* acc = Line(0) + cell;
    const auto value = [&](int channel, int c) { return std::clamp(channel + (acc[c] + half) / divisor, 0, 255); };
    const int r = value(red, 0), g = value(green, 1), b = value(blue, 2);
    const uint8_t index = m_lookup.Lookup(uint8_t(r), uint8_t(g), uint8_t(b), color);
    const int er = r - color.Red, eg = g - color.Green, eb = b - color.Blue;
    if (er | eg | eb) {
        for (int i = 0; i < m_kernel->Count; ++i) {
            const TDitherWeight& w = m_kernel->Weights[size_t(i)];
            int* p = Line(w.Row) + cell + ptrdiff_t(w.Offset * m_direction) * 3;
            p[0] += er * w.Weight;
            p[1] += eg * w.Weight;
            p[2] += eb * w.Weight;
        }
    }
    NextColumn();
    return index;
}

void TDitherEngine::NextLine() {
    if (m_kernel) {
        std::fill_n(Line(0), m_lineSize, 0);
        m_first = (m_first + 1) % m_kernelRows;
    }
    m_direction = -m_direction;
    m_column = m_direction > 0 ? 0 : m_width - 1;
}

} // namespace image
