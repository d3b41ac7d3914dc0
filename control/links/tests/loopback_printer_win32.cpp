#include <winsock2.h>

#include <windows.h>

#include "loopback_printer.h"
#include "win32/socket_owners.h"

namespace zelmar::links::test {

namespace {

constexpr long kWaitSeconds = 5;

bool Readable(SOCKET socket) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket, &ready);
    timeval wait = {kWaitSeconds, 0};
    return select(0, &ready, nullptr, nullptr, &wait) == 1;
}

}  // namespace

struct LoopbackPrinter::Sockets {
    win32::UniqueSocket listener;
    win32::UniqueSocket connection;
    std::uint16_t port = 0;
};

LoopbackPrinter::LoopbackPrinter(int receiveBuffer) : sockets_(std::make_unique<Sockets>()) {
    WSADATA library = {};
    WSAStartup(0x0202, &library);
    sockets_->listener = win32::UniqueSocket(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    const SOCKET listener = sockets_->listener.get();
    // Connections take it from their listener.
    if (receiveBuffer > 0) {
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                   sizeof receiveBuffer);
    }
    bind(listener, reinterpret_cast<const sockaddr*>(&address), size);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    sockets_->port = ntohs(address.sin_port);
}

LoopbackPrinter::~LoopbackPrinter() {
    sockets_.reset();
    WSACleanup();
}

std::uint16_t LoopbackPrinter::Port() const {
    return sockets_->port;
}

bool LoopbackPrinter::Accept() {
    const SOCKET listener = sockets_->listener.get();
    if (!Readable(listener)) return false;
    sockets_->connection = win32::UniqueSocket(accept(listener, nullptr, nullptr));
    return static_cast<bool>(sockets_->connection);
}

Bytes LoopbackPrinter::Receive(std::size_t size) {
    Bytes received(size);
    std::size_t at = 0;
    const SOCKET connection = sockets_->connection.get();
    while (at < size && Readable(connection)) {
        const int got = recv(connection, reinterpret_cast<char*>(received.data() + at),
                             static_cast<int>(size - at), 0);
        if (got <= 0) break;
        at += static_cast<std::size_t>(got);
    }
    received.resize(at);
    return received;
}

void LoopbackPrinter::Send(const Bytes& bytes) {
    send(sockets_->connection.get(), reinterpret_cast<const char*>(bytes.data()),
         static_cast<int>(bytes.size()), 0);
}

void LoopbackPrinter::HangUp() {
    sockets_->connection.reset();
}

void LoopbackPrinter::StopListening() {
    sockets_->listener.reset();
}

}  // namespace zelmar::links::test
