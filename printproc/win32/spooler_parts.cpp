#include "spooler_parts.h"

#include <winspool.h>

#include <string_view>

#include "engine/trace.h"
#include "win32/text.h"
#include "win32/trace.h"

namespace tivrap::win32 {

using zelmar::CallOutcome;
using zelmar::Trace;

void FirstError::Note() {
    if (code_ == 0) code_ = GetLastError();
}

void WindowsPauseEvent::Set() {
    SetEvent(event_.get());
}

void WindowsPauseEvent::Reset() {
    ResetEvent(event_.get());
}

void WindowsPauseEvent::Wait() {
    WaitForSingleObject(event_.get(), INFINITE);
}

void DebugStrings::Write(const std::u16string& text) {
    std::u16string_view line = text;
    if (!line.empty() && line.back() == u'\n') line.remove_suffix(1);  // DebugLine adds it
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const std::wstring_view wide(reinterpret_cast<const wchar_t*>(line.data()), line.size());
    zelmar::win32::DebugLine(wide);
    if (zelmar::TraceOn()) {
        Trace("tivrap", "job", job_, "says", zelmar::TraceQuoted{zelmar::win32::Utf8Text(wide)});
    }
}

bool PrinterJob::StartDocument() {
    DOC_INFO_1W info = {const_cast<LPWSTR>(names_.document), const_cast<LPWSTR>(names_.outputFile),
                        const_cast<LPWSTR>(names_.datatype)};
    const DWORD document = StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&info));
    Trace("tivrap", "job", job_, "StartDocPrinter ->", CallOutcome(document != 0), "document",
          document);
    if (document != 0) return true;
    errors_.Note();
    return false;
}

void PrinterJob::EndDocument() {
    const BOOL done = EndDocPrinter(printer_);
    Trace("tivrap", "job", job_, "EndDocPrinter ->", CallOutcome(done != FALSE));
}

bool PrinterJob::OpenData() {
    const BOOL done = OpenPrinterW(const_cast<LPWSTR>(dataName_), data_.put(), nullptr);
    if (zelmar::TraceOn()) {
        Trace("tivrap", "job", job_, "OpenPrinter",
              zelmar::TraceQuoted{zelmar::win32::Utf8Text(dataName_)}, "->",
              CallOutcome(done != FALSE));
    }
    if (!done) {
        errors_.Note();
        return false;
    }
    return true;
}

void PrinterJob::CloseData() {
    data_.reset();
    Trace("tivrap", "job", job_, "ClosePrinter (its data)");
}

bool PrinterJob::ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) {
    DWORD read = 0;
    const BOOL done = ReadPrinter(data_.get(), buffer, CallSize(capacity), &read);
    Trace("tivrap", "job", job_, "ReadPrinter", CallSize(capacity), "bytes ->",
          CallOutcome(done != FALSE), read, "read");
    got = read;
    if (!done) errors_.Note();
    return done;
}

bool PrinterJob::WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) {
    DWORD taken = 0;
    const BOOL done =
        ::WritePrinter(printer_, const_cast<std::uint8_t*>(data), CallSize(size), &taken);
    Trace("tivrap", "job", job_, "WritePrinter", CallSize(size), "bytes ->",
          CallOutcome(done != FALSE), taken, "written");
    written = taken;
    if (!done) errors_.Note();
    return done;
}

}  // namespace tivrap::win32
