// What the trace needs of each system: the stamp of a line, the debug output
// and a file appended to. One file per system: trace_posix.cpp, trace_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace zelmar::trace_platform {

// "<date> <time> <process>/<thread>": local time, to the millisecond.
std::string Stamp();

// One line, its line feed included: stderr, or OutputDebugStringW.
void DebugOutput(const std::string& line);

// A file opened for appending only, created when missing; kNoFile when it
// cannot be opened. Each Append is one write at the file's end.
using File = std::intptr_t;
constexpr File kNoFile = -1;
File OpenAppending(const std::string& path);
void Append(File file, const std::string& line);
void Close(File file);

// Keeps the thread's last system error (errno, GetLastError) across a line,
// so that a step traced between a failed call and the reading of its error
// changes nothing.
class KeptError {
  public:
    KeptError();
    KeptError(const KeptError&) = delete;
    KeptError& operator=(const KeptError&) = delete;
    ~KeptError();

  private:
    std::uint32_t code_;
};

}  // namespace zelmar::trace_platform
