// Decoding a large GIF (1000 x 1000, 256 colours, made with giflib's EGif):
// ours (TGIFImage::LoadFromStream over a QBuffer) against giflib's
// DGifSlurp reading from memory. Encoding the same frame: ours
// (TGIFImage::SaveToStream into a QBuffer, LZW and run-length) against
// giflib's EGif writing to memory; the "bytes" counters give the sizes and
// "size_vs_giflib" our output's size over giflib's.
// Arg 0: a photo-like picture (smooth shapes with some noise); arg 1: random
// pixels (short strings, the hardest case for both); arg 2 (decoding only):
// the photo-like picture interlaced.
// Decoding from a file measures the whole read as a program meets it: ours
// opens the library's TFileStream and reads through the adapter the GIF
// loader uses; giflib opens the file with DGifOpenFileName (stdio).
#include "image/TFileStream.h"
#include "image/THostFilterStream.h"
#include "image/TSeekableHostStream.h"
#include "image/TLinearBitmap.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gif_lib.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Side = 1000;

int WriteToString(GifFileType* gif, const GifByteType* buf, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(buf), size_t(count));
    return count;
}

struct MemoryReader {
    const std::string* Data;
    size_t Pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buf, int count) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    const size_t n = std::min(size_t(count), r->Data->size() - r->Pos);
    std::memcpy(buf, r->Data->data() + r->Pos, n);
    r->Pos += n;
    return int(n);
}

std::vector<uint8_t> Picture(bool random) {
    std::vector<uint8_t> p(size_t(Side) * Side);
    std::mt19937 rng(42);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            int v;
            if (random) {
                v = int(rng() & 0xFF);
            } else {
                const double s = std::sin(x / 37.0) * std::cos(y / 53.0) + std::sin((x + y) / 91.0);
                v = int((s + 2.0) * 63.0) + int(rng() % 3);
            }
            p[size_t(y) * Side + size_t(x)] = uint8_t(std::clamp(v, 0, 255));
        }
    return p;
}

const std::string& Gif(int kind) {
    static std::string made[3];
    std::string& out = made[kind];
    if (!out.empty()) return out;
    const bool interlaced = kind == 2;
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i) colors[size_t(i)] = {GifByteType(i), GifByteType(255 - i), GifByteType(i / 2)};
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToString, &err);
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifPutScreenDesc(gif, Side, Side, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, Side, Side, interlaced, nullptr);
    std::vector<uint8_t> pixels = Picture(kind == 1);
    static constexpr int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? Start[pass] : 0; y < Side; y += interlaced ? Step[pass] : 1)
            EGifPutLine(gif, pixels.data() + size_t(y) * Side, Side);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

void BM_GifDecode_Ours(benchmark::State& state) {
    const std::string& bytes = Gif(int(state.range(0)));
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        image::TGIFImage image;
        image.LoadFromStream(buffer);
        benchmark::DoNotOptimize(image.Images()[0].Data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
    state.counters["gif_bytes"] = double(bytes.size());
}

// What a photo costs the program: decoding into the still picture, through
// the GIF loader.
void BM_GifLoader_Ours(benchmark::State& state) {
    const std::string& bytes = Gif(int(state.range(0)));
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    image::TGIFLoader loader;
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        image::THostFilterStream stream(buffer);
        image::TLinearBitmap bitmap;
        loader.LoadFromStream(stream, "GIF", bitmap);
        benchmark::DoNotOptimize(bitmap.Map());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
}

void BM_GifDecode_Giflib(benchmark::State& state) {
    const std::string& bytes = Gif(int(state.range(0)));
    for (auto _ : state) {
        MemoryReader reader{&bytes, 0};
        int err = 0;
        GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &err);
        if (DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &err);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
}

// The GIF written to a file once (removed at exit).
const std::string& GifFile(bool random) {
    static std::string paths[2];
    std::string& path = paths[random ? 1 : 0];
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() /
            ("velmora-bench-" + std::to_string(::getpid()) + (random ? "-random.gif" : "-photo.gif")))
               .string();
    std::ofstream(path, std::ios::binary) << Gif(random);
    static struct Cleanup {
        ~Cleanup() {
            for (const std::string& p : paths)
                if (!p.empty()) std::remove(p.c_str());
        }
    } cleanup;
    return path;
}

