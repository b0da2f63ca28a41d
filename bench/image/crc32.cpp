// CRC-32 as the PNG reader and writer run it over chunk data: ours
// (slicing by 16) against zlib's and libdeflate's.
#include "image/TCRC32Stream.h"
#include "image/TMemStream.h"

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <string>
#include <zlib.h>

namespace {

std::string Data(size_t n) {
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

void BM_CRC32_Ours(benchmark::State& state) {
    const std::string data = Data(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(image::CRC32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_CRC32_Zlib(benchmark::State& state) {
    const std::string data = Data(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_CRC32_Libdeflate(benchmark::State& state) {
    const std::string data = Data(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(libdeflate_crc32(0, data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// Reading a chunk through the CRC filter over a memory stream, as the PNG
// reader does, in 4-byte fields and 8 KiB pieces.
void BM_CRC32Stream_Ours(benchmark::State& state) {
    const std::string data = Data(1 << 20);
    image::TMemStream m;
    m.Write(data.data(), static_cast<int>(data.size()));
    std::string buf(static_cast<size_t>(state.range(0)), '\0');
    for (auto _ : state) {
        m.SetPosition(0);
        image::TCRC32Stream crc(m);
        while (!crc.Eof()) crc.Read(buf.data(), static_cast<int>(buf.size()));
        benchmark::DoNotOptimize(crc.GetCRC());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (1 << 20));
}

} // namespace

BENCHMARK(BM_CRC32_Ours)->Arg(64)->Arg(8192)->Arg(1 << 20);
BENCHMARK(BM_CRC32_Zlib)->Arg(64)->Arg(8192)->Arg(1 << 20);
BENCHMARK(BM_CRC32_Libdeflate)->Arg(64)->Arg(8192)->Arg(1 << 20);
BENCHMARK(BM_CRC32Stream_Ours)->Arg(4)->Arg(8192);

BENCHMARK_MAIN();
