#include "image/gif/TGIFUnknownAppExtension.h"

namespace image {

const TGIFExtensionClass& TGIFUnknownAppExtension::Class() {
    static const TGIFExtensionClass c{"TGIFUnknownAppExtension", bsApplicationExtension,
                                      &CreateExtension<TGIFUnknownAppExtension>, &SameExtensionClass};
    return c;
}

void TGIFUnknownAppExtension::LoadData(QIODevice& stream) { TGIFBlock::LoadBlocks(stream, m_blocks); }

} // namespace image
