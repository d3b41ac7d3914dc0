// The control's image and file methods, free of COM: the automation layer
// converts its arguments and calls these.
#pragma once

#include <cstdint>
#include <string>

#include "bmp_reader.h"
#include "image_preparation.h"
#include "message_sink.h"

namespace zelmar {

// Reads and checks a BMP file's headers (any size, no raster limit).
BmpError ReadBmpInfo(const std::string& path, BmpHeader& header);

// 0 with the outputs set, or -1 (outputs untouched) when the file is not a
// readable BMP. Sizes beyond the rasters are reported, so that a caller can
// refuse such files by their size.
int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height, int32_t& width);

// Prepares `path` as an upload would and returns the path of the working file
// to show: the rotation file in ImageMode 2, "Temp.bmp" otherwise. Empty when
// the file cannot be loaded (nothing is written then), or in ImageMode 2 with
// no rotation file.
std::string Preview(const std::string& path, const ImageOptions& options,
                    MessageSink* messages = nullptr);

}  // namespace zelmar
