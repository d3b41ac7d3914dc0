#include "trace.h"

#include <windows.h>

#include <string>

#include "text.h"

namespace zelmar::win32 {

namespace {

// -1 until the environment has been read.
LONG g_traceEnabled = -1;

bool EnvironmentSaysTrace() {
    wchar_t value[2] = {};
    return GetEnvironmentVariableW(L"ZELMAR_TRACE", value, 2) == 1 && value[0] == L'1';
}

}  // namespace

void DebugLine(std::wstring_view text) {
    std::wstring line(text);
    line += L'\n';
    OutputDebugStringW(line.c_str());
}

void DebugLine(std::string_view text) {
    DebugLine(MessageText(std::string(text)));
}

bool TraceEnabled() {
    LONG enabled = g_traceEnabled;
    if (enabled < 0) {
        enabled = EnvironmentSaysTrace() ? 1 : 0;
        InterlockedCompareExchange(&g_traceEnabled, enabled, -1);
    }
    return enabled == 1;
}

void SetTraceEnabled(bool enabled) {
    InterlockedExchange(&g_traceEnabled, enabled ? 1 : 0);
}

void Trace(std::string_view text) {
    if (TraceEnabled()) DebugLine(text);
}

}  // namespace zelmar::win32
