#pragma once
// The plain text extension (label 0x01): a text grid and its text. The text
// is kept as the file's data sub-blocks, one string of raw bytes per
// sub-block, so it is written back byte for byte.

#include "image/gif/TGIFExtension.h"

#include <cstdint>
#include <string>
#include <vector>

namespace image {

// The fixed part of the body as stored in the file (13 bytes, little-endian).
struct TGIFPlainTextData {
    uint8_t BlockSize = 12;
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t CharWidth = 0;
    uint8_t CharHeight = 0;
    uint8_t ForegroundColorIndex = 0;
    uint8_t BackgroundColorIndex = 0;
};

class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& Class();

    explicit TGIFTextExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {}

    uint8_t GetExtensionType() const override { return bsPlainTextExtension; }

    const TGIFPlainTextData& PlainTextData() const { return m_data; }
    TGIFPlainTextData& PlainTextData() { return m_data; }
    std::vector<std::string>& Text() { return m_text; }
    const std::vector<std::string>& Text() const { return m_text; }

    // Writes the 13 bytes (the block size always 12) and the text sub-blocks.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the 13 bytes ("Premature end of data" when short) and the text
    // sub-blocks.
    void LoadFromStream(QIODevice& stream) override;

private:
    TGIFPlainTextData m_data;
    std::vector<std::string> m_text;
};

} // namespace image
