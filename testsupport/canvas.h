// A picture in memory to draw into and read back: a 32-bit top-down DIB
// section with its own device context. Windows builds only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zelmar::test {

class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill = RGB(0, 0, 0));
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    HDC Dc() const { return dc_; }
    // 0xRRGGBB
    std::uint32_t At(int x, int y) const;
    // Every pixel, row by row from the top, as 0xRRGGBB.
    std::vector<std::uint32_t> Pixels() const;
    // The first "x,y" where `other` differs, or "same".
    std::string FirstDifference(const Canvas& other) const;

  private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

}  // namespace zelmar::test
