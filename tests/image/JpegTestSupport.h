#pragma once
// JPEG files made by the tests with libjpeg, and libjpeg's own decoding of
// them, as the oracle of the JPEG loader tests.

#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

struct JpegOptions {
    int width = 64;
    int height = 48;
    bool gray = false;
    int quality = 85;
    // Luma sampling factors of a colour file (chroma is 1x1): 1x1 is 4:4:4,
    // 2x1 is 4:2:2, 2x2 is 4:2:0, 4x1 is 4:1:1.
    int hSampling = 2;
    int vSampling = 2;
    bool progressive = false;
    int restartRows = 0; // a restart marker every this many MCU rows; 0 none
    bool arithmetic = false;
    int uniformRows = 0; // the last this many rows one flat light grey
};

// A picture of smooth gradients with some texture (so that every DCT
// coefficient matters), encoded by libjpeg as `options` asks.
std::string MakeJpeg(const JpegOptions& options);

// Pixels as libjpeg decodes them with the loader's settings: accurate
// integer inverse DCT, fancy upsampling, at 1/scaleDenom of full size;
// colour files as R, G, B, greyscale files as one byte per pixel.
struct DecodedJpeg {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> pixels;
    std::string error; // libjpeg's message when decoding failed
};
DecodedJpeg DecodeWithLibjpeg(const std::string& file, int scaleDenom = 1);

// Encodes packed R, G, B (or grey) pixels at `quality` with libjpeg's
// defaults, for tests that need a file of a known picture.
std::string EncodePixels(const std::vector<uint8_t>& pixels, int width, int height, bool gray, int quality);

} // namespace imagetest
