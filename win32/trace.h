// The one place that writes the debug texts the system always writes
// (OutputDebugStringW), which a debugger or a trace viewer shows and a host
// without a desktop can collect. The trace that a field engineer switches on
// is engine/trace.h.
#pragma once

#include <string_view>

namespace zelmar::win32 {

// A line on the debug output, always; a line feed is added. Text is UTF-8 or,
// where it is not valid UTF-8, the system code page (names from the host).
void DebugLine(std::string_view text);
void DebugLine(std::wstring_view text);

}  // namespace zelmar::win32
