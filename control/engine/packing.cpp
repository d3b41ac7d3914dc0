// Packing dots into the printer's bit-image data.
#include <algorithm>

#include "dot_bits.h"

#include "logo_bitmap.h"

namespace zelmar {

namespace {

// NV data of a w x h picture of the turned raster (row 0 the bottom): for each
// column of the padded width, its bytes from the top, the picture in the bottom
// h of the padded height. Eight raster rows make a band of bytes, eight columns
// of a band at a time.
void PackColumns(const std::uint8_t* raster, int32_t w, int32_t h, std::uint8_t* out) {
    const int32_t paddedWidth = PaddedTo8(w), paddedHeight = PaddedTo8(h);
    const int32_t bands = paddedHeight / 8;
    const int32_t topPadding = paddedHeight - h;
    for (int32_t band = 0; band < bands; ++band) {
        // The raster rows of the band's packed rows, top first; null above the picture.
        const std::uint8_t* rows[8];
        for (int32_t bit = 0; bit < 8; ++bit) {
            const int32_t y = band * 8 + bit;
            rows[bit] = y < topPadding ? nullptr
                                       : raster + static_cast<std::size_t>(paddedHeight - 1 - y) *
                                                      kTurnedStride;
        }
        std::uint8_t* column = out + band;
        int32_t x = 0;
        for (; x + 8 <= w; x += 8) {
            std::uint64_t bytes = 0;  // byte k for column x + k, the top row in the high bit
            for (int32_t bit = 0; bit < 8; ++bit) {
                if (rows[bit]) bytes |= AtMost126Bytes(rows[bit] + x) >> bit;
            }
            for (int32_t k = 0; k < 8; ++k, column += bands)
                *column = static_cast<std::uint8_t>(bytes >> 8 * k);
        }
        for (; x < paddedWidth; ++x, column += bands) {
            std::uint8_t byte = 0;
            for (int32_t bit = 0; bit < 8 && x < w; ++bit) {
                if (rows[bit] && rows[bit][x] <= 126)
                    byte |= static_cast<std::uint8_t>(0x80u >> bit);
            }
            *column = byte;
        }
    }
}

}  // namespace

EngineResult CLogoBitmap::PackTurned(const std::string& path) {
    streamLength_ = 0;
    BmpHeader turned;
    if (const SourceError e = ReadBmpInfo(path, turned)) {
        fault_ = {path, e, {}, {}};
        return EngineResult::kFailed;
    }
    const int32_t w = turned.width, h = turned.height;
    const int32_t paddedWidth = PaddedTo8(w), paddedHeight = PaddedTo8(h);
    // The file names the size; the dots come from the turned raster, which
    // must hold them.
    if (w > kTurnedStride || paddedHeight > kTurnedRows) {
        fault_ = {path, SourceError::TooLarge(), {}, {}};
        return EngineResult::kFailed;
    }

    topPadding_ = paddedHeight - h;
    packedWidth_ = paddedWidth;
    packedHeight_ = paddedHeight;
    PackColumns(TurnedRaster(), w, h, stream_.data());
    streamLength_ = paddedWidth * paddedHeight / 8;
    return EngineResult::kDone;
}

EngineResult CLogoBitmap::PackBands() {
    streamLength_ = 0;
    if (!Loaded()) return EngineResult::kFailed;
    packedWidth_ = paddedWidth_;
    packedHeight_ = paddedHeight_;
    topPadding_ = 0;
    std::uint8_t* out = stream_.data();
    for (int32_t band = 0; band < paddedHeight_ / 8; ++band) {
        for (int32_t x = 0; x < paddedWidth_; ++x) {
            std::uint8_t byte = 0;
            for (int32_t bit = 0; bit < 8 && x < width_; ++bit) {
                const int32_t y = band * 8 + bit;  // 0 = the top row
                if (y >= height_) break;
                const std::uint8_t* p = PixelAt(x, height_ - 1 - y);
                // A stored 0 bit prints: colour 0 of the usual table is black.
                if (((*p >> (7 - x % 8)) & 1u) == 0) {
                    byte = static_cast<std::uint8_t>(byte | (0x80u >> bit));
                }
            }
            *out++ = byte;
        }
    }
    streamLength_ = static_cast<int32_t>(out - stream_.data());
    return EngineResult::kDone;
}

}  // namespace zelmar
