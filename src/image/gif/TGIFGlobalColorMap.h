#pragma once
// The global colour table, owned by the header. Frames without a local table
// of their own use it.

#include "image/gif/TGIFColorMap.h"

namespace image {

class TGIFHeader;

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    // `header` is the owner (borrowed).
    explicit TGIFGlobalColorMap(TGIFHeader* header) : m_header(header) {}

    TGIFHeader* Header() const { return m_header; }

    // False, with nothing changed, when the image has no frames.
    bool Optimize() override;
    // Goes to the header's image.
    void Warning(TGIFSeverity severity, const std::string& message) override;

protected:
    // Drops the cached palette that was made from this table.
    void Changed() override;
    // Over every frame whose active colour table is this one.
    void BuildHistogram(TGIFHistogram& histogram) override;
    void MapImages(const TGIFColorMapping& map) override;

private:
    TGIFHeader* m_header;
};

} // namespace image
