// Tone conversion: grey levels from the source, then dots by threshold or by
// Stucki error diffusion; and the WaterMark screen.
#include <algorithm>
#include <array>
#include <cstring>

#include "grey_reader.h"
#include "logo_bitmap.h"

namespace zelmar {

namespace {

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

// Stucki error diffusion over a padded picture.
//
// The diffusion walks the working values as one array of padded-width rows:
// pixel i hands its error to i + 1 and i + 2, and to columns c - 2 ... c + 2
// of the two rows above, so a share aimed past the right edge lands at the
// start of the following row, and one aimed left of column 0 is dropped. Each
// share is added and clamped on its own, so the order in which a value
// receives its shares matters: it is always the order of the pixels that send
// them.
//
// Within a row every pixel waits for the two before it. The shares for the
// rows above depend only on the finished row, so they are handed out once the
// row is done, for the whole row at once and cell by cell in the senders'
// order; the shares that wrap past the right edge follow, as the last pixels
// sent them. Four rows of working values are kept: the current one and the
// three its shares reach.
class Stucki {
  public:
    Stucki(const std::uint8_t* grey, std::uint8_t* dots, std::int32_t width, std::int32_t height)
        : grey_(grey), dots_(dots), width_(width), height_(height) {
        for (auto& row : rows_)
            row.assign(static_cast<std::size_t>(width) + kSpare, 0);
        for (auto& s : shares_)
            s.assign(static_cast<std::size_t>(width) + 2 * kSpare, 0);
    }

    void Run() {
        for (std::int32_t r = 0; r < kRing && r < height_; ++r)
            Load(r);
        for (std::int32_t r = 0; r < height_; ++r) {
            WalkRow(r);
            HandOutRow(r);
            if (r + kRing < height_) Load(r + kRing);
        }
    }

  private:
    static constexpr int kRing = 4;
    static constexpr std::size_t kSpare = 2;  // the reach of a share to either side
    // A value shifted by its last share lies within this much of 0 ... 255.
    static constexpr int kReach = 24;  // 128 * 8 / 42
    static constexpr std::size_t kValues = 256 + 2 * kReach;

    // What becomes of a pixel whose working value is x, once clamped: its dot
    // and the shares of its error by weight, truncated toward zero; indexed by
    // x + kReach.
    struct Outcomes {
        std::array<std::uint8_t, kValues> dot;
        std::array<std::int16_t, kValues> share1, share2, share4, share8;
    };

    static const Outcomes& OutcomeTables() {
        static const Outcomes tables = [] {
            Outcomes t{};
            for (int x = -kReach; x < 256 + kReach; ++x) {
                const int v = std::clamp(x, 0, 255);
                const int error = v > 128 ? v - 255 : v;
                const auto at = static_cast<std::size_t>(x + kReach);
                t.dot[at] = v > 128 ? kWhite : kDot;
                t.share1[at] = static_cast<std::int16_t>(error / 42);
                t.share2[at] = static_cast<std::int16_t>(error * 2 / 42);
                t.share4[at] = static_cast<std::int16_t>(error * 4 / 42);
                t.share8[at] = static_cast<std::int16_t>(error * 8 / 42);
            }
            return t;
        }();
        return tables;
    }

    static std::int16_t Add(std::int16_t v, std::int16_t share) {
        const auto sum = static_cast<std::int16_t>(v + share);
        return std::min<std::int16_t>(std::max<std::int16_t>(sum, 0), 255);
    }

    std::int16_t* Row(std::int32_t r) { return rows_[static_cast<std::size_t>(r % kRing)].data(); }
    std::int16_t* Shares(int weightIndex) {
        return shares_[static_cast<std::size_t>(weightIndex)].data() + kSpare;
    }

    void Load(std::int32_t r) {
        const std::uint8_t* from = grey_ + static_cast<std::size_t>(r) * kRasterStride;
        std::int16_t* to = Row(r);
        for (std::int32_t c = 0; c < width_; ++c)
            to[c] = from[c];
    }

    // The pixels of one row in turn, each taking the shares of the two before
    // it; each pixel's dot and shares are noted by column. The running value
    // stays unclamped after its last share, so that the next pixel waits for
    // no more than one table read.
    void WalkRow(std::int32_t r) {
        const Outcomes& t = OutcomeTables();
        const std::uint8_t* dotOf = t.dot.data() + kReach;
        const std::int16_t* share1Of = t.share1.data() + kReach;
        const std::int16_t* share2Of = t.share2.data() + kReach;
        const std::int16_t* share4Of = t.share4.data() + kReach;
        const std::int16_t* share8Of = t.share8.data() + kReach;
        std::uint8_t* dots = dots_ + static_cast<std::size_t>(r) * kRasterStride;
        std::int16_t *s1 = Shares(0), *s2 = Shares(1), *s4 = Shares(2), *s8 = Shares(3);
        const std::int16_t* row = Row(r);
        std::ptrdiff_t value = row[0];
        std::int16_t next = row[1];
        for (std::int32_t c = 0; c < width_; ++c) {
            const std::int16_t four = share4Of[value], eight = share8Of[value];
            dots[c] = dotOf[value];
            s1[c] = share1Of[value], s2[c] = share2Of[value], s4[c] = four, s8[c] = eight;
            value = next + eight;
            next = Add(row[c + 2], four);
        }
    }

