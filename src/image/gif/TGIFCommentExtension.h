#pragma once
// The comment extension (label 0xFE). The comment is kept as the file's data
// sub-blocks, one string of raw bytes per sub-block (no character set is
// assumed), so it is written back byte for byte.

#include "image/gif/TGIFExtension.h"

#include <string>
#include <vector>

namespace image {

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& Class();

    explicit TGIFCommentExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {}

    uint8_t GetExtensionType() const override { return bsCommentExtension; }

    std::vector<std::string>& Text() { return m_text; }
    const std::vector<std::string>& Text() const { return m_text; }

    // Writes the text sub-blocks as they were read.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the sub-blocks; one cut short raises "Premature end of data".
    void LoadFromStream(QIODevice& stream) override;

private:
    std::vector<std::string> m_text;
};

} // namespace image
