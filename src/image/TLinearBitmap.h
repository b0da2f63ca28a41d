#pragma once
// The image model of the library: a plain top-down pixel buffer, rows packed
// with no padding (row 0 first), in one of four pixel formats, with a
// 256-entry B, G, R palette for the 8-bit format. Decoders fill it, encoders
// read it, and it converts to and from QImage for display.
//
// Sizes are computed in 64 bits and capped at MaxBitmapBytes, so a damaged
// header can neither overflow a buffer nor ask for more memory than an image
// of the program can sensibly need; such a size is refused with
// ELinearBitmap "Invalid bitmap size" before anything is allocated.

#include "image/TAssignObject.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

class QImage;
class QIODevice;
class QPainter;
class QRect;

namespace platform {
class TGraphic;
}

namespace image {

class TBaseStream;

// The GUI library's pixel formats, ordinals kept. A linear bitmap holds only
// pf8bit (palette), pf16bit (16-bit grey, little-endian words), pf24bit
// (B, G, R), pf32bit (B, G, R, X) or pfCustom (empty).
enum class TPixelFormat : uint8_t {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom,
};

class TLinearBitmap : public TAssignObject {
public:
    // The largest pixel buffer New accepts: 1 GiB, far above any photo.
    static constexpr int64_t MaxBitmapBytes = int64_t(1) << 30;

    // An empty bitmap (pfCustom, nothing allocated).
    TLinearBitmap() = default;
    // A copy of `source` (CreateFrom).
    TLinearBitmap(const TLinearBitmap& source);
    TLinearBitmap& operator=(const TLinearBitmap& source);
    // Takes the buffers of `other`, which is left empty.
    TLinearBitmap(TLinearBitmap&& other) noexcept;
    TLinearBitmap& operator=(TLinearBitmap&& other) noexcept;
    ~TLinearBitmap() override = default;

