// vtool encode-gif IN OUT [--rle]
// Writes IN as a GIF through the library's GIF writer. A GIF is read into
// the block tree and written back (extensions and frames kept); any other
// picture the library reads becomes a one-frame GIF, deeper pictures reduced
// to 256 colours (octree palette, Floyd-Steinberg dithering). --rle picks the run-length encoder instead of LZW. Prints
// "WIDTHxHEIGHT FRAMES frame(s), BYTES bytes"; a failure prints the error
// text on standard error and exits with 1, leaving no OUT behind.
#include "Command.h"

#include "image/ImageLoaders.h"
#include "image/TLinearBitmap.h"
#include "image/gif/TGIFImage.h"

#include <QFile>
#include <QImage>
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

// One frame made from the bitmap; pictures of more than 256 colours are
// reduced to an octree palette of 256 with Floyd-Steinberg dithering.
void FromBitmap(const std::string& path, image::TGIFImage& gif) {
    image::TLinearBitmap bitmap;
    bitmap.LoadFromFile(path);
    if (!bitmap.Present()) throw std::runtime_error("Error in bitmap data");
    QImage picture;
    bitmap.AssignTo(picture);
    gif.SetColorReduction(image::TColorReduction::ReduceOctree);
    gif.SetReductionBits(8);
    gif.SetDitherMode(image::TDitherMode::DitherFloydSteinberg);
    auto frame = std::make_unique<image::TGIFSubImage>(&gif);
    image::TGIFSubImage& f = *frame;
    gif.Images().Add(std::move(frame));
    f.Assign(picture);
    gif.Header().SetWidth(f.Width());
    gif.Header().SetHeight(f.Height());
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
        std::fprintf(stderr, "vtool encode-gif: %s\n", e.what());
        return 1;
    }
    return 0;
}

const vtool::Register reg("encode-gif", "IN OUT [--rle]", EncodeGif);

} // namespace
