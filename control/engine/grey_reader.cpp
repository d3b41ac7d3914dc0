#include "grey_reader.h"

#include <algorithm>

#include "logo_bitmap.h"

namespace zelmar {

namespace {

// Channels of up to this many bits are scaled through a table (at most 4 KiB).
constexpr int kMaxTableBits = 12;

std::array<double, 256> Weighed(int offset, double weight) {
    std::array<double, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[v] = std::clamp(v + offset, 0, 255) * weight;
    return table;
}

}  // namespace

GreyReader::Field::Field(const BitField& field) : field_(field) {
    if (field.bits == 0 || field.bits > kMaxTableBits) return;
    scaled_.resize(std::size_t{1} << field.bits);
    for (std::uint32_t v = 0; v < scaled_.size(); ++v)
        scaled_[v] = field.Extract(v << field.shift);
}

GreyReader::GreyReader(const BmpSource& source, int offset)
    : depth_(source.header.depth),
      bitFields_(source.header.compression == kBiBitfields),
      blue_(Weighed(offset, kBlueWeight)),
      green_(Weighed(offset, kGreenWeight)),
      red_(Weighed(offset, kRedWeight)),
      blueField_(source.header.blue),
      greenField_(source.header.green),
      redField_(source.header.red) {
    // An index beyond the colour table reads as black.
    for (std::size_t i = 0; i < indexed_.size(); ++i) {
        const Bgr c = i < source.palette.size() ? source.palette[i] : Bgr{};
        indexed_[i] = Grey(c.b, c.g, c.r);
    }
}

std::uint8_t GreyReader::Grey(std::uint8_t b, std::uint8_t g, std::uint8_t r) const {
    return static_cast<std::uint8_t>(SumToGrey(green_[g], red_[r], blue_[b]));
}

void GreyReader::Row(const std::uint8_t* p, std::int32_t width, std::uint8_t* grey) const {
    switch (depth_) {
        case 1:
            for (std::int32_t x = 0; x < width; ++x)
                grey[x] = indexed_[(p[x >> 3] >> (7 - (x & 7))) & 1u];
            return;
        case 4:
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint8_t pair = p[x >> 1];
                grey[x] = indexed_[(x & 1) ? pair & 0x0Fu : pair >> 4];
            }
            return;
        case 8:
            for (std::int32_t x = 0; x < width; ++x)
                grey[x] = indexed_[p[x]];
            return;
        case 16:
            for (std::int32_t x = 0; x < width; ++x)
                grey[x] = FieldGrey(GetU16(p + 2 * x));
            return;
        case 32:
            if (bitFields_) {
                for (std::int32_t x = 0; x < width; ++x)
                    grey[x] = FieldGrey(GetU32(p + 4 * x));
            } else {
                for (std::int32_t x = 0; x < width; ++x, p += 4)
                    grey[x] = Grey(p[0], p[1], p[2]);
            }
            return;
        default:
            for (std::int32_t x = 0; x < width; ++x, p += 3)
                grey[x] = Grey(p[0], p[1], p[2]);
            return;
    }
}

}  // namespace zelmar
