#include "messages.h"

#include "engine/trace.h"
#include "win32/text.h"
#include "win32/trace.h"

namespace zelmar::automation {

namespace {

constexpr wchar_t kDefaultCaption[] = L"Zelmar";

}  // namespace

bool SilentMessages() {
    wchar_t value[2] = {};
    return GetEnvironmentVariableW(L"ZELMAR_SILENT", value, 2) == 1 && value[0] == L'1';
}

void Messages::ShowMessage(const std::string& text, const std::string& caption) {
    Trace("message", TraceQuoted{caption}, TraceQuoted{text});
    const std::wstring wideCaption =
        caption.empty() ? kDefaultCaption : win32::MessageText(caption);
    const std::wstring wideText = win32::MessageText(text);
    if (SilentMessages()) {
        win32::DebugLine(wideCaption + L": " + wideText);
        return;
    }
    MessageBoxW(owner_, wideText.c_str(), wideCaption.c_str(), MB_OK);
}

}  // namespace zelmar::automation
