#include "bmp_builder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zelmar::test {

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v);
    Put16(b, v >> 16);
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

Bytes MakeBmp(const BmpLayout& s) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(s.width) * s.depth + 31) / 32 * 4;
    const bool core = s.infoSize == 12;  // OS/2: 16-bit sizes, 3-byte colours
    const bool alphaFields = s.compression == 6;
    const bool separateMasks = (s.compression == 3 || alphaFields) && s.infoSize == 40;
    const std::uint32_t paletteOffset =
        14 + s.infoSize + (separateMasks ? (alphaFields ? 16 : 12) : 0);
    const std::uint32_t dataOffset =
        s.dataOffset
            ? s.dataOffset
            : paletteOffset + (core ? 3 : 4) * static_cast<std::uint32_t>(s.palette.size());
    const std::uint32_t imageSize = s.stored ? static_cast<std::uint32_t>(s.stored->size())
                                             : stride * static_cast<std::uint32_t>(s.height);

    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, dataOffset + imageSize);
    Put32(b, 0);
    Put32(b, dataOffset);
    Put32(b, s.infoSize);
    if (core) {
        Put16(b, static_cast<std::uint32_t>(s.width));
        Put16(b, static_cast<std::uint32_t>(s.height));
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(s.depth));
    } else {
        Put32(b, static_cast<std::uint32_t>(s.width));
        Put32(b, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(s.depth));
        Put32(b, s.compression);
        Put32(b, imageSize);
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, s.coloursUsed ? s.coloursUsed : static_cast<std::uint32_t>(s.palette.size()));
        Put32(b, 0);
    }
    // Bit fields sit right after the 40 bytes, inside a larger header or after a 40-byte one.
    if (s.infoSize > 40 || separateMasks) {
        for (std::uint32_t m : s.masks)
            Put32(b, m);
        if (s.infoSize >= 56 || alphaFields) Put32(b, s.alphaMask);
    }
    b.resize(paletteOffset, 0);
    for (std::uint32_t c : s.palette) {
        Put16(b, c);
        b.push_back(static_cast<std::uint8_t>(c >> 16));
        if (!core) b.push_back(0);
    }

    b.resize(dataOffset, 0);
    if (s.stored) {
        b.insert(b.end(), s.stored->begin(), s.stored->end());
        return b;
    }
    b.resize(dataOffset + imageSize, 0);
    for (int stored = 0; stored < s.height; ++stored) {
        const int y = s.topDown ? stored : s.height - 1 - stored;
        std::uint8_t* row = &b[dataOffset + stride * static_cast<std::uint32_t>(stored)];
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.pixel(x, y);
            switch (s.depth) {
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<std::uint8_t>(v);
                    break;
                case 16:
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                case 24:
                    row[3 * x] = static_cast<std::uint8_t>(v);
                    row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                case 32:
                    for (int k = 0; k < 4; ++k)
                        row[4 * x + k] = static_cast<std::uint8_t>(v >> 8 * k);
                    break;
                default:
                    throw std::invalid_argument("depth");
            }
        }
    }
    return b;
}

Bytes MakeColourBmp(int width, int height, std::function<std::uint32_t(int x, int y)> colour) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = 24;
    layout.pixel = std::move(colour);
    return MakeBmp(layout);
}

Bytes MakeShadedBmp(int width, int height) {
    return MakeColourBmp(width, height, [](int x, int y) { return Grey((x * 13 + y * 17) % 256); });
}

Bytes MakeDotsBmp(int width, int height, const Dots& dot) {
    return MakeColourBmp(width, height, [dot](int x, int y) { return dot(x, y) ? 0u : 0xFFFFFFu; });
}

Bytes MakeMonoBmp(int width, int height, const Dots& dot) {
    BmpLayout layout;
    layout.depth = 1;
    layout.width = width;
    layout.height = height;
    layout.palette = {0x000000, 0xFFFFFF};
    layout.pixel = [dot](int x, int y) { return dot(x, y) ? 0u : 1u; };
    return MakeBmp(layout);
}

bool NvDot(const std::uint8_t* data, int paddedHeight, int x, int y) {
    return (data[x * (paddedHeight / 8) + y / 8] >> (7 - y % 8)) & 1;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

bool DotAt(const Bytes& file, int x, int y) {
    const int width = static_cast<int>(Get32(file, 18));
    const int height = static_cast<int>(Get32(file, 22));
    const std::uint32_t offset = Get32(file, 10);
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    const std::size_t at = offset + rowBytes * static_cast<std::uint32_t>(height - 1 - y) + x / 8;
    return (file.at(at) >> (7 - x % 8)) & 1;
}

std::vector<std::uint32_t> TrueColours(const Bytes& file) {
    const int width = static_cast<int>(Get32(file, 18));
    const int height = static_cast<int>(Get32(file, 22));
    const std::uint32_t offset = Get32(file, 10);
    const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::size_t at = row + 3 * static_cast<std::size_t>(x);
            colours.push_back(std::uint32_t{file.at(at + 2)} << 16 |
                              std::uint32_t{file.at(at + 1)} << 8 | file.at(at));
        }
    }
    return colours;
}

}  // namespace zelmar::test
