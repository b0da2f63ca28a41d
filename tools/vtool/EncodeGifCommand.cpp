// vtool encode-gif IN OUT [--rle]
// Writes IN as a GIF through the library's GIF writer. A GIF is read into
// the block tree and written back (extensions and frames kept); any other
// picture the library reads becomes a one-frame GIF, deeper pictures reduced
// to 256 colours (the fixed 3-3-2 palette of the bitmap's 8-bit
// conversion). --rle picks the run-length encoder instead of LZW. Prints
// "WIDTHxHEIGHT FRAMES frame(s), BYTES bytes"; a failure prints the error
// text on standard error and exits with 1, leaving no OUT behind.
#include "Command.h"

#include "image/ImageLoaders.h"
#include "image/TLinearBitmap.h"
#include "image/gif/TGIFImage.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

bool IsGif(const std::string& path) {
    QFile file(QString::fromStdString(path));
    char head[3];
    return file.open(QIODevice::ReadOnly) && file.read(head, 3) == 3 && QByteArray(head, 3).toUpper() == "GIF";
}

void LoadGif(const std::string& path, image::TGIFImage& gif) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
    gif.LoadFromStream(file);
}

// One frame over a global table made from the bitmap's palette.
void FromBitmap(const std::string& path, image::TGIFImage& gif) {
    using image::TPixelFormat;
    image::TLinearBitmap bitmap;
    bitmap.LoadFromFile(path);
    if (!bitmap.Present()) throw std::runtime_error("Error in bitmap data");
    bitmap.ChangePixelFormat(TPixelFormat::pf8bit);

    const int w = bitmap.Width(), h = bitmap.Height();
    int used = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) used = std::max(used, bitmap.ScanLine(y)[x] + 1);
    for (int i = 0; i < used; ++i) {
        const uint8_t* bgr = bitmap.Palette() + 3 * i;
        gif.GlobalColorMap().Add(image::RGBColor(bgr[2], bgr[1], bgr[0]));
    }
    auto frame = std::make_unique<image::TGIFSubImage>(&gif);
    image::TGIFSubImage& f = *frame;
    gif.Images().Add(std::move(frame));
    f.SetBounds(0, 0, w, h);
    for (int y = 0; y < h; ++y) std::copy_n(bitmap.ScanLine(y), w, f.Scanline(y));
}

int EncodeGif(const vtool::Args& args) {
    const auto positional = vtool::Positional(args, {});
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: vtool encode-gif IN OUT [--rle]\n");
        return 2;
    }
    image::RegisterImageLoaders();
    try {
        image::TGIFImage gif;
        if (IsGif(positional[0]))
            LoadGif(positional[0], gif);
        else
            FromBitmap(positional[0], gif);
        gif.SetCompression(vtool::HasFlag(args, "--rle") ? image::TGIFCompression::gcRLE
                                                         : image::TGIFCompression::gcLZW);
        gif.SaveToFile(positional[1]);
        std::printf("%dx%d %d frame(s), %llu bytes\n", gif.Width(), gif.Height(), gif.Images().Count(),
                    static_cast<unsigned long long>(std::filesystem::file_size(positional[1])));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

const vtool::Register reg("encode-gif", "IN OUT [--rle]", EncodeGif);

} // namespace
