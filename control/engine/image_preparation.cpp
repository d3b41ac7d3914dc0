#include "image_preparation.h"

namespace zelmar {

namespace {

void ConvertTone(CLogoBitmap& bitmap, const ImageOptions& options) {
    switch (options.imageMode) {
        case 0:
            bitmap.ToneNone(options.brightness);
            break;
        case 1:
            bitmap.ToneDiffuse(options.brightness);
            break;
        case 2:
            bitmap.ToneDiffuse(options.brightness);
            bitmap.CopyColourPlanes(options.brightness);
            break;
        default:
            break;  // other modes convert nothing
    }
}

}  // namespace

Preparation PrepareImage(CLogoBitmap& bitmap, const std::string& path,
                         const ImageOptions& options) {
    const bool tone = bitmap.IsToneSource(path) == 1;
    if (bitmap.LoadSource(path) != 1) return Preparation::kFailed;
    if (tone) {
        ConvertTone(bitmap, options);
    } else {
        bitmap.ToneTwoColour();
    }
    bitmap.WriteDotBitmap();
    bitmap.TurnAndWrite(options.rotation);
    return tone ? Preparation::kTone : Preparation::kTwoColour;
}

}  // namespace zelmar
