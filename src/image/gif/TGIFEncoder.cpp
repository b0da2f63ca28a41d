#include "image/gif/TGIFEncoder.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"

#include <QIODevice>
#include <algorithm>

namespace image {

namespace {
// GIF allows code sizes of 3..12 bits, so a table of 1..8-bit pixels.
constexpr int MinBitsPerPixel = 2;
constexpr int MaxBitsPerPixel = 8;
} // namespace

TGIFEncoder::~TGIFEncoder() = default;

void TGIFEncoder::Encode(QIODevice& stream, int bitsPerPixel, int maxColor, const uint8_t* data, bool interlace,
                         int width, int height) {
    m_bitsPerPixel = std::clamp(bitsPerPixel, MinBitsPerPixel, MaxBitsPerPixel);
    m_maxColor = maxColor;
    m_data = data;
    m_interlace = interlace;
    m_width = width;
    m_height = height;
    const bool hasPixels = data && width > 0 && height > 0;
    // Checked before anything is sent, in one quick pass.
    if (hasPixels && maxColor <= 255 && *std::max_element(data, data + int64_t(width) * height) >= maxColor)
        RaiseGIFError(SColorNotInTable);
    WriteByte(stream, static_cast<uint8_t>(m_bitsPerPixel));

    m_initialBitsPerCode = m_bitsPerCode = m_bitsPerPixel + 1;
    m_maxCode = (1 << m_bitsPerCode) - 1;
    m_clearCode = 1 << m_bitsPerPixel;
    m_eofCode = m_clearCode + 1;
    m_baseCode = m_clearCode + 2;
    m_outputBucket = 0;
    m_outputBits = 0;
    m_clearFlag = false;
    m_row = 0;
    m_pass = 0;

    m_writer = std::make_unique<TGIFWriter>(stream);
    if (hasPixels) Compress();
    Output(m_eofCode);
    m_writer->Flush();
    m_writer.reset();
    WriteByte(stream, 0);
}

void TGIFEncoder::Output(int value) { PutCode(value); }

bool TGIFEncoder::NextSpan(const uint8_t*& pixels, int64_t& count) {
    if (m_row < 0) return false;
    if (!m_interlace) {
        pixels = m_data;
        count = int64_t(m_width) * m_height;
        m_row = -1;
        return true;
    }
    pixels = m_data + int64_t(m_row) * m_width;
    count = m_width;
    // Passes: rows 0, 8, 16, ...; then 4, 12, ...; then 2, 6, ...; then 1,
    // 3, ... A pass that has no row in a short frame is skipped.
    static constexpr int Start[4] = {0, 4, 2, 1};
    static constexpr int Step[4] = {8, 8, 4, 2};
    m_row += Step[m_pass];
    while (m_row >= m_height && m_pass < 3) m_row = Start[++m_pass];
    if (m_row >= m_height) m_row = -1;
    return true;
}

} // namespace image
