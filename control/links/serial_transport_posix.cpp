#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "port_file_posix.h"
#include "transports.h"

namespace zelmar::links {

namespace {

std::optional<speed_t> LineSpeed(std::int32_t baudCode) {
    switch (BaudRate(baudCode).value_or(0)) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return std::nullopt;
    }
}

// The parity bits of a code, or `current` for a code that keeps them.
tcflag_t ParityBits(std::int32_t parityCode, tcflag_t current) {
    const std::optional<Parity> parity = ParityOf(parityCode);
    if (!parity) return current;
    switch (*parity) {
        case Parity::kNone:
            return 0;
        case Parity::kEven:
            return PARENB;
        case Parity::kOdd:
            return PARENB | PARODD;
    }
    return current;
}

class SerialPort final : public PortFile {
  public:
    SerialPort(const std::string& port, const SerialSettings& settings)
        : PortFile(
              {WriteMillisecondsPerByte(settings.baudCode), kSerialWriteFloorMs, kReadIntervalMs}),
          path_(DeviceOfPort(port)),
          settings_(settings) {}
    ~SerialPort() override { Close(); }

    LinkResult Open() override {
        Close();
        // Without O_NONBLOCK the open would wait for a carrier the printer
        // never raises; the descriptor stays non-blocking, every wait is a poll.
        UniqueFd fd(open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd) return LinkResult::Failed(LinkError::kOpen, errno);
        ioctl(fd.get(), TIOCEXCL);  // not shared while the job runs
        tcflush(fd.get(), TCIOFLUSH);
        Attach(std::move(fd), Kind::kDevice);
        return LinkResult::Done();
    }

    // The line stays exclusive as long as anyone holds it open: it is given
    // back before it is closed.
    void Close() override {
        if (Descriptor() >= 0) ioctl(Descriptor(), TIOCNXCL);
        PortFile::Close();
    }

    // Raw bytes, 8 data bits, 1 stop bit, no parity checking, output flow by
    // CTS; the rate and parity by their codes. (The open raised DTR and RTS;
    // there is no flow by DSR here.)
    LinkResult Configure() override {
        termios line{};
        if (tcgetattr(Descriptor(), &line) != 0) {
            return LinkResult::Failed(LinkError::kSettings, errno);
        }
        const tcflag_t parity = ParityBits(settings_.parityCode, line.c_cflag & (PARENB | PARODD));
        cfmakeraw(&line);
        line.c_iflag &= ~static_cast<tcflag_t>(INPCK);
        line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
        line.c_cflag |= CS8 | CLOCAL | CREAD | CRTSCTS | parity;
        if (const std::optional<speed_t> speed = LineSpeed(settings_.baudCode)) {
            cfsetispeed(&line, *speed);
            cfsetospeed(&line, *speed);
        }
        if (tcsetattr(Descriptor(), TCSANOW, &line) != 0) {
            return LinkResult::Failed(LinkError::kSettings, errno);
        }
        return LinkResult::Done();
    }

  private:
    std::string path_;
    SerialSettings settings_;
};

}  // namespace

std::unique_ptr<Transport> SerialTransport(const std::string& port,
                                           const SerialSettings& settings) {
    return std::make_unique<SerialPort>(port, settings);
}

}  // namespace zelmar::links
