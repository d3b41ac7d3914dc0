#include "ports.h"

#include "transports.h"

namespace zelmar::links {

namespace {

class PlatformPorts final : public Ports {
  public:
    std::unique_ptr<Transport> Serial(const std::string& port,
                                      const SerialSettings& settings) override {
        return SerialTransport(port, settings);
    }
    std::unique_ptr<Transport> DeviceFile(const std::string& port, bool blocking) override {
        return DeviceFileTransport(port, blocking);
    }
    std::unique_ptr<Transport> Usb() override { return UsbTransport(); }
    std::unique_ptr<Transport> Tcp(const TcpEndpoint& endpoint, MessageSink& messages) override {
        return TcpTransport(endpoint, messages);
    }
};

}  // namespace

Ports& SystemPorts() {
    static PlatformPorts ports;
    return ports;
}

}  // namespace zelmar::links
