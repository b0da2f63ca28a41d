#pragma once
// The graphic control extension (label 0xF9): delay, disposal, user input and
// transparency of the frame it precedes. The first one made for a frame
// becomes that frame's GraphicControlExtension, and its transparent bit is
// mirrored in the frame's Transparent.

#include "image/gif/TGIFExtension.h"

#include <cstdint>

namespace image {

// The body as stored in the file (6 bytes, little-endian).
struct TGIFGraphicControlData {
    uint8_t BlockSize = 4;
    // Bits 4-2 disposal, bit 1 user input, bit 0 transparent.
    uint8_t PackedFields = 0;
    uint16_t Delay = 0;  // hundredths of a second
    uint8_t TransparentColorIndex = 0;
    uint8_t Terminator = 0;
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& Class();

    explicit TGIFGraphicControlExtension(TGIFSubImage* subImage);
    // Clears the frame's transparency when this extension made it
    // transparent, and unlinks it from the frame.
    ~TGIFGraphicControlExtension() override;

    uint8_t GetExtensionType() const override { return bsGraphicControlExtension; }

    const TGIFGraphicControlData& ControlData() const { return m_data; }
    uint8_t BlockSize() const { return m_data.BlockSize; }
    uint8_t PackedFields() const { return m_data.PackedFields; }

    bool Transparent() const { return (m_data.PackedFields & 0x01) != 0; }
    // Also sets the frame's Transparent.
    void SetTransparent(bool value);
    bool UserInput() const { return (m_data.PackedFields & 0x02) != 0; }
    void SetUserInput(bool value);
    // 0..7.
    uint8_t Disposal() const { return (m_data.PackedFields >> 2) & 7; }
    // Keeps the other bits; values above 7 keep their low 3 bits.
    void SetDisposal(uint8_t value);
    uint16_t Delay() const { return m_data.Delay; }
    void SetDelay(uint16_t value) { m_data.Delay = value; }
    uint8_t TransparentColorIndex() const { return m_data.TransparentColorIndex; }
    // An index not below the frame's active colour table's count (when that
    // table has entries) warns "Invalid color index"; it is kept (it names
    // no colour, so no pixel of a colour turns transparent).
    void SetTransparentColorIndex(uint8_t value);

    // Writes the 6 bytes, with the block size 4 and the terminator 0 whatever
    // was read.
    void SaveToStream(QIODevice& stream) const override;
    // Reads 6 bytes after the label; fewer warn "Premature end of data" and
    // leave the frame opaque.
    void LoadFromStream(QIODevice& stream) override;

private:
    TGIFGraphicControlData m_data;
};

} // namespace image
