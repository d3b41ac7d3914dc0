// What the POSIX transports share: a port the system opens as a file
// descriptor (a serial line, a device, a FIFO, a connection), whose writes
// and reads are bounded by poll, so that a printer that stops taking bytes or
// never answers cannot hold a job.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "transport.h"

namespace zelmar::links {

using Deadline = std::chrono::steady_clock::time_point;

// The device of a Windows port name: COM1, COM2, ... the serial ports
// /dev/ttyS0, /dev/ttyS1, ..., LPT1, LPT2, ... the parallel ports /dev/lp0,
// /dev/lp1, ..., unless the environment names another device for the port
// (ZELMAR_COM1=/dev/ttyUSB0); any other name is a device path.
std::string DeviceOfPort(const std::string& port);

// A terminal line opened as a device file passes bytes unchanged: no echo,
// no translation of line ends, no flow-control or signal characters. Its rate
// stays as it was.
void MakeRaw(int fd);

Deadline DeadlineIn(std::uint64_t ms);

// Waits until `fd` is ready for `events`, or reports an error or a hang-up,
// before `deadline`; false when the time ran out.
bool WaitReady(int fd, short events, Deadline deadline);

// A file descriptor, closed when it goes.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

// How long a port's writes and reads may take, in the manner of a serial
// port's time-outs.
struct PortTimeouts {
    std::uint32_t writeMsPerByte;  // a write of n bytes may take n times this,
    std::uint32_t writeMs;         // plus this
    std::uint32_t replyGapMs;      // a reply ends this long after a byte; 0: one read
};

class PortFile : public Transport {
  public:
    LinkResult Configure() override { return LinkResult::Done(); }
    LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) override;
    LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t timeoutMs) override;
    void Purge() override;
    // Waits until the line has sent what the system holds of the job, within
    // the write bound of those bytes.
    LinkResult Finish() override;
    // Unless a finished job left nothing behind, what the system still holds
    // for the printer is discarded, so that the close never waits on a
    // printer that stopped.
    void Close() override;

  protected:
    enum class Kind { kDevice, kWriteOnlyDevice, kSocket };

    explicit PortFile(const PortTimeouts& timeouts) : timeouts_(timeouts) {}
    // Takes an open, non-blocking descriptor.
    void Attach(UniqueFd fd, Kind kind);
    int Descriptor() const { return fd_.get(); }
    // The bytes the system holds for the printer: not yet on the line, or on
    // a connection not yet acknowledged (its end included); 0 where the port
    // does not tell.
    std::size_t Held() const;

  private:
    long Put(const std::uint8_t* data, std::size_t size) const;
    std::uint64_t WriteBoundMs(std::size_t size) const {
        return std::uint64_t{timeouts_.writeMsPerByte} * size + timeouts_.writeMs;
    }

    PortTimeouts timeouts_;
    UniqueFd fd_;
    Kind kind_ = Kind::kDevice;
    bool finished_ = false;
};

}  // namespace zelmar::links
