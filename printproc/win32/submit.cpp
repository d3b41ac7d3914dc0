// tivrap-submit: sends a file to a printer queue as one document, as the
// control and the driver submit their jobs, and waits until the spooler has
// printed it. The print processor's debug texts are shown on stderr, so that
// what Tivrap did with the job can be seen.
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "win32/printer_owners.h"

namespace {

using zelmar::win32::UniquePrinter;

// Every debug text raised in this process: the spooler runs the print
// processor inside the submitting process.
LONG CALLBACK ShowDebugText(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
        std::fprintf(stderr, "debug: %.*s", static_cast<int>(record.ExceptionInformation[0]),
                     reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

bool ReadWhole(const std::wstring& path, std::vector<char>& data) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.insert(data.end(), buffer, buffer + got);
    const bool whole = std::ferror(file) == 0;
    std::fclose(file);
    return whole;
}

int Usage() {
    std::fputs(
        "usage: tivrap-submit QUEUE FILE [--datatype NAME] [--document NAME]\n"
        "Sends FILE to QUEUE as one document (the queue's datatype, RAW, unless --datatype\n"
        "names another; the document \"LogoDocument\" unless --document does) and waits until\n"
        "it is printed. Exit codes: 0 printed, 1 a step failed, 2 a usage error.\n",
        stderr);
    return 2;
}

int Failed(const char* step) {
    std::fprintf(stderr, "tivrap-submit: %s failed (error %lu)\n", step, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    const wchar_t* datatype = nullptr;
    std::wstring document = L"LogoDocument";
    std::vector<std::wstring> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool valued = i + 1 < args.size();
        if (args[i] == L"--datatype" && valued) {
            datatype = args[++i].c_str();
        } else if (args[i] == L"--document" && valued) {
            document = args[++i];
        } else if (args[i].rfind(L"--", 0) == 0) {
            return Usage();
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return Usage();

    std::vector<char> data;
    if (!ReadWhole(positional[1], data)) {
        std::fprintf(stderr, "tivrap-submit: %ls cannot be read\n", positional[1].c_str());
        return 1;
    }

    AddVectoredExceptionHandler(1, ShowDebugText);
    UniquePrinter printer;
    if (!OpenPrinterW(positional[0].data(), printer.put(), nullptr)) return Failed("OpenPrinterW");
    DOC_INFO_1W info = {document.data(), nullptr, const_cast<LPWSTR>(datatype)};
    if (StartDocPrinterW(printer.get(), 1, reinterpret_cast<LPBYTE>(&info)) == 0)
        return Failed("StartDocPrinterW");
    for (std::size_t at = 0; at < data.size();) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min<std::size_t>(data.size() - at, 1 << 20));
        if (!WritePrinter(printer.get(), const_cast<char*>(data.data() + at), size, &written) ||
            written == 0)
            return Failed("WritePrinter");
        at += written;
    }
    // The spooler hands the job to its print processor here.
    if (!EndDocPrinter(printer.get())) return Failed("EndDocPrinter");
    return 0;
}
