#include "rules.h"

#include <charconv>

namespace orvenna {

int32_t NvDataSize(int32_t height, int32_t width) {
    const int64_t rows = height / 8 + (height % 8 != 0 ? 1 : 0);
    const int64_t padded = width % 8 == 0 ? width : width + 8 - width % 8;
    return static_cast<int32_t>(rows * padded);
}

bool PrintableSize(int32_t height, int32_t width) {
    return height >= 1 && width >= 1 && height <= kMaxLogoHeight && width <= kMaxLogoWidth;
}

std::string ShortestSingle(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    return std::string(text, result.ptr);
}

}  // namespace orvenna
