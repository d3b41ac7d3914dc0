// Text between the host's wide strings and the engine's 8-bit strings.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

namespace zelmar::win32 {

// A host's text as the engine takes file names: 8-bit, in the system code
// page. A character that the code page lacks becomes "?", which no file name
// holds. A null BSTR is the empty text.
std::string SystemCodePageText(BSTR text);

// A new BSTR, never null, from text in the system code page.
BSTR NewBstr(const std::string& systemCodePageText);

// A copy in COM task memory, for a caller that frees it with CoTaskMemFree;
// null when memory is short.
LPOLESTR TaskMemoryCopy(const std::wstring& text);

// The wide form of a message's text. The control's own texts are UTF-8;
// names that came from the host are in the system code page, so text that is
// not valid UTF-8 is read in that code page.
std::wstring MessageText(const std::string& text);

// UTF-8, as the trace file holds its text.
std::string Utf8Text(std::wstring_view text);

}  // namespace zelmar::win32
