#include "image/gif/TGIFImageList.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFImage.h"

#include <QIODevice>
#include <algorithm>

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
        if (m_image) {
            const qint64 size = stream.size();
            const int percent = size > 0 ? static_cast<int>(std::min<qint64>(100, stream.pos() * 100 / size)) : 0;
            m_image->Progress(this, TProgressStage::psRunning, percent, BuildBitmapOnLoad, SLoading);
            if (m_image->EnoughFramesRead(Items(Count() - 1))) return;
        }
    }
}

void TGIFImageList::SaveToStream(QIODevice& stream) const {
    for (int i = 0; i < Count(); ++i) {
        Items(i).SaveToStream(stream);
        if (m_image)
            m_image->Progress(const_cast<TGIFImageList*>(this), TProgressStage::psRunning, (i + 1) * 100 / Count(),
                              false, SSaving);
    }
}

} // namespace image
