#include "image/TJPEGGraphic.h"

#include "image/THostFilterStream.h"

namespace image {

void TJPEGGraphic::LoadFromStream(QIODevice& stream) {
    THostFilterStream source(stream);
    Image().LoadFromStream(source, "JPG");
}

void TJPEGGraphic::SaveToStream(QIODevice& stream) const {
    THostFilterStream dest(stream);
    Image().SaveToStream(dest, "JPG");
}

} // namespace image
