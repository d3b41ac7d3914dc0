#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "transport.h"

namespace standin {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kReadSize = 64 * 1024;
// A read is fed to its job in pieces this large, and SIGTERM is looked for
// between two of them: a piece may hold commands that write the flash, each
// flushed to the disk.
constexpr std::size_t kFeedPiece = 256;
// What the kernel holds of a connection's replies, and what may wait unsent
// beyond that: a peer that lets more pile up is dropped.
constexpr int kSendBuffer = 16 * 1024;
constexpr std::size_t kMaxUnsent = 16 * 1024;
// Connections the kernel may hold before they are taken: as many as the
// system allows (Linux quietly lowers it to net.core.somaxconn).
constexpr int kBacklog = std::numeric_limits<int>::max();
// Connections taken in one round, so that the others' bytes are read between.
constexpr int kAcceptsPerRound = 64;
// How long the listener rests when the process has run out of descriptors.
constexpr milliseconds kAcceptPause{100};
// While no one has the pseudo-terminal open, it is looked at this often.
constexpr milliseconds kPtyIdlePoll{20};

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

// SIGHUP, SIGTERM and SIGINT arrive as bytes on a pipe, so that the loop sees
// them between two reads and never inside the printer. SIGTERM and SIGINT
// also raise a flag that a job's feeding looks at.
class SignalPipe {
  public:
    SignalPipe() {
        if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
        writeFd_ = fds_[1];
        struct sigaction action {};
        action.sa_handler = [](int signal) {
            const auto byte = static_cast<char>(signal);
            const int saved = errno;
            if (signal != SIGHUP) stopWanted_ = 1;
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
        stopWanted_ = 0;
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    bool Ok() const { return fds_[0] >= 0; }
    int ReadFd() const { return fds_[0]; }
    static bool StopWanted() { return stopWanted_ != 0; }

  private:
    static constexpr int kSignals[] = {SIGHUP, SIGTERM, SIGINT};
    static inline volatile std::sig_atomic_t writeFd_ = -1;
    static inline volatile std::sig_atomic_t stopWanted_ = 0;
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
        Fd fd(
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
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
    master = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
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

// A connection, or the pseudo-terminal's line: where a job's bytes come from
// and its replies go. Replies wait here, never blocking the printer, until
// their delay has passed and the peer takes them.
class Channel : public ReplyChannel {
  public:
    enum class Kind { kConnection, kLine };

    Channel(Kind k, Fd f, std::string from, milliseconds delay)
        : kind(k), fd(std::move(f)), source(std::move(from)), delay_(delay) {}

    bool Send(const Bytes& bytes) override {
        if (broken_) return false;
        if (delay_.count() == 0) {
            unsent_.insert(unsent_.end(), bytes.begin(), bytes.end());
        } else {
            waiting_.push_back({Clock::now() + delay_, bytes});
            waitingBytes_ += bytes.size();
        }
        return true;
    }

    // Writes the replies that are due, as far as the peer takes them; a peer
    // that can take none ever again is broken, and its replies are let go.
    void Flush(Clock::time_point now) {
        while (!waiting_.empty() && waiting_.front().due <= now) {
            unsent_.insert(unsent_.end(), waiting_.front().bytes.begin(),
                           waiting_.front().bytes.end());
            waitingBytes_ -= waiting_.front().bytes.size();
            waiting_.pop_front();
        }
        while (!unsent_.empty() && !broken_) {
            const ssize_t n = kind == Kind::kConnection
                                  ? ::send(fd.get(), unsent_.data(), unsent_.size(), MSG_NOSIGNAL)
                                  : ::write(fd.get(), unsent_.data(), unsent_.size());
            if (n > 0) {
                unsent_.erase(unsent_.begin(), unsent_.begin() + n);
                lastActivity = now;
            } else if (n < 0 && errno == EAGAIN) {
                return;
            } else if (n == 0 || errno != EINTR) {
                Broken();
            }
        }
    }

    // A connection that fails stays failed; the line serves the next opener.
    void Broken() {
        broken_ = kind == Kind::kConnection;
        Discard();
    }
    void Discard() {
        unsent_.clear();
        waiting_.clear();
        waitingBytes_ = 0;
    }
    bool IsBroken() const { return broken_; }
    bool HasOutput() const { return !unsent_.empty() || !waiting_.empty(); }
    bool HasUnsent() const { return !unsent_.empty(); }
    std::size_t Pending() const { return unsent_.size() + waitingBytes_; }
    // When the next reply is due; only while one waits.
    Clock::time_point NextDue() const { return waiting_.front().due; }
    bool HasWaiting() const { return !waiting_.empty(); }

    const Kind kind;
    Fd fd;
    const std::string source;
    std::unique_ptr<Job> job;
    Clock::time_point lastActivity = Clock::now();
    bool inputEnded = false;  // a connection whose peer has sent all it will
    bool deaf = false;        // a line dropped: what comes is let go until it is closed
    bool closed = false;

  private:
    struct Reply {
        Clock::time_point due;
        Bytes bytes;
    };

    const milliseconds delay_;
    Bytes unsent_;
    std::deque<Reply> waiting_;
    std::size_t waitingBytes_ = 0;
    bool broken_ = false;
};

// Serves every connection and the line at once from one thread: all reads,
// writes and waits are non-blocking, and each job's commands act on the
// printer one read at a time, so jobs side by side store into the flash one
// command after another.
class Loop {
  public:
    Loop(Printer& printer, const InterfaceOptions& options, const Report& report)
        : printer_(printer),
          options_(options),
          report_(report),
          idle_(std::chrono::seconds(options.idleTimeoutS)),
          buffer_(kReadSize) {}

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
            Fd master;
            std::string path;
            if (!OpenPty(master, path, error)) return false;
            report_("pty " + path);
            channels_.push_back(std::make_unique<Channel>(Channel::Kind::kLine, std::move(master),
                                                          "pty " + path, Delay()));
        }
        return true;
    }

    // Until SIGTERM or SIGINT; false, with `error` set, when polling fails.
    // Each round polls afresh, and a round stops as soon as a stop is wanted:
    // nothing acts on what an earlier poll said.
    bool Run(std::string& error) {
        bool ok = true;
        while (!stopping_) {
            const Clock::time_point before = Clock::now();
            std::vector<pollfd> fds = {{signals_.ReadFd(), POLLIN, 0}};
            const bool accepting = listener_ && before >= acceptPausedUntil_;
            if (accepting) fds.push_back({listener_.get(), POLLIN, 0});
            std::vector<Channel*> polled;
            for (const auto& channel : channels_) {
                if (const short events = Events(*channel)) {
                    fds.push_back({channel->fd.get(), events, 0});
                    polled.push_back(channel.get());
                }
            }
            if (::poll(fds.data(), fds.size(), Timeout(before)) < 0 && errno != EINTR) {
                error = std::string("poll: ") + std::strerror(errno);
                ok = false;
                break;
            }
            if (fds[0].revents) TakeSignals();
            const Clock::time_point now = Clock::now();
            const std::size_t first = fds.size() - polled.size();
            for (std::size_t i = 0; i < polled.size() && !StopWanted(); ++i) {
                if (fds[first + i].revents) Serve(*polled[i], fds[first + i].revents, now);
            }
            if (accepting && fds[1].revents && !StopWanted()) Accept(now);
            if (!StopWanted()) Expire(now);
            Sweep();
        }
        for (const auto& channel : channels_) {
            if (channel->job) EndJob(*channel);
        }
        return ok;
    }

  private:
    bool StopWanted() const { return stopping_ || SignalPipe::StopWanted(); }
    milliseconds Delay() const { return milliseconds(options_.replyDelayMs); }
    bool IdleApplies(const Channel& c) const {
        return idle_.count() > 0 && (c.job || c.inputEnded) && !c.HasWaiting();
    }

    // The line is looked at while no one has it open, not polled: it would
    // report its hang-up again and again.
    short Events(const Channel& c) const {
        if (c.kind == Channel::Kind::kLine && !c.job && !c.deaf && !PtyReadable(c.fd.get())) {
            return 0;
        }
        return static_cast<short>((c.inputEnded ? 0 : POLLIN) | (c.HasUnsent() ? POLLOUT : 0));
    }

    // Until the next reply is due, a job has idled too long, the hung-up line
    // is looked at again or the listener has rested; -1: nothing is due.
    int Timeout(Clock::time_point now) const {
        std::optional<Clock::time_point> next;
        const auto consider = [&next](Clock::time_point at) {
            if (!next || at < *next) next = at;
        };
        if (listener_ && now < acceptPausedUntil_) consider(acceptPausedUntil_);
        for (const auto& c : channels_) {
            if (c->HasWaiting()) consider(c->NextDue());
            if (IdleApplies(*c)) consider(c->lastActivity + idle_);
            if (c->kind == Channel::Kind::kLine && !Events(*c)) consider(now + kPtyIdlePoll);
        }
        if (!next) return -1;
        const auto wait = std::chrono::ceil<milliseconds>(*next - now).count();
        return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, 60 * 60 * 1000));
    }

