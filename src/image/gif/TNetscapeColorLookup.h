#pragma once
// The lookup of the 216-colour web palette: each channel goes to the nearest
// of the levels 0, 51, ..., 255 by (channel + 3) div 51.

#include "image/gif/TColorLookup.h"

namespace image {

class TNetscapeColorLookup : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}

    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) override {
        const int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
        color = {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
        return static_cast<uint8_t>(r * 36 + g * 6 + b);
    }
};

} // namespace image
