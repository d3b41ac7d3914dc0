#include "picture.h"

namespace standin {

Picture::Picture(int width, int height)
    : width_(width),
      height_(height),
      stride_((width + 7) / 8),
      bits_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0) {}

bool Picture::Dot(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return (Row(y)[x / 8] >> (7 - x % 8)) & 1;
}

void Picture::SetDot(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[static_cast<std::size_t>(y) * stride_ + x / 8] |=
        static_cast<std::uint8_t>(0x80 >> (x % 8));
}

void Picture::GrowTo(int height) {
    if (height <= height_) return;
    height_ = height;
    bits_.resize(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
}

void Picture::Draw(const Picture& other, int x, int y, int scaleX, int scaleY) {
    for (int sy = 0; sy < other.Height(); ++sy) {
        for (int sx = 0; sx < other.Width(); ++sx) {
            if (!other.Dot(sx, sy)) continue;
            for (int dy = 0; dy < scaleY; ++dy) {
                for (int dx = 0; dx < scaleX; ++dx)
                    SetDot(x + sx * scaleX + dx, y + sy * scaleY + dy);
            }
        }
    }
}

bool Picture::operator==(const Picture& other) const {
    return width_ == other.width_ && height_ == other.height_ && bits_ == other.bits_;
}

Picture FromColumns(const std::uint8_t* data, int columns, int bytesPerColumn) {
    Picture picture(columns, 8 * bytesPerColumn);
    for (int x = 0; x < columns; ++x) {
        const std::uint8_t* column = data + static_cast<std::size_t>(x) * bytesPerColumn;
        for (int y = 0; y < picture.Height(); ++y) {
            if ((column[y / 8] >> (7 - y % 8)) & 1) picture.SetDot(x, y);
        }
    }
    return picture;
}

Bytes ToColumns(const Picture& picture) {
    const int bytesPerColumn = picture.Height() / 8;
    Bytes data(static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(bytesPerColumn),
               0);
    for (int x = 0; x < picture.Width(); ++x) {
        for (int y = 0; y < 8 * bytesPerColumn; ++y) {
            if (picture.Dot(x, y)) {
                data[static_cast<std::size_t>(x) * bytesPerColumn + y / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (y % 8));
            }
        }
    }
    return data;
}

Picture FromRaster(const std::uint8_t* data, int bytesAcross, int rows) {
    Picture picture(8 * bytesAcross, rows);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(y) * bytesAcross;
        for (int x = 0; x < picture.Width(); ++x) {
            if ((row[x / 8] >> (7 - x % 8)) & 1) picture.SetDot(x, y);
        }
    }
    return picture;
}

}  // namespace standin
