// Feeds arbitrary bytes to the BMP reader and, when they are accepted, through
// the whole image preparation and both packers, so every reader of the decoded
// pixels is reached. The files live in memory: nothing touches the disk.
#include <cstdint>
#include <string>

#include "engine/bmp_reader.h"
#include "engine/image_preparation.h"
#include "engine/memory_files.h"
#include "engine/working_files.h"
#include "methods/arguments.h"

namespace {

const std::string kSource = "source.bmp";

zelmar::files::MemoryFileSystem& Files() {
    static zelmar::files::MemoryFileSystem fs;
    static zelmar::files::ScopedFileSystem scope(fs);
    return fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelmar::Bytes file(data, data + size);
    zelmar::BmpSource source;
    if (zelmar::DecodeBmp(file, source) != zelmar::BmpError::kNone) return 0;
    Files().Put(kSource, std::move(file));
    // One record for the process's life, as the USB upload keeps it: a fresh
    // record's megabyte of rasters would cost more than the work on a picture.
    static zelmar::CLogoBitmap bitmap;
    const auto mode = static_cast<int16_t>(size % 3);
    const auto rotation = static_cast<int16_t>(size % 4);
    if (zelmar::PrepareImage(bitmap, kSource, zelmar::PrepareOptionsOf({mode, 12, rotation})) ==
        zelmar::Preparation::kFailed) {
        return 0;
    }
    bitmap.ApplyWaterMarkScreen();
    bitmap.PackTurned(zelmar::files::InCurrentDirectory(zelmar::RotationFile(rotation)));
    bitmap.PackBands();
    return 0;
}
