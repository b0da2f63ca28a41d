#include "image/gif/TGIFSubImage.h"

#include "image/TLinearBitmap.h"
#include "image/gif/GIFDecompress.h"
#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFExtension.h"
#include "image/gif/TGIFImage.h"

#include <QIODevice>

namespace image {

namespace {
constexpr int ImageDescriptorSize = 10;
}

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), m_colorMap(this), m_extensions(image) {}

TGIFSubImage::~TGIFSubImage() {
    // The extensions unlink themselves from this frame as they go, so they
    // must go while the frame is whole.
    m_extensions.Clear();
}

void TGIFSubImage::Clear() {
    m_extensions.Clear();
    m_data = {};
    m_colorMap.Clear();
    m_descriptor = {};
    m_transparent = false;
    m_graphicControlExtension = nullptr;
    FreeMask();
    FreeBitmap();
    m_palette = {};
}

TGIFVersion TGIFSubImage::GetVersion() const {
    return m_colorMap.Optimized() || m_extensions.Count() > 0 ? TGIFVersion::gv89a : TGIFVersion::gv87a;
}

TGIFColorMap& TGIFSubImage::ActiveColorMap() {
    return const_cast<TGIFColorMap&>(static_cast<const TGIFSubImage*>(this)->ActiveColorMap());
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const {
    if (m_colorMap.Count() > 0) return m_colorMap;
    if (m_gifImage && m_gifImage->GlobalColorMap().Count() > 0) return m_gifImage->GlobalColorMap();
    return m_colorMap;
}

void TGIFSubImage::AllocateData(uint8_t fill) {
    const int64_t size = int64_t(Width()) * Height();
    if (size > TLinearBitmap::MaxBitmapBytes) RaiseGIFError(SFrameTooLarge);
    if (m_gifImage) m_gifImage->ReserveFrameBytes(size);
    m_data = {};
    try {
        m_data.assign(static_cast<size_t>(size), fill);
    } catch (const std::bad_alloc&) {
        RaiseGIFError(SFrameTooLarge);
    }
}

void TGIFSubImage::NewImage() {
    if (Width() == 0 || Height() == 0) RaiseGIFError(SEmptyImage);
    AllocateData(0);
}

void TGIFSubImage::CheckCoordinates(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) RaiseGIFError(SBadPixelCoordinates);
}

uint8_t TGIFSubImage::Pixels(int x, int y) {
    CheckCoordinates(x, y);
    return Scanline(y)[x];
}

void TGIFSubImage::SetPixels(int x, int y, uint8_t value) {
    CheckCoordinates(x, y);
    Scanline(y)[x] = value;
}

uint8_t* TGIFSubImage::Scanline(int y) {
    CheckCoordinates(0, y);
    if (m_data.empty()) NewImage();
    return m_data.data() + int64_t(y) * Width();
}

void TGIFSubImage::LoadFromStream(QIODevice& stream) {
    Clear();
    m_extensions.LoadFromStream(stream, this);

    // Only an image separator starts a descriptor; anything else (the
    // trailer, a stray byte) leaves a frame of extensions alone.
    uint8_t next;
    if (!PeekByte(stream, next) || next != bsImageSeparator) return;

    uint8_t d[ImageDescriptorSize];
    ReadCheck(stream, d, sizeof d);
    m_descriptor.Separator = d[0];
    m_descriptor.Left = GetWord(d + 1);
    m_descriptor.Top = GetWord(d + 3);
    m_descriptor.Width = GetWord(d + 5);
    m_descriptor.Height = GetWord(d + 7);
    m_descriptor.PackedFields = d[9];
    if (m_descriptor.Width == 0 || m_descriptor.Height == 0) {
        if (m_gifImage) {
            m_descriptor.Width = static_cast<uint16_t>(m_gifImage->Header().Width());
            m_descriptor.Height = static_cast<uint16_t>(m_gifImage->Header().Height());
        }
        Warning(TGIFSeverity::Warning, SScreenSizeExceeded);
    }

    if (m_descriptor.PackedFields & 0x80) {
        const int colors = 2 << (m_descriptor.PackedFields & 7);
        if (colors < 2 || colors > TGIFColorMap::MaxColors) RaiseGIFError(SBadImageColors);
        m_colorMap.LoadFromStream(stream, colors);
    }

    DecompressFrame(*this, stream);
}

} // namespace image
