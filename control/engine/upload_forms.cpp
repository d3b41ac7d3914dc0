#include "upload_forms.h"

#include "files.h"
#include "working_files.h"

namespace zelmar {

namespace {

void Report(const ProgressFn& progress, int32_t data) {
    if (progress) progress(data);
}

FormStatus Stop(FormStatus status, const CLogoBitmap& bitmap, FileFault* fault) {
    if (fault) *fault = bitmap.Fault();
    return status;
}

bool WritePacked(ByteSink& out, const CLogoBitmap& bitmap) {
    return out.Write(Element::kNvData, bitmap.StreamBuffer(),
                     static_cast<std::size_t>(bitmap.StreamLength()));
}

// Prepares and packs every image in turn and hands each to `send`, which
// writes its header and data. The turned file is always the rotation file,
// so the size sent matches the dots packed in every ImageMode.
FormStatus SendPackedImages(const std::vector<std::string>& images, const PrepareOptions& image,
                            bool waterMark, const std::function<bool(const CLogoBitmap&)>& send,
                            const ProgressFn& progress, FileFault* fault) {
    const std::string turnedFile = files::InCurrentDirectory(RotationFile(image.rotation));
    CLogoBitmap bitmap;
    for (std::size_t k = 0; k < images.size(); ++k) {
        switch (PrepareImage(bitmap, images[k], image)) {
            case Preparation::kFailed:  // it loaded a moment ago: the file changed
                return Stop(FormStatus::kBadImage, bitmap, fault);
            case Preparation::kWorkingFile:
                return Stop(FormStatus::kWorkingFile, bitmap, fault);
            case Preparation::kTone:
            case Preparation::kTwoColour:
                break;
        }
        if (waterMark) bitmap.ApplyWaterMarkScreen();
        if (bitmap.PackTurned(turnedFile) != EngineResult::kDone) {
            return Stop(FormStatus::kWorkingFile, bitmap, fault);
        }
        if (!send(bitmap)) return FormStatus::kWriteFailed;
        Report(progress, static_cast<int32_t>(k + 1));
    }
    return FormStatus::kDone;
}

}  // namespace

FormStatus CheckImageList(const std::vector<std::string>& images, int16_t rotation,
                          FileFault* fault) {
    if (images.empty()) return FormStatus::kNoImage;
    if (RotationFile(rotation).empty()) return FormStatus::kBadRotation;
    return CheckImageList(images, fault);
}

FormStatus CheckImageList(const std::vector<std::string>& images, FileFault* fault) {
    if (images.empty()) return FormStatus::kNoImage;
    for (const std::string& name : images) {
        if (const SourceError error = CheckSource(name)) {
            if (fault) *fault = {name, error, {}, {}};
            return FormStatus::kBadImage;
        }
    }
    return FormStatus::kDone;
}

std::string OutputClash(const std::string& output, const std::vector<std::string>& images) {
    for (const std::string& image : images) {
        if (files::SameFile(output, image)) return "the image " + image;
    }
    for (const std::string_view name : working_file::kBitmaps) {
        if (files::SameFile(output, files::InCurrentDirectory(name))) {
            return "the working file " + std::string(name);
        }
    }
    return {};
}

FormStatus WriteModelZeroForm(const std::vector<std::string>& images,
                              const ModelZeroOptions& options, ByteSink& out,
                              const ProgressFn& progress, const PackedImageFn& packed,
                              FileFault* fault) {
    auto send = [&](const CLogoBitmap& bitmap) {
        // Each header is built and sent on its own.
        const Bytes header = commands::NvImageHeader(options.role, options.selectMargin,
                                                     bitmap.PackedWidth(), bitmap.PackedHeight());
        if (!out.Write(Element::kImageHeader, header) || !WritePacked(out, bitmap)) return false;
        if (packed) packed(bitmap);
        return true;
    };
    return SendPackedImages(images, options.image, options.role == Role::kWaterMark, send, progress,
                            fault);
}

FormStatus WriteBandForm(const std::vector<std::string>& images, bool complement, ByteSink& out,
                         const ProgressFn& progress, FileFault* fault) {
    if (images.empty()) return FormStatus::kNoImage;
    CLogoBitmap bitmap;
    if (bitmap.LoadSource(images.front()) != EngineResult::kDone) {
        return Stop(FormStatus::kBadImage, bitmap, fault);
    }
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

FormStatus WriteDefinitionFile(const std::vector<std::string>& images, const PrepareOptions& image,
                               ByteSink& out, const ProgressFn& progress, FileFault* fault) {
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
    return SendPackedImages(images, image, false, send, progress, fault);
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
