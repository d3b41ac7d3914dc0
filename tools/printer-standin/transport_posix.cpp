#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "transport.h"

namespace standin {

namespace {

constexpr std::size_t kReadSize = 64 * 1024;
// Connections the kernel may hold before they are taken: as many as the
// system allows (Linux quietly lowers it to net.core.somaxconn).
constexpr int kBacklog = std::numeric_limits<int>::max();
// While no one has the pseudo-terminal open, it is looked at this often.
constexpr int kPtyIdlePollMs = 20;

class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

bool WriteAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        const ssize_t written =
            n < 0 && errno == ENOTSOCK ? ::write(fd, bytes.data() + done, bytes.size() - done) : n;
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Answers on the connection or line the job came on, after the configured delay.
class FdReply : public ReplyChannel {
  public:
    FdReply(int fd, int delayMs) : fd_(fd), delayMs_(delayMs) {}
    bool Send(const Bytes& bytes) override {
        if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
        return WriteAll(fd_, bytes);
    }

  private:
    int fd_;
    int delayMs_;
};

// SIGHUP, SIGTERM and SIGINT arrive as bytes on a pipe, so that the loop sees
// them between two reads and never inside the printer.
class SignalPipe {
  public:
    SignalPipe() {
        if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
        writeFd_ = fds_[1];
        struct sigaction action {};
        action.sa_handler = [](int signal) {
            const auto byte = static_cast<char>(signal);
            const int saved = errno;
            [[maybe_unused]] const ssize_t ignored = ::write(writeFd_, &byte, 1);
            errno = saved;
        };
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &action, &previous_[i]);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previousPipe_);
    }
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;
    ~SignalPipe() {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        ::sigaction(SIGPIPE, &previousPipe_, nullptr);
        writeFd_ = -1;
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    bool Ok() const { return fds_[0] >= 0; }
    int ReadFd() const { return fds_[0]; }

  private:
    static constexpr int kSignals[] = {SIGHUP, SIGTERM, SIGINT};
    static inline volatile std::sig_atomic_t writeFd_ = -1;
    int fds_[2] = {-1, -1};
    struct sigaction previous_[std::size(kSignals)]{};
    struct sigaction previousPipe_ {};
};

std::string AddressText(const sockaddr_storage& address) {
    char host[NI_MAXHOST];
    char port[NI_MAXSERV];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, host,
                      sizeof host, port, sizeof port, NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return "?";
    }
    const std::string h = host;
    return (h.find(':') == std::string::npos ? h : "[" + h + "]") + ":" + port;
}

bool OpenListener(const std::string& where, Fd& listener, std::string& bound, std::string& error) {
    const std::size_t colon = where.rfind(':');
    if (colon == std::string::npos) {
        error = "--listen: '" + where + "' is not ADDR:PORT";
        return false;
    }
    std::string host = where.substr(0, colon);
    if (host.size() > 1 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string port = where.substr(colon + 1);
    addrinfo hints{};  // any address family: ADDR decides
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int e = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); e != 0) {
        error = "--listen " + where + ": " + ::gai_strerror(e);
        return false;
    }
    error = "--listen " + where + ": cannot listen there";
    for (const addrinfo* a = found; a && !listener; a = a->ai_next) {
        Fd fd(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
        const int on = 1;
        if (!fd || ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            ::bind(fd.get(), a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd.get(), kBacklog) != 0) {
            error = "--listen " + where + ": " + std::strerror(errno);
            continue;
        }
        listener = std::move(fd);
    }
    ::freeaddrinfo(found);
    if (!listener) return false;
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &size);
    bound = AddressText(address);
    return true;
}

// A pseudo-terminal whose line is raw: every byte passes as it is, both ways.
bool OpenPty(Fd& master, std::string& path, std::string& error) {
    master = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    char name[128];
    termios line{};
    if (!master || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
        ::ptsname_r(master.get(), name, sizeof name) != 0 ||
        ::tcgetattr(master.get(), &line) != 0) {
        error = std::string("--pty: ") + std::strerror(errno);
        return false;
    }
    ::cfmakeraw(&line);
    if (::tcsetattr(master.get(), TCSANOW, &line) != 0) {
        error = std::string("--pty: ") + std::strerror(errno);
        return false;
    }
    path = name;
    return true;
}

// False while no one has the line open: it hangs up until someone opens it.
// Bytes left by a writer that has gone still count as something to read.
bool PtyReadable(int master) {
    pollfd p{master, POLLIN, 0};
    ::poll(&p, 1, 0);
    return (p.revents & POLLIN) || !(p.revents & POLLHUP);
}

class Loop {
  public:
    Loop(Printer& printer, const InterfaceOptions& options, const Report& report)
        : printer_(printer), options_(options), report_(report) {}

