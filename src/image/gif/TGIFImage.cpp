#include "image/gif/TGIFImage.h"

#include "image/TLinearBitmap.h"
#include "image/gif/GIFDecompress.h"
#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFTrailer.h"

#include <QIODevice>
#include <algorithm>

namespace image {

void GIFImageWarning(TGIFImage* image, platform::TPersistent* sender, TGIFSeverity severity,
                     const std::string& message) {
    if (image) image->Warning(sender, severity, message);
}

TGIFImage::TGIFImage() : m_header(this), m_images(this) {}

TGIFImage::~TGIFImage() {
    StopPainters();
    // A painter that could not be stopped (it is inside one of its handlers)
    // must not reach back into a freed image.
    for (TGIFPainter* painter : m_painters) painter->DetachImage();
    m_painters.clear();
    m_images.Clear();
}

bool TGIFImage::IsTransparent() const {
    for (const auto& frame : m_images)
        for (const auto& extension : frame->Extensions())
            if (auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get()); gce && gce->Transparent())
                return true;
    return false;
}

void TGIFImage::Clear() {
    StopPainters();
    FreeBitmap();
    m_images.Clear();
    m_skimmed.clear();
    m_header.ColorMap().Clear();
    m_header.SetWidth(0);
    m_header.SetHeight(0);
    // No table is left to describe; the packed byte is worked out afresh
    // when the image is written.
    m_header.SetPackedFields(0);
    m_globalPalette = {};
}

QSize TGIFImage::FramesExtent() const {
    int right = 0, bottom = 0;
    for (const auto& frame : m_images) {
        right = std::max(right, frame->Left() + frame->Width());
        bottom = std::max(bottom, frame->Top() + frame->Height());
    }
    for (const auto& [frame, pixels] : m_skimmed) {
        right = std::max(right, frame.x() + frame.width());
        bottom = std::max(bottom, frame.y() + frame.height());
    }
    return QSize(right, bottom);
}

void TGIFImage::FitScreenToFrames() {
    const QSize frames = FramesExtent();
    m_header.SetWidth(std::max(Width(), frames.width()));
    m_header.SetHeight(std::max(Height(), frames.height()));
}

QRect TGIFImage::ScreenRect() const {
    const int width = Width(), height = Height();
    if (width > 0 && height > 0) return QRect(0, 0, width, height);
    const QSize frames = FramesExtent();
    return QRect(0, 0, width > 0 ? width : frames.width(), height > 0 ? height : frames.height());
}

QRect TGIFImage::PictureRect() const {
    const QRect screen = ScreenRect();
    const auto area = [](const QRect& r) { return int64_t(r.width()) * r.height(); };
    const auto holding = [](const auto& frame) { return !frame->Empty(); };
    if (std::none_of(m_images.begin(), m_images.end(), holding) && m_skimmed.empty()) return {};
    if (area(screen) <= MaxScreenPixels) return screen;
    std::vector<std::pair<QRect, int64_t>> frames;
    for (const auto& frame : m_images)
        if (const int64_t pixels = frame->DataPixels(); pixels > 0) frames.emplace_back(frame->BoundsRect(), pixels);
    for (const auto& frame : m_skimmed)
        if (frame.second > 0) frames.push_back(frame);
    int64_t covered = 0;
    for (const auto& frame : frames) covered += frame.second;
    const int64_t bound = std::max(MaxScreenPixels, covered);
    if (area(screen) <= bound) return screen;
    // The first frame always: its size is bounded by its own data.
    QRect picture;
    for (const auto& [frame, pixels] : frames)
        if (const QRect grown = picture.united(frame); picture.isEmpty() || area(grown) <= bound) picture = grown;
    return picture & screen;
}

void TGIFImage::SetWidth(int value) {
    for (const auto& frame : m_images)
        if (frame->Left() + frame->Width() > value) RaiseGIFError(SScreenWidthTooSmall);
    if (value == Width()) return;
    m_header.SetWidth(value);
    FreeBitmap();
    Changed();
}

void TGIFImage::SetHeight(int value) {
    for (const auto& frame : m_images)
        if (frame->Top() + frame->Height() > value) RaiseGIFError(SScreenHeightTooSmall);
    if (value == Height()) return;
    m_header.SetHeight(value);
    FreeBitmap();
    Changed();
}

void TGIFImage::SetReductionBits(int value) { m_reductionBits = std::clamp(value, 1, 8); }

bool TGIFImage::DoDither() const {
    return (m_drawOptions & DrawDither) && (!(m_drawOptions & DrawAutoDither) || DoAutoDither);
}

TGIFPalette TGIFImage::Palette() {
    if (m_paletteGuard) RaiseGIFError(SNoColorTable);
    m_paletteGuard = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{m_paletteGuard};
    if (!m_bitmap.isNull() && !m_bitmap.colorTable().isEmpty()) return m_bitmap.colorTable();
    if (!m_globalPalette.isEmpty()) return m_globalPalette;
    if (DoDither()) {
        m_globalPalette = WebPalette();
    } else if (GlobalColorMap().Count() > 0) {
        m_globalPalette = GlobalColorMap().ExportPalette();
    } else if (m_images.Count() > 0) {
        return m_images[0].Palette();
    }
    return m_globalPalette;
}

void TGIFImage::SetPalette(const TGIFPalette& value) {
    if (value == m_globalPalette) return;
    m_globalPalette = value;
    if (!m_bitmap.isNull() && m_bitmap.colorTable() != value) {
        FreeBitmap();
        m_paletteModified = true;
        Changed();
    }
}

void TGIFImage::Progress(platform::TPersistent* sender, TProgressStage stage, int percent, bool redrawNow,
                         const std::string& message) const {
    if (m_onProgress) m_onProgress(sender, stage, percent, redrawNow, message);
}

