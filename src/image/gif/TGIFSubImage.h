#pragma once
// One frame of a GIF image: the extensions that precede it, its image
// descriptor, an optional local colour table and its pixels as colour
// indices, one byte per pixel, rows from the top, in plain row order (an
// interlaced frame is stored de-interlaced). The indices are kept as an
// 8-bit linear bitmap of the frame's size, so that a still picture can take
// them over instead of copying them.
//
// A frame read from a file whose extensions are followed by the trailer has
// no descriptor and no pixels: it only carries those extensions.

#include "image/TLinearBitmap.h"
#include "image/gif/TGIFExtensionList.h"
#include "image/gif/TGIFItem.h"
#include "image/gif/TGIFLocalColorMap.h"

#include <QImage>
#include <QRect>
#include <cstdint>
#include <span>
#include <vector>

class QIcon;
class QPainter;

namespace platform {
class TGraphic;
}

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
    uint8_t* Data() { return m_pixels.Map(); }
    const uint8_t* Data() const { return m_pixels.Map(); }
    int64_t DataSize() const { return m_pixels.Size(); }
    // No pixels, or a width or height of 0.
    bool Empty() const { return !m_pixels.Present() || Width() == 0 || Height() == 0; }
    // How many of the pixels came from image data: as many as were decoded
    // for a frame read from a file (the rest only fill what the data did not
    // reach), all of them for a frame made otherwise; 0 when empty.
    int64_t DataPixels() const {
        const int64_t all = Empty() ? 0 : int64_t(Width()) * Height();
        return m_dataPixels < 0 ? all : std::min(m_dataPixels, all);
    }
    void SetDataPixels(int64_t value) { m_dataPixels = value; }
    // The highest pixel index; -1 without pixels. The search may stop at the
    // first that reaches `enough`.
    int LargestPixel(int enough = 256) const;
    // The highest index of a pixel that shows a colour: a transparent
    // frame's transparent index is left out (0 when every pixel has it); -1
    // without pixels.
    int LargestShownPixel() const;
    // The bits per pixel of the frame as written: its local table's when it
    // has one, else the image's largest over all tables, in either case
    // widened to cover the largest pixel that shows a colour, so a file whose
    // pixels reach past its table is written whole. A transparent index past
    // a full table (as gifsicle writes one, to spare an entry) does not widen
    // it.
    int WriteBitsPerPixel() const;

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
    // Drops the pixels (and the memory they took).
    void FreeImage() { m_pixels.Dispose(); }
    // Hands the pixels to `dest`, without copying them, as an 8-bit bitmap
    // of the frame's size whose palette is left to the caller (it holds
    // zeros); the frame is left without pixels. Without pixels `dest` is
    // emptied.
    void MoveImageTo(TLinearBitmap& dest) { dest.TakeOver(m_pixels); }
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

    // Drops pixels, extensions, local table, descriptor, the rendered bitmap
    // and the cached palette.
    void Clear();
    // 89a when the local table is optimised or the frame has extensions.
    TGIFVersion GetVersion() const override;

    // --- Rendering, drawing and conversion (TGIFSubImageRender.cpp) ---

    // The frame rendered into an Indexed8 image whose colour table is the
    // frame's palette padded with black to 256 entries (or, when the image
    // dithers, its colours dithered to the web palette); built on first use,
    // a null image for an empty frame. Rendering reports "Rendering..."
    // progress through the image.
    const QImage& Bitmap();
    // The transparent pixels of the rendered frame, Format_Mono, bit set
    // for a transparent pixel; null when no pixel is transparent.
    const QImage& Mask() const { return m_mask; }
    // Renders again when the mask is due; true when the frame has a mask.
    bool HasMask();
    bool NeedMask() const { return m_needMask; }
    void FreeBitmap();
    // Also marks the mask as due.
    void FreeMask();

    // The frame's palette: the rendered bitmap's, else the cached one, else
    // the web palette when the image dithers, else the image's when the frame
    // has no local table, else the local table's.
    TGIFPalette Palette();
    // A palette that differs from the rendered bitmap's drops the bitmap and
    // tells the image (PaletteModified, Changed).
    void SetPalette(const TGIFPalette& value);

    // Draws the frame in its place on the image's picture (Picture) scaled
    // into `rect`, or, tiled, repeated over `rect` every picture width and
    // height. Transparent drawing leaves the canvas under transparent pixels
    // alone. The overloads taking `picture` use that area of the screen in
    // place of Picture, which a caller drawing many frames works out once.
    void Draw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile);
    void Draw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile, const QRect& picture);
    // Draws the frame stretched into `rect` (or tiled over it).
    void StretchDraw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile);
    void StretchDraw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile, const QRect& picture);
    // The frame's rectangle on the picture scaled into `dest`.
    QRect ScaleRect(const QRect& dest) const;
    QRect ScaleRect(const QRect& dest, const QRect& picture) const;
    // `area` of the screen scaled from `picture` into `dest`.
    static QRect ScaleArea(const QRect& area, const QRect& dest, const QRect& picture);
    // The part of the frame on `picture` (all of it for an empty one), in
    // screen coordinates: what is drawn of it, whole or as each tile.
    QRect ShownArea(const QRect& picture) const;
    // The area of the logical screen the frame is drawn on: its image's
    // PictureRect, else the screen, a screen of size 0 counting as the
    // frame's own extent.
    QRect Picture() const;

    // Cuts a transparent frame down to the smallest rectangle of
    // non-transparent pixels; a frame with none left is cleared.
    void Crop();
    // Makes transparent the pixels that show the same colour as `previous`
    // under them, so the frame compresses better. An index is taken for
    // transparency only when no pixel of this frame uses it, else a black
    // entry is added. Nothing when the colour table is full, when `previous`
    // is disposed of before this frame or when they do not overlap.
    void MergeTransparentWith(const TGIFSubImage* previous);

    // Copies another frame (descriptor, pixels, local table, extensions).
    void Assign(const TGIFSubImage& source);
    // Becomes the bitmap (never changed): 1- and 8-bit images keep their
    // colours, deeper ones are reduced with the image's ColorReduction,
    // DitherMode and ReductionBits and keep only the colours their pixels
    // use (with one entry left free when some pixel is transparent). Pixels with alpha below 128 (or whose
    // colour table entry has such alpha) become transparent. A null image
    // clears the frame; an image larger than 65535 pixels on a side raises
    // "Invalid image dimensions"; more than 256 colours left after a
    // ReduceNone reduction raise "Color table overflow".
    void Assign(const QImage& source);
    // An icon at its first size (32 x 32 when it has none), with its mask.
    void Assign(const QIcon& source);
    // Any graphic: through the image it renders, or drawn onto one.
    void Assign(const platform::TGraphic& source);
    // `dest` receives the rendered bitmap.
    void AssignTo(QImage& dest);
    // Pixels whose byte in `mask` (Width x Height bytes, rows from the top)
    // is not 0 take a new black entry of the local table, after the table is
    // optimised; nothing when the table is then empty or full, and the entry
    // is dropped again when no pixel took it.
    void ImportTransparencyMask(const std::vector<uint8_t>& mask);

    // Writes the extensions and, unless the frame is Empty, the descriptor,
    // the local table (padded to WriteBitsPerPixel) and the compressed
    // pixels (CompressFrame, with the fewest bits per code that hold the
    // largest pixel, at least 2). With a local table the descriptor's interlace
    // bit is cleared and the pixels go in row order.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the extensions, then, when an image separator follows, the
    // descriptor, the local table and the pixel data. Errors raise
    // GIFException; damaged pixel data warns (see DecompressFrame).
    void LoadFromStream(QIODevice& stream) override;

