// The list screens' rules about a logo: its NV data size, the sizes the
// control's engine can print, and how a size label writes a number.
#pragma once

#include <cstdint>
#include <string>

namespace orvenna {

// At most this many records in a list when "Add File" is pressed.
inline constexpr int kMaxListRecords = 255;
// The engine's rasters hold a padded width of 616 and a padded height of 648
// dots and it does not check: a list takes nothing larger.
inline constexpr int32_t kMaxLogoWidth = 616;
inline constexpr int32_t kMaxLogoHeight = 648;

// Rows of 8 dots times the width rounded up to a multiple of 8: the bytes of
// the image at one bit per dot. 96 x 400 dots give 4800.
int32_t NvDataSize(int32_t height, int32_t width);

// Whether the engine can print a bitmap of this size (at least one dot each
// way, at most 616 x 648).
bool PrintableSize(int32_t height, int32_t width);

// A number as a single-precision value in its shortest form: "96", "100.5".
std::string ShortestSingle(double value);

}  // namespace orvenna