void BM_GifDecodeFile_Ours(benchmark::State& state) {
    const std::string& path = GifFile(state.range(0) != 0);
    for (auto _ : state) {
        image::TFileStream file(path, image::TFileStream::fmRead | image::TFileStream::fmShareRead);
        image::TSeekableHostStream host(file);
        image::TGIFImage image;
        image.LoadFromStream(host);
        benchmark::DoNotOptimize(image.Images()[0].Data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
}

void BM_GifDecodeFile_Giflib(benchmark::State& state) {
    const std::string& path = GifFile(state.range(0) != 0);
    for (auto _ : state) {
        int err = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
        if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &err);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
}

// The frame as our block tree, made once.
const image::TGIFImage& Image(bool random) {
    static std::unique_ptr<image::TGIFImage> made[2];
    auto& image = made[random ? 1 : 0];
    if (image) return *image;
    image = std::make_unique<image::TGIFImage>();
    for (int i = 0; i < 256; ++i)
        image->GlobalColorMap().Add(image::RGBColor(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)));
    auto frame = std::make_unique<image::TGIFSubImage>(image.get());
    frame->SetBounds(0, 0, Side, Side);
    const std::vector<uint8_t> pixels = Picture(random);
    std::copy(pixels.begin(), pixels.end(), frame->Scanline(0));
    image->Images().Add(std::move(frame));
    return *image;
}

// The frame encoded by giflib's EGif into `out`.
void EncodeGiflib(const uint8_t* pixels, ColorMapObject* map, std::string& out) {
    out.clear();
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToString, &err);
    EGifPutScreenDesc(gif, Side, Side, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, Side, Side, false, nullptr);
    for (int y = 0; y < Side; ++y) EGifPutLine(gif, const_cast<uint8_t*>(pixels) + size_t(y) * Side, Side);
    EGifCloseFile(gif, &err);
}

ColorMapObject* GiflibColors() {
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i) colors[size_t(i)] = {GifByteType(i), GifByteType(255 - i), GifByteType(i / 2)};
    return GifMakeMapObject(256, colors.data());
}

double GiflibBytes(bool random) {
    static double bytes[2];
    double& b = bytes[random ? 1 : 0];
    if (b == 0) {
        ColorMapObject* map = GiflibColors();
        std::string out;
        EncodeGiflib(Image(random).Images()[0].Data(), map, out);
        GifFreeMapObject(map);
        b = double(out.size());
    }
    return b;
}

