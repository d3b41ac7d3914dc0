#include "canvas.h"

namespace zelmar::test {

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    const HBRUSH brush = CreateSolidBrush(fill);
    const RECT all = {0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

Canvas::~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

std::uint32_t Canvas::At(int x, int y) const {
    GdiFlush();
    return static_cast<const std::uint32_t*>(bits_)[y * width_ + x] & 0xFFFFFF;
}

std::vector<std::uint32_t> Canvas::Pixels() const {
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits_);
    std::vector<std::uint32_t> copy(pixels, pixels + width_ * height_);
    for (std::uint32_t& pixel : copy)
        pixel &= 0xFFFFFF;
    return copy;
}

std::string Canvas::FirstDifference(const Canvas& other) const {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (At(x, y) != other.At(x, y)) return std::to_string(x) + "," + std::to_string(y);
        }
    }
    return "same";
}

}  // namespace zelmar::test
