// Deflate and inflate: ours against zlib and libdeflate on the same data.
//
// Data sets (about 1 MiB each, made here so every machine measures the same):
//   0 text:   the licence texts every Debian system ships, cycled with small
//             changes so that no two copies match whole; text made up of
//             words when they are missing
//   1 photo:  the raw 24-bit pixels of a smooth picture with sensor-like noise
//   2 random: random bytes
// Inflate decodes zlib's level-6 output of each set; zlib keeps the random
// set in stored blocks, so set 2 measures the inflation of stored data. Deflate compares our
// dynamic-block encoder with zlib and libdeflate at level 6; the counter
// "ratio" is the compressed size as a fraction of the input, so
// ratio(Ours) / ratio(Zlib) is the size ratio the goals speak of.
#include "image/Adler32.h"
#include "image/TDeflateStream.h"
#include "image/TMemStream.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <libdeflate.h>
#include <random>
#include <sstream>
#include <string>
#include <zlib.h>

namespace {

constexpr size_t DataSize = 1 << 20;

std::string LicenceText() {
    std::string all;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/share/common-licenses", ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        all += s.str();
    }
    return all;
}

std::string MakeText() {
    std::string base = LicenceText();
    if (base.size() < 10000) {
        static const char* words[] = {"the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as",
                                      "was", "with", "be", "by", "on", "not", "this", "are", "or", "from",
                                      "which", "have", "an", "they", "you", "software", "license", "copy",
                                      "program", "work", "terms", "conditions", "distribute", "modify"};
        std::mt19937 rng(7);
        while (base.size() < DataSize) {
            const size_t a = rng() % 35, b = rng() % 35;
            base += words[std::min(a, b)];
            base += rng() % 11 == 0 ? ".\n" : " ";
        }
    }
    std::string s;
    std::mt19937 rng(1);
    while (s.size() < DataSize) {
        std::string copy = base;
        for (int i = 0; i < 200; ++i) copy[rng() % copy.size()] = static_cast<char>('a' + rng() % 26);
        s += copy;
    }
    s.resize(DataSize);
    return s;
}

std::string MakePhoto() {
    const int w = 512, h = int(DataSize / (512 * 3));
    std::mt19937 rng(3);
    std::string s;
    s.reserve(DataSize);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                // Two smooth waves for the scene, a little noise for the sensor.
                const double v = 128 + 60 * std::sin(x * 0.013 * (c + 1) + y * 0.007) +
                                 40 * std::cos(y * 0.021 - x * 0.004 * c) + double(rng() % 7) - 3;
                s += static_cast<char>(std::clamp(int(v), 0, 255));
            }
    s.resize(DataSize, '\0');
    return s;
}

