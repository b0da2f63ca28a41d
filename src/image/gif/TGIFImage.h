#pragma once
// A GIF image as a tree of blocks: the header (logical screen and global
// colour table), the frames with their extensions, and the trailer, read from
// a stream. Every block reports damaged but readable data here, and the image
// passes it on to OnWarning; errors are GIFExceptions.
//
// This is the part of the image that reading needs. Drawing, writing and the
// conversions build on it.

#include "image/gif/GIFTypes.h"
#include "image/gif/TGIFHeader.h"
#include "image/gif/TGIFImageList.h"

#include <algorithm>
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
    // Gives back bytes reserved for a buffer that is freed again while the
    // image loads (the passes of an interlaced frame).
    void ReleaseFrameBytes(int64_t bytes) { m_loadingBytes -= std::min(bytes, m_loadingBytes); }

private:
    TGIFHeader m_header;
    TGIFImageList m_images;
    TGIFWarningEvent m_onWarning;
    int64_t m_loadingBytes = 0;
};

} // namespace image
