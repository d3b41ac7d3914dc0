// The one place that writes to the debug output (OutputDebugStringW), which a
// debugger or a trace viewer shows and a host without a desktop can collect.
#pragma once

#include <string_view>

namespace zelmar::win32 {

// A line on the debug output, always; a line feed is added. Text is UTF-8 or,
// where it is not valid UTF-8, the system code page (names from the host).
void DebugLine(std::string_view text);
void DebugLine(std::wstring_view text);

// The trace: what the links and the print processor are doing, silent unless
// enabled, by ZELMAR_TRACE=1 in the environment or by SetTraceEnabled.
bool TraceEnabled();
void SetTraceEnabled(bool enabled);
void Trace(std::string_view text);

}  // namespace zelmar::win32
