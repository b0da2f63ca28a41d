#include "image/gif/GIFCompress.h"

#include "image/gif/TGIFImage.h"
#include "image/gif/TLZWEncoder.h"
#include "image/gif/TRLEEncoder.h"

#include <memory>

namespace image {

TGIFCompression DefaultCompressionMethod = TGIFCompression::gcLZW;

void CompressFrame(const TGIFSubImage& subImage, QIODevice& stream, int bitsPerPixel) {
    const TGIFImage* image = subImage.GIFImage();
    const TGIFLocalColorMap& local = subImage.ColorMap();
    const int maxColor = 1 << bitsPerPixel;

    std::unique_ptr<TGIFEncoder> encoder;
    if (image && image->Compression() == TGIFCompression::gcRLE)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    // A frame with a local table is written without interlacing.
    const bool interlace = local.Count() == 0 && subImage.Interlaced();
    encoder->Encode(stream, bitsPerPixel, maxColor, subImage.Data(), interlace, subImage.Width(), subImage.Height());
}

} // namespace image
