#pragma once
// Routines around the linear bitmap: file extensions, colour values and
// palettes. Colour values are the GUI library's $00BBGGRR; palettes are 256
// entries of B, G, R bytes; a QImage colour table stands for a device palette.

#include <QList>
#include <QRgb>
#include <cstdint>
#include <string>
#include <string_view>

namespace image {

// The text after the last '.' of the file name, upper-cased (ASCII), when
// that '.' comes after every '/', '\' and ':'; otherwise empty.
std::string GetFileExtUpper(std::string_view fileName);

// Exchanges the red and blue bytes of a colour value.
constexpr uint32_t ColorToBGR(uint32_t color) {
    return (color & 0xFF00FF00u) | ((color & 0xFF) << 16) | ((color >> 16) & 0xFF);
}

// Writes `count` B, G, R entries at `p`, entry i = i * 255 div (count - 1);
// nothing for a count below 1, one black entry for a count of 1.
void MakeGrayRamp(uint8_t* p, int count);

// The first `count` (at most 256) palette entries as a QImage colour table
// of opaque colours.
QList<QRgb> MakeHPalette(const uint8_t* palette, int count);

// Reads up to `count` entries of a colour table into B, G, R triples at
// `dest` (768 bytes) and fills the rest of the 256 with black; an empty
// table gives GrayPalette.
void GetPaletteBGR(const QList<QRgb>& colors, int count, uint8_t* dest);

} // namespace image
