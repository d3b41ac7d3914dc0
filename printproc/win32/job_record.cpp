#include "job_record.h"

#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "errors.h"

namespace tivrap::win32 {
namespace {

// The records handed out and not yet closed: a handle is looked up here
// before anything of it is read, so that a stale or foreign handle is refused
// without touching its memory.
std::mutex g_recordsLock;
std::set<JobRecord*> g_records;

const char16_t* Wide16(const wchar_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return reinterpret_cast<const char16_t*>(text);
}

Text Copy(const wchar_t* text) {
    return text ? Text(text) : std::nullopt;
}

std::unique_ptr<BYTE[]> CopyDevMode(const DEVMODEW* devMode) {
    if (!devMode) return nullptr;
    const std::size_t size = std::size_t{devMode->dmSize} + devMode->dmDriverExtra;
    auto copy = std::make_unique<BYTE[]>(size);
    std::memcpy(copy.get(), devMode, size);
    return copy;
}

// The printer's attributes (PRINTER_INFO_2), or none when it cannot be asked.
std::optional<DWORD> Attributes(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W)) return std::nullopt;
    std::vector<std::uint64_t> info((needed + 7) / 8);  // aligned for the record's pointers
    if (!GetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(info.data()), needed, &needed))
        return std::nullopt;
    return reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->Attributes;
}

// Copies are kept only for a printer that can be asked and is not a direct one.
bool CopiesKept(const JobRecord& record, const wchar_t* printerName) {
    HANDLE printer = record.printer.get();
    UniquePrinter opened;
    if (!printer) {
        if (!OpenPrinterW(const_cast<LPWSTR>(printerName), opened.put(), nullptr)) return false;
        printer = opened.get();
    }
    const std::optional<DWORD> attributes = Attributes(printer);
    return attributes && (*attributes & PRINTER_ATTRIBUTE_DIRECT) == 0;
}

// What the datatype needs of the printer: the printer itself for RAW, a
// device context for "TEXT", the device mode for "NT EMF".
bool OpenForDatatype(JobRecord& record, const wchar_t* printerName, const DEVMODEW* devMode) {
    switch (record.datatype) {
        case Datatype::kRaw:
            return OpenPrinterW(const_cast<LPWSTR>(printerName), record.printer.put(), nullptr);
        case Datatype::kText:
            record.dc.reset(CreateDCW(L"", printerName, L"", devMode));
            return static_cast<bool>(record.dc);
        case Datatype::kEmf1006:
        case Datatype::kEmf1007:
        case Datatype::kEmf1008:
            record.devMode = CopyDevMode(devMode);
            return true;
    }
    return false;
}

void Fill(JobRecord& record, const wchar_t* printerName, const PRINTPROCESSOROPENDATA& data) {
    record.printerName = Copy(printerName);
    record.document = Copy(data.pDocumentName);
    record.outputFile = Copy(data.pOutputFile);
    record.datatypeName = Copy(data.pDatatype);
    record.parameters = Copy(data.pParameters);
    record.jobId = data.JobId;
    record.openDataPrinterName = Copy(data.pPrinterName);
    record.settings = ReadJobSettings(Wide16(data.pParameters), record.datatype);
    if (record.settings.copies >= 2 && !CopiesKept(record, printerName)) record.settings.copies = 1;
}

// The system's error for a failed call, never 0.
DWORD SystemError() {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

}  // namespace

HANDLE NewPauseEvent() {
    return CreateEventW(nullptr, TRUE, TRUE, nullptr);
}

JobRecord* OpenJobRecord(const wchar_t* printerName, const PRINTPROCESSOROPENDATA* data,
                         DWORD& error, HANDLE (*newEvent)()) {
    if (!printerName || !*printerName || !data) {
        error = kErrorInvalidParameter;
        return nullptr;
    }
    Datatype datatype = Datatype::kRaw;
    if ((error = FindDatatype(Wide16(data->pDatatype), datatype)) != 0) return nullptr;
    // A job that could not be paused would not wait: without its event it is not opened.
    UniqueEvent event(newEvent());
    if (!event) {
        error = SystemError();
        return nullptr;
    }
    auto record = std::make_unique<JobRecord>(std::move(event));
    record->datatype = datatype;
    if (!OpenForDatatype(*record, printerName, data->pDevMode)) {
        error = SystemError();
        return nullptr;
    }
    Fill(*record, printerName, *data);
    const std::lock_guard<std::mutex> lock(g_recordsLock);
    g_records.insert(record.get());
    return record.release();
}

JobRecord* FindJobRecord(HANDLE handle) {
    auto* record = static_cast<JobRecord*>(handle);
    const std::lock_guard<std::mutex> lock(g_recordsLock);
    if (g_records.count(record) == 0 || record->signature != kRecordSignature) return nullptr;
    return record;
}

void CloseJobRecord(JobRecord* record) {
    {
        const std::lock_guard<std::mutex> lock(g_recordsLock);
        g_records.erase(record);
    }
    record->signature = 0;
    delete record;
}

}  // namespace tivrap::win32
