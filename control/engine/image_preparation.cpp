#include "image_preparation.h"

#include "working_files.h"

namespace zelmar {

namespace {

// False when the colour file cannot be written.
bool ConvertTone(CLogoBitmap& bitmap, const PrepareOptions& options) {
    switch (options.tone) {
        case ToneMethod::kNone:
            bitmap.ToneNone(options.brightness);
            return true;
        case ToneMethod::kDiffusion:
            bitmap.ToneDiffuse(options.brightness);
            return true;
        case ToneMethod::kDiffusionAndColour:
            bitmap.ToneDiffuse(options.brightness);
            return bitmap.CopyColourPlanes(options.colour) == EngineResult::kDone;
        case ToneMethod::kUnconverted:
            break;
    }
    return true;
}

}  // namespace

Preparation PrepareImage(CLogoBitmap& bitmap, const std::string& path,
                         const PrepareOptions& options) {
    const bool tone = bitmap.IsToneSource(path);
    if (bitmap.LoadSource(path) != EngineResult::kDone) return Preparation::kFailed;
    if (tone) {
        if (!ConvertTone(bitmap, options)) return Preparation::kWorkingFile;
    } else {
        bitmap.ToneTwoColour();
    }
    if (bitmap.WriteDotBitmap() != EngineResult::kDone) return Preparation::kWorkingFile;
    if (!RotationFile(options.rotation).empty() &&
        bitmap.TurnAndWrite(options.rotation) != EngineResult::kDone) {
        return Preparation::kWorkingFile;
    }
    return tone ? Preparation::kTone : Preparation::kTwoColour;
}

}  // namespace zelmar
