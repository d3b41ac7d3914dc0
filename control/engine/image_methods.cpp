#include "image_methods.h"

#include "files.h"
#include "working_files.h"

namespace zelmar {

namespace {

// Headers and the largest colour table fit well within this.
constexpr std::size_t kHeaderBytes = 4096;

}  // namespace

BmpError ReadBmpInfo(const std::string& path, BmpHeader& header) {
    Bytes head;
    std::uint64_t fileSize = 0;
    if (!files::ReadPrefix(path, kHeaderBytes, head, fileSize)) return BmpError::kCannotOpen;
    return ParseBmpHeader(head, fileSize, header);
}

int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height, int32_t& width) {
    BmpHeader header;
    if (ReadBmpInfo(path, header) != BmpError::kNone) return -1;
    bitsPixel = header.depth;
    height = header.height;
    width = header.width;
    return 0;
}

std::string Preview(const std::string& path, const ImageOptions& options, MessageSink* messages) {
    CLogoBitmap bitmap(messages);
    const Preparation prepared = PrepareImage(bitmap, path, options);
    if (prepared == Preparation::kFailed) return {};
    if (prepared == Preparation::kTwoColour) bitmap.CopyTwoColour(path);
    if (options.imageMode != 2) return files::InCurrentDirectory(working_file::kTemp);
    const std::string_view shown = RotationFile(options.rotation);
    return shown.empty() ? std::string() : files::InCurrentDirectory(shown);
}

}  // namespace zelmar
