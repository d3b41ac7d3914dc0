// Tivrap.dll's five entry points, as the spooler calls them. No exception
// leaves them, and each sets the thread's last error when it fails.
#include <windows.h>

#include <winspool.h>

#include <winsplp.h>  // after winspool.h

#include <cstdint>
#include <optional>
#include <string>

#include "engine/trace.h"
#include "errors.h"
#include "job_record.h"
#include "raw_job.h"
#include "scratch_files.h"
#include "spooler_parts.h"
#include "thermal_ini.h"
#include "win32/guard.h"
#include "win32/text.h"

namespace tivrap::win32 {
namespace {

using zelmar::CallOutcome;
using zelmar::Trace;
using zelmar::TraceQuoted;
using zelmar::win32::GuardedBool;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

std::string Utf8(const wchar_t* text) {
    return text ? zelmar::win32::Utf8Text(text) : "(none)";
}

// The job of a handle for the trace: its id, or "not open" for a handle that
// named no live record.
std::string JobOf(const std::optional<DWORD>& job) {
    return job ? "job " + std::to_string(*job) : "handle not open";
}

// An export's line, said outside its guard: no exception leaves it.
template <typename Say>
void Traced(const Say& say) noexcept {
    if (!zelmar::TraceOn()) return;
    try {
        say();
    } catch (...) {
    }
}

// The export's line, once it returns.
void Returns(const char* name, const std::optional<DWORD>& job, BOOL result) noexcept {
    Traced([&] { Trace("tivrap", JobOf(job), name, "->", CallOutcome(result != FALSE)); });
}

const wchar_t* Name(const Text& text) {
    return text ? text->c_str() : nullptr;
}

const char16_t* Name16(const Text& text) {
    return reinterpret_cast<const char16_t*>(Name(text));
}

BOOL PrintRaw(JobRecord& record, const wchar_t* documentName) {
    FirstError errors;
    PrinterJob spooler(record.printer.get(), record.jobId,
                       {Name(record.document), Name(record.outputFile), Name(record.datatypeName)},
                       documentName, errors);
    const std::optional<std::wstring> systemDirectory = SystemDirectory();
    SpoolScratch scratch(systemDirectory, GetCurrentProcessId(), record.jobId, errors);
    ThermalIni thermal(ThermalIniPlaces(systemDirectory, ModuleDirectory()));
    SectionTranslator translator(
        [&thermal](const std::u16string& key) { return thermal.Value(key); });
    DebugStrings debug(record.jobId);
    const JobNames names = {Name16(record.document), Name16(record.outputFile),
                            Name16(record.datatypeName)};
    if (RunRawJob(names, {spooler, scratch, translator, record.control, debug})) return TRUE;
    return Fail(errors.Code(ERROR_GEN_FAILURE));
}

}  // namespace
}  // namespace tivrap::win32

using namespace tivrap::win32;

// Lists the datatypes as level-1 records: the pointers first, the names
// packed from the buffer's end. 122 with the size needed when the buffer is
// smaller; 87 when a counter is missing, or the buffer while its size would do.
extern "C" BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD, LPBYTE pDatatypes,
                                                    DWORD cbBuf, LPDWORD pcbNeeded,
                                                    LPDWORD pcReturned) {
    const BOOL listed = GuardedBool([&]() -> BOOL {
        static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
        const tivrap::DatatypeLayout layout = {sizeof(void*),
                                               reinterpret_cast<std::uintptr_t>(pDatatypes)};
        const std::uint32_t error =
            tivrap::ListDatatypes(pDatatypes, cbBuf, reinterpret_cast<std::uint32_t*>(pcbNeeded),
                                  reinterpret_cast<std::uint32_t*>(pcReturned), layout);
        return error == 0 ? TRUE : Fail(error);
    });
    Traced([&] {
        Trace("tivrap", "EnumPrintProcessorDatatypesW", cbBuf, "bytes ->",
              CallOutcome(listed != FALSE), pcReturned ? *pcReturned : 0, "datatypes",
              pcbNeeded ? *pcbNeeded : 0, "bytes needed");
    });
    return listed;
}

// A job record for the printer and the open data; null with the last error
// set when the job cannot be opened.
extern "C" HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName,
                                            PPRINTPROCESSOROPENDATA pPrintProcessorOpenData) {
    JobRecord* record = nullptr;
    const BOOL opened = GuardedBool([&]() -> BOOL {
        DWORD error = 0;
        record = OpenJobRecord(pPrinterName, pPrintProcessorOpenData, error);
        return record ? TRUE : Fail(error);
    });
    Traced([&] {
        const PRINTPROCESSOROPENDATA* data = pPrintProcessorOpenData;
        Trace("tivrap", "OpenPrintProcessor", TraceQuoted{Utf8(pPrinterName)}, "datatype",
              TraceQuoted{Utf8(data ? data->pDatatype : nullptr)}, "job", data ? data->JobId : 0,
              "->", CallOutcome(opened != FALSE));
    });
    return record;
}

// Prints the job by the document name the spooler reads it by
// ("<printer>, Job N"). RAW jobs run the RAW job path; the other datatypes
// are accepted and print nothing.
extern "C" BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR pDocumentName) {
    std::optional<DWORD> job;
    const BOOL printed = GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        job = record->jobId;
        if (zelmar::TraceOn()) {
            Trace("tivrap", JobOf(job), "PrintDocumentOnPrintProcessor",
                  TraceQuoted{Utf8(pDocumentName)});
        }
        if (!pDocumentName || !*pDocumentName) return Fail(tivrap::kErrorInvalidParameter);
        if (record->datatype != tivrap::Datatype::kRaw) return TRUE;
        return PrintRaw(*record, pDocumentName);
    });
    Returns("PrintDocumentOnPrintProcessor", job, printed);
    return printed;
}

// Pause (1), resume (2) and cancel (3), from any thread while the job prints.
extern "C" BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command) {
    std::optional<DWORD> job;
    const BOOL done = GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        job = record->jobId;
        if (Command == JOB_CONTROL_CANCEL && record->dc) CancelDC(record->dc.get());
        return record->control.Command(Command) ? TRUE : Fail(tivrap::kErrorInvalidParameter);
    });
    Traced([&] {
        Trace("tivrap", JobOf(job), "ControlPrintProcessor command", Command, "->",
              CallOutcome(done != FALSE));
    });
    return done;
}

extern "C" BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor) {
    std::optional<DWORD> job;
    const BOOL closed = GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        job = record->jobId;
        CloseJobRecord(record);
        return TRUE;
    });
    Returns("ClosePrintProcessor", job, closed);
    return closed;
}
