#include "image_methods.h"

#include "engine/files.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "file_sink.h"

namespace zelmar {

int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height, int32_t& width) {
    BmpHeader header;
    if (ReadBmpInfo(path, header)) return -1;
    bitsPixel = header.depth;
    height = header.height;
    width = header.width;
    return 0;
}

std::string Preview(const std::string& path, const ImageOptions& options, MessageSink* messages,
                    FileFault* fault) {
    const PrepareOptions prepare = PrepareOptionsOf(options);
    CLogoBitmap bitmap(messages);
    const Preparation preparation = PrepareImage(bitmap, path, prepare);
    bool prepared = preparation == Preparation::kTone;
    if (preparation == Preparation::kTwoColour) {
        prepared = bitmap.CopyTwoColour(path) == EngineResult::kDone;
    }
    if (fault) *fault = prepared ? FileFault{} : bitmap.Fault();
    if (!prepared) return {};
    // Only the colour step shows the turned picture.
    if (prepare.tone != ToneMethod::kDiffusionAndColour) {
        return files::InCurrentDirectory(working_file::kTemp);
    }
    const std::string_view shown = RotationFile(prepare.rotation);
    return shown.empty() ? std::string() : files::InCurrentDirectory(shown);
}

namespace {

// "Raster.bmp": an image's NV data as it is, behind a 1-bit header of its
// padded size. A diagnostic copy, so failing to write it stops nothing.
void WriteRasterFile(int32_t paddedWidth, int32_t paddedHeight, const std::uint8_t* data,
                     std::size_t size) {
    Bytes file;
    AppendOneBitHeader(file, paddedWidth, paddedHeight);
    file.insert(file.end(), data, data + size);
    files::Replace(files::InCurrentDirectory(working_file::kRaster), file);
}

// The definitions, each leaving its "Raster.bmp", or the band form into `file`;
// `error` says why the file refused a write.
FormStatus WriteStream(files::OutputFile& file, const std::vector<std::string>& images,
                       bool definition, const ModelZeroOptions& options, const ProgressFn& progress,
                       FileFault* fault, files::FileError& error) {
    FileSink out(file);
    auto raster = [](const CLogoBitmap& bitmap) {
        WriteRasterFile(bitmap.PackedWidth(), bitmap.PackedHeight(), bitmap.StreamBuffer(),
                        static_cast<std::size_t>(bitmap.StreamLength()));
    };
    const FormStatus status =
        definition ? WriteModelZeroForm(images, options, out, progress, raster, fault)
                   : WriteBandForm(images, false, out, progress, fault);
    error = out.Error();
    return status;
}

int32_t FileUploadStatus(FormStatus status) {
    switch (status) {
        case FormStatus::kDone:
            return kFileUploadDone;
        case FormStatus::kNoImage:
            return kFileUploadNoImage;
        case FormStatus::kBadRotation:
        case FormStatus::kBadImage:
        case FormStatus::kTooManyImages:
            return kFileUploadBadImage;
        case FormStatus::kWorkingFile:
        case FormStatus::kWriteFailed:
            return kFileUploadCannotWrite;
    }
    return kFileUploadCannotWrite;
}

}  // namespace

int32_t FileUpload(const std::string& fileName, const std::string& nvImage, int32_t nvSelect,
                   const ImageOptions& image, int16_t selectType, int16_t selectMargin,
                   const ProgressFn& progress, FileFault* fault) {
    const std::vector<std::string> images = SplitImageList(nvImage);
    const bool definition = nvSelect == 0;
    const FormStatus checked =
        definition ? CheckImageList(images, image.rotation, fault) : CheckImageList(images, fault);
    if (checked != FormStatus::kDone) return FileUploadStatus(checked);
    if (std::string clash = OutputClash(fileName, images); !clash.empty()) {
        if (fault) *fault = {fileName, {}, {}, std::move(clash)};
        return kFileUploadCannotWrite;
    }

    // The stream goes to a new file that replaces FileName only when complete.
    files::OutputFile file;
    files::FileError error = file.Create(fileName);
    const FormStatus status =
        error ? FormStatus::kWriteFailed
              : WriteStream(file, images, definition,
                            ModelZeroOptionsOf({image, selectType, selectMargin}), progress, fault,
                            error);
    if (status == FormStatus::kDone) error = file.Commit();
    if (!error) return FileUploadStatus(status);
    if (fault) *fault = {fileName, {}, error, {}};
    return kFileUploadCannotWrite;
}

int32_t FileLoad(const std::string& fileName, MessageSink& messages) {
    messages.ShowMessage(fileName, "");
    WriteRasterFile(0, 0, nullptr, 0);
    return 0;
}

}  // namespace zelmar
