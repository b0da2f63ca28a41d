#pragma once
// The GIF graphic: a GIF image as a tree of blocks (the header with the
// logical screen and global colour table, the frames with their extensions,
// the trailer), read from a stream and written back to one, drawn as a still
// frame or as an animation (TGIFPainter), copied to and from other graphics,
// optimised, and moved through the clipboard. Every block reports damaged but
// readable data here, and the image passes it on to OnWarning; errors are
// GIFExceptions.
//
// Drawing and the copies to bitmaps build caches (the composite bitmap, the
// palette, the frames' rendered bitmaps); the const overrides of the graphic
// interface do that on an image that is not itself const.

#include "image/gif/ColorReduction.h"
#include "image/gif/GIFCompress.h"
#include "image/gif/GIFTypes.h"
#include "image/gif/TGIFHeader.h"
#include "image/gif/TGIFImageList.h"
#include "image/gif/TGIFPainter.h"
#include "platform/TGraphic.h"

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class QClipboard;
class QIODevice;
class QMimeData;

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

// The colour that means "none" (the painter then takes the logical screen's
// background colour).
inline constexpr TColor clNone = 0x1FFFFFFF;

// Options of Optimize.
inline constexpr uint8_t ooCrop = 0x01;
inline constexpr uint8_t ooMerge = 0x02;
inline constexpr uint8_t ooCleanup = 0x04;
inline constexpr uint8_t ooColorMap = 0x08;
inline constexpr uint8_t ooReduceColors = 0x10;

// The clipboard's MIME type of GIF data.
inline constexpr const char* GIFMimeType = "image/gif";

// Unit options: the settings new images start with.
inline uint16_t DefaultDrawOptions = 0x068F;
inline int DefaultAnimationSpeed = 100;
// Render every frame while it is read (frames are rendered on first use
// otherwise); the "Loading..." progress then asks for a redraw.
inline bool BuildBitmapOnLoad = false;
// Optimise an image (all options) before WriteData writes it.
inline bool OptimizeBeforeWrite = false;
inline TThreadPriority DefaultPainterPriority = TThreadPriority::tpNormal;
inline TColorReduction DefaultColorReduction = TColorReduction::ReduceCube216;
inline int DefaultReductionBits = 8;
inline TDitherMode DefaultDitherMode = TDitherMode::DitherNone;
// True when the screen shows at most 256 colours; screens here show more, so
// DrawAutoDither keeps frames in their own colours.
inline bool DoAutoDither = false;

class TGIFImage : public platform::TGraphic {
public:
    TGIFImage();
    // Stops the painters still running.
    ~TGIFImage() override;

    std::string ClassName() const override { return "TGIFImage"; }

    TGIFHeader& Header() { return m_header; }
    const TGIFHeader& Header() const { return m_header; }
    TGIFImageList& Images() { return m_images; }
    const TGIFImageList& Images() const { return m_images; }
    TGIFGlobalColorMap& GlobalColorMap() { return m_header.ColorMap(); }
    const TGIFGlobalColorMap& GlobalColorMap() const { return m_header.ColorMap(); }

    // The logical screen's size.
    int Width() const override { return m_header.Width(); }
    int Height() const override { return m_header.Height(); }
    // A frame reaching past the new size raises GIFException "Image width
    // too small for contained frames" (or height), and nothing changes.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    // True when there are no frames.
    bool Empty() const override { return m_images.Count() == 0; }
    // True when some frame's graphic control extension has the transparent bit.
    bool IsTransparent() const;

    // Stops the painters, frees every frame and the composite bitmap,
    // empties the global table and makes the logical screen 0 x 0.
    void Clear();
    // Appends a frame made from `source` (see TGIFSubImage::Assign) and
    // returns its index; the logical screen grows to hold it.
    int Add(const platform::TGraphic& source);
    int Add(const QImage& source);
    // Appends `frame` as it is (it must belong to this image).
    int Add(std::unique_ptr<TGIFSubImage> frame);

