#include <windows.h>

#include "port_file_win32.h"
#include "transports.h"

namespace zelmar::links {

namespace {

// A port opened as a file by its name as given: a parallel port, another
// device, a file. Asynchronous I/O unless `blocking` (the Windows 9x family).
class DeviceFile final : public PortFile {
  public:
    DeviceFile(const std::string& name, bool blocking) : name_(name), blocking_(blocking) {}

    LinkResult Open() override {
        Close();
        win32::UniqueFile port = OpenExisting(name_, blocking_ ? 0 : FILE_FLAG_OVERLAPPED);
        if (!port) return LastError(LinkError::kOpen);
        // A parallel port may refuse these; nothing depends on them.
        PurgeAll(port.get());
        SetupComm(port.get(), kPortQueueBytes, 0);
        const LinkResult attached = Attach(std::move(port), blocking_);
        if (attached.ok()) SetPortTimeouts(Handle(), 0, kDeviceWriteLimitMs);
        return attached;
    }

  private:
    std::string name_;
    bool blocking_;
};

}  // namespace

std::unique_ptr<Transport> DeviceFileTransport(const std::string& port, bool blocking) {
    return std::make_unique<DeviceFile>(port, blocking);
}

}  // namespace zelmar::links
