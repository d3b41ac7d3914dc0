// Small BMP files built in memory for tests, in every layout the engine reads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelmar::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpLayout {
    int width = 1;
    int height = 1;
    int depth = 24;
    bool topDown = false;
    std::uint32_t infoSize = 40;         // 12 (OS/2 core), 40, 52, 56, 108 or 124
    std::uint32_t compression = 0;       // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BI_BITFIELDS, 6 alpha
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue (BI_BITFIELDS)
    std::uint32_t alphaMask = 0;         // headers of 56 bytes and more, or compression 6
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB per entry (depths 1, 4, 8)
    std::uint32_t coloursUsed = 0;       // biClrUsed; 0 = the palette's size
    std::uint32_t dataOffset = 0;        // 0 = right after the colour table
    // The stored value of the pixel at (x, y), y = 0 the top row: a palette
    // index, a raw 16- or 32-bit value, or 0xRRGGBB for 24 bits.
    std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
    // The pixel data exactly as stored (run-length data), in place of `pixel`.
    std::optional<Bytes> stored;
};

Bytes MakeBmp(const BmpLayout& layout);

// A 24-bit picture filled from 0xRRGGBB values, y = 0 the top row.
Bytes MakeColourBmp(int width, int height, std::function<std::uint32_t(int x, int y)> colour);

// A grey 0x00GGGGGG value.
inline std::uint32_t Grey(int v) {
    const auto g = static_cast<std::uint32_t>(v);
    return g << 16 | g << 8 | g;
}

// Which pixels of a black-and-white picture are dots; y = 0 the top row.
using Dots = std::function<bool(int x, int y)>;

// A 24-bit picture of many grey levels, for the tone methods to work on.
Bytes MakeShadedBmp(int width, int height);

// A 24-bit picture, black where `dot` says and white elsewhere.
Bytes MakeDotsBmp(int width, int height, const Dots& dot);
// A 1-bit picture with the usual table (colour 0 black), as the band form wants.
Bytes MakeMonoBmp(int width, int height, const Dots& dot);

// Whether NV data (columns of paddedHeight / 8 bytes, the top dot in the high
// bit) prints (x, y).
bool NvDot(const std::uint8_t* data, int paddedHeight, int x, int y);

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
bool FileExists(const std::string& path);

// The pixel at (x, y), y = 0 the top row, of a 1-bit file the engine wrote:
// true for a dot (colour 1).
bool DotAt(const Bytes& oneBitFile, int x, int y);

// Every pixel of a 24-bit file as 0xRRGGBB, row by row from the top.
std::vector<std::uint32_t> TrueColours(const Bytes& file);

}  // namespace zelmar::test
