#include "logo_bitmap.h"

#include <algorithm>
#include <cstring>

#include "files.h"
#include "working_files.h"

namespace zelmar {

namespace {

// The headers and rows of the largest source the rasters hold (32 bits per
// pixel); longer files are read this far and judged by their header.
constexpr std::size_t kMaxSourceFileBytes =
    kMaxDataOffset + std::size_t{4} * kMaxSourceWidth * kMaxSourceHeight;

// Headers and the largest colour table fit well within this.
constexpr std::size_t kHeaderBytes = 4096;

// Reads and decodes a source as LoadSource takes it; the headers are judged
// first, so that a picture too large for the rasters is named so.
SourceError ReadSource(const std::string& path, BmpSource& source) {
    Bytes file;
    std::uint64_t fileSize = 0;
    SourceError error =
        SourceError::File(files::ReadPrefix(path, kMaxSourceFileBytes, file, fileSize));
    BmpHeader header;
    if (!error) error = SourceError::Unreadable(ParseBmpHeader(file, fileSize, header));
    if (!error) error = FitsTheRasters(header);
    StreamPlace place;
    if (!error) error = SourceError::Unreadable(DecodeBmp(file, source, &place), place);
    return error;
}

}  // namespace

std::string Describe(const SourceError& error) {
    switch (error.kind) {
        case SourceError::Kind::kNone:
            return "no error";
        case SourceError::Kind::kFile:
            return files::Describe(error.file);
        case SourceError::Kind::kUnreadable:
            return Describe(error.bmp, error.place);
        case SourceError::Kind::kTooLarge:
            return "the picture is larger than " + std::to_string(kMaxSourceWidth) + " x " +
                   std::to_string(kMaxSourceHeight) + " pixels";
    }
    return "unknown error";
}

std::string Describe(const FileFault& fault) {
    std::string text = fault.path + ": ";
    if (fault.source) return text + Describe(fault.source);
    if (fault.output) return text + "cannot be written: " + files::Describe(fault.output);
    if (!fault.clash.empty()) return text + "names " + fault.clash + ", which it must not replace";
    return text + "no error";
}

SourceError FitsTheRasters(const BmpHeader& header) {
    return header.width > kMaxSourceWidth || header.height > kMaxSourceHeight
               ? SourceError::TooLarge()
               : SourceError{};
}

SourceError CheckSource(const std::string& path) {
    BmpHeader header;
    SourceError error = ReadBmpInfo(path, header);
    if (!error) error = FitsTheRasters(header);
    // Run-length data is judged only by decoding it.
    BmpSource source;
    if (!error && RunLengthEncoded(header)) error = ReadSource(path, source);
    return error;
}

SourceError ReadBmpInfo(const std::string& path, BmpHeader& header) {
    Bytes head;
    std::uint64_t fileSize = 0;
    if (files::FileError e = files::ReadPrefix(path, kHeaderBytes, head, fileSize)) {
        return SourceError::File(e);
    }
    return SourceError::Unreadable(ParseBmpHeader(head, fileSize, header));
}

std::uint8_t* TurnedRaster() {
    static Bytes raster(static_cast<std::size_t>(kTurnedStride) * kTurnedRows, 0);
    return raster.data();
}

std::uint8_t* ColourCopy() {
    static Bytes copy(static_cast<std::size_t>(kColourCopyStride) * kColourCopyRows, 0);
    return copy.data();
}

namespace {

// The rows of the colour copy, and the bytes of each, written since it was
// last cleared.
int32_t colourCopyRows = 0;
int32_t colourCopyBytes = 0;

}  // namespace

void NoteColourCopyUse(int32_t rows, int32_t bytes) {
    colourCopyRows = std::max(colourCopyRows, rows);
    colourCopyBytes = std::max(colourCopyBytes, bytes);
}

void ClearColourCopy() {
    std::uint8_t* copy = ColourCopy();
    for (int32_t r = 0; r < colourCopyRows; ++r) {
        std::memset(copy + static_cast<std::size_t>(r) * kColourCopyStride, 0,
                    static_cast<std::size_t>(colourCopyBytes));
    }
    colourCopyRows = colourCopyBytes = 0;
}

CLogoBitmap::CLogoBitmap(MessageSink* messages)
    : messages_(messages),
      stream_(kStreamBufferSize, 0),
      grey_(static_cast<std::size_t>(kRasterRows) * kRasterStride, 0),
      dots_(static_cast<std::size_t>(kRasterRows) * kRasterStride, 0) {
    ClearColourCopy();
}

bool CLogoBitmap::IsToneSource(const std::string& path) {
    streamLength_ = 0;
    BmpHeader header;
    // Every depth but 1 is converted by its colour.
    return !ReadBmpInfo(path, header) && header.depth != 1;
}

bool CLogoBitmap::IsWhiteFirst(const std::string& path) {
    streamLength_ = 0;
    BmpSource source;
    if (ReadSource(path, source)) return false;
    const Bgr c = LeadingColour(source);
    return c.b == 0xFF && c.g == 0xFF && c.r == 0xFF;
}

void CLogoBitmap::Release() {
    source_.reset();
    pixels_ = nullptr;
    width_ = height_ = stride_ = 0;
    planes_ = depth_ = 0;
    paddedWidth_ = paddedHeight_ = 0;
}

EngineResult CLogoBitmap::LoadSource(const std::string& path) {
    Release();
    streamLength_ = 0;
    fault_ = {};
    auto source = std::make_unique<BmpSource>();
    if (const SourceError error = ReadSource(path, *source)) {
        fault_ = {path, error, {}, {}};
        return EngineResult::kFailed;
    }

    const BmpHeader& h = source->header;
    width_ = h.width;
    height_ = h.height;
    stride_ = static_cast<int32_t>(h.stride);
    planes_ = h.planes;
    depth_ = h.depth;
    pixels_ = source->pixels.data();
    paddedWidth_ = PaddedTo8(width_);
    paddedHeight_ = PaddedTo8(height_);
    source_ = std::move(source);
    return EngineResult::kDone;
}

EngineResult CLogoBitmap::WriteFailed(const std::string& path, files::FileError error) {
    fault_ = {path, {}, error, {}};
    return EngineResult::kFailed;
}

EngineResult CLogoBitmap::WriteWorkingFile(std::string_view name, const Bytes& file) {
    const std::string path = files::InCurrentDirectory(name);
    const files::FileError error = files::Replace(path, file);
    return error ? WriteFailed(path, error) : EngineResult::kDone;
}

EngineResult CLogoBitmap::WriteDotBitmap() {
    if (!Loaded()) return EngineResult::kNothingLoaded;
    return WriteWorkingFile(working_file::kTemp,
                            OneBitFile(width_, height_, dots_.data(), kRasterStride));
}

EngineResult CLogoBitmap::CopyTwoColour(const std::string& path) {
    std::string failed;
    const files::FileError error = files::CopyReplacing(
        path, files::InCurrentDirectory(working_file::kTempTwoColour), &failed);
    if (!error) return EngineResult::kDone;
    if (failed != path) return WriteFailed(failed, error);
    fault_ = {path, SourceError::File(error), {}, {}};
    return EngineResult::kFailed;
}

}  // namespace zelmar
