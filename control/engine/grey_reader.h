// Grey levels of a loaded source, a stored row at a time. The depth and layout
// are looked at once per row, never per pixel: palette pictures read the grey
// of each index from a table, bit-field pictures each channel's scaled value,
// and every channel's weight comes from a table built with the brightness
// offset and clamp already applied.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "bmp_reader.h"

namespace zelmar {

class GreyReader {
  public:
    // `offset` is added to every channel, and the sum clamped to 0 ... 255,
    // before the channel is weighed.
    GreyReader(const BmpSource& source, int offset);

    // The grey levels of the first `width` pixels of the stored row `stored`.
    void Row(const std::uint8_t* stored, std::int32_t width, std::uint8_t* grey) const;

  private:
    // One channel of a 16- or 32-bit pixel, scaled as the reader scales it;
    // from a table wherever the channel is narrow enough for one.
    class Field {
      public:
        explicit Field(const BitField& field);
        std::uint8_t operator()(std::uint32_t pixel) const {
            return scaled_.empty() ? field_.Extract(pixel)
                                   : scaled_[(pixel & field_.mask) >> field_.shift];
        }

      private:
        BitField field_;
        std::vector<std::uint8_t> scaled_;
    };

    std::uint8_t Grey(std::uint8_t b, std::uint8_t g, std::uint8_t r) const;
    std::uint8_t FieldGrey(std::uint32_t pixel) const {
        return Grey(blueField_(pixel), greenField_(pixel), redField_(pixel));
    }

    std::uint16_t depth_;
    bool bitFields_;
    std::array<double, 256> blue_, green_, red_;
    std::array<std::uint8_t, 256> indexed_{};  // depths 1, 4 and 8: the grey of each index
    Field blueField_, greenField_, redField_;
};

}  // namespace zelmar