void EncodeOurs(benchmark::State& state, image::TGIFCompression compression) {
    auto& image = const_cast<image::TGIFImage&>(Image(state.range(0) != 0));
    image.SetCompression(compression);
    QByteArray data;
    data.reserve(2 * Side * Side);  // kept between runs, as giflib's string is
    for (auto _ : state) {
        data.resize(0);
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.SaveToStream(buffer);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
    state.counters["bytes"] = double(data.size());
    state.counters["size_vs_giflib"] = double(data.size()) / GiflibBytes(state.range(0) != 0);
}

void BM_GifEncode_Ours(benchmark::State& state) { EncodeOurs(state, image::TGIFCompression::gcLZW); }
void BM_GifEncode_OursRLE(benchmark::State& state) { EncodeOurs(state, image::TGIFCompression::gcRLE); }

void BM_GifEncode_Giflib(benchmark::State& state) {
    const uint8_t* pixels = Image(state.range(0) != 0).Images()[0].Data();
    ColorMapObject* map = GiflibColors();
    std::string out;
    for (auto _ : state) {
        EncodeGiflib(pixels, map, out);
        benchmark::DoNotOptimize(out.data());
    }
    GifFreeMapObject(map);
    state.SetItemsProcessed(int64_t(state.iterations()) * Side * Side);
    state.counters["bytes"] = double(out.size());
}

// A frame drawn tiled, as the painter and the still picture draw it, on a
// 37 x 23 canvas. Arg 0: the screen: 0 is 65535 x 65535 with a 1 x 1 frame
// in its far corner and a 2 x 2 one at the origin (a 74-byte file), 1 the
// same on 5000 x 5000, 2 a 1 x 1 screen under a 1500 x 1500 frame, 3 a 16 x 16
// screen and frame. Arg 1: the frame; arg 2: drawn through its mask.
image::TGIFImage& TiledImage(int kind) {
    static std::unique_ptr<image::TGIFImage> made[4];
    auto& image = made[kind];
    if (image) return *image;
    image = std::make_unique<image::TGIFImage>();
    image->GlobalColorMap().Add(image::RGBColor(255, 0, 0));
    image->GlobalColorMap().Add(image::RGBColor(0, 0, 255));
    const int far[] = {65534, 4999};
    std::vector<QRect> frames;
    if (kind < 2) frames = {QRect(far[kind], far[kind], 1, 1), QRect(0, 0, 2, 2)};
    if (kind == 2) frames = {QRect(0, 0, 1500, 1500)};
    if (kind == 3) frames = {QRect(0, 0, 16, 16)};
    for (const QRect& r : frames) {
        auto frame = std::make_unique<image::TGIFSubImage>(image.get());
        frame->SetBounds(r.x(), r.y(), r.width(), r.height());
        for (int i = 0; i < r.width() * r.height(); ++i) frame->Scanline(0)[i] = uint8_t((i / 3) & 1);
        frame->Extensions().Add(std::make_unique<image::TGIFGraphicControlExtension>(frame.get()));
        frame->GraphicControlExtension()->SetTransparentColorIndex(0);
        frame->GraphicControlExtension()->SetTransparent(true);
        image->Images().Add(std::move(frame));
    }
    const int screen[] = {65535, 5000, 1, 16};
    image->Header().SetWidth(screen[kind]);
    image->Header().SetHeight(screen[kind]);
    return *image;
}

void BM_GifTiledDraw(benchmark::State& state) {
    image::TGIFImage& gif = TiledImage(int(state.range(0)));
    image::TGIFSubImage& frame = gif.Images()[int(state.range(1)) % gif.Images().Count()];
    QImage canvas(37, 23, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&canvas);
        frame.Draw(painter, canvas.rect(), state.range(2) != 0, true);
    }
}

// A 1 x 1 frame tiled over a 1920 x 1080 canvas: two million tiles. Arg 0:
// the screen, 1 x 1 (tiles touching) or 2 x 2 (every other pixel left
// alone); arg 1: drawn through its mask.
void BM_GifTiledDrawFullHD(benchmark::State& state) {
    image::TGIFImage gif;
    gif.GlobalColorMap().Add(image::RGBColor(255, 0, 0));
    gif.GlobalColorMap().Add(image::RGBColor(0, 0, 255));
    auto frame = std::make_unique<image::TGIFSubImage>(&gif);
    frame->SetBounds(0, 0, 1, 1);
    frame->Scanline(0)[0] = 1;
    frame->Extensions().Add(std::make_unique<image::TGIFGraphicControlExtension>(frame.get()));
    frame->GraphicControlExtension()->SetTransparent(true);
    gif.Images().Add(std::move(frame));
    gif.Header().SetWidth(int(state.range(0)));
    gif.Header().SetHeight(int(state.range(0)));
    QImage canvas(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&canvas);
        gif.Images()[0].Draw(painter, canvas.rect(), state.range(1) != 0, true);
    }
}

} // namespace

BENCHMARK(BM_GifTiledDrawFullHD)->ArgsProduct({{1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifTiledDraw)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_GifEncode_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncode_OursRLE)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncode_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecode_Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifLoader_Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecode_Giflib)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeFile_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeFile_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