    // Replaces the image with the GIF at the stream's position: header,
    // frames (every frame decoded, with "Loading..." progress after each),
    // trailer. The logical screen and the frames' places stay as the file
    // has them, also where frames reach past the screen (pictures show them
    // clipped to it). On an error the stream goes back to where reading
    // began and the GIFException passes on; the frames read before it stay.
    void LoadFromStream(QIODevice& stream) override;
    // Loading stops after this many frames with pixels (0, the default:
    // every frame is read). The blocks after them are only looked through
    // for where their frames lie, so the screen and the picture come out as
    // a full load makes them; damage there goes unnoticed, and no trailer is
    // looked for. A still picture needs one frame.
    int FrameLimit() const { return m_frameLimit; }
    void SetFrameLimit(int frames) { m_frameLimit = std::max(frames, 0); }
    // Called by the frame list after each frame it read: true when the
    // frame limit is reached and reading is to stop.
    bool EnoughFramesRead(const TGIFSubImage& frame);
    // True when a picture of the size, at `bytesPerPixel`, stays within the
    // library's bitmap limit: every screen-sized buffer is checked first.
    static bool FitsBitmapLimit(int width, int height, int bytesPerPixel);

    // The logical screen as pictures show it: a side of 0 reaches as far as
    // the frames do.
    QRect ScreenRect() const;
    // The area of the logical screen (ScreenRect) that pictures of the image
    // show (the still picture, a composited frame, the animation), frames
    // being clipped to it: the whole screen
    // when it holds at most MaxScreenPixels pixels, or no more than the
    // frames' pixel data could cover (TGIFSubImage::DataPixels). A larger
    // screen (a few bytes declaring a huge one, or frames far apart) is cut
    // to the frames that hold pixel data: the first of them and, in file
    // order, each further one that keeps the area within that bound. Empty
    // when no frame holds pixels.
    QRect PictureRect() const;
    static constexpr int64_t MaxScreenPixels = int64_t(1) << 24;

    // The version a writer must put in the header: the highest any frame
    // (or the header) needs; gvUnknown without frames.
    TGIFVersion Version() const;
    // The largest bits per pixel over the global and all local tables (0
    // when there are none), and that less one.
    int BitsPerPixel() const;
    int ColorResolution() const { return BitsPerPixel() - 1; }
    // The bits per pixel of the global table as written: its own, widened to
    // cover every pixel that shows a colour in the frames that use it (see
    // TGIFSubImage::WriteBitsPerPixel); 0 without a global table.
    int GlobalWriteBitsPerPixel() const;

    // The encoder used for every frame when the image is written; starts as
    // DefaultCompressionMethod.
    TGIFCompression Compression() const { return m_compression; }
    void SetCompression(TGIFCompression value) { m_compression = value; }

    // Writes the whole GIF: header, frames with their extensions, trailer.
    // An image without frames raises "Unsupported GIF version" before
    // anything is written; a frame whose pixels point past its colour table
    // is written with the table padded in black to cover them (so the file
    // reads back with the same pixels); a device that does not take every
    // byte raises EInOutError "Stream write error". Progress "Saving...":
    // starting, running after each frame, ending (percent 0 when an error
    // passes).
    void SaveToStream(QIODevice& stream) const override;
    // The same into a file, which is replaced only when all of it was
    // written (see TGIFItem::SaveToFile); on an error it is left as it was.
    void SaveToFile(const std::string& fileName) const override;

