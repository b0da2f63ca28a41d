#pragma once
// The GIF header: signature, logical screen descriptor and global colour
// table. The seven descriptor bytes are kept as the file has them.

#include "image/gif/TGIFGlobalColorMap.h"
#include "image/gif/TGIFItem.h"

#include <cstdint>

namespace image {

// The logical screen descriptor as stored in the file (7 bytes, little-endian).
struct TGIFScreenDescriptor {
    uint16_t Width = 0;
    uint16_t Height = 0;
    // Bit 7 global table present, bits 6-4 colour resolution, bit 3 table
    // sorted, bits 2-0 table size (2 << n entries).
    uint8_t PackedFields = 0;
    uint8_t BackgroundColorIndex = 0;
    uint8_t AspectRatio = 0;
};

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);

    const TGIFScreenDescriptor& ScreenDescriptor() const { return m_screen; }
    int Width() const { return m_screen.Width; }
    int Height() const { return m_screen.Height; }
    uint8_t PackedFields() const { return m_screen.PackedFields; }
    uint8_t BackgroundColorIndex() const { return m_screen.BackgroundColorIndex; }
    uint8_t AspectRatio() const { return m_screen.AspectRatio; }
    // Raw setters of the stored fields (values above 65535 are cut to it);
    // the image checks sizes against its frames before it calls them.
    void SetWidth(int value);
    void SetHeight(int value);
    void SetPackedFields(uint8_t value) { m_screen.PackedFields = value; }
    void SetBackgroundColorIndex(uint8_t value) { m_screen.BackgroundColorIndex = value; }
    void SetAspectRatio(uint8_t value) { m_screen.AspectRatio = value; }

    TGIFGlobalColorMap& ColorMap() { return m_colorMap; }
    const TGIFGlobalColorMap& ColorMap() const { return m_colorMap; }

    // Empties the colour table and zeroes the descriptor.
    void Clear();
    // Copies the descriptor and the colour table of another header.
    void Assign(const TGIFHeader& source);
    // Clears the header and takes `source` as its global table.
    void Assign(const TGIFColorMap& source);

    // 89a when the global table is optimised or an aspect ratio is set.
    TGIFVersion GetVersion() const override;
    // The global table's colour at the background index (see
    // TGIFColorMap::Colors for an index outside the table).
    TColor BackgroundColor();
    int BitsPerPixel() const { return m_colorMap.BitsPerPixel(); }
    int ColorResolution() const { return BitsPerPixel() - 1; }

    // Writes the signature with the image's version, the screen descriptor
    // (its packed byte worked out from the colour tables) and the global
    // table. An image without frames raises "Unsupported GIF version" before
    // anything is written.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the signature (which may follow 4 other bytes), the screen
    // descriptor and the global table. Raises "Invalid GIF signature",
    // "Premature end of data" or, for a bad table size, "Invalid number of
    // colors specified in Screen Descriptor".
    void LoadFromStream(QIODevice& stream) override;

private:
    TGIFScreenDescriptor m_screen;
    TGIFGlobalColorMap m_colorMap;
};

} // namespace image