    bool Open(std::string& error) {
        if (!signals_.Ok()) {
            error = std::string("cannot watch signals: ") + std::strerror(errno);
            return false;
        }
        std::string bound;
        if (!options_.listen.empty()) {
            if (!OpenListener(options_.listen, listener_, bound, error)) return false;
            report_("listening " + bound);
        }
        if (options_.pty) {
            if (!OpenPty(master_, ptyPath_, error)) return false;
            report_("pty " + ptyPath_);
        }
        return true;
    }

    void Run() {
        while (!(stopping_ && jobFd_ < 0)) {
            std::vector<pollfd> fds = {{signals_.ReadFd(), POLLIN, 0}};
            int timeout = -1;
            if (jobFd_ >= 0) {
                fds.push_back({jobFd_, POLLIN, 0});
            } else {
                if (listener_) fds.push_back({listener_.get(), POLLIN, 0});
                if (master_ && PtyReadable(master_.get())) {
                    fds.push_back({master_.get(), POLLIN, 0});
                } else if (master_) {
                    timeout = kPtyIdlePollMs;
                }
            }
            if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) return;
            if (fds[0].revents) TakeSignals();
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents) Serve(fds[i].fd);
            }
        }
    }

  private:
    void TakeSignals() {
        char signals[16];
        ssize_t n;
        while ((n = ::read(signals_.ReadFd(), signals, sizeof signals)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                if (signals[i] == SIGHUP) {
                    resetWanted_ = true;
                } else {
                    stopping_ = true;
                }
            }
        }
        if (stopping_ && jobFd_ >= 0) EndJob();
        ResetIfWanted();
    }

    void Serve(int fd) {
        if (fd == jobFd_) {
            ReadJob();
        } else if (listener_ && fd == listener_.get()) {
            sockaddr_storage peer{};
            socklen_t size = sizeof peer;
            connection_ =
                Fd(::accept4(fd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC));
            if (connection_) BeginJob(connection_.get(), "tcp " + AddressText(peer));
        } else if (jobFd_ < 0) {
            BeginJob(master_.get(), "pty " + ptyPath_);
            ReadJob();
        }
    }

    void BeginJob(int fd, const std::string& source) {
        jobFd_ = fd;
        source_ = source;
        reply_ = FdReply(fd, options_.replyDelayMs);
        job_.emplace(printer_, source, &reply_);
    }

    // A socket's end and a line hung up (EIO) both end the job.
    void ReadJob() {
        std::vector<std::uint8_t> buffer(kReadSize);
        const ssize_t n = ::read(jobFd_, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        if (n > 0) {
            job_->Feed(buffer.data(), static_cast<std::size_t>(n));
            return;
        }
        EndJob();
        ResetIfWanted();
    }

    void EndJob() {
        report_(Summary(source_, job_->End()));
        job_.reset();
        connection_ = Fd();
        jobFd_ = -1;
    }

    void ResetIfWanted() {
        if (!resetWanted_ || jobFd_ >= 0) return;
        resetWanted_ = false;
        report_(printer_.Reset() ? "reset" : "reset failed: the flash could not be written");
    }

    Printer& printer_;
    const InterfaceOptions& options_;
    const Report& report_;
    SignalPipe signals_;
    Fd listener_;
    Fd master_;
    std::string ptyPath_;
    Fd connection_;
    int jobFd_ = -1;
    std::string source_;
    FdReply reply_{-1, 0};
    std::optional<Job> job_;
    bool resetWanted_ = false;
    bool stopping_ = false;
};

}  // namespace

std::string Summary(const std::string& source, const JobSummary& job) {
    std::string text = "job " + std::to_string(job.job) + " (" + source +
                       "): " + std::to_string(job.bytes) + " bytes, " + std::to_string(job.errors) +
                       (job.errors == 1 ? " error" : " errors");
    if (job.linesLeftOut > 0) {
        text += "; transcript limit: " + std::to_string(job.linesLeftOut) + " lines left out";
    }
    if (job.receiptsNotKept > 0) {
        text += "; receipt limit: " + std::to_string(job.receiptsNotKept) + " receipts not kept";
    }
    for (const std::string& receipt : job.receipts)
        text += "\nreceipt " + receipt;
    return text;
}

bool RunFileJob(Printer& printer, const std::string& path, const Report& report,
                std::string& error) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    Job job(printer, "file " + path, nullptr);
    std::vector<std::uint8_t> buffer(kReadSize);
    ssize_t n;
    while ((n = ::read(fd.get(), buffer.data(), buffer.size())) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path + ": " + std::strerror(errno);
            break;
        }
        job.Feed(buffer.data(), static_cast<std::size_t>(n));
    }
    report(Summary("file " + path, job.End()));
    return n == 0;
}

bool Serve(Printer& printer, const InterfaceOptions& options, const Report& report,
           std::string& error) {
    Loop loop(printer, options, report);
    if (!loop.Open(error)) return false;
    loop.Run();
    return true;
}

}  // namespace standin
