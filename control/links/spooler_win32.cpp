#include <windows.h>

#include <winspool.h>

#include <algorithm>

#include "spooler.h"
#include "win32/printer_owners.h"

namespace zelmar::links {

namespace {

using win32::UniquePrinter;

LinkResult LastError(LinkError error) {
    return LinkResult::Failed(error, GetLastError());
}

class SpoolerDocument final : public RawDocument {
  public:
    explicit SpoolerDocument(UniquePrinter printer) : printer_(std::move(printer)) {}
    ~SpoolerDocument() override {
        if (printer_) End();
    }

    LinkResult Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            DWORD written = 0;
            const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            if (!WritePrinter(printer_.get(), const_cast<std::uint8_t*>(data), piece, &written) ||
                written == 0) {
                return LastError(LinkError::kWrite);
            }
            data += written;
            size -= written;
        }
        return LinkResult::Done();
    }

    LinkResult End() override {
        const bool page = EndPagePrinter(printer_.get()) != FALSE;
        LinkResult result = page ? LinkResult::Done() : LastError(LinkError::kWrite);
        if (!EndDocPrinter(printer_.get()) && result.ok()) result = LastError(LinkError::kWrite);
        printer_.reset();
        return result;
    }

  private:
    UniquePrinter printer_;
};

class PrinterDataOf final : public PrinterData {
  public:
    explicit PrinterDataOf(UniquePrinter printer) : printer_(std::move(printer)) {}

    std::optional<std::uint32_t> Get(const std::string& name, Bytes& value) override {
        DWORD type = 0, needed = 0;
        value.assign(kValueCapacity, 0);
        const DWORD status =
            GetPrinterDataA(printer_.get(), const_cast<char*>(name.c_str()), &type, value.data(),
                            static_cast<DWORD>(value.size()), &needed);
        if (status == ERROR_MORE_DATA) {
            // Larger than any record the link accepts: malformed, as good as missing.
            value.clear();
            return type;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.resize(needed);
        return type;
    }

    LinkResult Set(const std::string& name, std::uint32_t type, const Bytes& value) override {
        const DWORD status = SetPrinterDataA(printer_.get(), const_cast<char*>(name.c_str()), type,
                                             const_cast<std::uint8_t*>(value.data()),
                                             static_cast<DWORD>(value.size()));
        return status == ERROR_SUCCESS ? LinkResult::Done()
                                       : LinkResult::Failed(LinkError::kWrite, status);
    }

  private:
    static constexpr std::size_t kValueCapacity = 4096;
    UniquePrinter printer_;
};

class WindowsSpooler final : public Spooler {
  public:
    std::optional<std::vector<std::string>> PrinterNames() override {
        constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
        DWORD needed = 0, count = 0;
        std::vector<BYTE> buffer;
        // Asked for its size first, so that many printers are no failure.
        while (!EnumPrintersA(kFlags, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()),
                              &needed, &count)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
                return std::nullopt;
            }
            buffer.resize(needed);
        }
        std::vector<std::string> names;
        const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            if (printers[i].pPrinterName) names.emplace_back(printers[i].pPrinterName);
        }
        return names;
    }

    LinkResult StartRawDocument(const std::string& printer, const std::string& documentName,
                                std::unique_ptr<RawDocument>& document) override {
        UniquePrinter opened = Open(printer, nullptr);
        if (!opened) return LastError(LinkError::kOpen);
        DOC_INFO_1A info = {};
        info.pDocName = const_cast<char*>(documentName.c_str());
        info.pDatatype = const_cast<char*>("RAW");
        if (StartDocPrinterA(opened.get(), 1, reinterpret_cast<BYTE*>(&info)) == 0) {
            return LastError(LinkError::kWrite);
        }
        if (!StartPagePrinter(opened.get())) {
            const LinkResult failed = LastError(LinkError::kWrite);
            EndDocPrinter(opened.get());
            return failed;
        }
        document = std::make_unique<SpoolerDocument>(std::move(opened));
        return LinkResult::Done();
    }

    LinkResult OpenPrinterData(const std::string& printer,
                               std::unique_ptr<PrinterData>& data) override {
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        UniquePrinter opened = Open(printer, &defaults);
        if (!opened) return LastError(LinkError::kOpen);
        data = std::make_unique<PrinterDataOf>(std::move(opened));
        return LinkResult::Done();
    }

  private:
    static UniquePrinter Open(const std::string& printer, PRINTER_DEFAULTSA* defaults) {
        UniquePrinter opened;
        if (!OpenPrinterA(const_cast<char*>(printer.c_str()), opened.put(), defaults)) return {};
        return opened;
    }
};

}  // namespace

Spooler* SystemSpooler() {
    static WindowsSpooler spooler;
    return &spooler;
}

}  // namespace zelmar::links
