#pragma once
// Maps a colour to the index of a palette entry. Each reduction method has
// its own lookup (the descendants live with ReduceBitmapColors; the web
// palette's is TNetscapeColorLookup); the ditherers ask it for every pixel.

#include "image/gif/ColorReductionTables.h"

#include <cstdint>

namespace image {

class TColorLookup {
public:
    explicit TColorLookup(int colors) : m_colors(colors) {}
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;
    virtual ~TColorLookup() = default;

    // The number of palette entries mapped to; 0 for an empty palette.
    int Colors() const { return m_colors; }
    // The index of the entry for (red, green, blue); the entry's colour goes
    // to `color`.
    virtual uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) = 0;

protected:
    int m_colors;
};

} // namespace image
