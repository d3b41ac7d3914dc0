#include "driver_link.h"

#include <algorithm>

#include "engine/trace.h"

namespace zelmar::links {

std::size_t CountPrinters(Spooler& spooler, MessageSink& messages, const std::string& name) {
    const std::optional<std::vector<std::string>> names = spooler.PrinterNames();
    if (!names) {
        messages.ShowMessage("EnumPrinters() failed", "EnumPrinters() Error");
        return 0;
    }
    const auto count = static_cast<std::size_t>(
        std::count_if(names->begin(), names->end(), [&name](const std::string& printer) {
            return printer.compare(0, name.size(), name) == 0;
        }));
    Trace("driver", "printers whose name begins with", TraceQuoted{name}, ":", count, "of",
          names->size());
    return count;
}

LinkResult SubmitRawJob(Spooler& spooler, const std::string& printer, const Bytes& job) {
    std::unique_ptr<RawDocument> document;
    const LinkResult started = spooler.StartRawDocument(printer, kLogoDocumentName, document);
    if (!started.ok()) return started;
    for (std::size_t at = 0; at < job.size(); at += kSubmitBlockSize) {
        const std::size_t block = std::min(kSubmitBlockSize, job.size() - at);
        const LinkResult written = document->Write(job.data() + at, block);
        if (!written.ok()) return written;
    }
    return document->End();
}

LinkResult EditDeviceConfig(Spooler& spooler, const std::string& printer, bool host64,
                            const std::function<void(DeviceConfig&)>& edit) {
    std::unique_ptr<PrinterData> data;
    const LinkResult opened = spooler.OpenPrinterData(printer, data);
    if (!opened.ok()) return opened;
    Bytes stored;
    const std::optional<std::uint32_t> type = data->Get(kDeviceConfigName, stored);
    DeviceConfig config = DeviceConfig::Repaired(type, stored, host64);
    edit(config);
    return data->Set(kDeviceConfigName, kBinaryType, config.Data());
}

}  // namespace zelmar::links
