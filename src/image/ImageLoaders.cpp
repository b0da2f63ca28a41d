#include "image/ImageLoaders.h"

#include "image/TBitmapLoaders.h"
#include "image/TJPEGLoader.h"
#include "image/TPNGLoader.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFLoader.h"

namespace image {

void RegisterImageLoaders() {
    static bool done = false;
    if (done) return;
    done = true;
    // Order matters: the registry asks loaders in registration order.
    // GIF: bitmaps saved as GIF and the photos shown are reduced with an
    // octree and Burkes dithering.
    static TGIFLoader gifLoader;
    RegisterBitmapLoader(gifLoader);
    DefaultDitherMode = TDitherMode::DitherBurkes;
    DefaultColorReduction = TColorReduction::ReduceOctree;
    // PNG / MNG
    static TPNGLoader pngLoader;
    RegisterBitmapLoader(pngLoader);
    // JPEG
    static TJPEGLoader jpegLoader;
    RegisterBitmapLoader(jpegLoader);
}

} // namespace image
