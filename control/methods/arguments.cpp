#include "arguments.h"

#include <cstddef>

namespace zelmar {

namespace {

// The meaning of `number` in a table of the meanings of `first`, `first` + 1,
// ...; `otherwise` for every number outside it.
template <typename Meaning, std::size_t N>
Meaning Lookup(int32_t number, int32_t first, const Meaning (&table)[N], Meaning otherwise) {
    const int64_t at = int64_t{number} - first;
    return at >= 0 && at < static_cast<int64_t>(N) ? table[at] : otherwise;
}

}  // namespace

ToneMethod ToneMethodOf(int16_t imageMode) {
    static constexpr ToneMethod kModes[] = {ToneMethod::kNone, ToneMethod::kDiffusion,
                                            ToneMethod::kDiffusionAndColour};
    return Lookup(imageMode, 0, kModes, ToneMethod::kUnconverted);
}

ColourFile ColourFileOf(int16_t selector) {
    static constexpr ColourFile kSelectors[] = {ColourFile::kRed, ColourFile::kGreen,
                                                ColourFile::kBlue};
    return Lookup(selector, 12, kSelectors, ColourFile::kNone);
}

Role RoleOf(int16_t selectType) {
    static constexpr Role kTypes[] = {Role::kTopLogo, Role::kBottomLogo, Role::kWaterMark,
                                      Role::kMarginMessage};
    return Lookup(selectType, 0, kTypes, Role::kNone);
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
