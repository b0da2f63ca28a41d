#pragma once
// A GIF image as a tree of blocks: the header (logical screen and global
// colour table), the frames with their extensions, and the trailer, read from
// a stream and written back to one. Every block reports damaged but readable
// data here, and the image passes it on to OnWarning; errors are
// GIFExceptions.
//
// This is the part of the image that reading and writing need. Drawing and
// the conversions build on it.

#include "image/gif/GIFCompress.h"
#include "image/gif/GIFTypes.h"
#include "image/gif/TGIFHeader.h"
#include "image/gif/TGIFImageList.h"

#include <cstdint>
#include <string>

class QIODevice;

namespace image {

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
    // EInOutError "Stream write error".
    void SaveToStream(QIODevice& stream) const;
    // The same into a file, which is replaced only when all of it was
    // written (see TGIFItem::SaveToFile); on an error it is left as it was.
    void SaveToFile(const std::string& fileName) const;

    // Receives the warnings of reading; unset, they are dropped.
    const TGIFWarningEvent& OnWarning() const { return m_onWarning; }
    void SetOnWarning(TGIFWarningEvent handler) { m_onWarning = std::move(handler); }
    // Passes a warning of `sender` to OnWarning when it is set.
    virtual void Warning(platform::TPersistent* sender, TGIFSeverity severity, const std::string& message);

    // Called by a frame before it allocates its pixels while the image
    // loads: all frames of one load together may hold at most the library's
    // bitmap limit, so a small damaged file cannot claim gigabytes through
    // many large frames. Beyond it raises GIFException "Invalid bitmap size".
    void ReserveFrameBytes(int64_t bytes);

private:
    TGIFHeader m_header;
    TGIFImageList m_images;
    TGIFWarningEvent m_onWarning;
    int64_t m_loadingBytes = 0;
    TGIFCompression m_compression = DefaultCompressionMethod;
};

} // namespace image