private:
    friend class TGIFGraphicControlExtension;
    friend void DecompressFrame(TGIFSubImage& subImage, QIODevice& stream);

    // Checks the size against the library's limit and gives the frame
    // Width * Height zero bytes.
    void AllocateData();
    // Width * Height zero bytes (none for a side of 0), from zeroed memory
    // that costs nothing until it is written; a size past the bitmap limit,
    // or memory that is not there, raises "Invalid bitmap size".
    void ResetPixels();
    std::span<uint8_t> Indices() { return {Data(), static_cast<size_t>(DataSize())}; }
    std::span<const uint8_t> Indices() const { return {Data(), static_cast<size_t>(DataSize())}; }
    void CheckCoordinates(int x, int y) const;

    TLinearBitmap m_pixels;
    int64_t m_dataPixels = -1;
    TGIFLocalColorMap m_colorMap;
    TGIFImageDescriptor m_descriptor;
    TGIFExtensionList m_extensions;
    bool m_transparent = false;
    TGIFGraphicControlExtension* m_graphicControlExtension = nullptr;

    void CreateBitmap();
    void CreateDitheredBitmap();
    // Renders the indices over `palette` row by row through
    // renderRow(y, indices, out, mask), building the transparency mask on the
    // way when one is due.
    template <class RenderRow>
    void Render(const TGIFPalette& palette, RenderRow&& renderRow);
    void ReportProgress(TProgressStage stage, int percent, const char* message);
    const QImage& MaskedBitmap();
    // What drawing shows of the frame: the bitmap, or with `doTransparent`
    // (when the frame has transparent pixels) the bitmap without them; null
    // for an empty frame.
    const QImage& ShownBitmap(bool doTransparent);
    // The `source` part of the frame's pixels stretched into `dest`.
    void DrawPart(QPainter& canvas, const QRect& dest, const QRect& source, bool doTransparent);
    void ImportPixels(const QImage& bitmap);
    // Drops the local table's entries no pixel uses, keeping the order of
    // the others (a reduced picture rarely uses its whole palette).
    void DropUnusedColors();
    TGIFGraphicControlExtension& EnsureGraphicControlExtension();

    QImage m_bitmap;
    QImage m_mask;
    QImage m_maskedBitmap;  // the bitmap with transparent pixels, for drawing
    bool m_needMask = true;
    TGIFPalette m_palette;
};

