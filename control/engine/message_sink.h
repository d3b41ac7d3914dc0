// Where the engine's few messages go: a message box in the control, stderr in
// the command-line tool, a list in the tests.
#pragma once

#include <string>

namespace zelmar {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};

}  // namespace zelmar
