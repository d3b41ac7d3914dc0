// The image preparation shared by the preview and every upload: load, tone
// conversion, "Temp.bmp" and the rotation file.
#pragma once

#include <cstdint>
#include <string>

#include "logo_bitmap.h"

namespace zelmar {

struct ImageOptions {
    int16_t imageMode = 0;   // 0 "None", 1 "Error Diffusion", 2 diffusion plus colour files
    int16_t brightness = 5;  // 0 ... 10, 5 neutral; in mode 2 also the colour selector
    int16_t rotation = 0;    // 0 ... 3
};

enum class Preparation {
    kFailed,       // the source could not be loaded; nothing was written
    kWorkingFile,  // a working file could not be written
    kTone,         // a grey or colour source, converted by the tone method
    kTwoColour,    // a 1-bit source, its own dots kept
};

// Loads `path` into `bitmap`, converts it and writes "Temp.bmp" and the
// rotation file (none for a rotation outside 0 to 3), leaving the turned dots
// in the turned raster. On a failure the record's Fault() says why.
Preparation PrepareImage(CLogoBitmap& bitmap, const std::string& path, const ImageOptions& options);

}  // namespace zelmar
