#include "ports.h"

namespace zelmar::links {

namespace {

// Until the transports of this platform exist, no port opens.
class NoTransport final : public Transport {
  public:
    LinkResult Open() override { return LinkResult::Failed(LinkError::kOpen); }
    LinkResult Configure() override { return LinkResult::Done(); }
    LinkResult Write(const std::uint8_t*, std::size_t, std::uint32_t) override {
        return LinkResult::Failed(LinkError::kWrite);
    }
    LinkResult Read(std::uint8_t*, std::size_t, std::size_t& received, std::uint32_t) override {
        received = 0;
        return LinkResult::Done();
    }
    void Purge() override {}
    void Close() override {}
};

class NoPorts final : public Ports {
  public:
    std::unique_ptr<Transport> Serial(const std::string&, const SerialSettings&) override {
        return std::make_unique<NoTransport>();
    }
    std::unique_ptr<Transport> DeviceFile(const std::string&, bool) override {
        return std::make_unique<NoTransport>();
    }
    std::unique_ptr<Transport> Usb() override { return std::make_unique<NoTransport>(); }
    std::unique_ptr<Transport> Tcp(const TcpEndpoint&, MessageSink&) override {
        return std::make_unique<NoTransport>();
    }
};

}  // namespace

Ports& SystemPorts() {
    static NoPorts ports;
    return ports;
}

}  // namespace zelmar::links
