#pragma once
// Encoding of a frame's pixels when an image is written.

#include <cstdint>

class QIODevice;

namespace image {

class TGIFSubImage;

// How frames are compressed; 0 and 1 as the image's Compression stores them.
enum class TGIFCompression : uint8_t {
    gcLZW = 0,  // LZW with a string table (the default)
    gcRLE = 1,  // runs of one colour only, no string table
};

// The Compression that new images start with.
extern TGIFCompression DefaultCompressionMethod;

// Writes the frame's image data (minimum code size, code sub-blocks,
// terminator) with the encoder its image's Compression names, at
// `bitsPerPixel`: the frame's WriteBitsPerPixel, which covers every pixel,
// so a frame whose pixels reach past its table (a transparent index beyond
// the colours) is written whole. With a local table the pixels are written
// in row order; without one an interlaced frame is written in pass order.
void CompressFrame(const TGIFSubImage& subImage, QIODevice& stream, int bitsPerPixel);

} // namespace image
