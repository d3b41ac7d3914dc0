// The one place where the control speaks to the user: a message box owned by
// the control's window, or, with ZELMAR_SILENT=1, the debug output, so that a
// host without a desktop (a service, a test) never waits on a modal box.
#pragma once

#include <windows.h>

#include <string>

#include "engine/message_sink.h"

namespace zelmar::automation {

// True when ZELMAR_SILENT is 1: the control opens no modal window.
bool SilentMessages();

class Messages : public MessageSink {
  public:
    // `owner` may be null while the control has no window.
    explicit Messages(HWND owner) : owner_(owner) {}

    // An OK box; an empty caption is the control's default, "Zelmar".
    void ShowMessage(const std::string& text, const std::string& caption) override;

  private:
    HWND owner_;
};

}  // namespace zelmar::automation