    // A GIF image is copied frame by frame with its header and drawing
    // settings (this image keeps its own event handlers); any other graphic
    // becomes one frame; an empty graphic empties the image.
    void Assign(const platform::TGraphic& source) override;
    // Another GIF image is assigned from this one; other graphics as the
    // base does.
    void AssignTo(platform::TGraphic& dest) const override;
    // `dest` receives the composite bitmap (a null image when empty).
    void AssignTo(QImage& dest) const override;
    // The picture as a still bitmap: the first frame's rendered bitmap when
    // it covers PictureRect, else the first frame drawn at its place on a
    // bitmap of PictureRect's size filled with the background colour. Built
    // on first use; a null image for an image without pixels. While an
    // animation paints into it, it holds the frame shown last. A picture
    // beyond the bitmap limit raises GIFException "Invalid bitmap size".
    const QImage& Bitmap();
    // Paints that still picture onto `canvas` (of PictureRect's size, in
    // memory the caller owns): the background colour, then the first frame
    // at its place.
    void PaintStill(QImage& canvas);

    // Draws the picture stretched into `rect`: an image of several frames
    // with DrawAnimate starts an animation (asynchronous with DrawAsync),
    // otherwise the frame ForceFrame (else the first) is drawn. Nothing for
    // an empty image or while the image is already drawing.
    void Draw(QPainter& canvas, const QRect& rect) const override;
    // Makes a painter of the image for `device` (or the active painter
    // `external` on it) in `rect`. A one-frame image is never animated. An
    // asynchronous painter is returned for the caller to Start (it deletes
    // itself when it ends); a synchronous one runs at once and null is
    // returned, as for an empty image or rectangle.
    TGIFPainter* StartPainter(TGIFPainter** painterRef, QPaintDevice* device, uint16_t options, const QRect& rect,
                              QPainter* external = nullptr);
    // Stops every painter of the image and frees the composite bitmap.
    void StopPainters();
    // Stops the painter Draw started.
    void PaintStop();
    // The painters running now.
    const std::vector<TGIFPainter*>& Painters() const { return m_painters; }

    // Shrinks the image for writing; `options` is a set of the oo... bits:
    // colour tables sorted by use (ooColorMap), unused transparency and
    // needless disposal dropped (ooCleanup), pixels that repeat the frame
    // below made transparent (ooMerge), transparent borders cropped and
    // frames with nothing opaque removed after a frame that stays in place,
    // else shrunk to one pixel (ooCrop), needless extensions dropped
    // (ooCleanup). A merged or cropped frame is kept only when it encodes
    // no larger. What the animation shows stays the same at every moment.
    // Without ooCleanup, ooReduceColors with ReduceUserPalette raises
    // "Invalid reduction method". Nothing for an empty image.
    void Optimize(uint8_t options, TColorReduction colorReduction, TDitherMode ditherMode, int reductionBits);

    // Puts the GIF file under GIFMimeType and the composite bitmap as an
    // image into `data`; nothing for an empty image. A failed write raises
    // GIFException "Failed to store GIF on clipboard".
    void SaveToClipboardFormat(QMimeData& data) const override;
    // Reads GIF data, else an image, from `data` (the clipboard's when
    // null); anything else raises EConvertError "Unsupported clipboard
    // format".
    void LoadFromClipboardFormat(const QMimeData* data) override;

    // True only for this very image: two images are never compared by
    // their contents (writing them could optimise them, see WriteData).
    bool Equals(const platform::TGraphic& other) const override { return &other == this; }
    // Writes the GIF; with OptimizeBeforeWrite on, the image is first
    // optimised with every option and its own reduction settings.
    void WriteData(QIODevice& stream) override;

    // Receives the warnings of reading; unset, they are dropped.
    const TGIFWarningEvent& OnWarning() const { return m_onWarning; }
    void SetOnWarning(TGIFWarningEvent handler) { m_onWarning = std::move(handler); }
    // Passes a warning of `sender` to OnWarning when it is set.
    virtual void Warning(platform::TPersistent* sender, TGIFSeverity severity, const std::string& message);

    // Told, while a frame's pixel data is decoded, the stream position
    // before which this load reads nothing again but the byte just before
    // it, so that a loader that owns its input can give that memory back.
    const std::function<void(qint64 position)>& OnInputUsed() const { return m_onInputUsed; }
    void SetOnInputUsed(std::function<void(qint64 position)> handler) { m_onInputUsed = std::move(handler); }

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

