#include "image/ImageLoaders.h"

namespace image {

void RegisterImageLoaders() {
    static bool done = false;
    if (done) return;
    done = true;
    // Order matters: the registry asks loaders in registration order.
    // GIF
    // PNG / MNG
    // JPEG
}

} // namespace image
