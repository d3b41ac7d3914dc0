#include "text.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace zelmar::win32 {

namespace {

int CheckedLength(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long");
    }
    return static_cast<int>(length);
}

// False when `flags` asked for a check and the text failed it.
bool Widen(UINT codePage, DWORD flags, const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    const int length = CheckedLength(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    wide.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed) == needed;
}

std::string Narrow(UINT codePage, const wchar_t* text, std::size_t size) {
    const int length = CheckedLength(size);
    if (length == 0) return {};
    const int needed = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text, length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::string SystemCodePageText(BSTR text) {
    return Narrow(CP_ACP, text, SysStringLen(text));
}

BSTR NewBstr(const std::string& systemCodePageText) {
    std::wstring wide;
    Widen(CP_ACP, 0, systemCodePageText, wide);
    BSTR copy = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!copy) throw std::bad_alloc();
    return copy;
}

LPOLESTR TaskMemoryCopy(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy) CopyMemory(copy, text.c_str(), bytes);
    return copy;
}

std::wstring MessageText(const std::string& text) {
    std::wstring wide;
    if (!Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text, wide)) Widen(CP_ACP, 0, text, wide);
    return wide;
}

std::string Utf8Text(std::wstring_view text) {
    return Narrow(CP_UTF8, text.data(), text.size());
}

}  // namespace zelmar::win32