    // Painting settings: the speed of animations in percent (0 stops an
    // asynchronous one until it is stopped), the frame drawn when not
    // animating (-1: the first), and the colour restoring to background shows
    // (clNone: the logical screen's background colour).
    int AnimationSpeed() const { return m_animationSpeed; }
    void SetAnimationSpeed(int value) { m_animationSpeed = value; }
    int ForceFrame() const { return m_forceFrame; }
    void SetForceFrame(int value) { m_forceFrame = value; }
    TColor BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(TColor value) { m_backgroundColor = value; }
    // The priority given to the asynchronous painters this image starts.
    TThreadPriority PainterPriority() const { return m_painterPriority; }
    void SetPainterPriority(TThreadPriority value) { m_painterPriority = value; }
    // Handlers given to every painter this image starts.
    TGIFPainterEvent OnStartPaint, OnPaint, OnAfterPaint, OnLoop, OnEndPaint;
    // The clock of the painters this image starts; the system clock when null.
    void SetPainterClock(TGIFPainterClock* clock) { m_painterClock = clock; }

    // Receives the progress of long operations of the image and its frames;
    // the sender is null for the image itself.
    const TGIFProgressEvent& OnProgress() const { return m_onProgress; }
    void SetOnProgress(TGIFProgressEvent handler) { m_onProgress = std::move(handler); }
    void Progress(platform::TPersistent* sender, TProgressStage stage, int percent, bool redrawNow,
                  const std::string& message) const;
    // Called when the picture changed; unset, nothing happens.
    const std::function<void()>& OnChange() const { return m_onChange; }
    void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }
    virtual void Changed();

    // Called by a painter after it painted a frame, and when it ends.
    void PainterPainted(TGIFPainter& painter);
    void RemovePainter(TGIFPainter* painter);

    // Called by a frame before it allocates its pixels while the image
    // loads: all frames of one load together may hold at most the library's
    // bitmap limit, so a small damaged file cannot claim gigabytes through
    // many large frames. Beyond it raises GIFException "Invalid bitmap size".
    // Frames made otherwise (added, copied, optimised) are not counted.
    void ReserveFrameBytes(int64_t bytes);
    bool Loading() const { return m_loading; }

private:
    void DrawImage(QPainter& canvas, const QRect& rect);
    void PaintComposite(QPainter& canvas, const QRect& rect);
    // How far right and down the frames reach (those only looked through
    // included).
    QSize FramesExtent() const;
    void FitScreenToFrames();
    // Gives the background colour an index of the global table that every
    // table of the file holds, unless its index already is one; the frames
    // keep their colours.
    void PlaceBackground(TColor background);
    void SkimFrameBounds(QIODevice& stream);
    void FreeBitmap() { m_bitmap = QImage(); }

    TGIFHeader m_header;
    TGIFImageList m_images;
    TGIFWarningEvent m_onWarning;
    std::function<void(qint64)> m_onInputUsed;
    int64_t m_loadingBytes = 0;
    bool m_loading = false;
    int m_frameLimit = 0;
    int m_framesWithPixels = 0;
    bool m_stoppedEarly = false;
    // Where the frames looked through after an early stop lie, and how many
    // pixels their data could give.
    std::vector<std::pair<QRect, int64_t>> m_skimmed;
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
    bool m_drawing = false;
    QImage m_bitmap;
    std::vector<TGIFPainter*> m_painters;
    TGIFPainter* m_drawPainter = nullptr;
    TGIFPainterClock* m_painterClock = nullptr;
    int m_animationSpeed = DefaultAnimationSpeed;
    int m_forceFrame = -1;
    TColor m_backgroundColor = clNone;
    TThreadPriority m_painterPriority = DefaultPainterPriority;
};

} // namespace image
