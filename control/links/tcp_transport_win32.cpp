#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "transports.h"
#include "win32/socket_owners.h"

namespace zelmar::links {

namespace {

constexpr WORD kWinsockVersion = 0x0202;

LinkResult SocketError(LinkError error) {
    return LinkResult::Failed(error, static_cast<std::uint32_t>(WSAGetLastError()));
}

timeval Timeval(std::uint32_t ms) {
    return {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
}

// Waits until `socket` can be read (`readable`) or written, at most `ms`:
// 1 ready, 0 not in time, SOCKET_ERROR. A connect that failed counts as
// ready for writing.
int AwaitSocket(SOCKET socket, bool readable, std::uint32_t ms) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit = Timeval(ms);
    return select(0, readable ? &ready : nullptr, readable ? nullptr : &ready, &failed, &limit);
}

// Whether the printer has acknowledged every byte of a connection whose
// sending side has ended: the system's table of connections has it waiting
// for the printer's end (FIN_WAIT2) only once the printer acknowledged ours.
bool Acknowledged(SOCKET socket) {
    sockaddr_in local = {}, remote = {};
    int localSize = sizeof local, remoteSize = sizeof remote;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localSize) == SOCKET_ERROR ||
        getpeername(socket, reinterpret_cast<sockaddr*>(&remote), &remoteSize) == SOCKET_ERROR) {
        return false;
    }
    // The table may grow between the call that sizes it and the one that fills it.
    std::vector<std::uint8_t> buffer(sizeof(MIB_TCPTABLE));
    ULONG size = static_cast<ULONG>(buffer.size());
    DWORD listed = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 4 && listed == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.resize(size);
        listed = GetTcpTable(reinterpret_cast<MIB_TCPTABLE*>(buffer.data()), &size, FALSE);
    }
    if (listed != NO_ERROR) return false;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW& row = table->table[i];
        if (row.dwLocalAddr == local.sin_addr.s_addr &&
            static_cast<u_short>(row.dwLocalPort) == local.sin_port &&
            row.dwRemoteAddr == remote.sin_addr.s_addr &&
            static_cast<u_short>(row.dwRemotePort) == remote.sin_port) {
            return row.dwState == MIB_TCP_STATE_FIN_WAIT2;
        }
    }
    return false;
}

// A raw TCP connection to a printer over Winsock 2: a blocking stream socket
// once connected, its sends and receives within their bounds.
class TcpConnection final : public Transport {
  public:
    TcpConnection(const TcpEndpoint& endpoint, MessageSink& messages)
        : endpoint_(endpoint), messages_(messages) {}

