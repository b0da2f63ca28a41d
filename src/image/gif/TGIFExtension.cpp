#include "image/gif/TGIFExtension.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFExtensionRegistry.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFSubImage.h"

#include <QIODevice>

namespace image {

const TGIFExtensionClass* SameExtensionClass(const TGIFExtensionClass& self, QIODevice&) { return &self; }

TGIFExtension::TGIFExtension(TGIFSubImage* subImage)
    : TGIFItem(subImage ? subImage->GIFImage() : nullptr), m_subImage(subImage) {}

void TGIFExtension::SaveToStream(QIODevice& stream) const {
    const uint8_t head[2] = {bsExtensionIntroducer, GetExtensionType()};
    WriteCheck(stream, head, sizeof head);
}

void TGIFExtension::LoadFromStream(QIODevice& stream) {
    uint8_t head[2];
    ReadCheck(stream, head, sizeof head);
    if (head[0] != bsExtensionIntroducer) RaiseGIFError(SBadExtensionIntroducer);
    CheckLabel(head[1]);
}

void TGIFExtension::CheckLabel(uint8_t label) {
    if (label != GetExtensionType()) RaiseGIFError(SExtensionLabelMismatch);
}

const TGIFExtensionClass* TGIFExtension::FindExtension(QIODevice& stream) {
    char head[2];
    if (stream.peek(head, sizeof head) != sizeof head) return nullptr;
    const TGIFExtensionClass* found = ExtensionList().Find(static_cast<uint8_t>(head[1]));
    while (found) {
        const TGIFExtensionClass* sub = found->FindSubExtension(*found, stream);
        if (sub == found) break;
        found = sub;
    }
    return found;
}

} // namespace image