std::string MakeRandom() {
    std::mt19937 rng(5);
    std::string s(DataSize, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

const std::string& Data(int64_t which) {
    static const std::string sets[] = {MakeText(), MakePhoto(), MakeRandom()};
    return sets[which];
}

const char* Name(int64_t which) {
    static const char* names[] = {"text", "photo", "random"};
    return names[which];
}

std::string ZlibCompress(const std::string& data, int level) {
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, uLong(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

const std::string& Compressed(int64_t which) {
    static const std::string sets[] = {ZlibCompress(Data(0), 6), ZlibCompress(Data(1), 6), ZlibCompress(Data(2), 6)};
    return sets[which];
}

// A read-only stream over a string, as a memory stream delivers.
class TStringStream : public image::TBaseStream {
public:
    explicit TStringStream(const std::string& s) : m_s(s) { m_canRead = true; }
    int Write(const void*, int) override { return 0; }
    int Read(void* buf, int count) override {
        const size_t n = std::min(size_t(std::max(count, 0)), m_s.size() - m_pos);
        std::memcpy(buf, m_s.data() + m_pos, n);
        m_pos += n;
        return int(n);
    }
    int64_t Available() const override { return int64_t(m_s.size() - m_pos); }

private:
    const std::string& m_s;
    size_t m_pos = 0;
};

// A write-only stream that counts and keeps nothing.
class TCountStream : public image::TBaseStream {
public:
    TCountStream() { m_canWrite = true; }
    int Write(const void*, int count) override {
        size += size_t(std::max(count, 0));
        return count;
    }
    int Read(void*, int) override { return 0; }
    int64_t Available() const override { return 0; }
    size_t size = 0;
};

void Label(benchmark::State& state) {
    state.SetLabel(Name(state.range(0)));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Data(state.range(0)).size()));
}

// --- Inflate -------------------------------------------------------------------

void BM_Inflate_Ours(benchmark::State& state) {
    const std::string& z = Compressed(state.range(0));
    std::string out(DataSize, '\0');
    for (auto _ : state) {
        TStringStream in(z);
        image::TDeflateStream d(in, image::TDeflateMode::Decompress);
        benchmark::DoNotOptimize(d.Read(out.data(), int(out.size())));
    }
    if (out != Data(state.range(0))) state.SkipWithError("wrong output");
    Label(state);
}

void BM_Inflate_Zlib(benchmark::State& state) {
    const std::string& z = Compressed(state.range(0));
    std::string out(DataSize, '\0');
    for (auto _ : state) {
        z_stream s{};
        inflateInit2(&s, -15);
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
        s.avail_in = uInt(z.size());
        s.next_out = reinterpret_cast<Bytef*>(out.data());
        s.avail_out = uInt(out.size());
        benchmark::DoNotOptimize(inflate(&s, Z_FINISH));
        inflateEnd(&s);
    }
    if (out != Data(state.range(0))) state.SkipWithError("wrong output");
    Label(state);
}

void BM_Inflate_Libdeflate(benchmark::State& state) {
    const std::string& z = Compressed(state.range(0));
    std::string out(DataSize, '\0');
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    for (auto _ : state)
        benchmark::DoNotOptimize(libdeflate_deflate_decompress(d, z.data(), z.size(), out.data(), out.size(), nullptr));
    libdeflate_free_decompressor(d);
    if (out != Data(state.range(0))) state.SkipWithError("wrong output");
    Label(state);
}

// --- Deflate -------------------------------------------------------------------

void Ratio(benchmark::State& state, size_t compressed) {
    state.counters["ratio"] = double(compressed) / double(Data(state.range(0)).size());
}

void BM_Deflate_Ours(benchmark::State& state) {
    const std::string& data = Data(state.range(0));
    size_t size = 0;
    for (auto _ : state) {
        TCountStream out;
        image::TDeflateStream z(out, image::TDeflateMode::Compress);
        z.Write(data.data(), int(data.size()));
        z.Finish();
        size = out.size;
    }
    Ratio(state, size);
    Label(state);
}

void BM_Deflate_Zlib(benchmark::State& state) {
    const std::string& data = Data(state.range(0));
    size_t size = 0;
    for (auto _ : state) size = ZlibCompress(data, 6).size();
    Ratio(state, size);
    Label(state);
}

void BM_Deflate_Libdeflate(benchmark::State& state) {
    const std::string& data = Data(state.range(0));
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    std::string out(libdeflate_deflate_compress_bound(c, data.size()), '\0');
    size_t size = 0;
    for (auto _ : state) size = libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size());
    libdeflate_free_compressor(c);
    Ratio(state, size);
    Label(state);
}

// --- Adler-32, as the PNG reader runs it over the decompressed bytes ------------

void BM_Adler32_Ours(benchmark::State& state) {
    const std::string& data = Data(2);
    for (auto _ : state) benchmark::DoNotOptimize(image::Adler32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void BM_Adler32_Zlib(benchmark::State& state) {
    const std::string& data = Data(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(adler32(1, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

} // namespace

BENCHMARK(BM_Inflate_Ours)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Zlib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Libdeflate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deflate_Ours)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deflate_Zlib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deflate_Libdeflate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adler32_Ours);
BENCHMARK(BM_Adler32_Zlib);

BENCHMARK_MAIN();
