// The printer-driver link: a job goes to an installed printer as a raw
// spooler document, and the driver's stored configuration is edited so that
// its later receipts print the logos.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "device_config.h"
#include "engine/message_sink.h"
#include "spooler.h"

namespace zelmar::links {

constexpr char kLogoDocumentName[] = "LogoDocument";
constexpr std::size_t kSubmitBlockSize = 4096;

// How many installed printers have a name that begins with `name` (compared
// exactly). A listing that fails is said and counts none.
std::size_t CountPrinters(Spooler& spooler, MessageSink& messages, const std::string& name);

// Sends `job` to the printer named `printer` (its full name) as the raw
// document "LogoDocument", in blocks of 4096 bytes. kOpen when the printer
// does not open; kWrite when the document does not start, take every byte or
// end.
LinkResult SubmitRawJob(Spooler& spooler, const std::string& printer, const Bytes& job);

// Reads the printer's "TTY DeviceConfig", repairs it when it is missing or
// malformed, applies `edit` and writes it back. kOpen when the printer does
// not open with full access, kWrite when the value cannot be written.
LinkResult EditDeviceConfig(Spooler& spooler, const std::string& printer, bool host64,
                            const std::function<void(DeviceConfig&)>& edit);

}  // namespace zelmar::links
