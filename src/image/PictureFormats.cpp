#include "image/PictureFormats.h"

#include "image/TJPEGGraphic.h"
#include "image/TMNGGraphic.h"
#include "image/TPNGGraphic.h"
#include "image/gif/TGIFImage.h"
#include "platform/TPicture.h"

namespace image {

void RegisterPictureFormats() {
    static bool done = false;
    if (done) return;
    done = true;
    using platform::TPicture;
    TPicture::RegisterFileFormat("PNG", "Portable Network Graphics", [] { return std::make_unique<TPNGGraphic>(); });
    TPicture::RegisterFileFormat("MNG", "Multiple-image Network Graphics",
                                 [] { return std::make_unique<TMNGGraphic>(); });
    TPicture::RegisterFileFormat("JPG", "JPEG Image File", [] { return std::make_unique<TJPEGGraphic>(); });
    TPicture::RegisterFileFormat("JPEG", "JPEG Image File", [] { return std::make_unique<TJPEGGraphic>(); });
    TPicture::RegisterFileFormat("GIF", "GIF Image", [] { return std::make_unique<TGIFImage>(); });
}

} // namespace image
