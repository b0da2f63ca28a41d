#include "image/gif/TGIFExtensionList.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFExtensionRegistry.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFUnknownExtension.h"

#include <QIODevice>

namespace image {

void TGIFExtensionList::LoadFromStream(QIODevice& stream, TGIFSubImage* parent) {
    // A zero byte where a block should start is an empty sub-block a
    // writer left over; readers skip it, so a frame's extensions and its
    // image stay together.
    uint8_t next;
    while (PeekNonZeroByte(stream, next) && next != bsImageSeparator && next != bsTrailer) {
        if (next != bsExtensionIntroducer) {
            Warning(TGIFSeverity::Warning, SBadExtensionIntroducer);
            return;
        }
        const TGIFExtensionClass* found = TGIFExtension::FindExtension(stream);
        if (!found) {
            char head[2];
            if (stream.peek(head, 2) != 2 || ExtensionList().Find(static_cast<uint8_t>(head[1])))
                RaiseGIFError(SUnknownExtension);
            Warning(TGIFSeverity::Warning, SUnknownExtension);
            found = &TGIFUnknownExtension::Class();
        }
        std::unique_ptr<TGIFExtension> extension = found->Create(parent);
        extension->LoadFromStream(stream);
        Add(std::move(extension));
    }
}

} // namespace image
