#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "trace.h"
#include "trace_platform.h"
#include "win32/handle_owners.h"
#include "win32/text.h"

namespace zelmar {

namespace {

// The product's key, where setup keeps its own values: read in the 32-bit
// view, which setup writes, from 32- and 64-bit modules alike.
constexpr wchar_t kProductKey[] = L"Software\\Orvenna";
constexpr DWORD kLongestText = 32767;

std::optional<std::wstring> Environment(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        if (length > kLongestText) return std::nullopt;
        value.resize(length);
    }
}

std::optional<DWORD> RegistryNumber(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> RegistryText(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > kLongestText * sizeof(wchar_t)) {
        return std::nullopt;
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    // The stored text need not end in a null; it ends at the first one.
    value.resize(value.find(L'\0'));
    return value;
}

// Each of the environment's settings comes before the registry's.
void ReadProductKey(TraceSettings& settings) {
    win32::UniqueHkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      key.put()) != ERROR_SUCCESS) {
        return;
    }
    if (!settings.on) settings.on = RegistryNumber(key.get(), L"Trace") == DWORD{1};
    if (settings.file.empty()) {
        if (const auto file = RegistryText(key.get(), L"TraceFile"))
            settings.file = win32::Utf8Text(*file);
    }
}

}  // namespace

TraceSettings TraceSettingsFromSystem() {
    TraceSettings settings;
    settings.on = Environment(L"ZELMAR_TRACE") == std::wstring(L"1");
    if (const auto file = Environment(L"ZELMAR_TRACE_FILE")) settings.file = win32::Utf8Text(*file);
    ReadProductKey(settings);
    return settings;
}

TraceOutcome CallOutcome(bool done) {
    return {done, done ? 0 : GetLastError()};
}

namespace trace_platform {

std::string Stamp() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u %lu/%lu", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  GetCurrentProcessId(), GetCurrentThreadId());
    return stamp;
}

void DebugOutput(const std::string& line) {
    OutputDebugStringW(win32::MessageText(line).c_str());
}

File OpenAppending(const std::string& path) {
    // Append access only: each write goes to the end, whoever else appends.
    const HANDLE file = CreateFileW(win32::MessageText(path).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(file);
}

void Append(File file, const std::string& line) {
    // Names from the host are in the system code page: the file is UTF-8 throughout.
    const std::string utf8 = win32::Utf8Text(win32::MessageText(line));
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(file), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

void Close(File file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

KeptError::KeptError() : code_(GetLastError()) {}

KeptError::~KeptError() {
    SetLastError(code_);
}

}  // namespace trace_platform

}  // namespace zelmar
