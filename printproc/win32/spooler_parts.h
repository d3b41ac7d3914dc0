// The parts of a RAW job that the spooler and the system provide: the job's
// printer and spooled data, its pause event, its debug output, and the first
// system error a job met, for the thread's last error.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

#include "job_control.h"
#include "raw_job.h"
#include "win32/handle_owners.h"
#include "win32/printer_owners.h"

namespace tivrap::win32 {

using zelmar::win32::UniqueEvent;
using zelmar::win32::UniquePrinter;

// What one call of ReadFile, WriteFile, ReadPrinter or WritePrinter moves at
// most; larger amounts take more calls.
inline DWORD CallSize(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
}

// The error a failed job reports: that of the first system call that failed.
class FirstError {
  public:
    // After a failed call: keeps its last error, unless one is kept already.
    void Note();
    // The kept error, or `fallback` where the failure was none of the system's.
    DWORD Code(DWORD fallback) const { return code_ != 0 ? code_ : fallback; }

  private:
    DWORD code_ = 0;
};

class WindowsPauseEvent final : public PauseEvent {
  public:
    explicit WindowsPauseEvent(UniqueEvent event) : event_(std::move(event)) {}
    void Set() override;
    void Reset() override;
    void Wait() override;

  private:
    UniqueEvent event_;
};

// Each text on the debug output (OutputDebugStringW), and on the trace under
// the job's id.
class DebugStrings final : public DebugOutput {
  public:
    explicit DebugStrings(DWORD job) : job_(job) {}
    void Write(const std::u16string& text) override;

  private:
    DWORD job_;
};

// The document StartDocPrinterW begins: the job record's names, each null
// where the record holds none.
struct DocumentNames {
    const wchar_t* document;
    const wchar_t* outputFile;
    const wchar_t* datatype;
};

// The job `job` on the record's printer, its data read by the document name
// that PrintDocumentOnPrintProcessor was given. Each spooler call is traced
// under the job's id.
class PrinterJob final : public SpoolerJob {
  public:
    PrinterJob(HANDLE printer, DWORD job, const DocumentNames& names, const wchar_t* dataName,
               FirstError& errors)
        : printer_(printer), job_(job), names_(names), dataName_(dataName), errors_(errors) {}

    bool StartDocument() override;
    void EndDocument() override;
    bool OpenData() override;
    void CloseData() override;
    bool ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) override;
    bool WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) override;

  private:
    HANDLE printer_;
    DWORD job_;
    DocumentNames names_;
    const wchar_t* dataName_;
    FirstError& errors_;
    UniquePrinter data_;
};

}  // namespace tivrap::win32
