// vtool encode-gif IN OUT [--rle]
// Writes IN as a GIF. A GIF is read into the block tree and written back
// (extensions and frames kept); any other picture the library reads goes
// through the library's own GIF saver, as the program would save it: a
// palette picture keeps its colours, the table cut to the colours its pixels
// use; deeper pictures are reduced to 256 colours (octree palette,
// Floyd-Steinberg dithering) and keep only the colours they use. A PNG's
// transparency (alpha samples, palette alpha or transparent colour) becomes
// the frame's transparent colour. --rle picks the run-length encoder instead
// of LZW. Prints "WIDTHxHEIGHT FRAMES frame(s), BYTES bytes"; a failure
// prints the error text on standard error and exits with 1, leaving no OUT
// behind.
#include "Command.h"

#include "image/ImageLoaders.h"
#include "image/LinearBitmapUtils.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFLoader.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using image::TLinearBitmap;
using image::TPixelFormat;

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

// The alpha of each pixel of a PNG read with KeepAlpha; null when it has no
// transparency.
std::unique_ptr<TLinearBitmap> AlphaOf(const image::TPNGLoader& png, const TLinearBitmap& bitmap) {
    if (const TLinearBitmap* alpha = png.AlphaBitmap()) return std::make_unique<TLinearBitmap>(*alpha);
    const uint8_t* table = png.AlphaTable();
    const int key = png.TransparentColor();
    if (!table && key < 0) return nullptr;
    auto alpha = std::make_unique<TLinearBitmap>();
    alpha->New(bitmap.Width(), bitmap.Height(), TPixelFormat::pf8bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* p = bitmap.ScanLine(y);
        uint8_t* a = alpha->ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            int value;
            switch (bitmap.PixelFormat()) {
            case TPixelFormat::pf8bit: value = p[x]; break;
            case TPixelFormat::pf16bit: value = p[2 * x] | p[2 * x + 1] << 8; break;
            default: value = p[3 * x + 2] | p[3 * x + 1] << 8 | p[3 * x] << 16; break;
            }
            // A palette's alpha per entry, else the one transparent value.
            a[x] = table && bitmap.PixelFormat() == TPixelFormat::pf8bit ? table[value] : value == key ? 0 : 255;
        }
    }
    return alpha;
}

// Encodes a picture that is not a GIF through the GIF loader plug-in.
std::string SavePicture(const std::string& path, int& width, int& height) {
    TLinearBitmap bitmap;
    std::unique_ptr<TLinearBitmap> alpha;
    const std::string ext = image::GetFileExtUpper(path);
    if (ext == "PNG" || ext == "MNG") {
        image::TPNGLoader png;
        png.SetKeepAlpha(true);
        png.LoadFromFile(path, ext, bitmap);
        if (bitmap.Present()) alpha = AlphaOf(png, bitmap);
    } else {
        bitmap.LoadFromFile(path);
    }
    if (!bitmap.Present()) throw std::runtime_error("Error in bitmap data");
    width = bitmap.Width();
    height = bitmap.Height();
    image::TGIFLoader saver;
    saver.SetAlphaBitmap(alpha.get());
    image::TMemStream out;
    saver.SaveToStream(out, "GIF", bitmap);
    std::string bytes(size_t(out.GetSize()), '\0');
    out.SetPosition(0);
    out.Read(bytes.data(), int(bytes.size()));
    return bytes;
}

int EncodeGif(const vtool::Args& args) {
    const auto positional = vtool::Positional(args, {});
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: vtool encode-gif IN OUT [--rle]\n");
        return 2;
    }
    image::RegisterImageLoaders();
    const auto compression =
        vtool::HasFlag(args, "--rle") ? image::TGIFCompression::gcRLE : image::TGIFCompression::gcLZW;
    try {
        int width = 0, height = 0, frames = 1;
        if (IsGif(positional[0])) {
            image::TGIFImage gif;
            LoadGif(positional[0], gif);
            gif.SetCompression(compression);
            gif.SaveToFile(positional[1]);
            width = gif.Width();
            height = gif.Height();
            frames = gif.Images().Count();
        } else {
            image::DefaultCompressionMethod = compression;
            platform::WriteFileAtomic(positional[1], SavePicture(positional[0], width, height));
        }
        std::printf("%dx%d %d frame(s), %llu bytes\n", width, height, frames,
                    static_cast<unsigned long long>(std::filesystem::file_size(positional[1])));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtool encode-gif: %s\n", e.what());
        return 1;
    }
    return 0;
}

const vtool::Register reg("encode-gif", "IN OUT [--rle]", EncodeGif);

} // namespace
