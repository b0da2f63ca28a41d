#pragma once
// An extension whose label no class is registered for. GIF89a lets writers
// define their own extensions and tells readers to skip those they do not
// know, so such a block is kept whole (label and data sub-blocks) rather than
// failing the file; reading warns "Unknown extension type".

#include "image/gif/TGIFBlock.h"
#include "image/gif/TGIFExtension.h"

#include <vector>

namespace image {

class TGIFUnknownExtension : public TGIFExtension {
public:
    // Label 0 in the class record: it takes any label.
    static const TGIFExtensionClass& Class();

    explicit TGIFUnknownExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {}

    // The label read from the file.
    uint8_t GetExtensionType() const override { return m_label; }
    void SetExtensionType(uint8_t label) { m_label = label; }

    std::vector<TGIFBlock>& Blocks() { return m_blocks; }
    const std::vector<TGIFBlock>& Blocks() const { return m_blocks; }

    // Writes '!', the label and the data sub-blocks as they were read.
    void SaveToStream(QIODevice& stream) const override;
    // Reads '!', the label and the data sub-blocks.
    void LoadFromStream(QIODevice& stream) override;

protected:
    // Takes any label as its own.
    void CheckLabel(uint8_t label) override { m_label = label; }

private:
    uint8_t m_label = 0;
    std::vector<TGIFBlock> m_blocks;
};

} // namespace image
