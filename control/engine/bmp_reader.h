// A reader for the BMP files the engine accepts as sources. Input arrives as
// bytes; every size is checked against them before it is used.
#pragma once

#include <cstdint>
#include <string>
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
    kUnsupportedCompression,  // other than run-length (4 and 8 bits) and bit fields (16, 32)
    kTopDownRunLength,        // run-length data stored top row first, which the format forbids
    kBadMasks,                // bit fields that are empty, overlapping or not contiguous
    kTruncatedPalette,        // the colour table runs past the end of the file
    kBadDataOffset,           // the pixel data would start inside the headers or too far beyond
    kTruncatedPixels,         // the file is shorter than its rows need
    kRunPastRow,              // run-length data that writes past the end of a row
    kRunPastPicture,          // run-length data that goes on above the top row
    kRunPastFile,             // run-length data that ends before its end-of-picture code
};

// A short English description for messages.
const char* Describe(BmpError error);

// Where run-length data was refused: the offset of its code in the file, and
// the stored row (0 = the bottom one) and column it had reached.
struct StreamPlace {
    std::uint32_t offset = 0;
    std::int32_t row = 0;
    std::int32_t column = 0;
};

// The description, with the place for the errors of run-length data.
std::string Describe(BmpError error, const StreamPlace& place);

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
    BitField alpha;                      // depth 32, when the header declares an alpha channel
};

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// A colour channel of a pixel with alpha `a` laid on white paper.
inline std::uint8_t OnWhite(unsigned channel, unsigned a) {
    return static_cast<std::uint8_t>((channel * a + 255 * (255 - a) + 127) / 255);
}

// The pixel data of a file the reader takes starts within its first 64 KiB:
// the largest headers, bit fields and colour table end long before.
constexpr std::uint32_t kMaxDataOffset = 64 * 1024;

// Whether the pixel data is run-length encoded (RLE8 at 8 bits, RLE4 at 4).
bool RunLengthEncoded(const BmpHeader& header);

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

// Decodes a whole file into plain stored rows: run-length data becomes the
// uncompressed rows of its depth (pixels it skips take colour 0), and a 32-bit
// picture whose alpha is not zero everywhere is laid on white paper. The header
// in `out` then describes the rows as they are: no compression, no alpha. On a
// refusal of run-length data `place`, when given, says where it went wrong.
BmpError DecodeBmp(const Bytes& file, BmpSource& out, StreamPlace* place = nullptr);

// The colour the white-first test looks at: colour 0 of a palette picture,
// the first stored pixel of any other.
Bgr LeadingColour(const BmpSource& source);

}  // namespace zelmar
