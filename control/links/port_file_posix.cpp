#include "port_file_posix.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <thread>

#include "ports.h"

namespace zelmar::links {

namespace {

// The number of "COM7" for the prefix "COM": 1 to 999, no leading zero.
std::optional<int> PortNumber(const std::string& port, const char* prefix) {
    if (port.size() < 4 || port.size() > 6 || port.compare(0, 3, prefix) != 0 || port[3] == '0') {
        return std::nullopt;
    }
    int number = 0;
    for (std::size_t i = 3; i < port.size(); ++i) {
        if (port[i] < '0' || port[i] > '9') return std::nullopt;
        number = number * 10 + (port[i] - '0');
    }
    return number;
}

}  // namespace

std::string DeviceOfPort(const std::string& port) {
    const std::optional<int> com = PortNumber(port, "COM");
    const std::optional<int> lpt = PortNumber(port, "LPT");
    if (!com && !lpt) return port;
    if (const char* mapped = std::getenv(("ZELMAR_" + port).c_str()); mapped && *mapped) {
        return mapped;
    }
    return com ? "/dev/ttyS" + std::to_string(*com - 1) : "/dev/lp" + std::to_string(*lpt - 1);
}

std::string PortPath(const std::string& port) {
    return DeviceOfPort(port);
}

void MakeRaw(int fd) {
    termios line{};
    if (!isatty(fd) || tcgetattr(fd, &line) != 0) return;
    const speed_t in = cfgetispeed(&line), out = cfgetospeed(&line);
    cfmakeraw(&line);
    cfsetispeed(&line, in);
    cfsetospeed(&line, out);
    tcsetattr(fd, TCSANOW, &line);
}

namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// A device that cannot be polled always seems ready; when it then says "try
// again", this pause keeps the wait from spinning.
constexpr milliseconds kRetryPause{10};

int MsLeft(Deadline deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

void PauseBeforeRetry(Deadline deadline) {
    std::this_thread::sleep_for(std::min(kRetryPause, milliseconds(MsLeft(deadline))));
}

bool TryAgain(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// A FIFO whose reader has gone raises SIGPIPE, which would end the program:
// the signal is held back for this thread and taken away again.
long WriteWithoutSigpipe(int fd, const std::uint8_t* data, std::size_t size) {
    sigset_t pipe, pending, previous;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    if (!alreadyPending) pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    const long written = write(fd, data, size);
    const int error = errno;
    if (!alreadyPending) {
        if (written < 0 && error == EPIPE) {
            const timespec none{0, 0};
            sigtimedwait(&pipe, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    errno = error;
    return written;
}

}  // namespace

Deadline DeadlineIn(std::uint64_t ms) {
    return SteadyClock::now() + milliseconds(static_cast<milliseconds::rep>(ms));
}

bool WaitReady(int fd, short events, Deadline deadline) {
    pollfd watched{fd, events, 0};
    while (true) {
        const int ready = poll(&watched, 1, MsLeft(deadline));
        if (ready > 0) return true;
        if (ready == 0) return false;
        // Anything but an interruption is for the next call to report.
        if (errno != EINTR) return true;
    }
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
}

void PortFile::Attach(UniqueFd fd, Kind kind) {
    fd_ = std::move(fd);
    kind_ = kind;
    finished_ = false;
}

long PortFile::Put(const std::uint8_t* data, std::size_t size) const {
    if (kind_ == Kind::kSocket) return send(fd_.get(), data, size, MSG_NOSIGNAL);
    return WriteWithoutSigpipe(fd_.get(), data, size);
}

LinkResult PortFile::Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) {
    if (!fd_) return LinkResult::Failed(LinkError::kWrite, EBADF);
    const Deadline deadline = DeadlineIn(limitMs > 0 ? limitMs : WriteBoundMs(size));
    while (size > 0) {
        if (!WaitReady(fd_.get(), POLLOUT, deadline)) {
            return LinkResult::Failed(LinkError::kWrite, ETIMEDOUT);
        }
        const long written = Put(data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (written < 0 && TryAgain(errno)) {
            // A device may say it is ready and still take nothing.
            if (MsLeft(deadline) == 0) return LinkResult::Failed(LinkError::kWrite, ETIMEDOUT);
            PauseBeforeRetry(deadline);
        } else {
            return LinkResult::Failed(LinkError::kWrite, written < 0 ? errno : EIO);
        }
    }
    return LinkResult::Done();
}

LinkResult PortFile::Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                          std::uint32_t timeoutMs) {
    received = 0;
    if (!fd_ || kind_ == Kind::kWriteOnlyDevice) return LinkResult::Done();
    const Deadline last = DeadlineIn(timeoutMs);
    Deadline deadline = last;
    while (received < capacity && WaitReady(fd_.get(), POLLIN, deadline)) {
        const long got = read(fd_.get(), buffer + received, capacity - received);
        if (got > 0) {
            received += static_cast<std::size_t>(got);
            if (timeouts_.replyGapMs == 0) break;
            deadline = std::min(last, DeadlineIn(timeouts_.replyGapMs));
        } else if (got < 0 && TryAgain(errno)) {
            if (MsLeft(deadline) == 0) break;
            PauseBeforeRetry(deadline);
        } else if (got == 0) {
            break;  // the end of the file, or the printer closed the connection
        } else {
            return LinkResult::Failed(LinkError::kStatus, errno);
        }
    }
    return LinkResult::Done();
}

std::size_t PortFile::Held() const {
    int held = 0;
    if (ioctl(fd_.get(), TIOCOUTQ, &held) != 0 || held < 0) return 0;
    return static_cast<std::size_t>(held);
}

LinkResult PortFile::Finish() {
    if (!fd_) return LinkResult::Failed(LinkError::kWrite, EBADF);
    const Deadline deadline = DeadlineIn(WriteBoundMs(Held()));
    while (Held() > 0) {
        if (MsLeft(deadline) == 0) return LinkResult::Failed(LinkError::kWrite, ETIMEDOUT);
        PauseBeforeRetry(deadline);
    }
    finished_ = true;
    return LinkResult::Done();
}

void PortFile::Close() {
    // A pseudo-terminal's flush discards what its far end has not read yet.
    if (fd_ && kind_ != Kind::kSocket && !finished_) tcflush(fd_.get(), TCOFLUSH);
    fd_.reset();
}

void PortFile::Purge() {
    if (!fd_) return;
    if (kind_ != Kind::kSocket) {
        tcflush(fd_.get(), TCIOFLUSH);  // only a terminal has queues
        return;
    }
    // What has arrived on a connection, within what its buffer can hold.
    std::uint8_t scrap[4096];
    for (int round = 0; round < 64; ++round) {
        if (recv(fd_.get(), scrap, sizeof scrap, MSG_DONTWAIT) <= 0) break;
    }
}

}  // namespace zelmar::links
