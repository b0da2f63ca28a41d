#pragma once
// A GIF image as a tree of blocks: the header (logical screen and global
// colour table), the frames with their extensions, and the trailer, read from
// a stream and written back to one. Every block reports damaged but readable
// data here, and the image passes it on to OnWarning; errors are
// GIFExceptions.
//
// This is the part of the image that reading and writing need. Drawing and
// the conversions build on it.

#include "image/gif/ColorReduction.h"
#include "image/gif/GIFCompress.h"
#include "image/gif/GIFTypes.h"
#include "image/gif/TGIFHeader.h"
#include "image/gif/TGIFImageList.h"

#include <algorithm>
#include <cstdint>
#include <string>

class QIODevice;

namespace image {

// Draw options of an image (a 16-bit set).
inline constexpr uint16_t DrawAsync = 0x0001;
inline constexpr uint16_t DrawTransparent = 0x0002;
inline constexpr uint16_t DrawAnimate = 0x0004;
inline constexpr uint16_t DrawLoop = 0x0008;
inline constexpr uint16_t DrawLoopForever = 0x0010;
inline constexpr uint16_t DrawValidateCanvas = 0x0020;
inline constexpr uint16_t DrawDirect = 0x0040;
inline constexpr uint16_t DrawClearOnLoop = 0x0080;
inline constexpr uint16_t DrawTile = 0x0100;
inline constexpr uint16_t DrawDither = 0x0200;
inline constexpr uint16_t DrawAutoDither = 0x0400;

// Unit options: the settings new images start with.
inline uint16_t DefaultDrawOptions = 0x068F;
inline TColorReduction DefaultColorReduction = TColorReduction::ReduceCube216;
inline int DefaultReductionBits = 8;
inline TDitherMode DefaultDitherMode = TDitherMode::DitherNone;
// True when the screen shows at most 256 colours; screens here show more, so
// DrawAutoDither keeps frames in their own colours.
inline bool DoAutoDither = false;

class TGIFImage {
public:
    TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;
    virtual ~TGIFImage();

    std::string ClassName() const { return "TGIFImage"; }

    TGIFHeader& Header() { return m_header; }
    const TGIFHeader& Header() const { return m_header; }
    TGIFImageList& Images() { return m_images; }
    const TGIFImageList& Images() const { return m_images; }
    TGIFGlobalColorMap& GlobalColorMap() { return m_header.ColorMap(); }
    const TGIFGlobalColorMap& GlobalColorMap() const { return m_header.ColorMap(); }

    // The logical screen's size.
    int Width() const { return m_header.Width(); }
    int Height() const { return m_header.Height(); }
    // True when there are no frames.
    bool Empty() const { return m_images.Count() == 0; }
    // True when some frame's graphic control extension has the transparent bit.
    bool IsTransparent() const;

    // Frees every frame, empties the global table and makes the logical
    // screen 0 x 0.
    void Clear();

    // Replaces the image with the GIF at the stream's position: header,
    // frames (every frame decoded), trailer. The logical screen then grows to
    // hold every frame. On an error the stream goes back to where reading
    // began and the GIFException passes on; the frames read before it stay.
    // Progress "Loading...": starting, running after each frame (by the
    // stream position), ending (percent 0 when an error passes).
    void LoadFromStream(QIODevice& stream);

    // The version a writer must put in the header: the highest any frame
    // (or the header) needs; gvUnknown without frames.
    TGIFVersion Version() const;
    // The largest bits per pixel over the global and all local tables (0
    // when there are none), and that less one.
    int BitsPerPixel() const;
    int ColorResolution() const { return BitsPerPixel() - 1; }

    // The encoder used for every frame when the image is written; starts as
    // DefaultCompressionMethod.
    TGIFCompression Compression() const { return m_compression; }
    void SetCompression(TGIFCompression value) { m_compression = value; }

