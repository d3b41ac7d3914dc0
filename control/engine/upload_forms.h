// The upload forms and job files: every image of a list prepared, packed and
// sent with its header, through a ByteSink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "byte_sink.h"
#include "command_stream.h"
#include "image_preparation.h"
#include "logo_bitmap.h"

namespace zelmar {

struct ModelZeroOptions {
    PrepareOptions image;
    Role role = Role::kTopLogo;
    int16_t selectMargin = 0;  // the Margin Message's parameter
};

enum class FormStatus {
    kDone,
    kNoImage,        // the list names no image
    kBadRotation,    // Rotation is not 0 to 3
    kBadImage,       // a listed image does not load
    kTooManyImages,  // more images than the definition's count byte holds
    kWorkingFile,    // a working file could not be written or read back
    kWriteFailed,    // the sink refused a write; the form stopped there
};

// The largest number of images one definition can announce.
constexpr std::size_t kMaxDefinedImages = 255;

// Where a form stops with kBadImage or kWorkingFile, `fault` (when given)
// names the file and says why.

// Checks an image list before the first byte of a form, so that a form never
// stops half-written for a bad argument: the list names an image and every
// image loads as a source. The forms below expect a checked list.
FormStatus CheckImageList(const std::vector<std::string>& images, FileFault* fault = nullptr);
// The same for the forms that turn their images: Rotation must be 0 to 3.
FormStatus CheckImageList(const std::vector<std::string>& images, int16_t rotation,
                          FileFault* fault = nullptr);

// What an output file of a form would replace that it must not: one of the
// images, or one of the working files ("the image a.bmp"); empty when nothing.
std::string OutputClash(const std::string& output, const std::vector<std::string>& images);

// Called after each image's data is sent, with the record holding its NV data.
using PackedImageFn = std::function<void(const CLogoBitmap&)>;

// For every image: its NV image header (by its role), then its NV data; the
// WaterMark screen for the WaterMark. Progress(k) after image k.
FormStatus WriteModelZeroForm(const std::vector<std::string>& images,
                              const ModelZeroOptions& options, ByteSink& out,
                              const ProgressFn& progress, const PackedImageFn& packed = nullptr,
                              FileFault* fault = nullptr);

// The band preamble, then one band record for every 8 rows of the FIRST image,
// loaded as it is. `complement` inverts every data byte. Progress(0) at the end.
FormStatus WriteBandForm(const std::vector<std::string>& images, bool complement, ByteSink& out,
                         const ProgressFn& progress, FileFault* fault = nullptr);

// The definition of NV images 1 ... n: ESC @, FS q n, then for every image its
// size bytes and NV data. Progress(k) after image k.
FormStatus WriteDefinitionFile(const std::vector<std::string>& images, const PrepareOptions& image,
                               ByteSink& out, const ProgressFn& progress,
                               FileFault* fault = nullptr);

// The erase file: FS e.
FormStatus WriteEraseFile(ByteSink& out);

// Prints NV images 1 to 255 (Progress(i) after each), then feeds and cuts.
FormStatus WritePrintAllFile(ByteSink& out, const ProgressFn& progress);

}  // namespace zelmar
