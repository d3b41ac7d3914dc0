// The working files the engine leaves in the current directory, and the two
// BMP layouts it writes.
#pragma once

#include <cstdint>
#include <string_view>

#include "bytes.h"

namespace zelmar {

namespace working_file {
constexpr std::string_view kTemp = "Temp.bmp";
constexpr std::string_view kNoRotation = "NoRotation.bmp";
constexpr std::string_view kRightRotation = "RightRotation.bmp";
constexpr std::string_view kReverseRotation = "ReverseRotation.bmp";
constexpr std::string_view kLeftRotation = "LeftRotation.bmp";
constexpr std::string_view kTempTwoColour = "Temp2Color.bmp";
constexpr std::string_view kRealBlue = "RealBlueColor.bmp";
constexpr std::string_view kRealGreen = "RealGreenColor.bmp";
constexpr std::string_view kRealRed = "RealRedColor.bmp";
constexpr std::string_view kRaster = "Raster.bmp";
constexpr std::string_view kTempImage = "TempImage.out";  // the NV image definition job
constexpr std::string_view kTempErase = "TempErase.out";  // the erase job
constexpr std::string_view kTempPrint = "TempPrint.out";  // the print-all job

// Every picture the engine leaves behind.
constexpr std::string_view kBitmaps[] = {
    kTemp,          kNoRotation, kRightRotation, kReverseRotation, kLeftRotation,
    kTempTwoColour, kRealBlue,   kRealGreen,     kRealRed,         kRaster,
};
}  // namespace working_file

// The rotation file of a Rotation argument; empty outside 0 to 3.
std::string_view RotationFile(int rotation);

constexpr std::uint32_t kOneBitHeaderSize = 62;
constexpr std::uint32_t kTrueColourHeaderSize = 54;

// Bytes per row of a 1-bit file: whole 32-bit words.
inline std::uint32_t OneBitRowBytes(std::int32_t width) {
    return (static_cast<std::uint32_t>(width) + 31) / 32 * 4;
}

// Bytes per row of a 24-bit file.
inline std::uint32_t TrueColourRowBytes(std::int32_t width) {
    return (3 * static_cast<std::uint32_t>(width) + 3) & ~3u;
}

// The 62-byte header of a 1-bit working file: white colour 0, black colour 1.
void AppendOneBitHeader(Bytes& out, std::int32_t width, std::int32_t height);

// A whole 1-bit working file from raster rows (0 = dot, anything else white),
// raster row 0 first; `rows` holds `height` rows of `rasterStride` bytes.
Bytes OneBitFile(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                 std::size_t rasterStride);

// A whole 24-bit working file: the first TrueColourRowBytes(width) bytes of each
// of `height` rows of `rowStride` bytes.
Bytes TrueColourFile(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                     std::size_t rowStride);

}  // namespace zelmar
