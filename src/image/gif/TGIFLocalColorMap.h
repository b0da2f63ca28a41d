#pragma once
// A frame's own colour table.

#include "image/gif/TGIFColorMap.h"

namespace image {

class TGIFSubImage;

class TGIFLocalColorMap : public TGIFColorMap {
public:
    // `subImage` is the owner (borrowed).
    explicit TGIFLocalColorMap(TGIFSubImage* subImage) : m_subImage(subImage) {}

    TGIFSubImage* SubImage() const { return m_subImage; }

    // Goes to the frame's image.
    void Warning(TGIFSeverity severity, const std::string& message) override;

protected:
    // Drops the cached palette that was made from this table.
    void Changed() override;
    // Over the owning frame only.
    void BuildHistogram(TGIFHistogram& histogram) override;
    void MapImages(const TGIFColorMapping& map) override;

private:
    TGIFSubImage* m_subImage;
};

} // namespace image
