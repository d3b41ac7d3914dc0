// tivrap-setup: the setup program's spooler steps for the print processor,
// through the spooler's own calls so that it knows of each change at once.
// The setup runs it from its temporary folder; the environment is that of the
// machine's spooler, also when a 32-bit setup runs on 64-bit Windows.
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/language.h"
#include "platform.h"
#include "win32/printer_owners.h"

namespace {

using zelmar::win32::UniquePrinter;

constexpr wchar_t kProcessor[] = L"Tivrap";
constexpr wchar_t kModule[] = L"Tivrap.dll";

enum ExitCode { kDone = 0, kFailed = 1, kUsage = 2, kInUse = 3 };

int Failed(const char* step, DWORD error = GetLastError()) {
    std::fprintf(stderr, "tivrap-setup: %s failed (error %lu)\n", step, error);
    return kFailed;
}

// The spooler's environment on this machine, whatever this program's own build.
std::optional<std::wstring> SpoolerEnvironment() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
        case PROCESSOR_ARCHITECTURE_AMD64:
            return L"Windows x64";
        case PROCESSOR_ARCHITECTURE_INTEL:
            return L"Windows NT x86";
        default:
            return std::nullopt;
    }
}

// The local queues that print through Tivrap.
std::vector<std::string> QueuesUsingTivrap() {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::string> names;
    if (needed == 0 ||
        !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
        return names;
    const auto* queues = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const wchar_t* processor = queues[i].pPrintProcessor;
        if (processor && lstrcmpiW(processor, kProcessor) == 0)
            names.push_back(orvenna::Utf8(queues[i].pPrinterName));
    }
    return names;
}

// The installed queues whose names the application looks for, in either
// language, in the spooler's order.
std::vector<std::string> ApplicationQueues() {
    const std::vector<std::string> installed = orvenna::Win32Environment().Printers();
    std::vector<std::string> queues;
    for (const std::string& queue : installed) {
        const std::vector<std::string> one{queue};
        if (!orvenna::MatchDrivers(one, orvenna::Language::kEnglish).empty() ||
            !orvenna::MatchDrivers(one, orvenna::Language::kKorean).empty())
            queues.push_back(queue);
    }
    return queues;
}

bool Listed(const std::wstring& environment) {
    auto* name = const_cast<LPWSTR>(environment.c_str());
    DWORD needed = 0, count = 0;
    EnumPrintProcessorsW(nullptr, name, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 ||
        !EnumPrintProcessorsW(nullptr, name, 1, buffer.data(), needed, &needed, &count))
        return false;
    const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (lstrcmpiW(processors[i].pName, kProcessor) == 0) return true;
    return false;
}

int PrintDirectory(const std::wstring& environment) {
    auto* name = const_cast<LPWSTR>(environment.c_str());
    DWORD needed = 0;
    GetPrintProcessorDirectoryW(nullptr, name, 1, nullptr, 0, &needed);
    std::vector<wchar_t> directory(needed / sizeof(wchar_t) + 1);
    if (needed == 0 ||
        !GetPrintProcessorDirectoryW(nullptr, name, 1, reinterpret_cast<BYTE*>(directory.data()),
                                     needed, &needed))
        return Failed("GetPrintProcessorDirectory");
    std::printf("%s\n", orvenna::Utf8(directory.data()).c_str());
    return kDone;
}

int AddProcessor(const std::wstring& environment) {
    if (AddPrintProcessorW(nullptr, const_cast<LPWSTR>(environment.c_str()),
                           const_cast<LPWSTR>(kModule), const_cast<LPWSTR>(kProcessor)))
        return kDone;
    // An upgrade finds it registered already.
    if (GetLastError() == ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED) return kDone;
    return Failed("AddPrintProcessor");
}

int PrintQueues() {
    for (const std::string& queue : ApplicationQueues())
        std::printf("%s\n", queue.c_str());
    return kDone;
}

int UseProcessor(const std::wstring& queue) {
    bool known = false;
    for (const std::string& name : ApplicationQueues())
        known = known || orvenna::Wide(name) == queue;
    if (!known) {
        std::fprintf(stderr, "tivrap-setup: \"%s\" is no queue of the printer's driver\n",
                     orvenna::Utf8(queue).c_str());
        return kFailed;
    }
    UniquePrinter printer;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(queue.c_str()), printer.put(), &access))
        return Failed("OpenPrinter");
    DWORD needed = 0;
    GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed))
        return Failed("GetPrinter");
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info->pPrintProcessor = const_cast<LPWSTR>(kProcessor);
    info->pSecurityDescriptor = nullptr;  // left as it is
    if (!SetPrinterW(printer.get(), 2, buffer.data(), 0)) return Failed("SetPrinter");
    return kDone;
}

// Removed only when no queue prints through it any more; those that still do
// are named, and the print processor stays.
int RemoveProcessor(const std::wstring& environment) {
    const std::vector<std::string> users = QueuesUsingTivrap();
    for (const std::string& queue : users)
        std::printf("%s\n", queue.c_str());
    if (!users.empty()) return kInUse;
    if (!DeletePrintProcessorW(nullptr, const_cast<LPWSTR>(environment.c_str()),
                               const_cast<LPWSTR>(kProcessor)) &&
        GetLastError() != ERROR_UNKNOWN_PRINTPROCESSOR)
        return Failed("DeletePrintProcessor");
    // Wine's spooler answers the call without removing anything; its list is
    // the spooler's registry key, so the registration goes from there.
    if (Listed(environment)) {
        const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" +
                                 environment + L"\\Print Processors\\" + kProcessor;
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
        if (Listed(environment)) return Failed("DeletePrintProcessor", ERROR_ACCESS_DENIED);
    }
    return kDone;
}

int Usage() {
    std::fputs(
        "usage: tivrap-setup directory | add | queues | use QUEUE | remove\n"
        "  directory  the spooler's print-processor directory\n"
        "  add        registers Tivrap.dll, already in that directory, as \"Tivrap\"\n"
        "  queues     the installed queues that Orvenna looks for, one a line\n"
        "  use QUEUE  QUEUE, one of those, prints through Tivrap\n"
        "  remove     removes \"Tivrap\" unless a queue prints through it\n"
        "Exit codes: 0 done, 1 failed, 2 a usage error, 3 still in use (the queues named).\n",
        stderr);
    return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    const std::optional<std::wstring> environment = SpoolerEnvironment();
    if (!environment) return Failed("finding the spooler's environment", ERROR_NOT_SUPPORTED);
    if (argc == 2 && command == L"directory") return PrintDirectory(*environment);
    if (argc == 2 && command == L"add") return AddProcessor(*environment);
    if (argc == 2 && command == L"queues") return PrintQueues();
    if (argc == 3 && command == L"use") return UseProcessor(argv[2]);
    if (argc == 2 && command == L"remove") return RemoveProcessor(*environment);
    return Usage();
}
