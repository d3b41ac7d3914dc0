// Load + tone conversion + "Temp.bmp" + rotation file of the largest source
// the engine takes (616 x 648, 24 bits), in both tone methods.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "engine/files.h"
#include "engine/logo_bitmap.h"
#include "methods/image_methods.h"

namespace {

// The benchmarks run in a scratch directory, where the working files go.
const std::string& WorkDir() {
    static const std::string dir = [] {
        char path[] = "/tmp/engine-bench-XXXXXX";
        if (!::mkdtemp(path) || ::chdir(path) != 0) std::abort();
        return std::string(path);
    }();
    return dir;
}

// A 24-bit picture with detail everywhere, so diffusion has work to do.
std::string Source(const std::string& name, int w, int h) {
    const std::string path = WorkDir() + "/" + name;
    const int stride = (3 * w + 3) & ~3;
    zelmar::Bytes file = {'B', 'M'};
    const auto put32 = [&file](std::uint32_t v) { zelmar::PutU32(file, v); };
    put32(54 + stride * h), put32(0), put32(54), put32(40), put32(w), put32(h);
    put32(1 | 24 << 16), put32(0), put32(stride * h), put32(0), put32(0), put32(0), put32(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < stride; ++x) {
            file.push_back(static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x * y >> 6)));
        }
    }
    if (zelmar::files::Replace(path, file)) std::abort();
    return path;
}

std::string LargestSource() {
    static const std::string path = Source("largest.bmp", 616, 648);
    return path;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
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
    state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
    state.counters["record_kb"] =
        sizeof(zelmar::CLogoBitmap) / 1024.0 +
        (zelmar::kStreamBufferSize + 2.0 * zelmar::kRasterRows * zelmar::kRasterStride) / 1024.0;
}

BENCHMARK_TEMPLATE(PrepareLargest, 0)->Name("None")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(PrepareLargest, 1)
    ->Name("ErrorDiffusion")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// A whole FileUpload: two 576 x 200 logos prepared, packed and written.
void FileUploadTwoLogos(benchmark::State& state) {
    static const std::string list =
        Source("top.bmp", 576, 200) + "|" + Source("bottom.bmp", 576, 200) + "|";
    const std::string out = WorkDir() + "/upload.out";
    const zelmar::ImageOptions image{static_cast<int16_t>(state.range(0)), 5, 0};
    for (auto _ : state) {
        if (zelmar::FileUpload(out, list, 0, image, 0, 0, nullptr) != 0) std::abort();
    }
    state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

BENCHMARK(FileUploadTwoLogos)->ArgName("mode")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
