#include "picture_import.h"

#include <algorithm>
#include <vector>

#include "engine/bmp_reader.h"
#include "engine/logo_bitmap.h"
#include "engine/working_files.h"

namespace zelmar::cli {

namespace {

// Blue, green and red of every pixel on white paper; the top row first.
Bytes OnWhitePaper(const RgbaPicture& picture) {
    const std::size_t pixels = static_cast<std::size_t>(picture.width) * picture.height;
    Bytes bgr(3 * pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = &picture.rgba[4 * i];
        bgr[3 * i] = OnWhite(p[2], p[3]);
        bgr[3 * i + 1] = OnWhite(p[1], p[3]);
        bgr[3 * i + 2] = OnWhite(p[0], p[3]);
    }
    return bgr;
}

// Output pixel k spans [k * from, (k + 1) * from) and source pixel i spans
// [i * to, (i + 1) * to), in units of 1 / (from * to) of the picture's side.
struct Spans {
    std::uint64_t from, to;
    // The first source pixel under output pixel k.
    std::size_t First(std::size_t k) const { return static_cast<std::size_t>(k * from / to); }
    // Whether source pixel i still reaches under output pixel k.
    bool Under(std::size_t i, std::size_t k) const { return i * to < (k + 1) * from; }
    std::uint64_t Overlap(std::size_t k, std::size_t i) const {
        const std::uint64_t low = std::max(k * from, i * to);
        const std::uint64_t high = std::min((k + 1) * from, (i + 1) * to);
        return high > low ? high - low : 0;
    }
};

// Each output pixel is the exact mean of the source area it covers, weighted by
// the part of each source pixel inside it, rounded once at the end.
class AreaAverage {
  public:
    AreaAverage(const Bytes& bgr, PictureSize from, PictureSize to)
        : bgr_(bgr),
          sourceWidth_(static_cast<std::size_t>(from.width)),
          columns_{static_cast<std::uint64_t>(from.width), static_cast<std::uint64_t>(to.width)},
          rows_{static_cast<std::uint64_t>(from.height), static_cast<std::uint64_t>(to.height)},
          rowSums_(3 * static_cast<std::size_t>(to.width)),
          sums_(rowSums_.size()) {}

    // Output row `y`, blue-green-red, into `out`.
    void Row(std::size_t y, std::uint8_t* out) {
        std::fill(sums_.begin(), sums_.end(), 0);
        for (std::size_t j = rows_.First(y); rows_.Under(j, y); ++j) {
            const std::uint64_t weight = rows_.Overlap(y, j);
            SumRow(j);
            for (std::size_t k = 0; k < sums_.size(); ++k)
                sums_[k] += rowSums_[k] * weight;
        }
        const std::uint64_t area = columns_.from * rows_.from;
        for (std::size_t k = 0; k < sums_.size(); ++k)
            out[k] = static_cast<std::uint8_t>((sums_[k] + area / 2) / area);
    }

  private:
    // Source row `y` summed over each output column's span.
    void SumRow(std::size_t y) {
        std::fill(rowSums_.begin(), rowSums_.end(), 0);
        const std::uint8_t* row = &bgr_[3 * y * sourceWidth_];
        for (std::size_t x = 0; 3 * x < rowSums_.size(); ++x) {
            for (std::size_t i = columns_.First(x); columns_.Under(i, x); ++i) {
                const std::uint64_t weight = columns_.Overlap(x, i);
                for (std::size_t c = 0; c < 3; ++c)
                    rowSums_[3 * x + c] += row[3 * i + c] * weight;
            }
        }
    }

    const Bytes& bgr_;
    std::size_t sourceWidth_;
    Spans columns_, rows_;
    std::vector<std::uint64_t> rowSums_, sums_;
};

}  // namespace

PictureSize FittedSize(PictureSize picture, std::int32_t width) {
    const std::int64_t w = picture.width, h = picture.height;
    const std::int64_t maxW = width, maxH = kMaxSourceHeight;
    if (w <= maxW && h <= maxH) return picture;
    // The side that reaches its limit first sets the scale; the other rounds.
    if (maxW * h <= maxH * w) {
        return {width,
                static_cast<std::int32_t>(std::max<std::int64_t>(1, (h * maxW + w / 2) / w))};
    }
    return {static_cast<std::int32_t>(std::max<std::int64_t>(1, (w * maxH + h / 2) / h)),
            kMaxSourceHeight};
}

Bytes ImportedBmp(const RgbaPicture& picture, PictureSize size) {
    const Bytes bgr = OnWhitePaper(picture);
    AreaAverage average(bgr, {picture.width, picture.height}, size);
    const std::size_t stride = TrueColourRowBytes(size.width);
    Bytes rows(stride * static_cast<std::size_t>(size.height), 0);
    const std::size_t height = static_cast<std::size_t>(size.height);
    for (std::size_t y = 0; y < height; ++y) {
        // BMP rows are stored bottom row first.
        average.Row(y, &rows[stride * (height - 1 - y)]);
    }
    return TrueColourFile(size.width, size.height, rows.data(), stride);
}

}  // namespace zelmar::cli
