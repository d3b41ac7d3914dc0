#include "driver_methods.h"

#include <functional>

#include "engine/byte_sink.h"
#include "engine/files.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "links/driver_link.h"

namespace zelmar {

namespace {

using links::LinkResult;

// Writes the job into its job file, then submits it and edits the driver's
// configuration, each step only after the one before succeeded: the driver
// is never told to print what was not sent.
int32_t SendJob(const DeviceContext& context, const std::string& printer, std::string_view jobFile,
                const Bytes& job, const std::function<void(links::DeviceConfig&)>& edit) {
    if (files::Replace(files::InCurrentDirectory(jobFile), job)) {
        context.messages.ShowMessage("File Open Failed", "Error");
        return links::StatusNumber(links::LinkError::kWrite);
    }
    LinkResult result = links::SubmitRawJob(*context.spooler, printer, job);
    if (result.ok()) {
        result =
            links::EditDeviceConfig(*context.spooler, printer, context.system.HostIs64Bit(), edit);
    }
    return links::StatusNumber(result.error);
}

bool KnownPrinter(const DeviceContext& context, const std::string& printer) {
    return context.spooler && links::CountPrinters(*context.spooler, context.messages, printer) > 0;
}

}  // namespace

int32_t PrintDriverUpload(const DeviceContext& context, const std::string& printer,
                          const std::string& nvImage, int16_t topLogo, int16_t bottomLogo,
                          const ImageOptions& image, const ProgressFn& progress) {
    if (!KnownPrinter(context, printer)) return kNoSuchPrinter;
    const std::vector<std::string> images = SplitImageList(nvImage);
    const PrepareOptions prepare = PrepareOptionsOf(image);
    if (CheckImageList(images, prepare.rotation) != FormStatus::kDone) {
        return links::StatusNumber(links::LinkError::kWrite);
    }
    context.clock.Sleep(100);
    BufferSink job;
    if (WriteDefinitionFile(images, prepare, job, progress) != FormStatus::kDone) {
        return links::StatusNumber(links::LinkError::kWrite);
    }
    return SendJob(
        context, printer, working_file::kTempImage, job.bytes,
        [&](links::DeviceConfig& config) { config.ApplyUpload(topLogo != 0, bottomLogo != 0); });
}

int32_t EraserAll(const DeviceContext& context, const std::string& printer, int16_t mode,
                  const ProgressFn& progress) {
    if (!KnownPrinter(context, printer)) return kNoSuchPrinter;
    BufferSink job;
    if (EraseModeOf(mode) == EraseMode::kErase) {
        WriteEraseFile(job);
        return SendJob(context, printer, working_file::kTempErase, job.bytes,
                       [](links::DeviceConfig& config) { config.ApplyErase(); });
    }
    WritePrintAllFile(job, progress);
    return SendJob(context, printer, working_file::kTempPrint, job.bytes,
                   [](links::DeviceConfig&) {});
}

}  // namespace zelmar
