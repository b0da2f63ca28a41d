// libFuzzer target: the GIF reader on any bytes, and the writer on what it
// read. A GIF that reads must write, and what is written must read back to
// the same picture: the screen, the colour tables, and every frame with its
// place, pixels, colours and extensions.
#include "FuzzSupport.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFExtension.h"
#include "image/gif/TGIFImage.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

// `b` holds `a`'s colours (the writer pads a table to cover pixels that
// point past it).
bool SameTable(const image::TGIFColorMap& a, const image::TGIFColorMap& b) {
    if (a.Count() > b.Count() || (a.Count() == 0) != (b.Count() == 0)) return false;
    for (int i = 0; i < a.Count(); ++i) {
        const image::TGIFColor &x = a.Entry(i), &y = b.Entry(i);
        if (x.Red != y.Red || x.Green != y.Green || x.Blue != y.Blue) return false;
    }
    return true;
}

bool SamePixels(const image::TGIFSubImage& a, const image::TGIFSubImage& b) {
    // (Interlacing may go: a frame with a local table is written without it.)
    return a.BoundsRect() == b.BoundsRect() && a.Transparent() == b.Transparent() &&
           SameTable(a.ActiveColorMap(), b.ActiveColorMap()) &&
           a.DataSize() == b.DataSize() && std::memcmp(a.Data(), b.Data(), size_t(a.DataSize())) == 0;
}

// The blocks in file order: each extension's label, and '-' for each frame
// with pixels. (Extensions alone before a frame's extensions read as a frame
// of their own, written they join the next frame: the order is what counts.
// Such a frame's graphic control extension is not written, as it would
// govern the next frame's image.)
std::string Blocks(const image::TGIFImage& gif) {
    std::string blocks;
    for (const auto& frame : gif.Images()) {
        for (const auto& extension : frame->Extensions())
            if (!frame->Empty() || extension->GetExtensionType() != image::bsGraphicControlExtension)
                blocks += char(extension->GetExtensionType());
        if (!frame->Empty()) blocks += '-';
    }
    return blocks;
}

void Read(QByteArray bytes, image::TGIFImage& gif) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    gif.LoadFromStream(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    image::TGIFImage gif;
    try {
        Read(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), gif);
    } catch (const std::exception&) {
        return 0;
    }
    // Pictures of more than a few megapixels only slow the fuzzing down.
    int64_t pixels = 0;
    for (const auto& frame : gif.Images()) pixels += frame->DataSize();
    if (gif.Empty() || pixels > (int64_t(4) << 20)) return 0;

    QByteArray written;
    {
        QBuffer buffer(&written);
        buffer.open(QIODevice::WriteOnly);
        try {
            gif.SaveToStream(buffer);
        } catch (const image::GIFException&) {
            // A frame whose pixels its colour table cannot hold is refused.
            return 0;
        }
    }
    image::TGIFImage again;
    try {
        Read(written, again);
    } catch (const std::exception&) {
        std::abort(); // what we wrote must read
    }
    if (again.Width() != gif.Width() || again.Height() != gif.Height() ||
        !SameTable(gif.GlobalColorMap(), again.GlobalColorMap()) || Blocks(again) != Blocks(gif))
        std::abort();
    for (int i = 0, j = 0;; ++i, ++j) {
        while (i < gif.Images().Count() && gif.Images()[i].Empty()) ++i;
        while (j < again.Images().Count() && again.Images()[j].Empty()) ++j;
        if (i >= gif.Images().Count() || j >= again.Images().Count()) break;
        if (!SamePixels(gif.Images()[i], again.Images()[j])) std::abort();
    }
    return 0;
}
