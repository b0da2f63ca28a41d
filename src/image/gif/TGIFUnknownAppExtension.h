#pragma once
// An application extension whose identifier is not registered: its data
// sub-blocks are kept as they are, so the file can be written back whole.

#include "image/gif/TGIFApplicationExtension.h"
#include "image/gif/TGIFBlock.h"

#include <vector>

namespace image {

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass& Class();

    explicit TGIFUnknownAppExtension(TGIFSubImage* subImage) : TGIFApplicationExtension(subImage) {}

    std::vector<TGIFBlock>& Blocks() { return m_blocks; }
    const std::vector<TGIFBlock>& Blocks() const { return m_blocks; }

protected:
    void LoadData(QIODevice& stream) override;
    // The blocks as they were read, then the terminator.
    void SaveData(QIODevice& stream) const override;

private:
    std::vector<TGIFBlock> m_blocks;
};

} // namespace image
