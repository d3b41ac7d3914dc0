// Stand-ins for the platform under the links: a clock that only counts, and
// a transport that records every call and fails where it is told to.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/bytes.h"
#include "links/clock.h"
#include "links/ports.h"
#include "links/spooler.h"
#include "links/system_info.h"
#include "links/transport.h"

namespace zelmar::links::test {

class FakeClock final : public Clock {
  public:
    void Sleep(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::uint32_t TickCount() override { return now; }

    std::uint32_t now = 1000;
    std::vector<std::uint32_t> sleeps;
};

class RecordingTransport final : public Transport {
  public:
    struct WriteCall {
        Bytes bytes;
        std::uint32_t limitMs;
    };

    LinkResult Open() override {
        calls.push_back("open");
        opened = openResult.ok();
        return openResult;
    }
    LinkResult Configure() override {
        calls.push_back("configure");
        return configureResult;
    }
    LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) override {
        calls.push_back("write");
        if (writes.size() + 1 == failWrite) {
            return LinkResult::Failed(LinkError::kWrite, writeFailureCode);
        }
        writes.push_back({Bytes(data, data + size), limitMs});
        return LinkResult::Done();
    }
    LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t timeoutMs) override {
        calls.push_back("read");
        readTimeouts.push_back(timeoutMs);
        received = 0;
        if (replies.empty()) return LinkResult::Done();
        const Bytes reply = replies.front();
        replies.pop_front();
        for (; received < reply.size() && received < capacity; ++received) {
            buffer[received] = reply[received];
        }
        return LinkResult::Done();
    }
    void Purge() override { calls.push_back("purge"); }
    LinkResult Finish() override {
        calls.push_back("finish");
        return finishResult;
    }
    void Close() override {
        calls.push_back("close");
        opened = false;
    }

    // Every byte written, in order.
    Bytes Sent() const {
        Bytes all;
        for (const WriteCall& w : writes)
            all.insert(all.end(), w.bytes.begin(), w.bytes.end());
        return all;
    }
    std::vector<std::size_t> WriteSizes() const {
        std::vector<std::size_t> sizes;
        for (const WriteCall& w : writes)
            sizes.push_back(w.bytes.size());
        return sizes;
    }

    LinkResult openResult;
    LinkResult configureResult;
    LinkResult finishResult;
    std::size_t failWrite = 0;  // the 1-based write that fails; 0 none
    std::uint32_t writeFailureCode = 0;
    std::deque<Bytes> replies;  // what successive reads receive

    bool opened = false;
    std::vector<std::string> calls;
    std::vector<WriteCall> writes;
    std::vector<std::uint32_t> readTimeouts;
};

// Ports that hand out recording transports, prepared by the test beforehand:
// `next` is what the next open of any kind gets; `asked` says which kind and
// name was asked for.
class RecordingPorts final : public Ports {
  public:
    std::unique_ptr<Transport> Serial(const std::string& port,
                                      const SerialSettings& settings) override {
        asked.push_back("serial " + port + " " + std::to_string(settings.baudCode) + " " +
                        std::to_string(settings.parityCode));
        return Hand();
    }
    std::unique_ptr<Transport> DeviceFile(const std::string& port, bool blocking) override {
        asked.push_back("device " + port + (blocking ? " blocking" : ""));
        return Hand();
    }
    std::unique_ptr<Transport> Usb() override {
        asked.push_back("usb");
        return Hand();
    }
    std::unique_ptr<Transport> Tcp(const TcpEndpoint& endpoint, MessageSink&) override {
        asked.push_back("tcp " + std::to_string(endpoint.address) + ":" +
                        std::to_string(endpoint.port));
        return Hand();
    }

    // The transport the job runs on; it stays readable after the job.
    RecordingTransport next;
    std::vector<std::string> asked;

  private:
    // Hands the prepared transport to the job through a forwarding one, so
    // that the test keeps reading it after the job destroyed its own.
    class Forward final : public Transport {
      public:
        explicit Forward(RecordingTransport& to) : to_(to) {}
        LinkResult Open() override { return to_.Open(); }
        LinkResult Configure() override { return to_.Configure(); }
        LinkResult Write(const std::uint8_t* data, std::size_t size,
                         std::uint32_t limitMs) override {
            return to_.Write(data, size, limitMs);
        }
        LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                        std::uint32_t timeoutMs) override {
            return to_.Read(buffer, capacity, received, timeoutMs);
        }
        void Purge() override { to_.Purge(); }
        LinkResult Finish() override { return to_.Finish(); }
        void Close() override { to_.Close(); }

