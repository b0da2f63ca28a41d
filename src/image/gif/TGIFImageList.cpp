#include "image/gif/TGIFImageList.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFImage.h"

#include <QIODevice>

namespace image {

void TGIFImageList::LoadFromStream(QIODevice& stream, TGIFImage* parent) {
    uint8_t next;
    while (PeekNonZeroByte(stream, next) && next != bsTrailer) {
        if (next != bsExtensionIntroducer && next != bsImageSeparator) {
            Warning(TGIFSeverity::Warning, SUnknownBlockType);
            // The trailer check that follows looks at the byte before.
            StepBack(stream);
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(parent);
        frame->LoadFromStream(stream);
        Add(std::move(frame));
        if (parent) {
            const qint64 size = stream.size();
            const int percent = size > 0 ? static_cast<int>(stream.pos() * 100 / size) : 0;
            parent->Progress(this, TProgressStage::psRunning, percent, BuildBitmapOnLoad, SLoading);
        }
    }
}

} // namespace image
