// Tivrap.dll's five entry points, as the spooler calls them. No exception
// leaves them, and each sets the thread's last error when it fails.
#include <windows.h>

#include <winspool.h>

#include <winsplp.h>  // after winspool.h

#include <cstdint>

#include "errors.h"
#include "job_record.h"
#include "raw_job.h"
#include "scratch_files.h"
#include "spooler_parts.h"
#include "thermal_ini.h"
#include "win32/guard.h"

namespace tivrap::win32 {
namespace {

using zelmar::win32::GuardedBool;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

const wchar_t* Name(const Text& text) {
    return text ? text->c_str() : nullptr;
}

const char16_t* Name16(const Text& text) {
    return reinterpret_cast<const char16_t*>(Name(text));
}

BOOL PrintRaw(JobRecord& record, const wchar_t* documentName) {
    FirstError errors;
    PrinterJob spooler(record.printer.get(),
                       {Name(record.document), Name(record.outputFile), Name(record.datatypeName)},
                       documentName, errors);
    const std::optional<std::wstring> systemDirectory = SystemDirectory();
    SpoolScratch scratch(systemDirectory, GetCurrentProcessId(), record.jobId, errors);
    ThermalIni thermal(ThermalIniPlaces(systemDirectory, ModuleDirectory()));
    SectionTranslator translator(
        [&thermal](const std::u16string& key) { return thermal.Value(key); });
    DebugStrings debug;
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
    return GuardedBool([&]() -> BOOL {
        static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
        const tivrap::DatatypeLayout layout = {sizeof(void*),
                                               reinterpret_cast<std::uintptr_t>(pDatatypes)};
        const std::uint32_t error =
            tivrap::ListDatatypes(pDatatypes, cbBuf, reinterpret_cast<std::uint32_t*>(pcbNeeded),
                                  reinterpret_cast<std::uint32_t*>(pcReturned), layout);
        return error == 0 ? TRUE : Fail(error);
    });
}

// A job record for the printer and the open data; null with the last error
// set when the job cannot be opened.
extern "C" HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName,
                                            PPRINTPROCESSOROPENDATA pPrintProcessorOpenData) {
    JobRecord* record = nullptr;
    GuardedBool([&]() -> BOOL {
        DWORD error = 0;
        record = OpenJobRecord(pPrinterName, pPrintProcessorOpenData, error);
        return record ? TRUE : Fail(error);
    });
    return record;
}

// Prints the job by the document name the spooler reads it by
// ("<printer>, Job N"). RAW jobs run the RAW job path; the other datatypes
// are accepted and print nothing.
extern "C" BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR pDocumentName) {
    return GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        if (!pDocumentName || !*pDocumentName) return Fail(tivrap::kErrorInvalidParameter);
        if (record->datatype != tivrap::Datatype::kRaw) return TRUE;
        return PrintRaw(*record, pDocumentName);
    });
}

// Pause (1), resume (2) and cancel (3), from any thread while the job prints.
extern "C" BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command) {
    return GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        if (Command == JOB_CONTROL_CANCEL && record->dc) CancelDC(record->dc.get());
        return record->control.Command(Command) ? TRUE : Fail(tivrap::kErrorInvalidParameter);
    });
}

extern "C" BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor) {
    return GuardedBool([&]() -> BOOL {
        JobRecord* record = FindJobRecord(hPrintProcessor);
        if (!record) return Fail(ERROR_INVALID_HANDLE);
        CloseJobRecord(record);
        return TRUE;
    });
}
