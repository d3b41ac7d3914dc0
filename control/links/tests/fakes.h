// Stand-ins for the platform under the links: a clock that only counts, and
// a transport that records every call and fails where it is told to.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/bytes.h"
#include "links/clock.h"
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
    std::size_t failWrite = 0;  // the 1-based write that fails; 0 none
    std::uint32_t writeFailureCode = 0;
    std::deque<Bytes> replies;  // what successive reads receive

    bool opened = false;
    std::vector<std::string> calls;
    std::vector<WriteCall> writes;
    std::vector<std::uint32_t> readTimeouts;
};

}  // namespace zelmar::links::test
