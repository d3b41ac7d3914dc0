#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <vector>

#include "port_file_posix.h"
#include "transports.h"

namespace zelmar::links {

namespace {

constexpr int kUsbPrinters = 16;  // /dev/usb/lp0 ... /dev/usb/lp15

// A port opened as a file: the first of its paths that opens. Blocking or
// not, every wait is a poll with its bound.
class DeviceFile final : public PortFile {
  public:
    explicit DeviceFile(std::vector<std::string> paths)
        : PortFile({0, kDeviceWriteLimitMs, 0}), paths_(std::move(paths)) {}

    LinkResult Open() override {
        Close();
        int error = ENOENT;
        for (const std::string& path : paths_) {
            if (OpenPath(path, error)) return LinkResult::Done();
        }
        return LinkResult::Failed(LinkError::kOpen, error);
    }

  private:
    bool OpenPath(const std::string& path, int& error) {
        // A FIFO stands for a printer's pipe: it only takes bytes, and with no
        // reader there is no printer, so the open fails.
        struct stat info {};
        const bool fifo = stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
        UniqueFd fd(
            open(path.c_str(), (fifo ? O_WRONLY : O_RDWR) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd) {
            error = errno;
            return false;
        }
        tcflush(fd.get(), TCIOFLUSH);  // where the device keeps queues
        MakeRaw(fd.get());
        Attach(std::move(fd), fifo ? Kind::kWriteOnlyDevice : Kind::kDevice);
        return true;
    }

    std::vector<std::string> paths_;
};

}  // namespace

std::unique_ptr<Transport> DeviceFileTransport(const std::string& port, bool) {
    return std::make_unique<DeviceFile>(std::vector<std::string>{DeviceOfPort(port)});
}

// The printers of the USB printer class, in their number's order.
std::unique_ptr<Transport> UsbTransport() {
    std::vector<std::string> paths;
    for (int number = 0; number < kUsbPrinters; ++number) {
        paths.push_back("/dev/usb/lp" + std::to_string(number));
    }
    return std::make_unique<DeviceFile>(std::move(paths));
}

}  // namespace zelmar::links