    void TakeSignals() {
        char signals[16];
        ssize_t n;
        while ((n = ::read(signals_.ReadFd(), signals, sizeof signals)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                if (signals[i] != SIGHUP) {
                    stopping_ = true;
                } else if (!stopping_) {
                    report_(printer_.Reset() ? "reset"
                                             : "reset failed: the flash could not be written");
                }
            }
        }
    }

    void Accept(Clock::time_point now) {
        for (int i = 0; i < kAcceptsPerRound; ++i) {
            sockaddr_storage peer{};
            socklen_t size = sizeof peer;
            Fd fd(::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &size,
                            SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!fd &&
                (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)) {
                acceptPausedUntil_ = now + kAcceptPause;
            }
            if (!fd && errno != ECONNABORTED) return;  // none left, or taken next round
            if (!fd) continue;
            ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
            auto channel = std::make_unique<Channel>(Channel::Kind::kConnection, std::move(fd),
                                                     "tcp " + AddressText(peer), Delay());
            channel->job = std::make_unique<Job>(printer_, channel->source, channel.get());
            channels_.push_back(std::move(channel));
        }
    }

    void Serve(Channel& c, short revents, Clock::time_point now) {
        if (revents & POLLOUT) c.Flush(now);
        if ((revents & (POLLIN | POLLHUP | POLLERR)) && !c.inputEnded) Read(c, now);
        CloseIfDone(c);
    }

