// JPEG loading and saving through the loader (stream in, linear bitmap out)
// against libjpeg called bare on the same bytes with the same settings, to
// show what the loader adds around the codec.
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// A 1024 x 768 photo-like picture (gradients and texture), 24-bit.
const image::TLinearBitmap& Picture() {
    static const image::TLinearBitmap picture = [] {
        image::TLinearBitmap b;
        b.New(1024, 768, image::TPixelFormat::pf24bit);
        uint32_t noise = 2463534242u;
        for (int y = 0; y < b.Height(); ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < b.Width() * 3; ++x) {
                noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
                row[x] = uint8_t((x / 3 + y + (x % 3) * 60) / 3 + noise % 24);
            }
        }
        return b;
    }();
    return picture;
}

std::string Encoded(int quality) {
    image::TJPEGLoader loader;
    loader.SetQuality(quality);
    image::TMemStream stream;
    loader.SaveToStream(stream, "JPG", Picture());
    std::string bytes(size_t(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.Read(bytes.data(), int(bytes.size()));
    return bytes;
}

void BM_JPEGLoad_Ours(benchmark::State& state) {
    const std::string file = Encoded(85);
    image::TMemStream stream;
    stream.Write(file.data(), int(file.size()));
    image::TJPEGLoader loader;
    for (auto _ : state) {
        stream.SetPosition(0);
        image::TLinearBitmap bitmap;
        loader.LoadFromStream(stream, "JPG", bitmap);
        benchmark::DoNotOptimize(bitmap.Map());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_JPEGDecode_Libjpeg(benchmark::State& state) {
    const std::string file = Encoded(85);
    std::vector<uint8_t> pixels(1024 * 768 * 3);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        cinfo.dct_method = JDCT_ISLOW;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * 1024 * 3;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_JPEGSave_Ours(benchmark::State& state) {
    image::TJPEGLoader loader;
    loader.SetQuality(85);
    for (auto _ : state) {
        image::TMemStream stream;
        loader.SaveToStream(stream, "JPG", Picture());
        benchmark::DoNotOptimize(stream.Size());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_JPEGEncode_Libjpeg(benchmark::State& state) {
    const image::TLinearBitmap& picture = Picture();
    for (auto _ : state) {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &out, &size);
        cinfo.image_width = 1024;
        cinfo.image_height = 768;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 85, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(picture.ScanLine(int(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        benchmark::DoNotOptimize(size);
        std::free(out);
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

// The size-limited save: a bisection of several encodings.
void BM_JPEGSaveWithSizeLimit_Ours(benchmark::State& state) {
    const int limit = int(Encoded(40).size());
    for (auto _ : state) {
        image::TJPEGLoader loader;
        loader.SetQuality(90);
        loader.SetMaxFileSize(limit);
        image::TMemStream stream;
        loader.SaveToStream(stream, "JPG", Picture());
        benchmark::DoNotOptimize(stream.Size());
    }
}

} // namespace

BENCHMARK(BM_JPEGLoad_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEGDecode_Libjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEGSave_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEGEncode_Libjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEGSaveWithSizeLimit_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
