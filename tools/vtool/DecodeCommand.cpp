// vtool decode FILE [--frame N] [--out OUT.ppm]
// Loads FILE through the loader registry, chosen by its extension as the
// program chooses, and prints "WIDTHxHEIGHT FORMAT" (the bitmap's pixel
// format number: 3 palette, 5 16-bit grey, 6 24-bit, 7 32-bit). A GIF with
// --frame N gives frame N (from 0) composited as the screen shows it after
// the frames before it, on the logical screen's background colour (format
// 7); without --frame the loader gives the first frame. With --out
// the pixels are written as a binary PPM (P6, 8-bit RGB): palettes expanded,
// 16-bit grey as its high byte. A file that cannot be read prints the cause
// as the program words it; any other failure prints the error text. Either
// goes to standard error and exits with 1.
#include "Command.h"

#include "image/ImageLoaders.h"
#include "image/TLinearBitmap.h"
#include "image/gif/TGIFImage.h"
#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ToPPM(const image::TLinearBitmap& bitmap) {
    using image::TPixelFormat;
    const int w = bitmap.Width(), h = bitmap.Height();
    std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    const size_t header = out.size();
    out.resize(header + size_t(w) * size_t(h) * 3);
    auto* dst = reinterpret_cast<uint8_t*>(out.data() + header);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, dst += 3) {
            switch (bitmap.PixelFormat()) {
            case TPixelFormat::pf8bit: {
                const uint8_t* bgr = bitmap.Palette() + 3 * src[x];
                dst[0] = bgr[2], dst[1] = bgr[1], dst[2] = bgr[0];
                break;
            }
            case TPixelFormat::pf16bit: dst[0] = dst[1] = dst[2] = src[2 * x + 1]; break;
            case TPixelFormat::pf24bit: dst[0] = src[3 * x + 2], dst[1] = src[3 * x + 1], dst[2] = src[3 * x]; break;
            default: dst[0] = src[4 * x + 2], dst[1] = src[4 * x + 1], dst[2] = src[4 * x]; break;
            }
        }
    }
    return out;
}

// The errno of opening `path` for reading (EISDIR for a folder), 0 when it
// can be read.
int ReadError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    const int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    ::close(fd);
    return err;
}

// Frame `index` of the GIF file, composited.
void LoadGifFrame(const std::string& path, int index, image::TLinearBitmap& bitmap) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
    image::TGIFImage gif;
    // The frames after it do not change what it shows.
    gif.SetFrameLimit(index + 1);
    gif.LoadFromStream(file);
    const QImage frame = image::TGIFPainter::CompositeFrame(gif, index, false);
    if (frame.isNull()) throw std::runtime_error("No frame " + std::to_string(index));
    // The frames' pixels go before the picture is copied.
    gif.Clear();
    bitmap.Assign(frame);
}

int Decode(const vtool::Args& args) {
    const auto positional = vtool::Positional(args, {"--out", "--frame"});
    const std::string frame = vtool::Option(args, "--frame");
    const bool badFrame = vtool::HasFlag(args, "--frame") &&
                          (frame.empty() || frame.find_first_not_of("0123456789") != std::string::npos || frame.size() > 6);
    if (positional.size() != 1 || (vtool::HasFlag(args, "--out") && vtool::Option(args, "--out").empty()) || badFrame) {
        std::fprintf(stderr, "usage: vtool decode FILE [--frame N] [--out OUT.ppm]\n");
        return 2;
    }
    image::RegisterImageLoaders();
    // A file that cannot be read says why, whatever its name would pick.
    if (const int err = ReadError(positional[0])) {
        std::fprintf(stderr, "vtool decode: %s\n", platform::NotReadText(positional[0], err).c_str());
        return 1;
    }
    try {
        image::TLinearBitmap bitmap;
        if (vtool::HasFlag(args, "--frame"))
            LoadGifFrame(positional[0], std::stoi(frame), bitmap);
        else
            bitmap.LoadFromFile(positional[0]);
        if (!bitmap.Present()) throw std::runtime_error("Error in bitmap data");
        std::printf("%dx%d %d\n", bitmap.Width(), bitmap.Height(), static_cast<int>(bitmap.PixelFormat()));
        const std::string out = vtool::Option(args, "--out");
        if (!out.empty()) platform::WriteFileAtomic(out, ToPPM(bitmap));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtool decode: %s\n", e.what());
        return 1;
    }
    return 0;
}

const vtool::Register reg("decode", "FILE [--frame N] [--out OUT.ppm]", Decode);

} // namespace
