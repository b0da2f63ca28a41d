#include "image/gif/TGIFUnknownExtension.h"

namespace image {

const TGIFExtensionClass& TGIFUnknownExtension::Class() {
    static const TGIFExtensionClass c{"TGIFUnknownExtension", 0, &CreateExtension<TGIFUnknownExtension>,
                                      &SameExtensionClass};
    return c;
}

void TGIFUnknownExtension::SaveToStream(QIODevice& stream) const {
    TGIFExtension::SaveToStream(stream);
    TGIFBlock::SaveBlocks(stream, m_blocks);
}

void TGIFUnknownExtension::LoadFromStream(QIODevice& stream) {
    TGIFExtension::LoadFromStream(stream);
    TGIFBlock::LoadBlocks(stream, m_blocks);
}

} // namespace image
