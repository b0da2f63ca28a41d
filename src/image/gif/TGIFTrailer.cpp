#include "image/gif/TGIFTrailer.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"

namespace image {

void TGIFTrailer::SaveToStream(QIODevice& stream) const { WriteByte(stream, bsTrailer); }

void TGIFTrailer::LoadFromStream(QIODevice& stream) {
    uint8_t b;
    if (TryReadByte(stream, b) && b != bsTrailer) Warning(TGIFSeverity::Warning, SBadTrailer);
}

} // namespace image
