#pragma once
// libpng as the oracle of the PNG loader tests, PNG files put together chunk
// by chunk (with zlib) for damaged-input cases, and pngcheck.

#include "image/TLinearBitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace image {
class TPNGLoader;
}

namespace imagetest {

// A file as libpng decodes it with the reductions the loader makes: 16-bit
// samples cut to their high byte, palettes and grey expanded to R, G, B, no
// gamma. `alpha` holds the alpha channel of grey + alpha and RGBA files
// (empty for others); `trns` the raw tRNS of the file.
struct DecodedPng {
    int width = 0;
    int height = 0;
    int colorType = -1;
    int bitDepth = 0;
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> paletteAlpha; // tRNS of a palette file
    int trnsGray = -1;                 // tRNS of a grey file
    int trnsRed = -1, trnsGreen = -1, trnsBlue = -1;
    double gamma = 0;
    std::string error; // libpng's message when decoding failed
};
DecodedPng DecodeWithLibpng(const std::string& file);

// The bitmap as R, G, B bytes: palettes expanded, 16-bit grey as its high byte.
std::vector<uint8_t> ToRGB(const image::TLinearBitmap& bitmap);

// Loads/saves through a memory stream.
image::TLinearBitmap LoadPng(image::TPNGLoader& loader, const std::string& file, const std::string& ext = "PNG");
std::string SavePng(image::TPNGLoader& loader, const image::TLinearBitmap& bitmap, const std::string& ext = "PNG");

// Building files: a chunk with its length and CRC; data deflated by zlib.
std::string BE32(uint32_t value);
std::string Chunk(const std::string& type, const std::string& data);
std::string Zlib(const std::string& raw, int level = 6);
std::string Ihdr(uint32_t width, uint32_t height, int depth, int colorType, int compression = 0, int filter = 0,
                 int interlace = 0);
inline const std::string PngSignature("\x89PNG\r\n\x1a\n", 8);

// A file's chunks in order: type and data.
struct ChunkInfo {
    std::string type;
    std::string data;
};
std::vector<ChunkInfo> Chunks(const std::string& file);

// Runs pngcheck on a file; true when it finds no fault. `output` gets what it said.
bool Pngcheck(const std::string& path, std::string& output);

// A test picture: smooth gradients with noise, in every writable format.
image::TLinearBitmap MakePicture(int width, int height, image::TPixelFormat format, bool grayPalette = false);

} // namespace imagetest
