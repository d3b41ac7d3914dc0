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

// How much of `to` pixels' span k (each `from` units long) overlaps source
// pixel i (each `to` units long): spans in units of 1 / (from * to) picture.
std::uint64_t Overlap(std::uint64_t k, std::uint64_t from, std::uint64_t i, std::uint64_t to) {
    const std::uint64_t low = std::max(k * from, i * to);
    const std::uint64_t high = std::min((k + 1) * from, (i + 1) * to);
    return high > low ? high - low : 0;
}

// Each output pixel is the exact mean of the source area it covers, weighted by
// the part of each source pixel inside it, rounded once at the end.
class AreaAverage {
  public:
    AreaAverage(const Bytes& bgr, PictureSize from, PictureSize to)
        : bgr_(bgr), from_(from), to_(to), rowSums_(3 * static_cast<std::size_t>(to.width)) {}

    // Output row `y`, blue-green-red, into `out`.
    void Row(std::int32_t y, std::uint8_t* out) {
        std::vector<std::uint64_t> sums(rowSums_.size(), 0);
        const std::uint64_t fh = static_cast<std::uint64_t>(from_.height);
        const std::uint64_t th = static_cast<std::uint64_t>(to_.height);
        const std::uint64_t uy = static_cast<std::uint64_t>(y);
        for (std::uint64_t j = uy * fh / th; j * th < (uy + 1) * fh; ++j) {
            const std::uint64_t weight = Overlap(uy, fh, j, th);
            SumRow(static_cast<std::int32_t>(j));
            for (std::size_t k = 0; k < sums.size(); ++k)
                sums[k] += rowSums_[k] * weight;
        }
        const std::uint64_t area = static_cast<std::uint64_t>(from_.width) * fh;
        for (std::size_t k = 0; k < sums.size(); ++k)
            out[k] = static_cast<std::uint8_t>((sums[k] + area / 2) / area);
    }

  private:
    // One source row summed over each output column's span.
    void SumRow(std::int32_t y) {
        std::fill(rowSums_.begin(), rowSums_.end(), 0);
        const std::uint64_t fw = static_cast<std::uint64_t>(from_.width);
        const std::uint64_t tw = static_cast<std::uint64_t>(to_.width);
        const std::uint8_t* row = &bgr_[3 * static_cast<std::size_t>(y) * from_.width];
        for (std::uint64_t x = 0; x < tw; ++x) {
            for (std::uint64_t i = x * fw / tw; i * tw < (x + 1) * fw; ++i) {
                const std::uint64_t weight = Overlap(x, fw, i, tw);
                for (std::size_t c = 0; c < 3; ++c)
                    rowSums_[3 * x + c] += row[3 * i + c] * weight;
            }
        }
    }

    const Bytes& bgr_;
    PictureSize from_, to_;
    std::vector<std::uint64_t> rowSums_;
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
    for (std::int32_t y = 0; y < size.height; ++y) {
        // BMP rows are stored bottom row first.
        average.Row(y, &rows[stride * static_cast<std::size_t>(size.height - 1 - y)]);
    }
    return TrueColourFile(size.width, size.height, rows.data(), stride);
}

}  // namespace zelmar::cli
