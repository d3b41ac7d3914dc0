// Load + tone conversion + "Temp.bmp" + rotation file of the largest source
// the engine takes (616 x 648, 24 bits), in both tone methods; a whole
// FileUpload of two logos; and each stage of a preparation alone, in
// nanoseconds a pixel.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_files.h"
#include "engine/grey_reader.h"
#include "engine/logo_bitmap.h"
#include "engine/working_files.h"
#include "methods/image_methods.h"

namespace {

using bench::NoiseBmp;
using bench::PeakRssKb;

constexpr int kLargestWidth = 616;
constexpr int kLargestHeight = 648;

std::string LargestSource() {
    static const std::string path = NoiseBmp("largest.bmp", kLargestWidth, kLargestHeight);
    return path;
}

// Seconds a pixel of the largest source (shown with its prefix, n for nanoseconds).
void PerPixel(benchmark::State& state) {
    state.counters["s/pixel"] = benchmark::Counter(
        double{kLargestWidth} * kLargestHeight,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <int kMethod>
void PrepareLargest(benchmark::State& state) {
    const std::string path = LargestSource();
    for (auto _ : state) {
        zelmar::CLogoBitmap bitmap;
        bitmap.LoadSource(path);
        if (kMethod == 0) {
            bitmap.ToneNone(5);
        } else {
            bitmap.ToneDiffuse(5);
        }
        bitmap.WriteDotBitmap();
        bitmap.TurnAndWrite(static_cast<int16_t>(state.range(0)));
        benchmark::DoNotOptimize(bitmap.DotRaster());
    }
    state.counters["pixels/s"] =
        benchmark::Counter(616.0 * 648, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_kb"] = PeakRssKb();
    state.counters["record_kb"] =
        sizeof(zelmar::CLogoBitmap) / 1024.0 +
        (zelmar::kStreamBufferSize + 2.0 * zelmar::kRasterRows * zelmar::kRasterStride) / 1024.0;
}

BENCHMARK_TEMPLATE(PrepareLargest, 0)
    ->Name("None")
    ->Arg(0)
    ->Arg(1)
    ->Apply(bench::Fastest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(PrepareLargest, 1)
    ->Name("ErrorDiffusion")
    ->Arg(0)
    ->Arg(1)
    ->Apply(bench::Fastest)
    ->Unit(benchmark::kMillisecond);

// A whole FileUpload: two 576 x 200 logos prepared, packed and written.
void FileUploadTwoLogos(benchmark::State& state) {
    static const std::string list =
        NoiseBmp("top.bmp", 576, 200) + "|" + NoiseBmp("bottom.bmp", 576, 200) + "|";
    const std::string out = bench::WorkDir() + "/upload.out";
    const zelmar::ImageOptions image{static_cast<int16_t>(state.range(0)), 5, 0};
    for (auto _ : state) {
        if (zelmar::FileUpload(out, list, 0, image, 0, 0, nullptr) != 0) std::abort();
    }
    state.counters["peak_rss_kb"] = PeakRssKb();
}

BENCHMARK(FileUploadTwoLogos)
    ->ArgName("mode")
    ->Arg(0)
    ->Arg(1)
    ->Apply(bench::Fastest)
    ->Unit(benchmark::kMillisecond);

// Grey levels of every stored row, the reader's tables built each time.
void StageGrey(benchmark::State& state) {
    zelmar::Bytes file;
    std::uint64_t size = 0;
    zelmar::BmpSource source;
    if (zelmar::files::ReadPrefix(LargestSource(), SIZE_MAX, file, size) ||
        zelmar::DecodeBmp(file, source) != zelmar::BmpError::kNone)
        std::abort();
    zelmar::Bytes grey(std::size_t{zelmar::kRasterStride} * zelmar::kRasterRows);
    for (auto _ : state) {
        const zelmar::GreyReader reader(source, 0);
        for (int r = 0; r < kLargestHeight; ++r)
            reader.Row(&source.pixels[r * source.header.stride], kLargestWidth,
                       &grey[std::size_t{zelmar::kRasterStride} * r]);
        benchmark::DoNotOptimize(grey.data());
    }
    PerPixel(state);
}
BENCHMARK(StageGrey)->Apply(bench::Fastest)->Unit(benchmark::kMicrosecond);

// One operation again and again on a record that holds the largest source.
template <typename Operation>
void OnLoadedRecord(benchmark::State& state, zelmar::CLogoBitmap& bitmap, Operation operation) {
    if (bitmap.LoadSource(LargestSource()) != zelmar::EngineResult::kDone) std::abort();
    for (auto _ : state)
        benchmark::DoNotOptimize(operation());
    PerPixel(state);
}

// Each tone method, its grey conversion included.
void StageNone(benchmark::State& state) {
    zelmar::CLogoBitmap b;
    OnLoadedRecord(state, b, [&b] { return b.ToneNone(5); });
}
BENCHMARK(StageNone)->Apply(bench::Fastest)->Unit(benchmark::kMicrosecond);

void StageDiffusion(benchmark::State& state) {
    zelmar::CLogoBitmap b;
    OnLoadedRecord(state, b, [&b] { return b.ToneDiffuse(5); });
}
BENCHMARK(StageDiffusion)->Apply(bench::Fastest)->Unit(benchmark::kMicrosecond);

// Turning, the rotation file included.
void StageTurn(benchmark::State& state) {
    const auto rotation = static_cast<int16_t>(state.range(0));
    zelmar::CLogoBitmap b;
    OnLoadedRecord(state, b, [&b, rotation] { return b.TurnAndWrite(rotation); });
}
BENCHMARK(StageTurn)
    ->ArgName("rotation")
    ->Arg(0)
    ->Arg(1)
    ->Apply(bench::Fastest)
    ->Unit(benchmark::kMicrosecond);

// Packing the turned dots, the turned file's header read.
void StagePack(benchmark::State& state) {
    const std::string turned = zelmar::files::InCurrentDirectory(zelmar::RotationFile(0));
    zelmar::CLogoBitmap b;
    OnLoadedRecord(state, b, [&b, &turned, once = true]() mutable {
        if (once && (b.ToneNone(5) != zelmar::EngineResult::kDone ||
                     b.TurnAndWrite(0) != zelmar::EngineResult::kDone))
            std::abort();
        once = false;
        return b.PackTurned(turned);
    });
}
BENCHMARK(StagePack)->Apply(bench::Fastest)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
