#include "device_methods.h"

#include <memory>

#include "engine/logo_bitmap.h"
#include "engine/trace.h"
#include "links/direct_link.h"
#include "links/link_sink.h"

namespace zelmar {

namespace {

using links::DirectLink;
using links::LinkKind;
using links::LinkResult;

constexpr int32_t kDone = 0;
constexpr int32_t kCutProgress = 255;

int32_t StatusOf(const LinkResult& result) {
    return links::StatusNumber(result.error);
}

int32_t StatusOf(FormStatus status) {
    return status == FormStatus::kDone ? kDone : links::StatusNumber(links::LinkError::kWrite);
}

// A job that went out whole is done only once the printer has taken it.
int32_t Finished(DirectLink& link, const LinkResult& result) {
    return StatusOf(result.ok() ? link.Finish() : result);
}

int32_t Finished(DirectLink& link, FormStatus status) {
    return status == FormStatus::kDone ? Finished(link, LinkResult::Done()) : StatusOf(status);
}

// The method's status on the trace, as it returns, after its link closed.
int32_t Returned(const char* method, int32_t status) {
    Trace("method", method, "->", status);
    return status;
}

void Report(const ProgressFn& progress, int32_t data) {
    if (progress) progress(data);
}

// The link a port's name chooses; USB always without the legacy flag.
std::unique_ptr<DirectLink> LinkTo(const DeviceContext& context, const PortTarget& target) {
    const LinkKind kind = links::ChooseLink(target.port);
    const bool legacy = context.system.LegacyPlatform();
    std::unique_ptr<links::Transport> transport;
    switch (kind) {
        case LinkKind::kSerial:
            transport = context.ports->Serial(target.port, target.serial);
            break;
        case LinkKind::kUsb:
            transport = context.ports->Usb();
            break;
        case LinkKind::kDeviceFile:
        case LinkKind::kTcp:
            transport = context.ports->DeviceFile(target.port, legacy);
            break;
    }
    return std::make_unique<DirectLink>(kind, std::move(transport), context.clock, legacy);
}

std::unique_ptr<DirectLink> LinkTo(const DeviceContext& context, const TcpTarget& target) {
    const links::TcpEndpoint endpoint =
        links::ParseTcpEndpoint(target.ipAddress, target.portNumber);
    return std::make_unique<DirectLink>(LinkKind::kTcp,
                                        context.ports->Tcp(endpoint, context.messages),
                                        context.clock, context.system.LegacyPlatform());
}

int32_t RunUpload(DirectLink& link, const PrinterModel& model, const std::string& nvImage,
                  const ModelZeroOptions& options, const ProgressFn& progress) {
    LinkResult result = link.Open();
    if (result.ok()) result = link.ExchangeStatus(model.answersStatus);
    if (!result.ok()) return StatusOf(result);
    const std::vector<std::string> images = SplitImageList(nvImage);
    const bool band = !model.takesRoles && link.TakesBandForm();
    // Every image is checked before the first of its bytes goes out, so that
    // no job stops half-sent for a bad argument.
    const FormStatus checked =
        band ? CheckImageList(images) : CheckImageList(images, options.image.rotation);
    if (checked != FormStatus::kDone) return StatusOf(checked);
    links::LinkSink sink(link.Port(), link.Time(), link.FormFraming());
    if (band) {
        const bool complement =
            link.ComplementsWhiteFirstBands() && CLogoBitmap().IsWhiteFirst(images.front());
        return Finished(link, WriteBandForm(images, complement, sink, progress));
    }
    if (link.WaitBeforeImages() > 0) link.Time().Sleep(link.WaitBeforeImages());
    return Finished(link, WriteModelZeroForm(images, options, sink, progress));
}

int32_t RunPrint(DirectLink& link, const PrinterModel& model, const ProgressFn& progress) {
    LinkResult result = link.Open();
    if (!result.ok()) return StatusOf(result);
    if (model.cuts) {
        result = link.Send(commands::CutSequence());
        if (result.ok()) Report(progress, kCutProgress);
    } else {
        // The sample print goes in two writes: its print command, then the feed.
        result = link.Send(commands::SamplePrintStart());
        if (result.ok()) result = link.Send(commands::SamplePrintFeed());
    }
    return Finished(link, result);
}

int32_t RunPrinterSave(DirectLink& link, const PrinterModel& model, const LogoSwitches& switches,
                       const ProgressFn& progress) {
    LinkResult result = link.Open();
    if (!result.ok() || !model.savesOptions) return Finished(link, result);
    result = link.Send(commands::OptionsCommand(switches.topLogo, switches.bottomLogo,
                                                switches.waterMark, switches.marginMessage));
    if (result.ok()) Report(progress, kCutProgress);
    return Finished(link, result);
}

}  // namespace

int32_t Upload(const DeviceContext& context, int32_t printer, const PortTarget& target,
               const std::string& nvImage, const UploadOptions& options,
               const ProgressFn& progress) {
    const int32_t status = RunUpload(*LinkTo(context, target), PrinterModelOf(printer), nvImage,
                                     ModelZeroOptionsOf(options), progress);
    return Returned("Upload", status);
}

int32_t UploadTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                    const std::string& nvImage, const UploadOptions& options,
                    const ProgressFn& progress) {
    const int32_t status = RunUpload(*LinkTo(context, target), PrinterModelOf(printer), nvImage,
                                     ModelZeroOptionsOf(options), progress);
    return Returned("UploadTCPIP", status);
}

int32_t Print(const DeviceContext& context, int32_t printer, const PortTarget& target,
              const ProgressFn& progress) {
    const int32_t status = RunPrint(*LinkTo(context, target), PrinterModelOf(printer), progress);
    return Returned("Print", status);
}

int32_t PrintTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                   const ProgressFn& progress) {
    const int32_t status = RunPrint(*LinkTo(context, target), PrinterModelOf(printer), progress);
    return Returned("PrintTCPIP", status);
}

int32_t PrinterSave(const DeviceContext& context, int32_t printer, const PortTarget& target,
                    const LogoSwitches& switches, const ProgressFn& progress) {
    const int32_t status =
        RunPrinterSave(*LinkTo(context, target), PrinterModelOf(printer), switches, progress);
    return Returned("PrinterSave", status);
}

int32_t PrinterSaveTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                         const LogoSwitches& switches, const ProgressFn& progress) {
    const int32_t status =
        RunPrinterSave(*LinkTo(context, target), PrinterModelOf(printer), switches, progress);
    return Returned("PrinterSaveTCPIP", status);
}

}  // namespace zelmar
