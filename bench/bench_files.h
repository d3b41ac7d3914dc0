// What the benchmarks share: a scratch directory, which is also the current
// directory (the working files go there), noisy pictures and the peak memory.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/bytes.h"
#include "engine/files.h"

namespace bench {

// In $TMPDIR when it is set, so that a run can choose the file system it
// measures; /tmp otherwise. Removed with all it holds when the program ends.
inline const std::string& WorkDir() {
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zelmar-bench-XXXXXX";
        if (!::mkdtemp(path.data()) || ::chdir(path.c_str()) != 0) std::abort();
        return path;
    }();
    // Registered once the name is made, so that it runs while the name lives.
    static const int removed = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(WorkDir(), ignored);
    });
    static_cast<void>(removed);
    return dir;
}

// A 24-bit picture with detail everywhere, so that diffusion has work to do;
// written into the scratch directory, its path returned.
inline std::string NoiseBmp(const std::string& name, int w, int h) {
    const std::string path = WorkDir() + "/" + name;
    const int stride = (3 * w + 3) & ~3;
    zelmar::Bytes file = {'B', 'M'};
    const auto put32 = [&file](std::uint32_t v) { zelmar::PutU32(file, v); };
    put32(54 + stride * h), put32(0), put32(54), put32(40), put32(w), put32(h);
    put32(1 | 24 << 16), put32(0), put32(stride * h), put32(0), put32(0), put32(0), put32(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < stride; ++x)
            file.push_back(static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x * y >> 6)));
    }
    if (zelmar::files::Replace(path, file)) std::abort();
    return path;
}

// The repetitions' fastest, reported beside their median and mean
// (->Apply(bench::Fastest)).
inline double Minimum(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
inline void Fastest(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("min", Minimum);
}

inline double PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

}  // namespace bench
