// Tone conversion: grey levels from the source, then dots by threshold or by
// Stucki error diffusion; and the WaterMark screen.
#include <algorithm>
#include <cstring>

#include "logo_bitmap.h"

namespace zelmar {

namespace {

std::uint8_t Clamp(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// Stucki weights over 42, in the order the shares are handed out.
struct Share {
    int row, column, weight;
};
constexpr Share kStucki[] = {
    {0, 1, 8},  {0, 2, 4},                                    // this row
    {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},  // next row
    {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1},  // the one after
};

// Twenty of every hundred dots survive the WaterMark screen: those where the
// table holds 0.
// clang-format off
constexpr std::uint8_t kWaterMarkScreen[10][10] = {
    {1, 1, 0, 1, 1, 1, 0, 1, 1, 1},
    {1, 1, 1, 1, 1, 0, 1, 1, 0, 1},
    {1, 1, 1, 0, 1, 1, 1, 0, 1, 1},
    {0, 1, 1, 1, 1, 0, 1, 1, 1, 1},
    {1, 1, 0, 1, 1, 1, 1, 1, 1, 0},
    {1, 1, 1, 0, 1, 1, 1, 0, 1, 1},
    {0, 1, 1, 1, 1, 0, 1, 1, 1, 1},
    {1, 0, 1, 1, 1, 1, 1, 1, 1, 0},
    {1, 1, 1, 0, 1, 1, 1, 1, 0, 1},
    {1, 1, 0, 1, 1, 1, 0, 1, 1, 1},
};
// clang-format on

}  // namespace

int BrightnessOffset(int16_t brightness) {
    if (brightness == 5) return 0;
    const double offset = ((5 - brightness) * 5) * 1.27;
    return static_cast<int16_t>(static_cast<int32_t>(offset));
}

Bgr CLogoBitmap::SourceColour(int32_t x, int32_t storedRow) const {
    const std::uint8_t* p = PixelAt(x, storedRow);
    const BmpSource& s = *source_;
    auto fromPalette = [&s](unsigned index) {
        return index < s.palette.size() ? s.palette[index] : Bgr{};
    };
    auto fromFields = [&s](std::uint32_t v) {
        const BmpHeader& h = s.header;
        return Bgr{h.blue.Extract(v), h.green.Extract(v), h.red.Extract(v)};
    };
    switch (depth_) {
        case 1:
            return fromPalette((p[0] >> (7 - x % 8)) & 1u);
        case 4:
            return fromPalette(x % 2 == 0 ? p[0] >> 4 : p[0] & 0x0Fu);
        case 8:
            return fromPalette(p[0]);
        case 16:
            return fromFields(GetU16(p));
        case 32:
            if (s.header.compression == kBiBitfields) return fromFields(GetU32(p));
            return Bgr{p[0], p[1], p[2]};
        default:
            return Bgr{p[0], p[1], p[2]};
    }
}

void CLogoBitmap::FillGrey(int offset) {
    std::memset(grey_.data(), 0, grey_.size());
    for (int32_t r = 0; r < height_; ++r) {
        std::uint8_t* row = &grey_[static_cast<std::size_t>(r) * kRasterStride];
        for (int32_t x = 0; x < width_; ++x) {
            const Bgr c = SourceColour(x, r);
            row[x] = static_cast<std::uint8_t>(
                GreyLevel(Clamp(c.b + offset), Clamp(c.g + offset), Clamp(c.r + offset)));
        }
    }
}

int CLogoBitmap::ToneNone(int16_t brightness) {
    if (!Loaded()) return 0;
    FillGrey(0);
    const int threshold = 5 * brightness + 103;
    for (int32_t r = 0; r < paddedHeight_; ++r) {
        const std::size_t at = static_cast<std::size_t>(r) * kRasterStride;
        for (int32_t c = 0; c < paddedWidth_; ++c) {
            dots_[at + c] = grey_[at + c] > threshold ? kWhite : kDot;
        }
    }
    return 1;
}

int CLogoBitmap::ToneDiffuse(int16_t brightness) {
    if (!Loaded()) return 0;
    FillGrey(BrightnessOffset(brightness));
    std::memset(dots_.data(), kDot, dots_.size());

    // One array of padded-width rows: a share aimed past the right edge lands
    // at the start of the following row, and the four spare rows and columns
    // take the shares aimed below the picture.
    const std::size_t w = static_cast<std::size_t>(paddedWidth_);
    const std::size_t h = static_cast<std::size_t>(paddedHeight_);
    Bytes work((h + 4) * (w + 4), 0);
    for (std::size_t r = 0; r < h; ++r) {
        std::copy_n(&grey_[r * kRasterStride], w, &work[r * w]);
    }

    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            const int v = work[r * w + c];
            int error = v;
            if (v > 128) {
                dots_[r * kRasterStride + c] = kWhite;
                error = v - 255;
            }
            for (const Share& s : kStucki) {
                const std::ptrdiff_t column = static_cast<std::ptrdiff_t>(c) + s.column;
                if (column < 0) continue;
                std::uint8_t& target = work[(r + s.row) * w + static_cast<std::size_t>(column)];
                target = Clamp(target + error * s.weight / 42);
            }
        }
    }
    return 1;
}

int CLogoBitmap::ToneTwoColour() {
    if (!Loaded()) return 0;
    std::memset(dots_.data(), kDot, dots_.size());
    for (int32_t r = 0; r < height_; ++r) {
        std::uint8_t* row = &dots_[static_cast<std::size_t>(r) * kRasterStride];
        for (int32_t x = 0; x < width_; ++x) {
            const Bgr c = SourceColour(x, r);
            row[x] = GreyLevel(c.b, c.g, c.r) < 128 ? kDot : kWhite;
        }
    }
    return 1;
}

int CLogoBitmap::ApplyWaterMarkScreen() {
    std::uint8_t* turned = TurnedRaster();
    const int32_t rows = PaddedTo8(turnedHeight_);
    const int32_t columns = PaddedTo8(turnedWidth_);
    for (int32_t r = 0; r < rows; ++r) {
        std::uint8_t* row = turned + static_cast<std::size_t>(r) * kTurnedStride;
        for (int32_t c = 0; c < columns; ++c) {
            // White (and the screen's own 1) stays white; a dot survives where
            // the table holds 0.
            if (row[c] == 255 || row[c] == 1) {
                row[c] = kWhite;
            } else if (row[c] == 0 && kWaterMarkScreen[r % 10][c % 10] == 1) {
                row[c] = kWhite;
            }
        }
    }
    return 1;
}

}  // namespace zelmar
