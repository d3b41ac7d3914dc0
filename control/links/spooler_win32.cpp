#include <windows.h>

#include <winspool.h>

#include <algorithm>

#include "engine/trace.h"
#include "spooler.h"
#include "win32/printer_owners.h"

namespace zelmar::links {

namespace {

using win32::UniquePrinter;

LinkResult LastError(LinkError error) {
    return LinkResult::Failed(error, GetLastError());
}

TraceOutcome Status(DWORD status) {
    return {status == ERROR_SUCCESS, status};
}

class SpoolerDocument final : public RawDocument {
  public:
    SpoolerDocument(UniquePrinter printer, DWORD job) : printer_(std::move(printer)), job_(job) {}
    ~SpoolerDocument() override {
        if (printer_) End();
    }

    LinkResult Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            DWORD written = 0;
            const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            const BOOL done =
                WritePrinter(printer_.get(), const_cast<std::uint8_t*>(data), piece, &written);
            Trace("spooler", "WritePrinter job", job_, piece, "bytes ->",
                  CallOutcome(done != FALSE), written, "written");
            if (!done || written == 0) return LastError(LinkError::kWrite);
            data += written;
            size -= written;
        }
        return LinkResult::Done();
    }

    LinkResult End() override {
        const BOOL page = EndPagePrinter(printer_.get());
        Trace("spooler", "EndPagePrinter job", job_, "->", CallOutcome(page != FALSE));
        LinkResult result = page ? LinkResult::Done() : LastError(LinkError::kWrite);
        const BOOL document = EndDocPrinter(printer_.get());
        Trace("spooler", "EndDocPrinter job", job_, "->", CallOutcome(document != FALSE));
        if (!document && result.ok()) result = LastError(LinkError::kWrite);
        printer_.reset();
        Trace("spooler", "ClosePrinter job", job_);
        return result;
    }

  private:
    UniquePrinter printer_;
    DWORD job_;
};

class PrinterDataOf final : public PrinterData {
  public:
    explicit PrinterDataOf(UniquePrinter printer) : printer_(std::move(printer)) {}
    ~PrinterDataOf() override { Trace("spooler", "ClosePrinter (its data)"); }

    std::optional<std::uint32_t> Get(const std::string& name, Bytes& value) override {
        DWORD type = 0, needed = 0;
        value.assign(kValueCapacity, 0);
        const DWORD status =
            GetPrinterDataA(printer_.get(), const_cast<char*>(name.c_str()), &type, value.data(),
                            static_cast<DWORD>(value.size()), &needed);
        Trace("spooler", "GetPrinterData", TraceQuoted{name}, "->", Status(status), "type", type,
              needed, "bytes");
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
        Trace("spooler", "SetPrinterData", TraceQuoted{name}, "type", type, value.size(),
              "bytes ->", Status(status));
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
        for (;;) {
            const BOOL listed = EnumPrintersA(kFlags, nullptr, 2, buffer.data(),
                                              static_cast<DWORD>(buffer.size()), &needed, &count);
            Trace("spooler", "EnumPrinters", buffer.size(), "bytes ->",
                  CallOutcome(listed != FALSE), count, "printers", needed, "bytes needed");
            if (listed) break;
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
        const DWORD job = StartDocPrinterA(opened.get(), 1, reinterpret_cast<BYTE*>(&info));
        Trace("spooler", "StartDocPrinter", TraceQuoted{documentName}, "RAW ->",
              CallOutcome(job != 0), "job", job);
        if (job == 0) return LastError(LinkError::kWrite);
        const BOOL page = StartPagePrinter(opened.get());
        Trace("spooler", "StartPagePrinter job", job, "->", CallOutcome(page != FALSE));
        if (!page) {
            const LinkResult failed = LastError(LinkError::kWrite);
            EndDocPrinter(opened.get());
            return failed;
        }
        document = std::make_unique<SpoolerDocument>(std::move(opened), job);
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
        const BOOL done = OpenPrinterA(const_cast<char*>(printer.c_str()), opened.put(), defaults);
        Trace("spooler", "OpenPrinter", TraceQuoted{printer}, defaults ? "full access" : "", "->",
              CallOutcome(done != FALSE));
        if (!done) return {};
        return opened;
    }
};

}  // namespace

Spooler* SystemSpooler() {
    static WindowsSpooler spooler;
    return &spooler;
}

}  // namespace zelmar::links
