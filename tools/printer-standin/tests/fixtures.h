// Pictures and streams for the stand-in's tests, made by the engine as the
// control makes them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "engine/bytes.h"
#include "picture.h"

namespace standin::test {

using zelmar::Bytes;
using zelmar::test::Dots;
using zelmar::test::NvDot;

// The stream `FileUpload` writes for an image list ("None" tone, brightness 5, no rotation).
Bytes UploadStream(const std::string& list, int nvSelect, int selectType, int selectMargin = 0);

// The definition file of NV images 1 ... n for the images ("None" tone, brightness 5).
Bytes Definition(const std::vector<std::string>& images);

// A width × height picture with a dot where `dot` says.
Picture Drawn(int width, int height, const Dots& dot);

// `picture` is width × height with a dot exactly where `dot` says.
::testing::AssertionResult SameDots(const Picture& picture, int width, int height, const Dots& dot);

Bytes operator+(Bytes a, const Bytes& b);

}  // namespace standin::test