    // The finished row's shares to the rows above.
    void HandOutRow(std::int32_t r) {
        const std::int16_t *s1 = Shares(0), *s2 = Shares(1), *s4 = Shares(2), *s8 = Shares(3);
        const std::int32_t last = width_ - 1, beforeLast = width_ - 2;
        // The next row: shares 2 4 8 4 2, then what the row's last two pixels
        // sent past the edge of their own row.
        std::int16_t* next = Row(r + 1);
        Gather(next, s2, s4, s8);
        next[0] = Add(Add(next[0], s4[beforeLast]), s8[last]);
        next[1] = Add(next[1], s4[last]);
        // The row after: shares 1 2 4 2 1, then the wrapped 2 4 8 4 2.
        std::int16_t* after = Row(r + 2);
        Gather(after, s1, s2, s4);
        after[0] = Add(Add(after[0], s2[beforeLast]), s4[last]);
        after[1] = Add(after[1], s2[last]);
        // Three rows on: only the wrapped 1 2 4 2 1.
        std::int16_t* third = Row(r + 3);
        third[0] = Add(Add(third[0], s1[beforeLast]), s2[last]);
        third[1] = Add(third[1], s1[last]);
    }

    // Cell c takes outer[c - 2], inner[c - 1], centre[c], inner[c + 1] and
    // outer[c + 2] in that order: the order of the pixels that send them.
    // Beyond either end of the row the shares are 0, which changes nothing.
    void Gather(std::int16_t* row, const std::int16_t* outer, const std::int16_t* inner,
                const std::int16_t* centre) const {
        for (std::int32_t c = 0; c < width_; ++c) {
            std::int16_t v = row[c];
            v = Add(v, outer[c - 2]);
            v = Add(v, inner[c - 1]);
            v = Add(v, centre[c]);
            v = Add(v, inner[c + 1]);
            v = Add(v, outer[c + 2]);
            row[c] = v;
        }
    }

    const std::uint8_t* grey_;
    std::uint8_t* dots_;
    std::int32_t width_, height_;
    std::array<std::vector<std::int16_t>, kRing> rows_;
    std::array<std::vector<std::int16_t>, 4> shares_;  // by weight 1, 2, 4, 8
};

}  // namespace

int BrightnessOffset(int16_t brightness) {
    if (brightness == 5) return 0;
    const double offset = ((5 - brightness) * 5) * 1.27;
    return static_cast<int16_t>(static_cast<int32_t>(offset));
}

void CLogoBitmap::ClearOutside(Bytes& raster, Extent& used, Extent kept) {
    for (int32_t r = 0; r < used.rows; ++r) {
        const int32_t from = r < kept.rows ? kept.columns : 0;
        if (from < used.columns) {
            std::memset(&raster[static_cast<std::size_t>(r) * kRasterStride + from], 0,
                        static_cast<std::size_t>(used.columns - from));
        }
    }
    used = kept;
}

void CLogoBitmap::FillGrey(int offset) {
    ClearOutside(grey_, greyUsed_, {height_, width_});
    const GreyReader reader(*source_, offset);
    for (int32_t r = 0; r < height_; ++r) {
        reader.Row(PixelAt(0, r), width_, &grey_[static_cast<std::size_t>(r) * kRasterStride]);
    }
}

EngineResult CLogoBitmap::ToneNone(int16_t brightness) {
    if (!Loaded()) return EngineResult::kFailed;
    FillGrey(0);
    const int threshold = 5 * brightness + 103;
    // Local bounds: a store of a byte could change any member.
    const int32_t rows = paddedHeight_, columns = paddedWidth_;
    for (int32_t r = 0; r < rows; ++r) {
        const std::uint8_t* grey = &grey_[static_cast<std::size_t>(r) * kRasterStride];
        std::uint8_t* dots = &dots_[static_cast<std::size_t>(r) * kRasterStride];
        for (int32_t c = 0; c < columns; ++c)
            dots[c] = grey[c] > threshold ? kWhite : kDot;
    }
    dotsUsed_ = {std::max(dotsUsed_.rows, paddedHeight_),
                 std::max(dotsUsed_.columns, paddedWidth_)};
    return EngineResult::kDone;
}

EngineResult CLogoBitmap::ToneDiffuse(int16_t brightness) {
    if (!Loaded()) return EngineResult::kFailed;
    FillGrey(BrightnessOffset(brightness));
    ClearOutside(dots_, dotsUsed_, {paddedHeight_, paddedWidth_});
    Stucki(grey_.data(), dots_.data(), paddedWidth_, paddedHeight_).Run();
    return EngineResult::kDone;
}

EngineResult CLogoBitmap::ToneTwoColour() {
    if (!Loaded()) return EngineResult::kFailed;
    ClearOutside(dots_, dotsUsed_, {height_, width_});
    const GreyReader reader(*source_, 0);
    for (int32_t r = 0; r < height_; ++r) {
        std::uint8_t* row = &dots_[static_cast<std::size_t>(r) * kRasterStride];
        reader.Row(PixelAt(0, r), width_, row);
        for (int32_t x = 0; x < width_; ++x)
            row[x] = row[x] < 128 ? kDot : kWhite;
    }
    return EngineResult::kDone;
}

EngineResult CLogoBitmap::ApplyWaterMarkScreen() {
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
    return EngineResult::kDone;
}

}  // namespace zelmar
