#include "bmp_reader.h"

#include <algorithm>
#include <cstring>

namespace zelmar {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2: 16-bit sizes, no compression
// Wider or taller files are refused before any size arithmetic; no BMP a
// logo program meets comes near.
constexpr std::int64_t kMaxSide = 1 << 16;

bool KnownInfoHeaderSize(std::uint32_t size) {
    // BITMAPCOREHEADER, BITMAPINFOHEADER, its two bit-field extensions, V4 and V5.
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// The fields of the info header that every version has.
struct InfoFields {
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for a top-down file
    std::uint16_t planes = 0;
    std::uint16_t depth = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
};

InfoFields ReadInfoFields(const Bytes& head, std::uint32_t infoSize) {
    InfoFields f;
    if (infoSize == kCoreHeaderSize) {
        f.width = GetU16(&head[18]);
        f.height = GetU16(&head[20]);
        f.planes = GetU16(&head[22]);
        f.depth = GetU16(&head[24]);
        return f;
    }
    f.width = GetI32(&head[18]);
    f.height = GetI32(&head[22]);
    f.planes = GetU16(&head[26]);
    f.depth = GetU16(&head[28]);
    f.compression = GetU32(&head[30]);
    f.coloursUsed = GetU32(&head[46]);
    return f;
}

bool KnownDepth(std::uint16_t depth, std::uint32_t infoSize) {
    switch (depth) {
        case 1:
        case 4:
        case 8:
        case 24:
            return true;
        case 16:
        case 32:
            return infoSize != kCoreHeaderSize;
        default:
            return false;
    }
}

bool MakeField(std::uint32_t mask, int depth, BitField& out) {
    out = BitField{};
    if (mask == 0) return true;  // a channel the file does not carry reads as 0
    if (depth < 32 && (mask >> depth) != 0) return false;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    std::uint32_t bits = mask >> shift;
    if ((bits & (bits + 1)) != 0) return false;  // not contiguous
    out.mask = mask;
    out.shift = shift;
    out.bits = 0;
    for (; bits != 0; bits >>= 1)
        ++out.bits;
    return true;
}

BmpError ReadMasks(const Bytes& head, BmpHeader& h) {
    std::uint32_t r = 0x7C00, g = 0x03E0, b = 0x001F;  // 16-bit BI_RGB: 5-5-5
    if (h.depth == 32) r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
    if (h.compression == kBiBitfields) {
        // Inside the header from 52 bytes on; after a 40-byte header otherwise.
        std::size_t at = kFileHeaderSize + 40;
        if (head.size() < at + 12) return BmpError::kTruncatedHeader;
        r = GetU32(&head[at]);
        g = GetU32(&head[at + 4]);
        b = GetU32(&head[at + 8]);
        if ((r & g) | (r & b) | (g & b)) return BmpError::kBadMasks;
        if ((r | g | b) == 0) return BmpError::kBadMasks;
    }
    if (!MakeField(r, h.depth, h.red) || !MakeField(g, h.depth, h.green) ||
        !MakeField(b, h.depth, h.blue)) {
        return BmpError::kBadMasks;
    }
    return BmpError::kNone;
}

static_assert(kMaxDataOffset == 64 * 1024, "the message below names the limit");

}  // namespace

const char* Describe(BmpError error) {
    switch (error) {
        case BmpError::kNone:
            return "no error";
        case BmpError::kNotBmp:
            return "not a BMP file";
        case BmpError::kTruncatedHeader:
            return "the BMP header is cut short";
        case BmpError::kUnsupportedHeader:
            return "unknown BMP header size";
        case BmpError::kBadDimensions:
            return "the picture has no pixels or absurd dimensions";
        case BmpError::kUnsupportedDepth:
            return "unsupported bits per pixel or planes";
        case BmpError::kUnsupportedCompression:
            return "unsupported compression";
        case BmpError::kBadMasks:
            return "invalid colour bit fields";
        case BmpError::kTruncatedPalette:
            return "the colour table is cut short";
        case BmpError::kBadDataOffset:
            return "the pixel data offset points into the headers or beyond the first 64 KiB";
        case BmpError::kTruncatedPixels:
            return "the file is shorter than its pixel rows";
    }
    return "unknown error";
}

std::uint8_t BitField::Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    std::uint64_t v = (pixel & mask) >> shift;
    std::uint64_t top = (std::uint64_t{1} << bits) - 1;
    return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
}

