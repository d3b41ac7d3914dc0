// Packing dots into the printer's bit-image data.
#include <algorithm>

#include "logo_bitmap.h"

namespace zelmar {

int CLogoBitmap::PackTurned(const std::string& path) {
    streamLength_ = 0;
    BmpHeader turned;
    if (const SourceError e = ReadBmpInfo(path, turned)) {
        fault_ = {path, e, {}, {}};
        return 0;
    }
    const int32_t w = turned.width, h = turned.height;
    const int32_t paddedWidth = PaddedTo8(w), paddedHeight = PaddedTo8(h);
    // The file names the size; the dots come from the turned raster, which
    // must hold them.
    if (w > kTurnedStride || paddedHeight > kTurnedRows) {
        fault_ = {path, SourceError::TooLarge(), {}, {}};
        return 0;
    }

    topPadding_ = paddedHeight - h;
    packedWidth_ = paddedWidth;
    packedHeight_ = paddedHeight;
    const std::uint8_t* raster = TurnedRaster();
    std::uint8_t* out = stream_.data();
    for (int32_t x = 0; x < paddedWidth; ++x) {
        for (int32_t band = 0; band < paddedHeight / 8; ++band) {
            std::uint8_t byte = 0;
            for (int32_t bit = 0; bit < 8; ++bit) {
                // Packed row 0 is the top; the picture fills the bottom h rows.
                const int32_t y = band * 8 + bit;
                if (y < topPadding_ || x >= w) continue;
                const std::size_t row = static_cast<std::size_t>(paddedHeight - 1 - y);
                if (raster[row * kTurnedStride + x] <= 126) {
                    byte = static_cast<std::uint8_t>(byte | (0x80u >> bit));
                }
            }
            *out++ = byte;
        }
    }
    streamLength_ = static_cast<int32_t>(out - stream_.data());
    return 1;
}

int CLogoBitmap::PackBands() {
    streamLength_ = 0;
    if (!Loaded()) return 0;
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
    return 1;
}

}  // namespace zelmar
