// Run-length compression of background frames beside a plain memcpy of the
// same bytes: decompression is what the render thread does whenever an
// animation changes frames, compression what importing and loading do.
#include "BenchPictures.h"

#include "model/CompressedPicture.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

const CPicture& Source(int kind)
{
    static const CPicture lowerThird = benchpictures::LowerThird(kWidth, kHeight);
    static const CPicture photo = benchpictures::Photo(kWidth, kHeight);
    return kind == 0 ? lowerThird : photo;
}

const char* Name(int kind)
{
    return kind == 0 ? "lower third" : "photo";
}

void BM_Memcpy(benchmark::State& state)
{
    const CPicture& source = Source(int(state.range(0)));
    std::vector<uint32_t> target(source.pixels.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.pixels.data(), source.RawSize());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.RawSize()));
    state.SetLabel(Name(int(state.range(0))));
}

void BM_Compress(benchmark::State& state)
{
    const CPicture& source = Source(int(state.range(0)));
    int64_t stored = 0;
    for (auto _ : state) {
        CCompressedPicture compressed(source);
        stored = int64_t(compressed.StoredSize());
        benchmark::DoNotOptimize(compressed.data.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.RawSize()));
    state.counters["stored_percent"] = double(stored) * 100.0 / double(source.RawSize());
    state.SetLabel(Name(int(state.range(0))));
}

void BM_Decompress(benchmark::State& state)
{
    const CPicture& source = Source(int(state.range(0)));
    const CCompressedPicture compressed(source);
    CPicture target(kWidth, kHeight);
    for (auto _ : state) {
        compressed.Decompress(target);
        benchmark::DoNotOptimize(target.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.RawSize()));
    state.SetLabel(Name(int(state.range(0))));
}

// 0: lower third, 1: photo. Each codec run sits next to a memcpy of the same frame.
BENCHMARK(BM_Memcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Compress)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Decompress)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
