// A 1-bit picture kept row by row: the form in which the stand-in stores,
// prints and dumps every image, whatever form it arrived in.
#pragma once

#include <cstdint>

#include "engine/bytes.h"

namespace standin {

using zelmar::Bytes;

class Picture {
  public:
    Picture() = default;
    Picture(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // Bytes per row; bit 7 of a row's first byte is its leftmost dot.
    int Stride() const { return stride_; }
    const std::uint8_t* Row(int y) const {
        return bits_.data() + static_cast<std::size_t>(y) * stride_;
    }

    // False outside the picture.
    bool Dot(int x, int y) const;
    // Ignored outside the picture.
    void SetDot(int x, int y);
    // Adds blank rows at the bottom.
    void GrowTo(int height);
    // ORs `other` in with its top left corner at (x, y), every dot widened
    // `scaleX` times and heightened `scaleY` times; what falls outside is cut off.
    void Draw(const Picture& other, int x, int y, int scaleX = 1, int scaleY = 1);

    bool operator==(const Picture& other) const;
    bool operator!=(const Picture& other) const { return !(*this == other); }

  private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    Bytes bits_;
};

// Column data: `columns` columns from the left, each `bytesPerColumn` bytes
// top to bottom, the most significant bit the top dot. This is the NV data of
// stored images (bytesPerColumn = height / 8) and the data of ESC * (1 or 3).
Picture FromColumns(const std::uint8_t* data, int columns, int bytesPerColumn);
// The NV data of a picture whose height is a multiple of 8.
Bytes ToColumns(const Picture& picture);
// Raster data: `rows` rows of `bytesAcross` bytes, the most significant bit
// the leftmost dot (GS v 0).
Picture FromRaster(const std::uint8_t* data, int bytesAcross, int rows);

}  // namespace standin
