#pragma once
// Colour reduction: a bitmap of any depth becomes an 8-bit bitmap of at most
// 256 colours. A reduction method picks or builds the palette and the colour
// lookup; a dither mode walks the pixels in serpentine order and may spread
// each pixel's error over its neighbours (TDitherEngine).

#include "image/gif/GIFTypes.h"
#include "image/gif/TDitherEngine.h"

#include <QImage>
#include <cstdint>

namespace image {

// Ordinals are the GIF codec's reduction methods.
enum class TColorReduction : uint8_t {
    ReduceNone,          // a 24-bit copy
    ReduceSystem20,      // the 20 static colours of a palette device
    ReduceHalftone,      // our halftone palette (ColorReductionTables.h)
    ReduceGray4,         // greys 0, 128, 192, 255
    ReduceMono,          // black and white
    ReduceGray256,       // 256 greys
    ReduceCube216,       // the web palette
    ReduceOctree,        // octree of 2^ReductionBits colours
    ReduceOctreeSystem,  // octree of 236 colours between the 20 static ones
    ReduceUserPalette,   // the caller's palette
};

// The 216-colour web palette (entry r * 36 + g * 6 + b = 51r, 51g, 51b).
TGIFPalette WebPalette();
// The 20 static colours of a palette device, dark ones first.
TGIFPalette SystemPalette();

// Reduces `bitmap` (left untouched) to a new bitmap. ReduceNone gives a copy
// in Format_RGB888; every other method gives Format_Indexed8 whose colour
// table holds the palette entries. `reductionBits` (clamped to 1..8) counts
// only for ReduceOctree, `userPalette` (up to 256 entries) only for
// ReduceUserPalette. `reservedEntries` entries of an octree palette of 256
// are kept out of use (for a transparent index to be added later). An
// unknown method or dither mode, or an empty palette, gives a null image; a
// bitmap of width or height 0 raises GIFException "Invalid image
// dimensions".
QImage ReduceBitmapColors(const QImage& bitmap, TColorReduction colorReduction, TDitherMode ditherMode,
                          int reductionBits, const TGIFPalette& userPalette = {}, int reservedEntries = 0);

// The octree palette of a 24-bit (Format_RGB888) image: maxColors entries,
// black past the colours found. With `windows` the palette has 256 entries,
// the 10 dark static colours first and the 10 light ones last, and at most
// 236 found colours between them.
TGIFPalette QuantizePalette(const QImage& rgb888, int maxColors, int colorBits, bool windows);

} // namespace image
