#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "trace.h"
#include "trace_platform.h"

namespace zelmar {

TraceSettings TraceSettingsFromSystem() {
    TraceSettings settings;
    const char* on = std::getenv("ZELMAR_TRACE");
    settings.on = on && std::strcmp(on, "1") == 0;
    if (const char* file = std::getenv("ZELMAR_TRACE_FILE")) settings.file = file;
    return settings;
}

TraceOutcome CallOutcome(bool done) {
    return {done, done ? 0 : static_cast<std::uint32_t>(errno)};
}

namespace trace_platform {

namespace {

// One write call, repeated only when a signal interrupted it before it began.
void WriteLine(int fd, const std::string& line) {
    while (write(fd, line.data(), line.size()) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::string Stamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%s.%03ld %ld/%ld", date, now.tv_nsec / 1000000L,
                  static_cast<long>(getpid()), static_cast<long>(gettid()));
    return stamp;
}

void DebugOutput(const std::string& line) {
    WriteLine(STDERR_FILENO, line);
}

File OpenAppending(const std::string& path) {
    // Not blocking: a FIFO without a reader is refused, not waited for.
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    return fd < 0 ? kNoFile : fd;
}

void Append(File file, const std::string& line) {
    WriteLine(static_cast<int>(file), line);
}

void Close(File file) {
    close(static_cast<int>(file));
}

KeptError::KeptError() : code_(static_cast<std::uint32_t>(errno)) {}

KeptError::~KeptError() {
    errno = static_cast<int>(code_);
}

}  // namespace trace_platform

}  // namespace zelmar
