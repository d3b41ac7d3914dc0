// The control's image and file methods, free of COM: the automation layer
// converts its arguments and calls these.
#pragma once

#include <cstdint>
#include <string>

#include "arguments.h"
#include "engine/command_stream.h"
#include "engine/message_sink.h"

namespace zelmar {

// 0 with the outputs set, or -1 (outputs untouched) when the file is not a
// readable BMP. Sizes beyond the rasters are reported, so that a caller can
// refuse such files by their size.
int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height, int32_t& width);

// Prepares `path` as an upload would and returns the path of the working file
// to show: the rotation file in ImageMode 2, "Temp.bmp" otherwise. Empty when
// the file cannot be loaded (nothing is written then) or a working file cannot
// be written (`fault`, if given, names the file and says why), and in
// ImageMode 2 with no rotation file.
std::string Preview(const std::string& path, const ImageOptions& options,
                    MessageSink* messages = nullptr, FileFault* fault = nullptr);

// Status numbers of FileUpload.
constexpr int32_t kFileUploadDone = 0;
constexpr int32_t kFileUploadCannotWrite = 1;  // FileName or a working file cannot be written,
                                               // or FileName names an image or a working file
constexpr int32_t kFileUploadNoImage = 2;      // the image list holds no "|"
constexpr int32_t kFileUploadBadImage = 3;     // an image does not load, or Rotation is not 0 to 3

// Writes the command stream for the image list `nvImage` into `fileName`:
// NVSelect 0 the NV image definitions (model-0 form), any other value the band
// form of the first image. Progress: the image's number after each definition,
// 0 after the band form. `fileName` is replaced only by a complete stream; on
// a failure it stays as it was and `fault`, if given, names the file and says
// why (nothing for status 2, or 3 for the rotation).
int32_t FileUpload(const std::string& fileName, const std::string& nvImage, int32_t nvSelect,
                   const ImageOptions& image, int16_t selectType, int16_t selectMargin,
                   const ProgressFn& progress, FileFault* fault = nullptr);

// Shows `fileName` (caption empty: the host's default) and writes an empty
// "Raster.bmp". Always 0.
int32_t FileLoad(const std::string& fileName, MessageSink& messages);

}  // namespace zelmar
