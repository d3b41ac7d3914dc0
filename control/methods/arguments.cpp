#include "arguments.h"

namespace zelmar {

ToneMethod ToneMethodOf(int16_t imageMode) {
    switch (imageMode) {
        case 0:
            return ToneMethod::kNone;
        case 1:
            return ToneMethod::kDiffusion;
        case 2:
            return ToneMethod::kDiffusionAndColour;
        default:
            return ToneMethod::kUnconverted;
    }
}

ColourFile ColourFileOf(int16_t selector) {
    switch (selector) {
        case 12:
            return ColourFile::kRed;
        case 13:
            return ColourFile::kGreen;
        case 14:
            return ColourFile::kBlue;
        default:
            return ColourFile::kNone;
    }
}

Role RoleOf(int16_t selectType) {
    switch (selectType) {
        case 0:
            return Role::kTopLogo;
        case 1:
            return Role::kBottomLogo;
        case 2:
            return Role::kWaterMark;
        case 3:
            return Role::kMarginMessage;
        default:
            return Role::kNone;
    }
}

PrinterModel PrinterModelOf(int32_t printer) {
    if (printer == 0) return {true, true, true, true};
    if (printer == 3) return {false, false, true, true};
    return {false, false, false, false};
}

EraseMode EraseModeOf(int16_t mode) {
    return mode == 0 ? EraseMode::kPrintAll : EraseMode::kErase;
}

PrepareOptions PrepareOptionsOf(const ImageOptions& image) {
    const ToneMethod tone = ToneMethodOf(image.imageMode);
    // Brightness doubles as the colour selector where a colour file is written.
    const ColourFile colour = tone == ToneMethod::kDiffusionAndColour
                                  ? ColourFileOf(image.brightness)
                                  : ColourFile::kNone;
    return {tone, image.brightness, image.rotation, colour};
}

ModelZeroOptions ModelZeroOptionsOf(const UploadOptions& upload) {
    return {PrepareOptionsOf(upload.image), RoleOf(upload.selectType), upload.selectMargin};
}

}  // namespace zelmar
