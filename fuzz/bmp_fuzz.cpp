// Feeds arbitrary bytes to the BMP reader and, when they are accepted, through
// the whole image preparation, so every reader of the decoded pixels is reached.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/bmp_reader.h"
#include "engine/files.h"
#include "engine/image_preparation.h"

namespace {

std::string SourcePath() {
    static const std::string path = [] {
        char dir[] = "/tmp/bmp-fuzz-XXXXXX";
        if (!::mkdtemp(dir) || ::chdir(dir) != 0) std::abort();
        return std::string(dir) + "/source.bmp";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zelmar::Bytes file(data, data + size);
    zelmar::BmpSource source;
    if (zelmar::DecodeBmp(file, source) != zelmar::BmpError::kNone) return 0;
    if (!zelmar::files::WriteWholeFile(SourcePath(), file)) std::abort();
    zelmar::CLogoBitmap bitmap;
    const auto mode = static_cast<int16_t>(size % 3);
    const auto rotation = static_cast<int16_t>(size % 4);
    zelmar::PrepareImage(bitmap, SourcePath(), {mode, 12, rotation});
    bitmap.ApplyWaterMarkScreen();
    return 0;
}