    // Writes the whole GIF: header, frames with their extensions, trailer.
    // An image without frames raises "Unsupported GIF version" before
    // anything is written; a pixel outside its colour table raises "Color
    // not in color table"; a device that does not take every byte raises
    // EInOutError "Stream write error". Progress "Saving...": starting,
    // running after each frame, ending (percent 0 when an error passes).
    void SaveToStream(QIODevice& stream) const;
    // The same into a file, which is replaced only when all of it was
    // written (see TGIFItem::SaveToFile); on an error it is left as it was.
    void SaveToFile(const std::string& fileName) const;

    // Receives the warnings of reading; unset, they are dropped.
    const TGIFWarningEvent& OnWarning() const { return m_onWarning; }
    void SetOnWarning(TGIFWarningEvent handler) { m_onWarning = std::move(handler); }
    // Passes a warning of `sender` to OnWarning when it is set.
    virtual void Warning(platform::TPersistent* sender, TGIFSeverity severity, const std::string& message);

    // Settings of drawing and of the conversion of deep bitmaps into frames.
    uint16_t DrawOptions() const { return m_drawOptions; }
    void SetDrawOptions(uint16_t value) { m_drawOptions = value; }
    TColorReduction ColorReduction() const { return m_colorReduction; }
    void SetColorReduction(TColorReduction value) { m_colorReduction = value; }
    // 1..8; other values are clamped.
    int ReductionBits() const { return m_reductionBits; }
    void SetReductionBits(int value);
    TDitherMode DitherMode() const { return m_ditherMode; }
    void SetDitherMode(TDitherMode value) { m_ditherMode = value; }
    // True when frames render dithered to the web palette: DrawDither set
    // and, when DrawAutoDither is also set, DoAutoDither.
    bool DoDither() const;

    // The image's palette: the cached one, else the web palette when the
    // image dithers, else the global table's, else the first frame's (none
    // without frames). When neither the image nor its first frame has a
    // colour table the frame asks back, which raises GIFException "No global
    // or local color table defined".
    TGIFPalette Palette();
    // Replaces the cached palette (empty: none, worked out again when asked).
    void SetPalette(const TGIFPalette& value);
    // Set when a frame's palette changed under its rendered bitmap.
    bool PaletteModified() const { return m_paletteModified; }
    void SetPaletteModified(bool value) { m_paletteModified = value; }

    // Receives the progress of long operations of the image and its frames;
    // the sender is null for the image itself.
    void SetOnProgress(TGIFProgressEvent handler) { m_onProgress = std::move(handler); }
    void Progress(platform::TPersistent* sender, TProgressStage stage, int percent, bool redrawNow,
                  const std::string& message) const;
    // Called when the picture changed; unset, nothing happens.
    void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }
    virtual void Changed();

    // Called by a frame before it allocates its pixels while the image
    // loads: all frames of one load together may hold at most the library's
    // bitmap limit, so a small damaged file cannot claim gigabytes through
    // many large frames. Beyond it raises GIFException "Invalid bitmap size".
    void ReserveFrameBytes(int64_t bytes);
    // Gives back bytes reserved for a buffer that is freed again while the
    // image loads (the passes of an interlaced frame).
    void ReleaseFrameBytes(int64_t bytes) { m_loadingBytes -= std::min(bytes, m_loadingBytes); }

private:
    TGIFHeader m_header;
    TGIFImageList m_images;
    TGIFWarningEvent m_onWarning;
    int64_t m_loadingBytes = 0;
    uint16_t m_drawOptions = DefaultDrawOptions;
    TColorReduction m_colorReduction = DefaultColorReduction;
    int m_reductionBits = DefaultReductionBits;
    TDitherMode m_ditherMode = DefaultDitherMode;
    TGIFPalette m_globalPalette;
    bool m_paletteGuard = false;
    bool m_paletteModified = false;
    TGIFProgressEvent m_onProgress;
    std::function<void()> m_onChange;
    TGIFCompression m_compression = DefaultCompressionMethod;
};

} // namespace image
