#include "image/gif/TGIFGlobalColorMap.h"

#include "image/gif/TGIFHeader.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFSubImage.h"

namespace image {

bool TGIFGlobalColorMap::Optimize() {
    const TGIFImage* image = m_header ? m_header->GIFImage() : nullptr;
    if (!image || image->Images().Count() == 0) return false;
    return TGIFColorMap::Optimize();
}

void TGIFGlobalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    GIFImageWarning(m_header ? m_header->GIFImage() : nullptr, this, severity, message);
}

void TGIFGlobalColorMap::BuildHistogram(TGIFHistogram& histogram) {
    if (!m_header || !m_header->GIFImage()) return;
    for (const auto& frame : m_header->GIFImage()->Images())
        if (&frame->ActiveColorMap() == this) CountFramePixels(*frame, histogram);
}

void TGIFGlobalColorMap::MapImages(const TGIFColorMapping& map) {
    if (!m_header || !m_header->GIFImage()) return;
    for (const auto& frame : m_header->GIFImage()->Images())
        if (&frame->ActiveColorMap() == this) MapFramePixels(*frame, map);
}

void TGIFGlobalColorMap::Changed() {
    TGIFImage* image = m_header ? m_header->GIFImage() : nullptr;
    if (!image) return;
    image->SetPalette({});
    // Frames rendered with these colours render again.
    for (const auto& frame : image->Images())
        if (frame->ColorMap().Count() == 0) frame->SetPalette({});
}

} // namespace image
