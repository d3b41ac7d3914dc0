// The job record: what OpenPrintProcessor creates for one job and hands to
// the spooler as the job's handle, until ClosePrintProcessor.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <winsplp.h>  // after winspool.h

#include <memory>
#include <optional>
#include <string>

#include "datatypes.h"
#include "job_control.h"
#include "parameters.h"
#include "spooler_parts.h"
#include "win32/handle_owners.h"
#include "win32/printer_owners.h"
#include "win32/window_owners.h"

namespace tivrap::win32 {

using zelmar::win32::UniqueDc;
using zelmar::win32::UniquePrinter;

inline constexpr DWORD kRecordSignature = 0x5051;

// A copy of a text of the open data; none where the spooler gave none.
using Text = std::optional<std::wstring>;

struct JobRecord {
    explicit JobRecord(UniqueEvent event) : pause(std::move(event)) {}
    JobRecord(const JobRecord&) = delete;
    JobRecord& operator=(const JobRecord&) = delete;

    // First, so that a handle is checked by its first four bytes.
    DWORD signature = kRecordSignature;
    const DWORD size = sizeof(JobRecord);
    WindowsPauseEvent pause;
    JobControl control{pause};  // the status flags
    Datatype datatype = Datatype::kRaw;
    UniquePrinter printer;  // RAW jobs only
    Text printerName;
    Text document;
    Text outputFile;
    Text datatypeName;
    Text parameters;
    DWORD jobId = 0;
    JobSettings settings;             // copies and tab size
    UniqueDc dc;                      // "TEXT" jobs only
    std::unique_ptr<BYTE[]> devMode;  // "NT EMF" jobs only
    Text openDataPrinterName;
};

// A manual-reset event, created set; null when it cannot be created.
HANDLE NewPauseEvent();

// OpenPrintProcessor. Returns the record, registered as a live job handle, or
// null with `error` set: 87 for a missing printer name, open data or
// datatype, 1804 for an unknown datatype, the system's error when the printer,
// the device context or the pause event (made by `newEvent`) cannot be had.
JobRecord* OpenJobRecord(const wchar_t* printerName, const PRINTPROCESSOROPENDATA* data,
                         DWORD& error, HANDLE (*newEvent)() = NewPauseEvent);

// The live record a handle names, checked by its signature; null for any
// other handle, a closed one included.
JobRecord* FindJobRecord(HANDLE handle);

// ClosePrintProcessor: the record leaves the live handles, loses its
// signature and is freed with everything it owns.
void CloseJobRecord(JobRecord* record);

}  // namespace tivrap::win32
