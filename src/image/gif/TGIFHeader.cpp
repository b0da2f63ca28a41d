#include "image/gif/TGIFHeader.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFImage.h"

#include <QIODevice>
#include <algorithm>

namespace image {

namespace {

constexpr int SignatureSize = 6;  // "GIF" and the version, e.g. "89a"
constexpr int SignatureSkip = 4;  // bytes that may come before the signature
constexpr int ScreenDescriptorSize = 7;

bool IsSignature(const char* p) {
    return (p[0] & ~0x20) == 'G' && (p[1] & ~0x20) == 'I' && (p[2] & ~0x20) == 'F';
}

} // namespace

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), m_colorMap(this) {}

void TGIFHeader::SetWidth(int value) { m_screen.Width = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF)); }

void TGIFHeader::SetHeight(int value) { m_screen.Height = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF)); }

void TGIFHeader::Clear() {
    m_colorMap.Clear();
    m_screen = {};
}

void TGIFHeader::Assign(const TGIFHeader& source) {
    if (&source == this) return;
    m_colorMap.Assign(source.m_colorMap);
    m_screen = source.m_screen;
}

void TGIFHeader::Assign(const TGIFColorMap& source) {
    Clear();
    m_colorMap.Assign(source);
}

TGIFVersion TGIFHeader::GetVersion() const {
    return m_colorMap.Optimized() || m_screen.AspectRatio != 0 ? TGIFVersion::gv89a : TGIFVersion::gv87a;
}

TColor TGIFHeader::BackgroundColor() { return m_colorMap.Colors(m_screen.BackgroundColorIndex); }

void TGIFHeader::SaveToStream(QIODevice& stream) const {
    const TGIFVersion version = m_gifImage ? m_gifImage->Version() : TGIFVersion::gvUnknown;
    if (version == TGIFVersion::gvUnknown) RaiseGIFError(SUnsupportedVersion);

    const int globalBits = m_gifImage->GlobalWriteBitsPerPixel();
    const int largestBits = std::max(m_gifImage->BitsPerPixel(), globalBits);
    uint8_t packed = static_cast<uint8_t>(((largestBits - 1) & 7) << 4);
    if (m_colorMap.Count() > 0) {
        packed |= 0x80 | ((globalBits - 1) & 7);
        if (m_colorMap.Optimized()) packed |= 0x08;
    } else {
        packed |= (largestBits - 1) & 7;
    }

    uint8_t d[SignatureSize + ScreenDescriptorSize];
    std::copy_n(version == TGIFVersion::gv87a ? "GIF87a" : "GIF89a", SignatureSize, d);
    PutWord(d + 6, m_screen.Width);
    PutWord(d + 8, m_screen.Height);
    d[10] = packed;
    d[11] = m_screen.BackgroundColorIndex;
    d[12] = m_screen.AspectRatio;
    WriteCheck(stream, d, sizeof d);
    m_colorMap.SaveToStream(stream, globalBits);
}

void TGIFHeader::LoadFromStream(QIODevice& stream) {
    // Look before reading, so that a signature 4 bytes further on can be
    // taken without moving back.
    char head[SignatureSkip + SignatureSize];
    const int64_t seen = std::max<int64_t>(0, stream.peek(head, sizeof head));
    if (seen < SignatureSize) RaiseGIFError(SPrematureEOF);
    if (IsSignature(head)) {
        SkipBytes(stream, SignatureSize);
    } else {
        if (seen < SignatureSkip + SignatureSize) RaiseGIFError(SPrematureEOF);
        if (!IsSignature(head + SignatureSkip)) RaiseGIFError(SBadSignature);
        SkipBytes(stream, SignatureSkip + SignatureSize);
    }

    uint8_t d[ScreenDescriptorSize];
    ReadCheck(stream, d, sizeof d);
    m_screen.Width = GetWord(d);
    m_screen.Height = GetWord(d + 2);
    m_screen.PackedFields = d[4];
    m_screen.BackgroundColorIndex = d[5];
    m_screen.AspectRatio = d[6];

    if (m_screen.PackedFields & 0x80) {
        const int colors = 2 << (m_screen.PackedFields & 7);
        if (colors < 2 || colors > TGIFColorMap::MaxColors) RaiseGIFError(SBadScreenColors);
        m_colorMap.LoadFromStream(stream, colors);
    } else {
        m_colorMap.Clear();
    }
}

} // namespace image