      private:
        RecordingTransport& to_;
    };
    std::unique_ptr<Transport> Hand() { return std::make_unique<Forward>(next); }
};

class FixedSystem final : public SystemInfo {
  public:
    explicit FixedSystem(bool legacy = false, bool host64 = true)
        : legacy_(legacy), host64_(host64) {}
    bool LegacyPlatform() const override { return legacy_; }
    bool HostIs64Bit() const override { return host64_; }

  private:
    bool legacy_, host64_;
};

// Printer queues in memory. Printers open by their whole name, in any case,
// as the Windows spooler opens them; every call is recorded in order.
class FakeSpooler final : public Spooler {
  public:
    struct Printer {
        std::string name;
        std::vector<Bytes> documents;                  // each finished document's bytes
        std::vector<std::vector<std::size_t>> writes;  // the write sizes of each
        std::map<std::string, std::pair<std::uint32_t, Bytes>> data;
        bool fullAccess = true;  // false: opening with full access is denied
    };

    Printer& Add(const std::string& name) {
        printers.push_back(Printer{name, {}, {}, {}, true});
        return printers.back();
    }
    Printer* Find(const std::string& name) {
        for (Printer& p : printers) {
            if (SameName(p.name, name)) return &p;
        }
        return nullptr;
    }

    std::optional<std::vector<std::string>> PrinterNames() override {
        calls.push_back("list");
        if (failListing) return std::nullopt;
        std::vector<std::string> names;
        for (const Printer& p : printers)
            names.push_back(p.name);
        return names;
    }

    LinkResult StartRawDocument(const std::string& printer, const std::string& documentName,
                                std::unique_ptr<RawDocument>& document) override {
        calls.push_back("document " + documentName);
        Printer* p = Find(printer);
        if (!p) return LinkResult::Failed(LinkError::kOpen, 1801);
        if (failStart) return LinkResult::Failed(LinkError::kWrite, 5);
        document = std::make_unique<Document>(*this, *p);
        return LinkResult::Done();
    }

    LinkResult OpenPrinterData(const std::string& printer,
                               std::unique_ptr<PrinterData>& data) override {
        calls.push_back("data");
        Printer* p = Find(printer);
        if (!p || !p->fullAccess) return LinkResult::Failed(LinkError::kOpen, 5);
        data = std::make_unique<Data>(*this, *p);
        return LinkResult::Done();
    }

    std::deque<Printer> printers;  // references stay valid as printers are added
    std::vector<std::string> calls;
    bool failListing = false;
    bool failStart = false;
    std::size_t failWrite = 0;  // the 1-based document write that fails; 0 none
    bool failEnd = false;
    bool failSet = false;

  private:
    static bool SameName(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    }

    class Document final : public RawDocument {
      public:
        Document(FakeSpooler& spooler, Printer& printer) : spooler_(spooler), printer_(printer) {}
        LinkResult Write(const std::uint8_t* data, std::size_t size) override {
            spooler_.calls.push_back("write");
            if (sizes_.size() + 1 == spooler_.failWrite) {
                return LinkResult::Failed(LinkError::kWrite, 28);
            }
            bytes_.insert(bytes_.end(), data, data + size);
            sizes_.push_back(size);
            return LinkResult::Done();
        }
        LinkResult End() override {
            spooler_.calls.push_back("end");
            if (spooler_.failEnd) return LinkResult::Failed(LinkError::kWrite, 5);
            printer_.documents.push_back(bytes_);
            printer_.writes.push_back(sizes_);
            return LinkResult::Done();
        }

      private:
        FakeSpooler& spooler_;
        Printer& printer_;
        Bytes bytes_;
        std::vector<std::size_t> sizes_;
    };

    class Data final : public PrinterData {
      public:
        Data(FakeSpooler& spooler, Printer& printer) : spooler_(spooler), printer_(printer) {}
        std::optional<std::uint32_t> Get(const std::string& name, Bytes& value) override {
            spooler_.calls.push_back("get " + name);
            const auto found = printer_.data.find(name);
            if (found == printer_.data.end()) return std::nullopt;
            value = found->second.second;
            return found->second.first;
        }
        LinkResult Set(const std::string& name, std::uint32_t type, const Bytes& value) override {
            spooler_.calls.push_back("set " + name);
            if (spooler_.failSet) return LinkResult::Failed(LinkError::kWrite, 5);
            printer_.data[name] = {type, value};
            return LinkResult::Done();
        }

      private:
        FakeSpooler& spooler_;
        Printer& printer_;
    };
};

}  // namespace zelmar::links::test
