#include "standin_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace standin::test {

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kPatienceMs) == 1;
}

Program::Program(const std::vector<std::string>& args, rlim_t fileSizeLimit) {
    std::vector<std::string> all = {STANDIN_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::dup2(out[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
}

Program::~Program() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
}

std::string Program::WaitFor(const std::string& prefix) {
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            output_ += line + "\n";
            if (line.rfind(prefix, 0) == 0) return line;
            continue;
        }
        char buffer[4096];
        if (!Readable(out_)) return {};
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) {
            ended_ = true;
            return {};
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

void Program::Signal(int signal) {
    ::kill(pid_, signal);
}

int Program::Wait() {
    WaitFor("\n");
    if (!ended_) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PtyPath(Program& program) {
    const std::string line = program.WaitFor("pty ");
    return line.empty() ? line : line.substr(4);
}

int ListeningPort(Program& program) {
    const std::string listening = program.WaitFor("listening 127.0.0.1:");
    return listening.empty() ? 0 : std::stoi(listening.substr(listening.rfind(':') + 1));
}

}  // namespace standin::test
