// The far end of a serial line for the Windows tests under Wine: makes a
// pseudo-terminal, prints the path of the line's end, and sends every byte
// that arrives back, until it is stopped or nothing comes for two minutes.
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kIdleMs = 120000;

bool SendBack(int fd, const std::uint8_t* data, long size) {
    while (size > 0) {
        const long sent = write(fd, data, static_cast<std::size_t>(size));
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= sent;
    }
    return true;
}

}  // namespace

int main() {
    int printer = -1, line = -1;
    char name[256] = {};
    if (openpty(&printer, &line, name, nullptr, nullptr) != 0) return 1;
    // Raw from the start, so that nothing the far end sends is echoed by the
    // terminal itself. The line's end stays open here: the line lives on
    // between the tests' opens.
    termios raw{};
    tcgetattr(printer, &raw);
    cfmakeraw(&raw);
    tcsetattr(printer, TCSANOW, &raw);
    std::printf("%s\n", name);
    std::fclose(stdout);

    std::uint8_t buffer[4096];
    pollfd watched{printer, POLLIN, 0};
    while (poll(&watched, 1, kIdleMs) > 0) {
        const long got = read(printer, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || !SendBack(printer, buffer, got)) return 1;
    }
    return 0;
}
