// PNG decoding and encoding: ours against libpng (and libspng for decoding)
// on the same files in one run.
//
// Images (made here with libpng at its default settings, so every machine
// measures the same):
//   0 rgb:     2000 x 2000, 24-bit; smooth waves with sensor-like noise, the
//              adaptive filters libpng picks for colour images
//   1 palette: 1000 x 1000, 8-bit palette; a smooth picture reduced to 256
//              colours, filter None as libpng chooses for palettes
// Decoding delivers each library's plain pixel layout (ours: a TLinearBitmap,
// B, G, R or indices; libpng and libspng: R, G, B or indices), with CRC and
// Adler-32 checking on in all three. Encoding compares our default (filter
// mode -1, our deflate) with libpng's default (adaptive filters, zlib level
// 6); the counter "bytes" is the file size.
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <png.h>
#include <random>
#include <spng.h>
#include <string>
#include <vector>

namespace {

struct TPicture {
    int width;
    int height;
    bool palette;
    std::vector<uint8_t> pixels; // R, G, B or indices, rows packed
    std::vector<png_color> colors;
};

TPicture MakePicture(int which) {
    TPicture p;
    p.palette = which == 1;
    p.width = p.height = p.palette ? 1000 : 2000;
    const int channels = p.palette ? 1 : 3;
    p.pixels.resize(size_t(p.width) * size_t(p.height) * size_t(channels));
    std::mt19937 rng(uint32_t(11 + which));
    size_t i = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < channels; ++c) {
                const double v = 128 + 60 * std::sin(x * 0.013 * (c + 1) + y * 0.007) +
                                 40 * std::cos(y * 0.021 - x * 0.004 * c) + double(rng() % 7) - 3;
                p.pixels[i++] = uint8_t(std::clamp(int(v), 0, 255));
            }
    if (p.palette)
        for (int k = 0; k < 256; ++k)
            p.colors.push_back({uint8_t(k), uint8_t(255 - k), uint8_t((k * 7) & 0xFF)});
    return p;
}

const TPicture& Picture(int64_t which) {
    static const TPicture pictures[] = {MakePicture(0), MakePicture(1)};
    return pictures[which];
}

void AppendData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

std::string EncodeLibpng(const TPicture& p) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendData, nullptr);
    png_set_IHDR(png, info, png_uint_32(p.width), png_uint_32(p.height), 8,
                 p.palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (p.palette) png_set_PLTE(png, info, p.colors.data(), int(p.colors.size()));
    png_write_info(png, info);
    const size_t stride = size_t(p.width) * (p.palette ? 1 : 3);
    for (int y = 0; y < p.height; ++y) png_write_row(png, p.pixels.data() + stride * size_t(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

const std::string& File(int64_t which) {
    static const std::string files[] = {EncodeLibpng(Picture(0)), EncodeLibpng(Picture(1))};
    return files[which];
}

image::TLinearBitmap ToBitmap(const TPicture& p) {
    image::TLinearBitmap b;
    b.New(p.width, p.height, p.palette ? image::TPixelFormat::pf8bit : image::TPixelFormat::pf24bit);
    const size_t n = size_t(p.width) * size_t(p.height);
    if (p.palette) {
        std::memcpy(b.Map(), p.pixels.data(), n);
        for (int k = 0; k < 256; ++k) {
            b.Palette()[3 * k] = p.colors[size_t(k)].blue;
            b.Palette()[3 * k + 1] = p.colors[size_t(k)].green;
            b.Palette()[3 * k + 2] = p.colors[size_t(k)].red;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            b.Map()[3 * i] = p.pixels[3 * i + 2];
            b.Map()[3 * i + 1] = p.pixels[3 * i + 1];
            b.Map()[3 * i + 2] = p.pixels[3 * i];
        }
    }
    return b;
}

void Label(benchmark::State& state) {
    const TPicture& p = Picture(state.range(0));
    state.SetLabel(p.palette ? "palette" : "rgb");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.pixels.size()));
}

// --- Decoding ------------------------------------------------------------------

void BM_PngDecode_Ours(benchmark::State& state) {
    const std::string& file = File(state.range(0));
    image::TMemStream stream;
    stream.Write(file.data(), int(file.size()));
    image::TPNGLoader loader;
    image::TLinearBitmap bitmap;
    for (auto _ : state) {
        stream.SetPosition(0);
        loader.LoadFromStream(stream, "PNG", bitmap);
        benchmark::DoNotOptimize(bitmap.Map());
    }
    if (bitmap.Size() != int64_t(Picture(state.range(0)).pixels.size())) state.SkipWithError("wrong output");
    Label(state);
}

struct TReadState {
    const std::string* file;
    size_t pos;
};

void ReadData(png_structp png, png_bytep out, png_size_t count) {
    auto* s = static_cast<TReadState*>(png_get_io_ptr(png));
    if (s->pos + count > s->file->size()) png_error(png, "Read past the end");
    std::memcpy(out, s->file->data() + s->pos, count);
    s->pos += count;
}

bool DecodeLibpng(const std::string& file, std::vector<uint8_t>& out) {
    TReadState state{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &state, ReadData);
    png_read_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    out.resize(stride * height);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, out.data() + stride * y, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void BM_PngDecode_Libpng(benchmark::State& state) {
    const std::string& file = File(state.range(0));
    std::vector<uint8_t> out;
    for (auto _ : state) {
        if (!DecodeLibpng(file, out)) state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(out.data());
    }
    if (out != Picture(state.range(0)).pixels) state.SkipWithError("wrong output");
    Label(state);
}

void BM_PngDecode_Spng(benchmark::State& state) {
    const std::string& file = File(state.range(0));
    std::vector<uint8_t> out(Picture(state.range(0)).pixels.size());
    for (auto _ : state) {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, file.data(), file.size());
        if (spng_decode_image(ctx, out.data(), out.size(), SPNG_FMT_PNG, 0) != 0) state.SkipWithError("libspng failed");
        spng_ctx_free(ctx);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != Picture(state.range(0)).pixels) state.SkipWithError("wrong output");
    Label(state);
}

// --- Encoding ------------------------------------------------------------------

void BM_PngEncode_Ours(benchmark::State& state) {
    const image::TLinearBitmap bitmap = ToBitmap(Picture(state.range(0)));
    image::TPNGLoader loader;
    int64_t size = 0;
    for (auto _ : state) {
        image::TMemStream out;
        loader.SaveToStream(out, "PNG", bitmap);
        size = out.GetSize();
    }
    state.counters["bytes"] = double(size);
    Label(state);
}

void BM_PngEncode_Libpng(benchmark::State& state) {
    const TPicture& p = Picture(state.range(0));
    size_t size = 0;
    for (auto _ : state) size = EncodeLibpng(p).size();
    state.counters["bytes"] = double(size);
    Label(state);
}

BENCHMARK(BM_PngDecode_Ours)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode_Libpng)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode_Spng)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode_Ours)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode_Libpng)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
