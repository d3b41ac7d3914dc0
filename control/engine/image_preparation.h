// The image preparation shared by the preview and every upload: load, tone
// conversion, "Temp.bmp" and the rotation file.
#pragma once

#include <cstdint>
#include <string>

#include "logo_bitmap.h"

namespace zelmar {

// How the grey levels become dots.
enum class ToneMethod {
    kNone,                // the "None" threshold
    kDiffusion,           // "Error Diffusion"
    kDiffusionAndColour,  // "Error Diffusion", then the colour copy and its colour file
    kUnconverted,         // no conversion: the dot raster keeps what it held
};

struct PrepareOptions {
    ToneMethod tone = ToneMethod::kNone;
    int16_t brightness = 5;                 // 0 ... 10, 5 neutral
    int16_t rotation = 0;                   // 0 ... 3
    ColourFile colour = ColourFile::kNone;  // written by kDiffusionAndColour only
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
Preparation PrepareImage(CLogoBitmap& bitmap, const std::string& path,
                         const PrepareOptions& options);

}  // namespace zelmar
