#include "image/gif/TGIFBlock.h"

#include "image/gif/GIFStreamUtils.h"

namespace image {

void TGIFBlock::LoadFromStream(QIODevice& stream) { ReadCheck(stream, m_data.data(), Size()); }

void TGIFBlock::SaveToStream(QIODevice& stream) const {
    WriteByte(stream, static_cast<uint8_t>(Size()));
    WriteCheck(stream, Data(), Size());
}

void TGIFBlock::SaveBlocks(QIODevice& stream, const std::vector<TGIFBlock>& blocks) {
    for (const TGIFBlock& block : blocks) block.SaveToStream(stream);
    WriteByte(stream, 0);
}

void TGIFBlock::LoadBlocks(QIODevice& stream, std::vector<TGIFBlock>& blocks) {
    blocks.clear();
    uint8_t size;
    while (TryReadByte(stream, size) && size != 0) {
        TGIFBlock block(size);
        block.LoadFromStream(stream);
        blocks.push_back(std::move(block));
    }
}

} // namespace image
