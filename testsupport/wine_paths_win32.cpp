#include <windows.h>

#include "wine_paths.h"

namespace zelmar::test {

std::string UnixPath(const std::string& path) {
    using UnixFileNameFn = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName) return path;
    const std::wstring wide(path.begin(), path.end());
    char* converted = unixFileName(wide.c_str());
    const std::string unix = converted ? converted : path;
    HeapFree(GetProcessHeap(), 0, converted);
    return unix;
}

namespace {

bool Machine64() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

}  // namespace

std::wstring SpoolerEnvironment() {
    return Machine64() ? L"Windows x64" : L"Windows NT x86";
}

// The spool folder is the 64-bit one for a 32-bit program too: Windows does
// not redirect it.
std::wstring ProcessorDirectory() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\system32\\spool\\prtprocs\\" +
           (Machine64() ? L"x64" : L"w32x86");
}

}  // namespace zelmar::test
