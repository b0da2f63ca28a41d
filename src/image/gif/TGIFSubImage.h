#pragma once
// One frame of a GIF image: the extensions that precede it, its image
// descriptor, an optional local colour table and its pixels as colour
// indices, one byte per pixel, rows from the top, in plain row order (an
// interlaced frame is stored de-interlaced).
//
// A frame read from a file whose extensions are followed by the trailer has
// no descriptor and no pixels: it only carries those extensions.

#include "image/gif/TGIFExtensionList.h"
#include "image/gif/TGIFItem.h"
#include "image/gif/TGIFLocalColorMap.h"

#include <QRect>
#include <cstdint>
#include <vector>

namespace image {

class TGIFColorMap;
class TGIFGraphicControlExtension;

// The image descriptor as stored in the file (10 bytes, little-endian).
struct TGIFImageDescriptor {
    uint8_t Separator = ',';
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    // Bit 7 local table present, bit 6 interlaced, bit 5 table sorted,
    // bits 4-3 reserved, bits 2-0 table size (2 << n entries).
    uint8_t PackedFields = 0;
};

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    const TGIFImageDescriptor& ImageDescriptor() const { return m_descriptor; }
    int Left() const { return m_descriptor.Left; }
    int Top() const { return m_descriptor.Top; }
    int Width() const { return m_descriptor.Width; }
    int Height() const { return m_descriptor.Height; }
    uint8_t PackedFields() const { return m_descriptor.PackedFields; }
    bool Interlaced() const { return (m_descriptor.PackedFields & 0x40) != 0; }
    // (Left, Top) with the frame's width and height.
    QRect BoundsRect() const { return QRect(Left(), Top(), Width(), Height()); }

    // The pixel indices, Width * Height bytes; null when the frame has none.
    uint8_t* Data() { return m_data.empty() ? nullptr : m_data.data(); }
    const uint8_t* Data() const { return m_data.empty() ? nullptr : m_data.data(); }
    int64_t DataSize() const { return static_cast<int64_t>(m_data.size()); }
    // No pixels, or a width or height of 0.
    bool Empty() const { return m_data.empty() || Width() == 0 || Height() == 0; }

    // The pixel at (x, y); a coordinate outside the frame raises GIFException
    // "Invalid pixel coordinates". A frame without pixels gets a zero-filled
    // buffer first.
    uint8_t Pixels(int x, int y);
    void SetPixels(int x, int y, uint8_t value);
    // Row `y` (Width bytes), with the same checks.
    uint8_t* Scanline(int y);
    // Replaces the pixels with Width * Height zero bytes; a frame of size 0
    // raises "Image is empty".
    void NewImage();
    // Drops the pixels.
    void FreeImage() { m_data = {}; }
    // Places the frame on the logical screen. A new width or height gives
    // the frame Width * Height zero pixels (none for a side of 0); a frame
    // larger than the library's bitmap limit raises "Invalid bitmap size". A
    // logical screen that is too small grows to hold the frame, with the
    // warnings "Image width too small for contained frames" or "Image height
    // too small for contained frames" (not for a screen of 0) and then
    // "Image exceeds Logical Screen size".
    void SetBounds(int left, int top, int width, int height);

    TGIFLocalColorMap& ColorMap() { return m_colorMap; }
    const TGIFLocalColorMap& ColorMap() const { return m_colorMap; }
    // The local table when it has entries, else the global one when that has
    // entries, else the (empty) local table.
    TGIFColorMap& ActiveColorMap();
    const TGIFColorMap& ActiveColorMap() const;

    TGIFExtensionList& Extensions() { return m_extensions; }
    const TGIFExtensionList& Extensions() const { return m_extensions; }
    // True when the frame's graphic control extension has the transparent bit.
    bool Transparent() const { return m_transparent; }
    // The first graphic control extension of the frame (it lives in
    // Extensions); null when there is none.
    TGIFGraphicControlExtension* GraphicControlExtension() const { return m_graphicControlExtension; }

    // Drops pixels, extensions, local table and descriptor.
    void Clear();
    // 89a when the local table is optimised or the frame has extensions.
    TGIFVersion GetVersion() const override;

    // Writes the extensions and, unless the frame is Empty, the descriptor,
    // the local table and the compressed pixels (CompressFrame). With a local
    // table the descriptor's interlace bit is cleared and the pixels go in
    // row order.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the extensions, then, when an image separator follows, the
    // descriptor, the local table and the pixel data. Errors raise
    // GIFException; damaged pixel data warns (see DecompressFrame).
    void LoadFromStream(QIODevice& stream) override;

private:
    friend class TGIFGraphicControlExtension;
    friend void DecompressFrame(TGIFSubImage& subImage, QIODevice& stream);

    // Checks the size against the library's limit and gives the frame
    // Width * Height bytes of `fill`.
    void AllocateData(uint8_t fill);
    void CheckCoordinates(int x, int y) const;

    std::vector<uint8_t> m_data;
    TGIFLocalColorMap m_colorMap;
    TGIFImageDescriptor m_descriptor;
    TGIFExtensionList m_extensions;
    bool m_transparent = false;
    TGIFGraphicControlExtension* m_graphicControlExtension = nullptr;
};

} // namespace image
