// A reader for the BMP files the engine accepts as sources. Input arrives as
// bytes; every size is checked against them before it is used.
#pragma once

#include <cstdint>
#include <vector>

#include "bytes.h"

namespace zelmar {

enum class BmpError {
    kNone,
    kNotBmp,                  // shorter than a file header, or no "BM"
    kTruncatedHeader,         // the info header does not fit the file
    kUnsupportedHeader,       // an info header size the reader does not know
    kBadDimensions,           // zero width or height, or absurd sizes
    kUnsupportedDepth,        // bits per pixel other than 1, 4, 8, 16, 24, 32; planes not 1
    kUnsupportedCompression,  // run-length and other compressions
    kBadMasks,                // bit fields that are empty, overlapping or not contiguous
    kTruncatedPalette,        // the colour table runs past the end of the file
    kBadDataOffset,           // the pixel data would start inside the headers or too far beyond
    kTruncatedPixels,         // the file is shorter than its rows need
};

// A short English description for messages.
const char* Describe(BmpError error);

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
};

// One colour channel of a 16- or 32-bit pixel: a contiguous mask.
struct BitField {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    // The channel scaled to 0 ... 255, rounded.
    std::uint8_t Extract(std::uint32_t pixel) const;
};

struct BmpHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive
    bool topDown = false;     // the file stores its top row first
    std::uint16_t planes = 0;
    std::uint16_t depth = 0;
    std::uint32_t compression = 0;
    std::uint32_t dataOffset = 0;
    std::uint32_t stride = 0;  // bytes per stored row, a multiple of 4
    std::uint32_t paletteOffset = 0;
    std::uint32_t paletteCount = 0;      // colour-table entries, depths 1, 4 and 8 only
    std::uint32_t paletteEntrySize = 4;  // 3 after the OS/2 core header
    BitField red, green, blue;           // depths 16 and 32
};

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// The pixel data of a file the reader takes starts within its first 64 KiB:
// the largest headers, bit fields and colour table end long before.
constexpr std::uint32_t kMaxDataOffset = 64 * 1024;

// Reads and checks the headers. `head` holds at least the first bytes of the
// file (the headers and colour table when there is one); `fileSize` is the
// whole file's length, against which the rows are checked.
BmpError ParseBmpHeader(const Bytes& head, std::uint64_t fileSize, BmpHeader& out);

struct BmpSource {
    BmpHeader header;
    std::vector<Bgr> palette;
    // Stored rows, bottom row of the picture first, each `stride` bytes exactly
    // as in the file (padding included), followed by a few zero bytes so that
    // readers of three bytes at a pixel never leave the buffer.
    Bytes pixels;
};

constexpr std::size_t kPixelSlack = 4;

// Decodes a whole file.
BmpError DecodeBmp(const Bytes& file, BmpSource& out);

}  // namespace zelmar
