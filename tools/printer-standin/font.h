// The stand-in's character fonts, built in: every printable ASCII character
// as a 5 × 7 glyph, drawn larger in the character cell of font A (12 × 24
// dots) or font B (9 × 17). Any other code prints as a box, so that it shows
// where it went.
#pragma once

#include <cstdint>

#include "picture.h"

namespace standin {

enum class Font { kA, kB };

struct CellSize {
    int width;
    int height;
};

CellSize Cell(Font font);

// The character as it prints: a picture of its cell.
const Picture& Character(std::uint8_t code, Font font);

}  // namespace standin
