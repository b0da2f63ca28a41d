#include "image/gif/TGIFCommentExtension.h"

#include "image/gif/GIFStreamUtils.h"

namespace image {

const TGIFExtensionClass& TGIFCommentExtension::Class() {
    static const TGIFExtensionClass c{"TGIFCommentExtension", bsCommentExtension,
                                      &CreateExtension<TGIFCommentExtension>, &SameExtensionClass};
    return c;
}

void TGIFCommentExtension::SaveToStream(QIODevice& stream) const {
    TGIFExtension::SaveToStream(stream);
    WriteSubBlockStrings(stream, m_text);
}

void TGIFCommentExtension::LoadFromStream(QIODevice& stream) {
    TGIFExtension::LoadFromStream(stream);
    ReadSubBlockStrings(stream, m_text);
}

} // namespace image
