#include "image/TPNGGraphic.h"

#include "image/THostFilterStream.h"

namespace image {

void TPNGGraphic::LoadFromStream(QIODevice& stream) {
    THostFilterStream source(stream);
    Image().LoadFromStream(source, "PNG");
}

void TPNGGraphic::SaveToStream(QIODevice& stream) const {
    THostFilterStream dest(stream);
    Image().SaveToStream(dest, "PNG");
}

} // namespace image
