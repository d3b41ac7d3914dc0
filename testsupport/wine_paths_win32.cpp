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

}  // namespace zelmar::test
