#include "thermal_ini.h"

namespace tivrap::win32 {
namespace {

constexpr wchar_t kSection[] = L"thermal";
// Values are read whole up to this many characters (a line that long holds
// some 32000 bytes); a longer one is cut here.
constexpr std::size_t kLongestValue = 1 << 16;
constexpr std::size_t kLongestPath = 32768;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring ReadValue(const std::wstring& file, const std::u16string& key) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const auto* name = reinterpret_cast<const wchar_t*>(key.c_str());
    std::wstring value(260, L'\0');
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(
            kSection, name, L"", value.data(), static_cast<DWORD>(value.size()), file.c_str());
        // A value that fills the buffer may have been cut: read it again with more room.
        if (length + 1 < value.size() || value.size() >= kLongestValue) {
            value.resize(length);
            return value;
        }
        value.resize(2 * value.size());
    }
}

std::string SystemCodePage(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::optional<std::wstring> SystemDirectory() {
    const UINT needed = GetSystemDirectoryW(nullptr, 0);  // with the terminator
    if (needed == 0) return std::nullopt;
    std::wstring directory(needed, L'\0');
    const UINT length = GetSystemDirectoryW(directory.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    directory.resize(length);
    return directory;
}

std::optional<std::wstring> ModuleDirectory() {
    static const int kInThisModule = 0;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&kInThisModule), &module))
        return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) return std::nullopt;
        path.resize(2 * path.size());  // the name was cut
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::nullopt;
    path.resize(slash);
    return path;
}

std::vector<std::wstring> ThermalIniPlaces(const std::optional<std::wstring>& systemDirectory,
                                           const std::optional<std::wstring>& moduleDirectory) {
    std::vector<std::wstring> places;
    if (systemDirectory)
        places.push_back(*systemDirectory + L"\\spool\\prtprocs\\w32x86\\Thermal.ini");
    if (moduleDirectory) places.push_back(*moduleDirectory + L"\\Thermal.ini");
    return places;
}

const std::wstring* ThermalIni::File() {
    if (!looked_) {
        looked_ = true;
        for (const std::wstring& place : places_) {
            if (!IsFile(place)) continue;
            file_ = place;
            break;
        }
    }
    return file_ ? &*file_ : nullptr;
}

std::string ThermalIni::Value(const std::u16string& key) {
    const auto known = values_.find(key);
    if (known != values_.end()) return known->second;
    const std::wstring* file = File();
    std::string value = file ? SystemCodePage(ReadValue(*file, key)) : std::string();
    values_.emplace(key, value);
    return value;
}

}  // namespace tivrap::win32
