// What the serial, device-file and USB transports share on Windows: a port
// the system opens as a file. Blocking I/O (serial ports, and every port on
// the Windows 9x family), bounded by the port's time-outs; otherwise
// asynchronous I/O that the calling thread awaits, each write within its
// limit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "transport.h"
#include "win32/handle_owners.h"

namespace zelmar::links {

// The input and output queues a port is asked for.
constexpr DWORD kPortQueueBytes = 1024;

LinkResult LastError(LinkError error);

// Opens `name` for reading and writing, not shared, an existing device only.
win32::UniqueFile OpenExisting(const std::string& name, DWORD flags);
// Discards both queues and aborts what is pending.
void PurgeAll(HANDLE port);
// The read time-outs of every port and the given write time-outs; a port
// that keeps none (a parallel port, a file) refuses them, and that is fine.
void SetPortTimeouts(HANDLE port, DWORD writeMsPerByte, DWORD writeMs);

class PortFile : public Transport {
  public:
    LinkResult Configure() override { return LinkResult::Done(); }
    LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) override;
    LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t timeoutMs) override;
    void Purge() override;
    void Close() override;

  protected:
    // Takes an open port; an asynchronous one gets its write and read records.
    LinkResult Attach(win32::UniqueFile port, bool blocking);
    HANDLE Handle() const { return port_.get(); }

  private:
    // An asynchronous operation's record, with its manual-reset event; its
    // offset advances, so that a file taken for a port keeps every write.
    struct Record {
        OVERLAPPED overlapped;
        win32::UniqueEvent event;
        std::uint64_t offset;
    };
    template <typename Start>
    LinkResult Await(Record& record, Start start, LinkError failure, std::uint32_t limitMs,
                     DWORD& transferred);
    void ClearError() const;

    win32::UniqueFile port_;
    bool blocking_ = true;
    Record write_{};
    Record read_{};
};

}  // namespace zelmar::links
