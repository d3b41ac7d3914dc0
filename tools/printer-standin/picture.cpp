#include "picture.h"

#include <algorithm>

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

namespace {

// Eight dots of a row from dot `at` on, the first in bit 7; dots past the
// row's `size` bytes read as blank.
std::uint8_t EightDots(const std::uint8_t* row, std::size_t size, int at) {
    const auto byte = static_cast<std::size_t>(at / 8);
    const int shift = at % 8;
    if (shift == 0) return row[byte];
    const unsigned low = byte + 1 < size ? row[byte + 1] : 0;
    return static_cast<std::uint8_t>(row[byte] << shift | low >> (8 - shift));
}

// ORs `count` dots of `from` (`size` bytes), from dot `fromX` on, into `to`
// from dot `toX` on, eight dots at a time.
void OrDots(std::uint8_t* to, int toX, const std::uint8_t* from, std::size_t size, int fromX,
            int count) {
    const int shift = toX % 8;
    std::uint8_t* at = to + toX / 8;
    for (int done = 0; done < count; done += 8, ++at) {
        auto dots = EightDots(from, size, fromX + done);
        if (count - done < 8) dots &= static_cast<std::uint8_t>(0xFF00 >> (count - done));
        if (dots == 0) continue;
        at[0] |= static_cast<std::uint8_t>(dots >> shift);
        // Dots that spill into the next byte lie within the count, so within the row.
        const auto spill = static_cast<std::uint8_t>(dots << (8 - shift));
        if (spill != 0) at[1] |= spill;
    }
}

// The picture with every dot widened `scale` times.
Picture Widened(const Picture& picture, int scale) {
    Picture wide(picture.Width() * scale, picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            if ((row[x / 8] >> (7 - x % 8) & 1) == 0) continue;
            for (int at = x * scale; at < (x + 1) * scale; ++at)
                wide.SetDot(at, y);
        }
    }
    return wide;
}

}  // namespace

// Row by row and eight dots at a time: receipts are drawn from many small
// pictures, and dot by dot was most of the printer's time.
void Picture::Draw(const Picture& other, int x, int y, int scaleX, int scaleY) {
    if (scaleX <= 0 || scaleY <= 0) return;
    if (scaleX != 1) return Draw(Widened(other, scaleX), x, y, 1, scaleY);
    const long long left = std::max(0LL, -static_cast<long long>(x));
    const long long count =
        std::min<long long>(other.Width(), static_cast<long long>(width_) - x) - left;
    if (count <= 0) return;
    const auto size = static_cast<std::size_t>(other.Stride());
    const long long top = std::max(0LL, static_cast<long long>(y));
    const long long bottom = std::min(static_cast<long long>(height_),
                                      y + static_cast<long long>(other.Height()) * scaleY);
    for (long long ty = top; ty < bottom; ++ty) {
        OrDots(bits_.data() + static_cast<std::size_t>(ty) * stride_, static_cast<int>(x + left),
               other.Row(static_cast<int>((ty - y) / scaleY)), size, static_cast<int>(left),
               static_cast<int>(count));
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