BmpError ParseBmpHeader(const Bytes& head, std::uint64_t fileSize, BmpHeader& h) {
    h = BmpHeader{};
    if (head.size() < kFileHeaderSize || head[0] != 'B' || head[1] != 'M') {
        return BmpError::kNotBmp;
    }
    if (head.size() < kFileHeaderSize + 4) return BmpError::kTruncatedHeader;
    const std::uint32_t infoSize = GetU32(&head[14]);
    if (!KnownInfoHeaderSize(infoSize)) return BmpError::kUnsupportedHeader;
    if (head.size() < kFileHeaderSize + infoSize) return BmpError::kTruncatedHeader;

    const InfoFields f = ReadInfoFields(head, infoSize);
    h.planes = f.planes;
    h.depth = f.depth;
    h.compression = f.compression;
    h.dataOffset = GetU32(&head[10]);

    const std::int64_t height = f.height < 0 ? -f.height : f.height;
    if (f.width <= 0 || height == 0 || f.width > kMaxSide || height > kMaxSide) {
        return BmpError::kBadDimensions;
    }
    h.width = static_cast<std::int32_t>(f.width);
    h.height = static_cast<std::int32_t>(height);
    h.topDown = f.height < 0;
    if (!KnownDepth(h.depth, infoSize) || h.planes != 1) return BmpError::kUnsupportedDepth;

    const bool bitfields = h.compression == kBiBitfields && (h.depth == 16 || h.depth == 32);
    if (h.compression != kBiRgb && !bitfields) return BmpError::kUnsupportedCompression;
    if (h.depth == 16 || h.depth == 32) {
        if (BmpError e = ReadMasks(head, h); e != BmpError::kNone) return e;
    }

    if (h.depth <= 8) {
        const std::uint32_t full = 1u << h.depth;
        h.paletteCount = (f.coloursUsed >= 1 && f.coloursUsed <= full) ? f.coloursUsed : full;
        h.paletteOffset = static_cast<std::uint32_t>(kFileHeaderSize) + infoSize;
        h.paletteEntrySize = infoSize == kCoreHeaderSize ? 3 : 4;
        if (head.size() < std::uint64_t{h.paletteOffset} + h.paletteEntrySize * h.paletteCount) {
            return BmpError::kTruncatedPalette;
        }
    }

    h.stride = static_cast<std::uint32_t>((f.width * h.depth + 31) / 32 * 4);
    if (h.dataOffset < kFileHeaderSize + infoSize || h.dataOffset > kMaxDataOffset) {
        return BmpError::kBadDataOffset;
    }
    const std::uint64_t needed = std::uint64_t{h.dataOffset} + std::uint64_t{h.stride} * height;
    if (needed > fileSize) return BmpError::kTruncatedPixels;
    return BmpError::kNone;
}

BmpError DecodeBmp(const Bytes& file, BmpSource& out) {
    out = BmpSource{};
    if (BmpError e = ParseBmpHeader(file, file.size(), out.header); e != BmpError::kNone) {
        return e;
    }
    const BmpHeader& h = out.header;
    out.palette.resize(h.paletteCount);
    for (std::uint32_t i = 0; i < h.paletteCount; ++i) {
        const std::uint8_t* p = &file[h.paletteOffset + h.paletteEntrySize * i];
        out.palette[i] = Bgr{p[0], p[1], p[2]};
    }

    const std::size_t stride = h.stride;
    const std::size_t rows = static_cast<std::size_t>(h.height);
    out.pixels.assign(stride * rows + kPixelSlack, 0);
    const std::uint8_t* data = &file[h.dataOffset];
    for (std::size_t r = 0; r < rows; ++r) {
        // Keep the bottom row first whatever order the file uses.
        const std::size_t from = h.topDown ? rows - 1 - r : r;
        std::memcpy(&out.pixels[r * stride], data + from * stride, stride);
    }
    return BmpError::kNone;
}

}  // namespace zelmar
