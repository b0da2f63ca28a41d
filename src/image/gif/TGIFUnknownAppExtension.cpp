#include "image/gif/TGIFUnknownAppExtension.h"

namespace image {

const TGIFExtensionClass& TGIFUnknownAppExtension::Class() {
    static const TGIFExtensionClass c{"TGIFUnknownAppExtension", bsApplicationExtension,
                                      &CreateExtension<TGIFUnknownAppExtension>, &SameExtensionClass};
    return c;
}

void TGIFUnknownAppExtension::LoadData(QIODevice& stream) { TGIFBlock::LoadBlocks(stream, m_blocks); }

void TGIFUnknownAppExtension::SaveData(QIODevice& stream) const { TGIFBlock::SaveBlocks(stream, m_blocks); }

} // namespace image