    // A line's job begins with its first byte. A connection's end, a
    // connection reset and a line hung up (EIO) all end the job.
    void Read(Channel& c, Clock::time_point now) {
        const ssize_t n = ::read(c.fd.get(), buffer_.data(), buffer_.size());
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) {
            if (n < 0) c.Broken();
            c.deaf = false;
            InputEnded(c);
            return;
        }
        c.lastActivity = now;
        if (c.deaf) return;
        if (!c.job) c.job = std::make_unique<Job>(printer_, c.source, &c);
        for (std::size_t at = 0; at < static_cast<std::size_t>(n) && !StopWanted();
             at += kFeedPiece) {
            c.job->Feed(buffer_.data() + at,
                        std::min(kFeedPiece, static_cast<std::size_t>(n) - at));
        }
        c.Flush(now);
        if (c.Pending() > kMaxUnsent) Drop(c);
    }

    void InputEnded(Channel& c) {
        if (c.job) EndJob(c);
        if (c.kind == Channel::Kind::kLine) {
            c.Discard();  // no one is on the line to take them
        } else {
            c.inputEnded = true;
        }
    }

    // A peer that does not take its replies: its job ends with what it sent so
    // far, a connection is reset, and the line lets go of what comes until it
    // is closed.
    void Drop(Channel& c) {
        const auto pending = static_cast<long long>(c.Pending());
        c.job->Note("dropped", "unread_reply_bytes", pending);
        EndJob(c, "; dropped: " + std::to_string(pending) + " reply bytes not read");
        c.Discard();
        c.deaf = c.kind == Channel::Kind::kLine;
        if (c.kind == Channel::Kind::kConnection) {
            const linger reset{1, 0};
            ::setsockopt(c.fd.get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            Close(c);
        }
    }

    // Replies whose delay has passed go out; jobs silent for the idle time-out
    // end, and so do connections that let their replies wait that long.
    void Expire(Clock::time_point now) {
        for (const auto& c : channels_) {
            if (c->closed) continue;
            if (c->HasWaiting() && c->NextDue() <= now) c->Flush(now);
            CloseIfDone(*c);
            if (c->closed || !IdleApplies(*c) || now - c->lastActivity < idle_) continue;
            if (c->job) {
                c->job->Note("idle time-out", "seconds", options_.idleTimeoutS);
                EndJob(*c, "; idle for " + std::to_string(options_.idleTimeoutS) + " s");
            }
            c->Discard();
            if (c->kind == Channel::Kind::kConnection) Close(*c);
        }
    }

    void EndJob(Channel& c, const std::string& ending = "") {
        report_(Summary(c.source, c.job->End(), ending));
        c.job.reset();
    }

    // A connection whose peer has sent all it will closes once its replies are out.
    void CloseIfDone(Channel& c) {
        if (c.inputEnded && (!c.HasOutput() || c.IsBroken())) Close(c);
    }

    void Close(Channel& c) {
        c.fd = Fd();
        c.closed = true;
    }

    void Sweep() {
        channels_.erase(std::remove_if(channels_.begin(), channels_.end(),
                                       [](const auto& c) { return c->closed; }),
                        channels_.end());
    }

    Printer& printer_;
    const InterfaceOptions& options_;
    const Report& report_;
    const std::chrono::seconds idle_;
    SignalPipe signals_;
    Fd listener_;
    Clock::time_point acceptPausedUntil_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::uint8_t> buffer_;
    bool stopping_ = false;
};

}  // namespace

std::string Summary(const std::string& source, const JobSummary& job, const std::string& ending) {
    std::string text = "job " + std::to_string(job.job) + " (" + source +
                       "): " + std::to_string(job.bytes) + " bytes, " + std::to_string(job.errors) +
                       (job.errors == 1 ? " error" : " errors");
    if (job.linesLeftOut > 0) {
        text += "; transcript limit: " + std::to_string(job.linesLeftOut) + " lines left out";
    }
    if (job.receiptsNotKept > 0) {
        text += "; receipt limit: " + std::to_string(job.receiptsNotKept) + " receipts not kept";
    }
    text += ending;
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
    return loop.Open(error) && loop.Run(error);
}

}  // namespace standin
