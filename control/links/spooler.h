// The print spooler as the printer-driver link uses it: the installed
// printers by name, raw documents for a printer, and its binary printer data.
// One implementation over the Windows spooler; tests use one in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/bytes.h"
#include "link.h"

namespace zelmar::links {

// A raw document being written to a printer: the data goes to the printer as
// it is. Destroying an unfinished document ends it.
class RawDocument {
  public:
    virtual ~RawDocument() = default;
    virtual LinkResult Write(const std::uint8_t* data, std::size_t size) = 0;
    // Ends the page and the document; done only when both end.
    virtual LinkResult End() = 0;
};

// A printer opened with full access, for its data.
class PrinterData {
  public:
    virtual ~PrinterData() = default;
    // The value `name`: its type and bytes; none when it cannot be read.
    virtual std::optional<std::uint32_t> Get(const std::string& name, Bytes& value) = 0;
    virtual LinkResult Set(const std::string& name, std::uint32_t type, const Bytes& value) = 0;
};

class Spooler {
  public:
    virtual ~Spooler() = default;
    // The names of the local and connected printers; none when the listing fails.
    virtual std::optional<std::vector<std::string>> PrinterNames() = 0;
    // Opens `printer` by its full name and starts the raw document
    // `documentName` with its one page (kOpen: the printer does not open;
    // kWrite: the document or page does not start).
    virtual LinkResult StartRawDocument(const std::string& printer, const std::string& documentName,
                                        std::unique_ptr<RawDocument>& document) = 0;
    // Opens `printer` with full access (kOpen when it does not open so).
    virtual LinkResult OpenPrinterData(const std::string& printer,
                                       std::unique_ptr<PrinterData>& data) = 0;
};

// The platform's spooler; null where there is none (outside Windows).
Spooler* SystemSpooler();

}  // namespace zelmar::links
