#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "links/port_file_posix.h"
#include "loopback_printer.h"

namespace zelmar::links::test {

namespace {

constexpr std::uint32_t kWaitMs = 5000;

}  // namespace

struct LoopbackPrinter::Sockets {
    UniqueFd listener;
    UniqueFd connection;
    std::uint16_t port = 0;
};

LoopbackPrinter::LoopbackPrinter(int receiveBuffer) : sockets_(std::make_unique<Sockets>()) {
    sockets_->listener = UniqueFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const int fd = sockets_->listener.get();
    // Connections take it from their listener.
    if (receiveBuffer > 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    bind(fd, reinterpret_cast<const sockaddr*>(&address), size);
    listen(fd, 1);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    sockets_->port = ntohs(address.sin_port);
}

LoopbackPrinter::~LoopbackPrinter() = default;

std::uint16_t LoopbackPrinter::Port() const {
    return sockets_->port;
}

bool LoopbackPrinter::Accept() {
    const int listener = sockets_->listener.get();
    if (!WaitReady(listener, POLLIN, DeadlineIn(kWaitMs))) return false;
    sockets_->connection = UniqueFd(accept(listener, nullptr, nullptr));
    return static_cast<bool>(sockets_->connection);
}

Bytes LoopbackPrinter::Receive(std::size_t size) {
    Bytes received(size);
    std::size_t at = 0;
    const Deadline deadline = DeadlineIn(kWaitMs);
    const int fd = sockets_->connection.get();
    while (at < size && WaitReady(fd, POLLIN, deadline)) {
        const long got = recv(fd, received.data() + at, size - at, 0);
        if (got <= 0) break;
        at += static_cast<std::size_t>(got);
    }
    received.resize(at);
    return received;
}

void LoopbackPrinter::Send(const Bytes& bytes) {
    send(sockets_->connection.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void LoopbackPrinter::HangUp() {
    sockets_->connection.reset();
}

void LoopbackPrinter::StopListening() {
    sockets_->listener.reset();
}

}  // namespace zelmar::links::test
