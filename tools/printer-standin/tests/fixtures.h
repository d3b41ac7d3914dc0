// Pictures and streams for the stand-in's tests, made by the engine as the
// control makes them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/bytes.h"
#include "picture.h"

namespace standin::test {

using zelmar::Bytes;
using Dots = std::function<bool(int x, int y)>;  // y = 0 the top row

// A 24-bit BMP, black where `dot` says and white elsewhere.
void WriteColourPicture(const std::string& path, int width, int height, const Dots& dot);
// A 1-bit BMP with the usual table (colour 0 black), as the band form wants.
void WriteMonoPicture(const std::string& path, int width, int height, const Dots& dot);

// The stream `FileUpload` writes for an image list ("None" tone, brightness 5, no rotation).
Bytes UploadStream(const std::string& list, int nvSelect, int selectType, int selectMargin = 0);

// The definition file of NV images 1 ... n for the images ("None" tone, brightness 5).
Bytes Definition(const std::vector<std::string>& images);

// Whether the NV data at `data` (columns of paddedHeight / 8 bytes) prints (x, y).
bool NvDot(const std::uint8_t* data, int paddedHeight, int x, int y);

// `picture` is width × height with a dot exactly where `dot` says.
::testing::AssertionResult SameDots(const Picture& picture, int width, int height, const Dots& dot);

Bytes operator+(Bytes a, const Bytes& b);

}  // namespace standin::test
