#include "ports.h"

#include "traced_transport.h"
#include "transports.h"

namespace zelmar::links {

namespace {

std::string SerialName(const std::string& port, const SerialSettings& settings) {
    const std::optional<std::uint32_t> rate = BaudRate(settings.baudCode);
    const std::optional<Parity> parity = ParityOf(settings.parityCode);
    const char* parityName = !parity                    ? "parity kept"
                             : *parity == Parity::kOdd  ? "odd parity"
                             : *parity == Parity::kEven ? "even parity"
                                                        : "no parity";
    return "serial " + port + " " + (rate ? std::to_string(*rate) + " bit/s" : "rate kept") + " " +
           parityName;
}

class PlatformPorts final : public Ports {
  public:
    std::unique_ptr<Transport> Serial(const std::string& port,
                                      const SerialSettings& settings) override {
        return TracedWhenOn(SerialTransport(port, settings),
                            [&] { return SerialName(port, settings); });
    }
    std::unique_ptr<Transport> DeviceFile(const std::string& port, bool blocking) override {
        return TracedWhenOn(DeviceFileTransport(port, blocking),
                            [&] { return "device file " + port + (blocking ? " blocking" : ""); });
    }
    std::unique_ptr<Transport> Usb() override {
        return TracedWhenOn(UsbTransport(), [] { return std::string("usb"); });
    }
    std::unique_ptr<Transport> Tcp(const TcpEndpoint& endpoint, MessageSink& messages) override {
        return TracedWhenOn(TcpTransport(endpoint, messages), [&] {
            return "tcp " + endpoint.addressText + ":" + std::to_string(endpoint.port);
        });
    }
};

}  // namespace

Ports& SystemPorts() {
    static PlatformPorts ports;
    return ports;
}

}  // namespace zelmar::links
