// Messages kept instead of shown, each as "caption: text".
#pragma once

#include <string>
#include <vector>

#include "engine/message_sink.h"

namespace zelmar::test {

class RecordedMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + ": " + text);
    }
    std::vector<std::string> shown;
};

}  // namespace zelmar::test
