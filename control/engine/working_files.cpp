#include "working_files.h"

#include "dot_bits.h"

namespace zelmar {

namespace {

void AppendHeader(Bytes& out, std::int32_t width, std::int32_t height, std::uint16_t depth,
                  std::uint32_t dataOffset, std::uint32_t imageSize, std::uint32_t coloursUsed) {
    out.push_back('B');
    out.push_back('M');
    PutU32(out, dataOffset + imageSize);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, dataOffset);
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));
    PutU16(out, 1);
    PutU16(out, depth);
    PutU32(out, 0);  // no compression
    PutU32(out, imageSize);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, coloursUsed);
    PutU32(out, 0);
}

}  // namespace

std::string_view RotationFile(int rotation) {
    switch (rotation) {
        case 0:
            return working_file::kNoRotation;
        case 1:
            return working_file::kRightRotation;
        case 2:
            return working_file::kReverseRotation;
        case 3:
            return working_file::kLeftRotation;
        default:
            return {};
    }
}

void AppendOneBitHeader(Bytes& out, std::int32_t width, std::int32_t height) {
    const std::uint32_t imageSize = OneBitRowBytes(width) * static_cast<std::uint32_t>(height);
    AppendHeader(out, width, height, 1, kOneBitHeaderSize, imageSize, 2);
    // Colour 0 white with a fourth byte of FF, colour 1 black.
    PutU32(out, 0xFFFFFFFFu);
    PutU32(out, 0);
}

Bytes OneBitFile(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                 std::size_t rasterStride) {
    const std::uint32_t rowBytes = OneBitRowBytes(width);
    Bytes out;
    out.reserve(kOneBitHeaderSize + rowBytes * static_cast<std::uint32_t>(height));
    AppendOneBitHeader(out, width, height);
    out.resize(out.size() + rowBytes * static_cast<std::uint32_t>(height), 0);
    std::uint8_t* bits = out.data() + kOneBitHeaderSize;
    for (std::int32_t r = 0; r < height; ++r, bits += rowBytes) {
        const std::uint8_t* row = rows + static_cast<std::size_t>(r) * rasterStride;
        std::int32_t c = 0;
        for (; c + 8 <= width; c += 8)
            bits[c / 8] = DotBits(ZeroBytes(row + c));
        for (; c < width; ++c) {
            if (row[c] == 0) bits[c / 8] |= static_cast<std::uint8_t>(0x80u >> (c % 8));
        }
    }
    return out;
}

Bytes TrueColourFile(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                     std::size_t rowStride) {
    const std::uint32_t rowBytes = TrueColourRowBytes(width);
    Bytes out;
    out.reserve(kTrueColourHeaderSize + rowBytes * static_cast<std::uint32_t>(height));
    AppendHeader(out, width, height, 24, kTrueColourHeaderSize,
                 rowBytes * static_cast<std::uint32_t>(height), 0);
    for (std::int32_t r = 0; r < height; ++r) {
        const std::uint8_t* row = rows + static_cast<std::size_t>(r) * rowStride;
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

}  // namespace zelmar
