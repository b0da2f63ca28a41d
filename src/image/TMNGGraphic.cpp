#include "image/TMNGGraphic.h"

#include "image/THostFilterStream.h"

namespace image {

void TMNGGraphic::LoadFromStream(QIODevice& stream) {
    THostFilterStream source(stream);
    Image().LoadFromStream(source, "MNG");
}

void TMNGGraphic::SaveToStream(QIODevice& stream) const {
    THostFilterStream dest(stream);
    Image().SaveToStream(dest, "MNG");
}

} // namespace image
