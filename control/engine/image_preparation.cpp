#include "image_preparation.h"

#include "working_files.h"

namespace zelmar {

namespace {

// False when the colour file of mode 2 cannot be written.
bool ConvertTone(CLogoBitmap& bitmap, const ImageOptions& options) {
    switch (options.imageMode) {
        case 0:
            bitmap.ToneNone(options.brightness);
            return true;
        case 1:
            bitmap.ToneDiffuse(options.brightness);
            return true;
        case 2:
            bitmap.ToneDiffuse(options.brightness);
            return bitmap.CopyColourPlanes(options.brightness) == 1;
        default:
            return true;  // other modes convert nothing
    }
}

}  // namespace

Preparation PrepareImage(CLogoBitmap& bitmap, const std::string& path,
                         const ImageOptions& options) {
    const bool tone = bitmap.IsToneSource(path) == 1;
    if (bitmap.LoadSource(path) != 1) return Preparation::kFailed;
    if (tone) {
        if (!ConvertTone(bitmap, options)) return Preparation::kWorkingFile;
    } else {
        bitmap.ToneTwoColour();
    }
    if (bitmap.WriteDotBitmap() != 1) return Preparation::kWorkingFile;
    if (!RotationFile(options.rotation).empty() && bitmap.TurnAndWrite(options.rotation) != 1) {
        return Preparation::kWorkingFile;
    }
    return tone ? Preparation::kTone : Preparation::kTwoColour;
}

}  // namespace zelmar
