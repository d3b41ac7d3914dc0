#include "trace.h"

#include <windows.h>

#include <string>

#include "text.h"

namespace zelmar::win32 {

void DebugLine(std::wstring_view text) {
    std::wstring line(text);
    line += L'\n';
    OutputDebugStringW(line.c_str());
}

void DebugLine(std::string_view text) {
    DebugLine(MessageText(std::string(text)));
}

}  // namespace zelmar::win32
