#include "image/gif/TGIFSubImage.h"

#include "image/EImageError.h"
#include "image/gif/GIFCompress.h"
#include "image/gif/GIFDecompress.h"
#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFExtension.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"

#include <QIODevice>
#include <algorithm>

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
    m_pixels.Dispose();
    m_dataPixels = -1;
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

void TGIFSubImage::AllocateData() {
    const int64_t size = int64_t(Width()) * Height();
    if (size > TLinearBitmap::MaxBitmapBytes) RaiseGIFError(SFrameTooLarge);
    if (m_gifImage && m_gifImage->Loading()) m_gifImage->ReserveFrameBytes(size);
    ResetPixels();
}

void TGIFSubImage::ResetPixels() {
    m_pixels.Dispose();
    if (Width() == 0 || Height() == 0) return;
    try {
        m_pixels.New(Width(), Height(), TPixelFormat::pf8bit);
    } catch (const ELinearBitmap&) {
        RaiseGIFError(SFrameTooLarge);
    }
}

void TGIFSubImage::NewImage() {
    if (Width() == 0 || Height() == 0) RaiseGIFError(SEmptyImage);
    AllocateData();
}

void TGIFSubImage::SetBounds(int left, int top, int width, int height) {
    auto word = [](int v) { return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF)); };
    const bool resized = word(width) != m_descriptor.Width || word(height) != m_descriptor.Height;
    m_descriptor.Left = word(left);
    m_descriptor.Top = word(top);
    m_descriptor.Width = word(width);
    m_descriptor.Height = word(height);
    if (resized) {
        FreeBitmap();
        FreeMask();
        ResetPixels();
        m_dataPixels = -1;
    }
    if (!m_gifImage) return;
    TGIFHeader& header = m_gifImage->Header();
    bool warned = false;
    if (header.Width() < Left() + Width()) {
        if (header.Width() > 0) {
            Warning(TGIFSeverity::Warning, SScreenWidthTooSmall);
            warned = true;
        }
        header.SetWidth(Left() + Width());
    }
    if (header.Height() < Top() + Height()) {
        if (header.Height() > 0) {
            Warning(TGIFSeverity::Warning, SScreenHeightTooSmall);
            warned = true;
        }
        header.SetHeight(Top() + Height());
    }
    if (warned) Warning(TGIFSeverity::Warning, SScreenSizeExceeded);
}

int TGIFSubImage::LargestPixel(int enough) const {
    if (!m_pixels.Present()) return -1;
    uint8_t largest = 0;
    const std::span<const uint8_t> pixels = Indices();
    // In pieces, so that the search can stop early and still run vectorised.
    constexpr size_t Piece = 4096;
    for (size_t at = 0; at < pixels.size() && largest < enough; at += Piece)
        for (const uint8_t p : pixels.subspan(at, std::min(Piece, pixels.size() - at))) largest = std::max(largest, p);
    return largest;
}

int TGIFSubImage::LargestShownPixel() const {
    if (!m_transparent || !m_graphicControlExtension || !m_pixels.Present()) return LargestPixel();
    const uint8_t t = m_graphicControlExtension->TransparentColorIndex();
    uint8_t largest = 0;
    for (const uint8_t p : Indices()) largest = std::max(largest, p == t ? uint8_t(0) : p);
    return largest;
}

int TGIFSubImage::WriteBitsPerPixel() const {
    const int bits = m_colorMap.Count() > 0 ? m_colorMap.BitsPerPixel() : m_gifImage ? m_gifImage->BitsPerPixel() : 0;
    // Eight bits hold every pixel: no need to look.
    return bits >= 8 ? bits : std::max(bits, TGIFColorMap::BitsFor(LargestShownPixel() + 1));
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
    if (!m_pixels.Present()) NewImage();
    return Data() + int64_t(y) * Width();
}

void TGIFSubImage::SaveToStream(QIODevice& stream) const {
    if (Empty()) {
        // Without an image after it, a graphic control extension would
        // govern the next frame's (its transparency, delay and disposal).
        for (const auto& extension : m_extensions)
            if (extension->GetExtensionType() != bsGraphicControlExtension) extension->SaveToStream(stream);
        return;
    }
    m_extensions.SaveToStream(stream);

    const int bits = WriteBitsPerPixel();
    uint8_t packed;
    if (m_colorMap.Count() > 0) {
        packed = static_cast<uint8_t>(0x80 | ((bits - 1) & 7));
        if (m_colorMap.Optimized()) packed |= 0x20;
    } else {
        // Interlace and the two reserved bits.
        packed = m_descriptor.PackedFields & 0x58;
    }
    uint8_t d[ImageDescriptorSize];
    d[0] = bsImageSeparator;
    PutWord(d + 1, m_descriptor.Left);
    PutWord(d + 3, m_descriptor.Top);
    PutWord(d + 5, m_descriptor.Width);
    PutWord(d + 7, m_descriptor.Height);
    d[9] = packed;
    WriteCheck(stream, d, sizeof d);
    m_colorMap.SaveToStream(stream, bits);
    // The code size follows the colours the pixels use, not the table's
    // size, as other writers have it: fewer bits per code.
    CompressFrame(*this, stream, TGIFColorMap::BitsFor(LargestPixel(128) + 1));
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
    if (BuildBitmapOnLoad) Bitmap();
}

} // namespace image
