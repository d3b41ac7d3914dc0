// A printer's end of a raw TCP connection on the loopback address, for the
// tests of the TCP transport. Every wait is bounded, so that a fault fails a
// test instead of hanging it.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/bytes.h"

namespace zelmar::links::test {

class LoopbackPrinter {
  public:
    // Listens on 127.0.0.1, on a port the system picks; its connections take
    // at most `receiveBuffer` bytes ahead of what it reads (0: the system's
    // default).
    explicit LoopbackPrinter(int receiveBuffer = 0);
    LoopbackPrinter(const LoopbackPrinter&) = delete;
    LoopbackPrinter& operator=(const LoopbackPrinter&) = delete;
    ~LoopbackPrinter();

    std::uint16_t Port() const;
    // Takes the connection a transport made; false when none came.
    bool Accept();
    // `size` bytes, or what came before the connection ended or the wait ran out.
    Bytes Receive(std::size_t size);
    void Send(const Bytes& bytes);
    // Closes the connection, as a printer going away.
    void HangUp();
    // Closes the listening socket: its port then refuses connections.
    void StopListening();

  private:
    struct Sockets;
    std::unique_ptr<Sockets> sockets_;
};

}  // namespace zelmar::links::test
