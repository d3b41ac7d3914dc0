#include "upload_forms.h"

#include "files.h"
#include "working_files.h"

namespace zelmar {

namespace {

void Report(const ProgressFn& progress, int32_t data) {
    if (progress) progress(data);
}

bool WritePacked(ByteSink& out, const CLogoBitmap& bitmap) {
    return out.Write(Element::kNvData, bitmap.StreamBuffer(),
                     static_cast<std::size_t>(bitmap.StreamLength()));
}

// Prepares and packs every image in turn and hands each to `send`, which
// writes its header and data. The turned file is always the rotation file,
// so the size sent matches the dots packed in every ImageMode.
FormStatus SendPackedImages(const std::vector<std::string>& images, const ImageOptions& image,
                            bool waterMark, const std::function<bool(const CLogoBitmap&)>& send,
                            const ProgressFn& progress) {
    const std::string turnedFile = files::InCurrentDirectory(RotationFile(image.rotation));
    CLogoBitmap bitmap;
    for (std::size_t k = 0; k < images.size(); ++k) {
        if (PrepareImage(bitmap, images[k], image) == Preparation::kFailed) {
            return FormStatus::kBadImage;  // it loaded a moment ago: the file changed
        }
        if (waterMark) bitmap.ApplyWaterMarkScreen();
        if (bitmap.PackTurned(turnedFile) != 1) return FormStatus::kWorkingFile;
        if (!send(bitmap)) return FormStatus::kWriteFailed;
        Report(progress, static_cast<int32_t>(k + 1));
    }
    return FormStatus::kDone;
}

}  // namespace

FormStatus CheckImageList(const std::vector<std::string>& images, int16_t rotation) {
    if (images.empty()) return FormStatus::kNoImage;
    if (RotationFile(rotation).empty()) return FormStatus::kBadRotation;
    return CheckImageList(images);
}

FormStatus CheckImageList(const std::vector<std::string>& images) {
    if (images.empty()) return FormStatus::kNoImage;
    CLogoBitmap probe;
    for (const std::string& name : images) {
        if (probe.LoadSource(name) != 1) return FormStatus::kBadImage;
    }
    return FormStatus::kDone;
}

FormStatus WriteModelZeroForm(const std::vector<std::string>& images, const UploadOptions& options,
                              ByteSink& out, const ProgressFn& progress,
                              const PackedImageFn& packed) {
    auto send = [&](const CLogoBitmap& bitmap) {
        // Each header is built and sent on its own.
        const Bytes header = commands::NvImageHeader(options.selectType, options.selectMargin,
                                                     bitmap.PackedWidth(), bitmap.PackedHeight());
        if (!out.Write(Element::kImageHeader, header) || !WritePacked(out, bitmap)) return false;
        if (packed) packed(bitmap);
        return true;
    };
    return SendPackedImages(images, options.image, options.selectType == 2, send, progress);
}

FormStatus WriteBandForm(const std::vector<std::string>& images, bool complement, ByteSink& out,
                         const ProgressFn& progress) {
    if (images.empty()) return FormStatus::kNoImage;
    CLogoBitmap bitmap;
    if (bitmap.LoadSource(images.front()) != 1) return FormStatus::kBadImage;
    bitmap.PackBands();
    if (!out.Write(Element::kBandPreamble, commands::BandPreamble())) {
        return FormStatus::kWriteFailed;
    }
    const int32_t width = bitmap.PackedWidth();
    const std::uint8_t* data = bitmap.StreamBuffer();
    Bytes record;
    for (int32_t band = 0; band < bitmap.PackedHeight() / 8; ++band) {
        record = commands::BandRecordHead(band, width);
        for (int32_t x = 0; x < width; ++x) {
            record.push_back(complement ? static_cast<std::uint8_t>(~data[x]) : data[x]);
        }
        data += width;
        if (!out.Write(Element::kBandRecord, record)) return FormStatus::kWriteFailed;
    }
    Report(progress, 0);
    return FormStatus::kDone;
}

FormStatus WriteDefinitionFile(const std::vector<std::string>& images, const ImageOptions& image,
                               ByteSink& out, const ProgressFn& progress) {
    if (images.size() > kMaxDefinedImages) return FormStatus::kTooManyImages;
    if (!out.Write(Element::kCommand,
                   commands::DefinitionPreamble(static_cast<int>(images.size())))) {
        return FormStatus::kWriteFailed;
    }
    auto send = [&out](const CLogoBitmap& bitmap) {
        return out.Write(Element::kImageHeader,
                         commands::SizeBytes(bitmap.PackedWidth(), bitmap.PackedHeight())) &&
               WritePacked(out, bitmap);
    };
    return SendPackedImages(images, image, false, send, progress);
}

FormStatus WriteEraseFile(ByteSink& out) {
    return out.Write(Element::kCommand, commands::EraseCommand()) ? FormStatus::kDone
                                                                  : FormStatus::kWriteFailed;
}

FormStatus WritePrintAllFile(ByteSink& out, const ProgressFn& progress) {
    for (int image = 1; image <= 255; ++image) {
        if (!out.Write(Element::kCommand, commands::PrintCommand(image))) {
            return FormStatus::kWriteFailed;
        }
        Report(progress, image);
    }
    return out.Write(Element::kCommand, commands::FeedAndCut()) ? FormStatus::kDone
                                                                : FormStatus::kWriteFailed;
}

}  // namespace zelmar
