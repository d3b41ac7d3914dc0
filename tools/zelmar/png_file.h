// Reading PNG files: libpng where the build has it (Linux); the Windows builds
// have no PNG library and say so.
#pragma once

#include <string>

#include "engine/bytes.h"
#include "picture_import.h"

namespace zelmar::cli {

// Larger pictures are refused before their pixels are allocated.
constexpr std::int32_t kMaxPngSide = 8192;

// Decodes a PNG file of any colour type and bit depth into 8-bit RGBA: false,
// with `error` set to why, when it cannot.
bool DecodePng(const Bytes& file, RgbaPicture& out, std::string& error);

}  // namespace zelmar::cli
