// libFuzzer target: the road of a downloaded photo: the bytes through the
// loader registry as the cards decode them (TImageLoader::Decode), handed
// over as each type a photo may be given. Nothing may crash, a JPEG photo
// costs at most TImageLoader::MaxPhotoMemory, and any other picture memory in
// proportion to the bytes: a screen of at most 16 megapixels is shown whole,
// anything larger only as far as the data describes pixels.
#include "FuzzSupport.h"

#include "image/ImageLoaders.h"
#include "image/TImageLoader.h"
#include "image/gif/TGIFImage.h"

#include <QImage>
#include <cstdlib>
#include <string>

namespace {

// Neither GIF nor PNG describes more pixels per byte than this: PNG's
// deflate at its best (1032 to 1) over 1-bit pixels comes nearest.
constexpr int64_t PixelsPerByte = 16384;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    image::RegisterImageLoaders();
    for (const char* type : {"GIF", "JPEG", "PNG"}) {
        const QImage picture = image::TImageLoader::Decode(fuzzsupport::Text(data, size), type);
        const int64_t pixels = int64_t(picture.width()) * picture.height();
        const bool bounded = std::string(type) == "JPEG"
                                 ? picture.sizeInBytes() <= image::TImageLoader::MaxPhotoMemory
                                 : pixels <= image::TGIFImage::MaxScreenPixels + PixelsPerByte * int64_t(size);
        if (!bounded) std::abort();
    }
    return 0;
}
