#include "logo_bitmap.h"

#include <algorithm>

#include "files.h"
#include "working_files.h"

namespace zelmar {

namespace {

// Enough for the largest source the rasters hold, with room for big headers
// and colour tables; longer files are read this far and judged by their header.
constexpr std::size_t kMaxSourceFileBytes = 8u << 20;

// Headers and the largest colour table fit well within this.
constexpr std::size_t kHeaderBytes = 4096;

// The classification tests read the file header and the next 44 bytes.
constexpr std::size_t kProbeBytes = 14 + 44;

bool ReadProbe(const std::string& path, Bytes& head) {
    std::uint64_t size = 0;
    return files::ReadPrefix(path, kProbeBytes, head, size) && head.size() >= 14 &&
           head[0] == 'B' && head[1] == 'M';
}

}  // namespace

std::string Describe(const SourceError& error) {
    switch (error.kind) {
        case SourceError::Kind::kNone:
            return "no error";
        case SourceError::Kind::kCannotOpen:
            return "the file cannot be opened";
        case SourceError::Kind::kUnreadable:
            return Describe(error.bmp);
        case SourceError::Kind::kTooLarge:
            return "the picture is larger than " + std::to_string(kMaxSourceWidth) + " x " +
                   std::to_string(kMaxSourceHeight) + " pixels";
    }
    return "unknown error";
}

SourceError ReadBmpInfo(const std::string& path, BmpHeader& header) {
    Bytes head;
    std::uint64_t fileSize = 0;
    if (!files::ReadPrefix(path, kHeaderBytes, head, fileSize)) {
        return {SourceError::Kind::kCannotOpen};
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

CLogoBitmap::CLogoBitmap(MessageSink* messages)
    : messages_(messages),
      stream_(kStreamBufferSize, 0),
      grey_(static_cast<std::size_t>(kRasterRows) * kRasterStride, 0),
      dots_(static_cast<std::size_t>(kRasterRows) * kRasterStride, 0) {
    std::fill_n(ColourCopy(), static_cast<std::size_t>(kColourCopyStride) * kColourCopyRows, 0);
}

int CLogoBitmap::IsToneSource(const std::string& path) {
    streamLength_ = 0;
    Bytes head;
    if (!ReadProbe(path, head) || head.size() < 30) return 0;
    switch (GetU16(&head[28])) {
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return 1;
        default:
            return 0;
    }
}

int CLogoBitmap::IsWhiteFirst(const std::string& path) {
    streamLength_ = 0;
    Bytes head;
    if (!ReadProbe(path, head) || head.size() < 57) return 0;
    return head[54] == 0xFF && head[55] == 0xFF && head[56] == 0xFF ? 1 : 0;
}

void CLogoBitmap::Release() {
    source_.reset();
    pixels_ = nullptr;
    width_ = height_ = stride_ = 0;
    planes_ = depth_ = 0;
    paddedWidth_ = paddedHeight_ = 0;
}

int CLogoBitmap::LoadSource(const std::string& path) {
    Release();
    streamLength_ = 0;
    Bytes file;
    std::uint64_t fileSize = 0;
    if (!files::ReadPrefix(path, kMaxSourceFileBytes, file, fileSize)) {
        loadError_ = {SourceError::Kind::kCannotOpen};
        return 0;
    }
    BmpHeader header;
    loadError_ = SourceError::Unreadable(ParseBmpHeader(file, fileSize, header));
    if (!loadError_ && (header.width > kMaxSourceWidth || header.height > kMaxSourceHeight)) {
        loadError_ = {SourceError::Kind::kTooLarge};
    }
    if (loadError_) return 0;
    auto source = std::make_unique<BmpSource>();
    BmpError decoded = DecodeBmp(file, *source);
    // The rows fit the file but start beyond any plausible source's headers.
    if (decoded == BmpError::kTruncatedPixels) decoded = BmpError::kBadDataOffset;
    loadError_ = SourceError::Unreadable(decoded);
    if (loadError_) return 0;

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
    return 1;
}

int CLogoBitmap::WriteDotBitmap() {
    if (!Loaded()) return 255;
    Bytes file = OneBitFile(width_, height_, dots_.data(), kRasterStride);
    return files::WriteWholeFile(files::InCurrentDirectory(working_file::kTemp), file) ? 1 : 0;
}

int CLogoBitmap::CopyTwoColour(const std::string& path) {
    return files::CopyReplacing(path, files::InCurrentDirectory(working_file::kTempTwoColour)) ? 1
                                                                                               : 0;
}

}  // namespace zelmar