// The tiles of `Size` laid every `Step` from `Origin` that a drawing shows:
// columns FirstColumn..EndColumn - 1 and rows FirstRow..EndRow - 1.
struct TTileGrid {
    QPoint Origin;
    QSize Step, Size;
    int64_t FirstColumn = 0, EndColumn = 0, FirstRow = 0, EndRow = 0;

    int64_t Count() const { return (EndColumn - FirstColumn) * (EndRow - FirstRow); }
    QRect Tile(int64_t column, int64_t row) const {
        return QRect(QPoint(int(Origin.x() + column * Step.width()), int(Origin.y() + row * Step.height())), Size);
    }
    // From the first tile's corner to the last one's, gaps between tiles
    // included; empty without tiles.
    QRect Extent() const;
};
// The tiles of `size` laid every `step` from `origin` that start before
// `end` (per axis) and meet `clip`, however far off the origin lies.
TTileGrid TilesMeeting(QPoint origin, QSize step, QSize size, QPoint end, const QRect& clip);
// Draws the `source` part of `image`, unscaled, into every tile of `tiles`:
// where there are many and the canvas copies pixels as they are (no
// scaling, and gaps between tiles left alone), in one fill with a pattern
// of whole steps, else tile by tile.
void DrawTiles(QPainter& canvas, const QImage& image, const QRect& source, const TTileGrid& tiles);
// What `canvas` can change, in its painter's coordinates: its device under
// the painter's clip.
QRect PaintableArea(const QPainter& canvas);

} // namespace image
