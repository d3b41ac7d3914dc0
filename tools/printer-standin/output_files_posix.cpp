#include "output_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace standin {

namespace {

bool WriteAll(int fd, const zelmar::Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteSynced(const std::string& path, const zelmar::Bytes& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

bool WriteAtomically(std::initializer_list<OutputFile> files) {
    const std::string temporary = ".tmp-" + std::to_string(::getpid());
    bool written = true;
    for (const OutputFile& file : files)
        written = written && WriteSynced(file.path + temporary, file.bytes);
    for (const OutputFile& file : files) {
        written = written && std::rename((file.path + temporary).c_str(), file.path.c_str()) == 0;
    }
    const std::string& first = files.begin()->path;
    const std::size_t slash = first.rfind('/');
    written =
        written && SyncDirectory(slash == std::string::npos ? "." : first.substr(0, slash + 1));
    if (!written) {
        for (const OutputFile& file : files) {
            std::remove((file.path + temporary).c_str());
            std::remove(file.path.c_str());
        }
    }
    return written;
}

bool SyncDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileLock::Acquire(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace standin