    std::string ClassName() const override { return "TLinearBitmap"; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TPixelFormat PixelFormat() const { return m_pixelFormat; }
    int BytesPerLine() const { return m_bytesPerLine; }
    int PixelSize() const { return m_pixelSize; }
    // BytesPerLine * Height; the buffer holds one spare byte after it.
    int64_t Size() const { return m_size; }
    bool Present() const { return m_present; }
    // The pixel buffer; null when empty.
    uint8_t* Map() { return m_map.get(); }
    const uint8_t* Map() const { return m_map.get(); }
    // 768 bytes, B, G, R per entry; null unless the format is pf8bit.
    uint8_t* Palette() { return m_palette.get(); }
    const uint8_t* Palette() const { return m_palette.get(); }
    // Start of row `y`; no range check.
    uint8_t* ScanLine(int y) { return m_map.get() + int64_t(y) * m_bytesPerLine; }
    const uint8_t* ScanLine(int y) const { return m_map.get() + int64_t(y) * m_bytesPerLine; }

    // Makes a zero-filled image (and, for pf8bit, keeps the palette or makes
    // a zero-filled one). Same size and format as now: nothing happens, the
    // pixels stay. Raises ELinearBitmap "Unsupported pixel format" for another
    // format and "Invalid bitmap size" for a side below 1 or a buffer above
    // MaxBitmapBytes (or one that cannot be allocated); the bitmap is then
    // unchanged.
    void New(int width, int height, TPixelFormat format);
    // Frees everything; the bitmap becomes empty.
    virtual void Dispose();
    // Fills with a colour $00BBGGRR: 0 clears every byte; pf24bit pixels get
    // B, G, R and pf32bit pixels B, G, R, 0; pf8bit and pf16bit bytes get the
    // grey level (2R + 3G + B + 3) div 6. Nothing for an empty bitmap.
    void Clear(uint32_t color);
    // Every byte of the buffer := value.
    void FillBytes(uint8_t value);
    // False when empty; pf8bit: the palette is exactly the grey ramp; pf16bit:
    // true; pf24bit: every pixel has B = G = R; pf32bit: false.
    bool IsGrayScale() const;
    // Disposes this bitmap, then takes all of `other`, which is left empty.
    void TakeOver(TLinearBitmap& other);
    // Repacks rows whose stride is wider than Width * PixelSize.
    virtual void PackLines();
    // Changes the canvas: old pixel (x, y) lands at (x + shiftX, y + shiftY),
    // the rest is Clear(fillColor). A side below 1 disposes; an empty bitmap
    // becomes an 8-bit grey one filled with fillColor.
    void ResizeCanvas(int newWidth, int newHeight, int shiftX, int shiftY, uint32_t fillColor);
    // Converts to pf8bit, pf24bit or pf32bit (to pf8bit: 16-bit grey keeps its
    // high byte over GrayPalette, colour is reduced to 3-3-2 over Palette332).
    // Nothing when empty or already in that format; another format raises
    // ELinearBitmap "Unsupported pixel format".
    void ChangePixelFormat(TPixelFormat format);

    // A linear bitmap is copied (an empty one empties this); any other
    // object is asked to assign itself, else "Cannot assign ..." is raised.
    void Assign(const TAssignObject& source) override;
    // Reads a QImage: Indexed8 -> pf8bit, Grayscale8 -> pf8bit over
    // GrayPalette, Grayscale16 -> pf16bit, 32-bit RGB formats -> pf32bit
    // (X = 0), anything else through 24-bit RGB -> pf24bit. A null image
    // empties the bitmap.
    void Assign(const QImage& image);
    // Reads any graphic: a TLinearGraphic is copied exactly; another graphic
    // renders itself into a QImage, or, when it cannot, is drawn onto a
    // 24-bit image of its size. Errors of the graphic's drawing pass through.
    void Assign(const platform::TGraphic& graphic);
    // Hands over to `dest` when it knows how, else raises "Cannot assign ...".
    void AssignTo(TAssignObject& dest) const override;
    // Writes into a QImage: pf8bit -> Indexed8 with the palette, pf16bit ->
    // Indexed8 of the high bytes over a grey table, pf24bit -> BGR888, pf32bit
    // -> RGB32 (opaque). An empty bitmap leaves `dest` untouched.
    void AssignTo(QImage& dest) const;
    // As AssignTo, but the pixels move into `dest` instead of being copied,
    // so a decoded photo never exists twice; the bitmap is left empty.
    // pf16bit rows are narrowed to their high bytes in place and pf32bit
    // pixels made opaque in place. An empty bitmap leaves `dest` untouched.
    void MoveTo(QImage& dest);

    // Loads through the loader registered for the file's extension (see
    // GetFileExtUpper); no loader raises EUnsupportedFileFormat. The bitmap is
    // disposed first, so a failing load leaves it empty or partly filled.
    void LoadFromFile(const std::string& fileName);
    // Saves through the saver registered for the file's extension.
    void SaveToFile(const std::string& fileName) const;
    // Loads from a library stream with the loader for `ext`.
    void LoadFromStream(TBaseStream& stream, const std::string& ext);
    // Loads from a QIODevice (wrapped in a THostFilterStream for the call).
    void LoadFromTStream(QIODevice& stream, const std::string& ext);
    // Saves to a library stream with the saver for `ext`.
    void SaveToStream(TBaseStream& stream, const std::string& ext) const;

    // Draws the bitmap stretched into `rect`; `smooth` filters when scaling.
    // An empty bitmap raises EImageError "Unsupported pixel format".
    void Paint(QPainter& canvas, const QRect& rect, bool smooth) const;

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    using Buffer = std::unique_ptr<uint8_t, FreeDeleter>;

    void CopyFrom(const TLinearBitmap& source);
    void ToRGB24();
    void RGB24ToRGB32();
    void ToIndexed8();

    int m_width = 0;
    int m_height = 0;
    TPixelFormat m_pixelFormat = TPixelFormat::pfCustom;
    int m_bytesPerLine = 0;
    int m_pixelSize = 0;
    int64_t m_size = 0;
    bool m_present = false;
    Buffer m_map;
    Buffer m_palette;
};

} // namespace image
