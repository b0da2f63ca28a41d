#include "image/gif/TGIFLocalColorMap.h"

#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFSubImage.h"

namespace image {

void TGIFLocalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    GIFImageWarning(m_subImage ? m_subImage->GIFImage() : nullptr, this, severity, message);
}

void TGIFLocalColorMap::BuildHistogram(TGIFHistogram& histogram) {
    if (m_subImage) CountFramePixels(*m_subImage, histogram);
}

void TGIFLocalColorMap::MapImages(const TGIFColorMapping& map) {
    if (m_subImage) MapFramePixels(*m_subImage, map);
}

void TGIFLocalColorMap::Changed() {
    if (m_subImage) m_subImage->SetPalette({});
}

} // namespace image
