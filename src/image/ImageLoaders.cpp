#include "image/ImageLoaders.h"

#include "image/TBitmapLoaders.h"
#include "image/TJPEGLoader.h"
#include "image/TPNGLoader.h"

namespace image {

void RegisterImageLoaders() {
    static bool done = false;
    if (done) return;
    done = true;
    // Order matters: the registry asks loaders in registration order.
    // GIF
    // PNG / MNG
    static TPNGLoader pngLoader;
    RegisterBitmapLoader(pngLoader);
    // JPEG
    static TJPEGLoader jpegLoader;
    RegisterBitmapLoader(jpegLoader);
}

} // namespace image
