#pragma once
// LZW decoding of a frame's pixel data.

#include <cstdint>

class QIODevice;

namespace image {

class TGIFSubImage;

// Decodes the image data at the stream position (the LZW minimum code size
// byte and the data sub-blocks after it) into the frame's pixels: Width *
// Height indices, rows from the top, de-interlaced. Pixels first hold the
// transparent index of a transparent frame (else 0) and keep it where the data
// does not reach. A code size above 8 is taken as 8; values are stored as
// their low 8 bits, unchecked against any colour table.
//
// The stream is always left after the data's zero-length terminator (or at
// the end of the data), whatever the codes held: an early end code, surplus
// codes or sub-blocks of any length. Damaged data warns through the frame:
// "Decoder bit buffer under-run" when the codes stop at the terminator before
// the last pixel, "Premature end of data" when a sub-block is cut short. A
// table entry that leads back to itself raises GIFException "Circular decoder
// table entry"; a frame larger than the library's bitmap limit raises
// "Invalid bitmap size" before anything is allocated.
void DecompressFrame(TGIFSubImage& subImage, QIODevice& stream);

// Whether DecompressFrame takes a frame of `pixels` pixels with the image
// data at the stream position: a large frame only when that data could fill
// it. The stream is left where it was.
bool FrameDataCouldFill(QIODevice& stream, int64_t pixels);
// How many of `pixels` pixels the image data at the stream position could
// give at the most. The stream is left where it was.
int64_t PixelsDataCouldFill(QIODevice& stream, int64_t pixels);

} // namespace image
