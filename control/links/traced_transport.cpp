#include "traced_transport.h"

namespace zelmar::links {

namespace {

class TracedTransport final : public Transport {
  public:
    TracedTransport(std::unique_ptr<Transport> transport, std::string name)
        : transport_(std::move(transport)), name_(std::move(name)) {}

    LinkResult Open() override { return Said("open", transport_->Open()); }
    LinkResult Configure() override { return Said("settings", transport_->Configure()); }
    LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) override {
        const LinkResult written = transport_->Write(data, size, limitMs);
        Trace("link", name_, "write", size, "bytes", TraceBytes{data, size},
              limitMs > 0 ? "within " + std::to_string(limitMs) + " ms" : std::string(), "->",
              Outcome(written));
        return written;
    }
    LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t timeoutMs) override {
        const LinkResult read = transport_->Read(buffer, capacity, received, timeoutMs);
        Trace("link", name_, "read up to", capacity, "bytes within", timeoutMs, "ms ->",
              Outcome(read), received, "bytes", TraceBytes{buffer, received});
        return read;
    }
    void Purge() override {
        transport_->Purge();
        Trace("link", name_, "purge");
    }
    LinkResult Finish() override { return Said("end of job", transport_->Finish()); }
    void Close() override {
        transport_->Close();
        Trace("link", name_, "close");
    }

  private:
    LinkResult Said(const char* step, const LinkResult& result) {
        Trace("link", name_, step, "->", Outcome(result));
        return result;
    }

    std::unique_ptr<Transport> transport_;
    std::string name_;
};

}  // namespace

std::unique_ptr<Transport> Traced(std::unique_ptr<Transport> transport, std::string name) {
    return std::make_unique<TracedTransport>(std::move(transport), std::move(name));
}

}  // namespace zelmar::links
