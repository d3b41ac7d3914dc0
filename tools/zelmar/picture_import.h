// Pictures brought from other formats: laid on white paper, scaled down to the
// paper when asked, and written as the 24-bit BMP files the engine takes.
#pragma once

#include <cstdint>

#include "engine/bytes.h"

namespace zelmar::cli {

// An 8-bit RGBA picture, its alpha not premultiplied; the top row first.
struct RgbaPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Bytes rgba;
};

// Dots across the usual 80 mm paper.
constexpr std::int32_t kPaperWidth = 576;

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The size of a picture scaled down, its aspect ratio kept, to at most `width`
// dots across and the printable height; a picture within both keeps its size.
PictureSize FittedSize(PictureSize picture, std::int32_t width);

// The picture laid on white paper, averaged over areas down to `size` (no
// larger than the picture), as a whole 24-bit BMP file.
Bytes ImportedBmp(const RgbaPicture& picture, PictureSize size);

}  // namespace zelmar::cli