    // The library is started by every open and not shut down after use:
    // start-ups may accumulate, as Winsock allows.
    LinkResult Open() override {
        Close();
        WSADATA library = {};
        if (const int error = WSAStartup(kWinsockVersion, &library)) {
            return Refused(ConnectFailure::kStartup, static_cast<std::uint32_t>(error));
        }
        if (LOBYTE(library.wVersion) != 2 || HIBYTE(library.wVersion) != 2) {
            ShowConnectFailure(messages_, ConnectFailure::kVersion, endpoint_, 0);
            if (WSACleanup() == SOCKET_ERROR) {
                ShowConnectFailure(messages_, ConnectFailure::kVersionCleanup, endpoint_,
                                   static_cast<std::uint32_t>(WSAGetLastError()));
            }
            return LinkResult::Failed(LinkError::kOpen, WSAVERNOTSUPPORTED);
        }
        win32::UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, 0));
        if (!socket) return Refused(ConnectFailure::kSocket, LastSocketError());
        if (const std::uint32_t error = Connect(socket.get())) {
            return Refused(ConnectFailure::kConnect, error);
        }
        socket_ = std::move(socket);
        sendLimitMs_ = 0;
        return LinkResult::Done();
    }

    LinkResult Configure() override { return LinkResult::Done(); }

    LinkResult Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) override {
        if (!socket_) return LinkResult::Failed(LinkError::kWrite, WSAENOTSOCK);
        if (!LimitSends(limitMs > 0 ? limitMs : kDeviceWriteLimitMs)) {
            return SocketError(LinkError::kWrite);
        }
        while (size > 0) {
            const int piece = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
            const int sent = send(socket_.get(), reinterpret_cast<const char*>(data), piece, 0);
            if (sent == SOCKET_ERROR) return SocketError(LinkError::kWrite);
            if (sent == 0) return LinkResult::Failed(LinkError::kWrite, WSAECONNRESET);
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return LinkResult::Done();
    }

    LinkResult Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t timeoutMs) override {
        received = 0;
        if (!socket_) return LinkResult::Done();
        const int ready = AwaitSocket(socket_.get(), true, timeoutMs);
        if (ready == SOCKET_ERROR) return SocketError(LinkError::kStatus);
        if (ready == 0) return LinkResult::Done();
        const int room = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
        const int got = recv(socket_.get(), reinterpret_cast<char*>(buffer), room, 0);
        if (got == SOCKET_ERROR) return SocketError(LinkError::kStatus);
        received = static_cast<std::size_t>(got);  // 0: the printer closed the connection
        return LinkResult::Done();
    }

    // What has arrived, within what the socket's buffer can hold.
    void Purge() override {
        char scrap[4096];
        for (int round = 0; socket_ && round < 64; ++round) {
            if (AwaitSocket(socket_.get(), true, 0) != 1 ||
                recv(socket_.get(), scrap, sizeof scrap, 0) <= 0) {
                break;
            }
        }
    }

    // Reads away what the printer sends (a reply longer than was read, or a
    // late one): a close with unread bytes would reset the connection and
    // drop what the system still holds of the job. Then ends the sending side
    // and waits for the printer to close its side, or at least to have
    // acknowledged every byte.
    LinkResult Finish() override {
        if (!socket_) return LinkResult::Failed(LinkError::kWrite, WSAENOTSOCK);
        if (shutdown(socket_.get(), SD_SEND) == SOCKET_ERROR) return SocketError(LinkError::kWrite);
        const DWORD started = GetTickCount();
        char scrap[4096];
        for (DWORD waited = 0; waited < kFinishMs; waited = GetTickCount() - started) {
            const int ready = AwaitSocket(socket_.get(), true, kFinishMs - waited);
            if (ready == SOCKET_ERROR) return SocketError(LinkError::kWrite);
            if (ready == 0) break;
            const int got = recv(socket_.get(), scrap, sizeof scrap, 0);
            if (got == 0) return LinkResult::Done();
            if (got == SOCKET_ERROR) return SocketError(LinkError::kWrite);
        }
        return Acknowledged(socket_.get()) ? LinkResult::Done()
                                           : LinkResult::Failed(LinkError::kWrite, WSAETIMEDOUT);
    }

    void Close() override { socket_.reset(); }

  private:
    static std::uint32_t LastSocketError() { return static_cast<std::uint32_t>(WSAGetLastError()); }

    // 0, or why the printer was not reached within kConnectLimitMs.
    std::uint32_t Connect(SOCKET socket) const {
        // An address text that does not convert names no printer.
        if (endpoint_.address == kNoAddress) return WSAEADDRNOTAVAIL;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(endpoint_.port);
        address.sin_addr.s_addr = htonl(endpoint_.address);
        u_long nonBlocking = 1;
        if (ioctlsocket(socket, FIONBIO, &nonBlocking) == SOCKET_ERROR) return LastSocketError();
        if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
            SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) return LastSocketError();
            if (const std::uint32_t error = AwaitConnect(socket)) return error;
        }
        nonBlocking = 0;
        if (ioctlsocket(socket, FIONBIO, &nonBlocking) == SOCKET_ERROR) return LastSocketError();
        return 0;
    }

    static std::uint32_t AwaitConnect(SOCKET socket) {
        const int ready = AwaitSocket(socket, false, kConnectLimitMs);
        if (ready == SOCKET_ERROR) return LastSocketError();
        if (ready == 0) return WSAETIMEDOUT;
        int error = 0;
        int size = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) ==
            SOCKET_ERROR) {
            return LastSocketError();
        }
        return static_cast<std::uint32_t>(error);
    }

    // Each send may take `ms`.
    bool LimitSends(std::uint32_t ms) {
        if (ms == sendLimitMs_) return true;
        const DWORD value = ms;
        if (setsockopt(socket_.get(), SOL_SOCKET, SO_SNDTIMEO,
                       reinterpret_cast<const char*>(&value), sizeof value) == SOCKET_ERROR) {
            return false;
        }
        sendLimitMs_ = ms;
        return true;
    }

    LinkResult Refused(ConnectFailure failure, std::uint32_t error) {
        ShowConnectFailure(messages_, failure, endpoint_, error);
        return LinkResult::Failed(LinkError::kOpen, error);
    }

    TcpEndpoint endpoint_;
    MessageSink& messages_;
    win32::UniqueSocket socket_;
    std::uint32_t sendLimitMs_ = 0;
};

}  // namespace

std::unique_ptr<Transport> TcpTransport(const TcpEndpoint& endpoint, MessageSink& messages) {
    return std::make_unique<TcpConnection>(endpoint, messages);
}

}  // namespace zelmar::links
