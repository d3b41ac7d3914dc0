// The device methods that reach the printer through its installed Windows
// driver: the job goes to the printer's queue as a raw document, then the
// driver's stored configuration is edited for its later receipts.
//
// Both return 0 when the job was sent and the configuration edited; -5 when
// no installed printer's name begins with `printer`; -4, with nothing sent,
// when the image list names no image, an image cannot be prepared or the job
// file cannot be written; -1 when the printer does not open (for the job, or
// with full access for the configuration after the job was sent); -4 when the
// document or the configuration cannot be written.
#pragma once

#include <cstdint>
#include <string>

#include "arguments.h"
#include "device_context.h"
#include "engine/command_stream.h"

namespace zelmar {

// Writes "TempImage.out" (the images of `nvImage` as NV images 1 ... n,
// Progress(k) after image k), sends it, and tells the driver to print the
// Top Logo and Bottom Logo that are on.
int32_t PrintDriverUpload(const DeviceContext& context, const std::string& printer,
                          const std::string& nvImage, int16_t topLogo, int16_t bottomLogo,
                          const ImageOptions& image, const ProgressFn& progress);

// Mode not 0: erases every NV image ("TempErase.out") and switches both logos
// off. Mode 0: prints NV images 1 to 255 ("TempPrint.out", Progress(i) after
// each) and leaves the logo settings as they are.
int32_t EraserAll(const DeviceContext& context, const std::string& printer, int16_t mode,
                  const ProgressFn& progress);

}  // namespace zelmar
