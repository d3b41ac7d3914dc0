// A transport only moves bytes: the links above it decide what to send, in
// which pieces and with which pauses. One implementation per kind of port and
// platform; tests use a recording one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link.h"

namespace zelmar::links {

class Transport {
  public:
    virtual ~Transport() = default;

    // Opens the port, device or connection the transport was made for
    // (kOpen on failure).
    virtual LinkResult Open() = 0;
    // Applies the line settings the transport was made with, where it has any
    // (kSettings when they are refused); the port stays open either way.
    virtual LinkResult Configure() = 0;
    // One write call of all `size` bytes: done only when every byte went out.
    // `limitMs` bounds how long the write may take; 0 keeps the time-out the
    // port was opened with.
    virtual LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) = 0;
    // Reads a reply of at most `capacity` bytes into `buffer`, waiting at most
    // `timeoutMs` for it (0: only what has already arrived). `received` says
    // how many came; an expired wait is a read of 0 bytes, not a failure.
    virtual LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                            std::uint32_t timeoutMs) = 0;
    // Discards what waits in either direction.
    virtual void Purge() = 0;
    // Ends a job whose every write succeeded, before Close: done only when the
    // printer has taken the bytes the system still holds for it (kWrite when
    // it stops taking them within the port's bound). A port that holds none
    // back is done at once.
    virtual LinkResult Finish() { return LinkResult::Done(); }
    // Closes what Open opened; safe to call again, and when nothing is open.
    virtual void Close() = 0;
};

// Closes a transport on every path out of a job.
class OpenTransport {
  public:
    explicit OpenTransport(Transport& transport) : transport_(transport) {}
    OpenTransport(const OpenTransport&) = delete;
    OpenTransport& operator=(const OpenTransport&) = delete;
    ~OpenTransport() { transport_.Close(); }
    Transport& operator*() const { return transport_; }
    Transport* operator->() const { return &transport_; }

  private:
    Transport& transport_;
};

}  // namespace zelmar::links
