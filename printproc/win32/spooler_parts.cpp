#include "spooler_parts.h"

#include <winspool.h>

#include <string_view>

#include "win32/trace.h"

namespace tivrap::win32 {

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
    zelmar::win32::DebugLine(
        std::wstring_view(reinterpret_cast<const wchar_t*>(line.data()), line.size()));
}

bool PrinterJob::StartDocument() {
    DOC_INFO_1W info = {const_cast<LPWSTR>(names_.document), const_cast<LPWSTR>(names_.outputFile),
                        const_cast<LPWSTR>(names_.datatype)};
    if (StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&info)) != 0) return true;
    errors_.Note();
    return false;
}

void PrinterJob::EndDocument() {
    EndDocPrinter(printer_);
}

bool PrinterJob::OpenData() {
    if (!OpenPrinterW(const_cast<LPWSTR>(dataName_), data_.put(), nullptr)) {
        errors_.Note();
        return false;
    }
    return true;
}

bool PrinterJob::ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) {
    DWORD read = 0;
    const BOOL done = ReadPrinter(data_.get(), buffer, CallSize(capacity), &read);
    got = read;
    if (!done) errors_.Note();
    return done;
}

bool PrinterJob::WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) {
    DWORD taken = 0;
    const BOOL done =
        ::WritePrinter(printer_, const_cast<std::uint8_t*>(data), CallSize(size), &taken);
    written = taken;
    if (!done) errors_.Note();
    return done;
}

}  // namespace tivrap::win32
