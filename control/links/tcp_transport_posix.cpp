#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "port_file_posix.h"
#include "transports.h"

namespace zelmar::links {

namespace {

// A raw TCP connection to a printer. The socket stays non-blocking after the
// connect: every send and receive waits by poll within its bound.
class TcpConnection final : public PortFile {
  public:
    TcpConnection(const TcpEndpoint& endpoint, MessageSink& messages)
        : PortFile({0, kDeviceWriteLimitMs, 0}), endpoint_(endpoint), messages_(messages) {}

    LinkResult Open() override {
        Close();
        UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!fd) return Refused(ConnectFailure::kSocket, errno);
        if (const int error = Connect(fd.get())) return Refused(ConnectFailure::kConnect, error);
        Attach(std::move(fd), Kind::kSocket);
        return LinkResult::Done();
    }

    // Reads away what the printer sends (a reply longer than was read, or a
    // late one): a close with unread bytes would reset the connection and
    // drop what the system still holds of the job. Then ends the sending side
    // and waits for the printer to close its side, or at least to have
    // acknowledged every byte.
    LinkResult Finish() override {
        const int fd = Descriptor();
        if (fd < 0) return LinkResult::Failed(LinkError::kWrite, EBADF);
        if (shutdown(fd, SHUT_WR) != 0) return LinkResult::Failed(LinkError::kWrite, errno);
        const Deadline deadline = DeadlineIn(kFinishMs);
        std::uint8_t scrap[4096];
        while (WaitReady(fd, POLLIN, deadline)) {
            const long got = recv(fd, scrap, sizeof scrap, MSG_DONTWAIT);
            if (got == 0) return LinkResult::Done();
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                return LinkResult::Failed(LinkError::kWrite, errno);
            }
        }
        return Held() == 0 ? LinkResult::Done() : LinkResult::Failed(LinkError::kWrite, ETIMEDOUT);
    }

  private:
    // 0, or why the printer was not reached within kConnectLimitMs.
    int Connect(int fd) const {
        // An address text that does not convert names no printer.
        if (endpoint_.address == kNoAddress) return EADDRNOTAVAIL;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(endpoint_.port);
        address.sin_addr.s_addr = htonl(endpoint_.address);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
        if (errno != EINPROGRESS && errno != EINTR) return errno;
        if (!WaitReady(fd, POLLOUT, DeadlineIn(kConnectLimitMs))) return ETIMEDOUT;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
        return error;
    }

    LinkResult Refused(ConnectFailure failure, int error) {
        ShowConnectFailure(messages_, failure, endpoint_, static_cast<std::uint32_t>(error));
        return LinkResult::Failed(LinkError::kOpen, static_cast<std::uint32_t>(error));
    }

    TcpEndpoint endpoint_;
    MessageSink& messages_;
};

}  // namespace

std::unique_ptr<Transport> TcpTransport(const TcpEndpoint& endpoint, MessageSink& messages) {
    return std::make_unique<TcpConnection>(endpoint, messages);
}

}  // namespace zelmar::links