void TGIFImage::Changed() {
    if (m_onChange) m_onChange();
}

TGIFVersion TGIFImage::Version() const {
    if (m_images.Count() == 0) return TGIFVersion::gvUnknown;
    TGIFVersion version = m_header.GetVersion();
    for (const auto& frame : m_images) version = std::max(version, frame->GetVersion());
    return version;
}

int TGIFImage::BitsPerPixel() const {
    int bits = m_header.ColorMap().BitsPerPixel();
    for (const auto& frame : m_images) bits = std::max(bits, frame->ColorMap().BitsPerPixel());
    return bits;
}

int TGIFImage::GlobalWriteBitsPerPixel() const {
    int bits = m_header.ColorMap().BitsPerPixel();
    if (bits == 0) return 0;
    for (const auto& frame : m_images)
        if (bits < 8 && frame->ColorMap().Count() == 0)
            bits = std::max(bits, TGIFColorMap::BitsFor(frame->LargestShownPixel() + 1));
    return bits;
}

void TGIFImage::SaveToStream(QIODevice& stream) const {
    Progress(nullptr, TProgressStage::psStarting, 0, false, SSaving);
    try {
        m_header.SaveToStream(stream);
        m_images.SaveToStream(stream);
        TGIFTrailer(nullptr).SaveToStream(stream);
    } catch (...) {
        Progress(nullptr, TProgressStage::psEnding, 0, true, SSaving);
        throw;
    }
    Progress(nullptr, TProgressStage::psEnding, 100, true, SSaving);
}

void TGIFImage::SaveToFile(const std::string& fileName) const {
    SaveGIFFile(fileName, [this](QIODevice& stream) { SaveToStream(stream); });
}

void TGIFImage::Warning(platform::TPersistent* sender, TGIFSeverity severity, const std::string& message) {
    if (m_onWarning) m_onWarning(sender, severity, message);
}

void TGIFImage::ReserveFrameBytes(int64_t bytes) {
    if (bytes > TLinearBitmap::MaxBitmapBytes - m_loadingBytes) RaiseGIFError(SFrameTooLarge);
    m_loadingBytes += bytes;
}

bool TGIFImage::FitsBitmapLimit(int width, int height, int bytesPerPixel) {
    return width >= 0 && height >= 0 && int64_t(width) * height * bytesPerPixel <= TLinearBitmap::MaxBitmapBytes;
}

bool TGIFImage::EnoughFramesRead(const TGIFSubImage& frame) {
    if (m_frameLimit <= 0 || frame.Empty()) return false;
    m_stoppedEarly = ++m_framesWithPixels >= m_frameLimit;
    return m_stoppedEarly;
}

namespace {

// Skips data sub-blocks up to and including the zero-length one; false when
// the data ends first.
bool SkipSubBlocks(QIODevice& stream) {
    for (uint8_t size; TryReadByte(stream, size);) {
        if (size == 0) return true;
        if (SkipBytes(stream, size) < size) return false;
    }
    return false;
}

} // namespace

void TGIFImage::SkimFrameBounds(QIODevice& stream) {
    uint8_t next;
    while (PeekNonZeroByte(stream, next)) {
        if (next == bsExtensionIntroducer) {
            // The introducer and the label, then the body as sub-blocks.
            if (SkipBytes(stream, 2) < 2 || !SkipSubBlocks(stream)) return;
        } else if (next == bsImageSeparator) {
            uint8_t d[10];
            if (stream.read(reinterpret_cast<char*>(d), sizeof d) != qint64(sizeof d)) return;
            int width = GetWord(d + 5), height = GetWord(d + 7);
            if (width == 0 || height == 0) {
                // Such a frame takes the screen's size when it is read.
                width = m_header.Width();
                height = m_header.Height();
            }
            const int64_t table = (d[9] & 0x80) ? 3 * (int64_t(2) << (d[9] & 7)) : 0;
            const bool cut = SkipBytes(stream, table) < table;
            // A frame a full load would refuse for want of data widens nothing.
            const int64_t pixels = int64_t(width) * height;
            if (!FrameDataCouldFill(stream, pixels)) return;
            m_skimmed.emplace_back(QRect(GetWord(d + 1), GetWord(d + 3), width, height),
                                   PixelsDataCouldFill(stream, pixels));
            uint8_t codeSize;
            if (cut || !TryReadByte(stream, codeSize) || !SkipSubBlocks(stream)) return;
        } else {
            return;
        }
    }
}

void TGIFImage::LoadFromStream(QIODevice& stream) {
    Progress(nullptr, TProgressStage::psStarting, 0, false, SLoading);
    Clear();
    const qint64 start = stream.pos();
    m_loadingBytes = 0;
    m_framesWithPixels = 0;
    m_stoppedEarly = false;
    m_skimmed.clear();
    m_loading = true;
    struct Loading {
        bool& flag;
        ~Loading() { flag = false; }
    } loading{m_loading};
    try {
        m_header.LoadFromStream(stream);
        m_images.LoadFromStream(stream, this);
        if (m_stoppedEarly) SkimFrameBounds(stream);
        if (!m_stoppedEarly) TGIFTrailer(this).LoadFromStream(stream);
    } catch (...) {
        if (!stream.isSequential()) stream.seek(start);
        Progress(nullptr, TProgressStage::psEnding, 0, true, SLoading);
        throw;
    }
    // Peeking may have read ahead of the device's position in the device
    // beneath; line the two up again.
    if (!stream.isSequential()) stream.seek(stream.pos());
    Progress(nullptr, TProgressStage::psEnding, 100, true, SLoading);
}

} // namespace image
