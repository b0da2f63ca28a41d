#pragma once
// Conversion of a linear bitmap to 8-bit grey over GrayPalette. The grey
// level of a colour is (2R + 3G + B + 3) div 6, as everywhere in the library.

namespace image {

class TLinearBitmap;

// Makes `dest` the grey version of `source`: a 24-bit source gives an 8-bit
// image over GrayPalette; any other source is copied and then made grey with
// MakeGray (so a 16-bit grey source stays 16-bit). An empty source empties
// `dest`. `source` and `dest` may be the same bitmap.
void ConvertToGray(const TLinearBitmap& source, TLinearBitmap& dest);

// Makes `bitmap` grey in place: 32-bit and 24-bit images become 8-bit over
// GrayPalette; an 8-bit image keeps its indices remapped through the grey
// level of its palette entries and gets GrayPalette. A 16-bit grey or empty
// bitmap is left as it is.
void MakeGray(TLinearBitmap& bitmap);

} // namespace image
