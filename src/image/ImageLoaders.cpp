#include "image/ImageLoaders.h"

#include "image/TBitmapLoaders.h"
#include "image/TJPEGLoader.h"

namespace image {

void RegisterImageLoaders() {
    static bool done = false;
    if (done) return;
    done = true;
    // Order matters: the registry asks loaders in registration order.
    // GIF
    // PNG / MNG
    // JPEG
    static TJPEGLoader jpegLoader;
    RegisterBitmapLoader(jpegLoader);
}

} // namespace image
