// Reducing a 1000 x 1000 photo to 256 colours: ours (ReduceBitmapColors with
// the octree) against libimagequant at its fastest setting (speed 10), both
// without dithering (arg 0) and with error diffusion (arg 1: Floyd-Steinberg
// here, dithering level 1.0 there). Each benchmark reports the mean absolute
// error per channel of its result; after the run the time and error ratios
// of the pairs are printed (wall and CPU time: libimagequant uses threads;
// OMP_NUM_THREADS=1 compares one thread with one thread).
#include "image/TBitmapLoader.h"
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "image/gif/ColorReduction.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <libimagequant.h>
#include <map>
#include <string>
#include <vector>

namespace {

const QImage& Photo() {
    static const QImage photo = [] {
        image::TLinearBitmap bitmap;
        image::TJPEGLoader().LoadFromFile(VELMORA_TEST_SOURCE_DIR "/data/jpeg/dune-1000.jpg", "JPG", bitmap);
        QImage q;
        bitmap.AssignTo(q);
        return q.convertToFormat(QImage::Format_RGB888);
    }();
    return photo;
}

// Mean absolute difference per channel between the photo and `indices`
// shown through `palette` (R, G, B triples).
double MeanError(const uint8_t* indices, int stride, const std::vector<uint8_t>& palette) {
    const QImage& photo = Photo();
    int64_t sum = 0;
    for (int y = 0; y < photo.height(); ++y) {
        const uchar* p = photo.constScanLine(y);
        const uint8_t* row = indices + int64_t(y) * stride;
        for (int x = 0; x < photo.width(); ++x)
            for (int c = 0; c < 3; ++c) sum += std::abs(int(p[3 * x + c]) - palette[3 * row[x] + size_t(c)]);
    }
    return double(sum) / (3.0 * photo.width() * photo.height());
}

void BM_Reduce256_Ours(benchmark::State& state) {
    const QImage& photo = Photo();
    const auto dither = state.range(0) ? image::TDitherMode::DitherFloydSteinberg : image::TDitherMode::DitherNone;
    QImage result;
    for (auto _ : state) {
        result = image::ReduceBitmapColors(photo, image::TColorReduction::ReduceOctree, dither, 8);
        benchmark::DoNotOptimize(result.constBits());
    }
    std::vector<uint8_t> palette;
    for (QRgb c : result.colorTable()) palette.insert(palette.end(), {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))});
    palette.resize(768);
    state.counters["mean_error"] = MeanError(result.constBits(), int(result.bytesPerLine()), palette);
    state.counters["colors"] = double(result.colorCount());
}

void BM_Reduce256_Imagequant(benchmark::State& state) {
    const QImage rgba = Photo().convertToFormat(QImage::Format_RGBA8888);
    const int w = rgba.width(), h = rgba.height();
    std::vector<uint8_t> out(size_t(w) * size_t(h));
    std::vector<uint8_t> palette(768);
    int colors = 0;
    for (auto _ : state) {
        liq_attr* attr = liq_attr_create();
        liq_set_speed(attr, 10);
        liq_set_max_colors(attr, 256);
        liq_image* img = liq_image_create_rgba(attr, rgba.constBits(), w, h, 0);
        liq_result* res = nullptr;
        if (liq_image_quantize(img, attr, &res) != LIQ_OK) {
            state.SkipWithError("libimagequant failed");
            break;
        }
        liq_set_dithering_level(res, state.range(0) ? 1.0f : 0.0f);
        liq_write_remapped_image(res, img, out.data(), out.size());
        const liq_palette* pal = liq_get_palette(res);
        colors = int(pal->count);
        for (unsigned i = 0; i < pal->count; ++i) {
            palette[3 * i] = pal->entries[i].r;
            palette[3 * i + 1] = pal->entries[i].g;
            palette[3 * i + 2] = pal->entries[i].b;
        }
        liq_result_destroy(res);
        liq_image_destroy(img);
        liq_attr_destroy(attr);
    }
    state.counters["mean_error"] = MeanError(out.data(), w, palette);
    state.counters["colors"] = colors;
}

// Prints the usual table, then ours / theirs for time and error per pair.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto error = run.counters.find("mean_error");
            m_results[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(),
                                               error == run.counters.end() ? 0.0 : double(error->second)};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* arg : {"0", "1"}) {
            const auto ours = m_results.find(std::string("BM_Reduce256_Ours/") + arg);
            const auto theirs = m_results.find(std::string("BM_Reduce256_Imagequant/") + arg);
            if (ours == m_results.end() || theirs == m_results.end()) continue;
            // libimagequant spreads its work over threads, so CPU time is
            // shown beside wall time.
            std::printf("%s: libimagequant / ours: wall time %.2fx, CPU time %.2fx; mean error ours %.2f, "
                        "libimagequant %.2f\n",
                        *arg == '0' ? "no dithering" : "dithered", theirs->second.Real / ours->second.Real,
                        theirs->second.Cpu / ours->second.Cpu, ours->second.Error, theirs->second.Error);
        }
    }

private:
    struct Result {
        double Real, Cpu, Error;
    };
    std::map<std::string, Result> m_results;
};

} // namespace

BENCHMARK(BM_Reduce256_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reduce256_Imagequant)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
