#pragma once
// Helpers of the GIF reading tests: giflib as the oracle (decoding and
// encoding), the external tools that make test files, our reader with its
// warnings collected, and builders of hand-made GIF data down to the LZW
// codes.

#include "image/gif/TGIFImage.h"

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace giftest {

// One data sub-block of an extension as giflib keeps it: the first carries
// the extension's label, the ones after it 0.
struct OracleExtensionBlock {
    int Function = 0;
    std::string Bytes;
    bool operator==(const OracleExtensionBlock&) const = default;
};

// One frame as giflib's DGifSlurp reads it (pixels de-interlaced).
struct OracleFrame {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Interlace = false;
    int LocalColors = 0;
    int TransparentIndex = -1;
    std::vector<uint8_t> Pixels;
    // The extensions before the frame.
    std::vector<OracleExtensionBlock> Extensions;
};

struct OracleImage {
    int Width = 0, Height = 0;
    int GlobalColors = 0;
    std::vector<OracleFrame> Frames;
    // Extensions after the last frame.
    std::vector<OracleExtensionBlock> TrailingExtensions;
};

// Reads `bytes` with DGifSlurp; false with giflib's error text when it fails.
bool Slurp(const std::string& bytes, OracleImage& out, std::string& error);
// Expects our reader to read `bytes` as giflib does, frame by frame, without
// warnings and up to the last byte.
void ExpectSameAsGiflib(const std::string& bytes, const std::string& what);

// Test pixels of `bits` depth. Runs: long runs of colour 0 between short runs
// of other colours, which takes the run-length encoder through its reuse of
// run table entries.
enum class Fill { Random, Gradient, Flat, Stripes, Runs };
std::vector<uint8_t> Pixels(int w, int h, int bits, Fill fill, unsigned seed);

// A frame for giflib to encode.
struct EncodeFrame {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Interlace = false;
    int LocalBits = 0;  // 0: no local table
    int TransparentIndex = -1;
    std::vector<uint8_t> Pixels;  // rows from the top
};

// A GIF encoded by giflib's EGif; colour tables hold grey ramps.
std::string EncodeWithGiflib(int screenWidth, int screenHeight, int globalBits, const std::vector<EncodeFrame>& frames);

// Our reader over `bytes` (through a QBuffer), with the warnings and the
// error text collected; `position` is where the buffer stood afterwards.
struct LoadResult {
    std::vector<std::string> Warnings;
    std::string Error;
    int64_t Position = 0;
    bool Ok() const { return Error.empty(); }
};
LoadResult Load(const std::string& bytes, image::TGIFImage& image);
// What our writer makes of `image`.
std::string Save(const image::TGIFImage& image);

// True when the program is on the PATH.
bool HaveTool(const char* program);
// Runs a program to its end; true when it exits with 0. Its standard output
// goes to `output` when given.
bool Run(const QString& program, const QStringList& args, std::string* output = nullptr);

// --- hand-made data ---

// All the bytes of a string literal, zero bytes included.
template <size_t N>
std::string B(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Packs LZW codes least significant bit first, with the code width the
// decoder expects at each code (it grows as table entries are made and
// returns to the start width after a clear code).
std::string PackCodes(int setCodeSize, const std::vector<int>& codes);
// `data` cut into sub-blocks of at most `blockSize` bytes, then the
// zero-length terminator.
std::string SubBlocks(const std::string& data, size_t blockSize = 255);
// "GIF89a", a logical screen of w x h and, for globalBits > 0, a global table
// of 2^globalBits grey entries.
std::string Header(int width, int height, int globalBits);
// An image descriptor.
std::string Descriptor(int left, int top, int width, int height, uint8_t packed = 0);
// A graphic control extension.
std::string Gce(bool transparent, int transparentIndex, int delay = 0, int disposal = 0);
// A full frame: descriptor, minimum code size and the codes in sub-blocks.
std::string Frame(int width, int height, int setCodeSize, const std::vector<int>& codes, size_t blockSize = 255,
                  uint8_t packed = 0);

} // namespace giftest
