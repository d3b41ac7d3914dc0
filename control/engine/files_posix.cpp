#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "files.h"

namespace zelmar::files {

namespace {

bool WriteAll(int fd, const void* data, std::size_t size) {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string InCurrentDirectory(std::string_view name) {
    std::string path = CurrentDirectory();
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

bool ReadPrefix(const std::string& path, std::size_t limit, Bytes& out, std::uint64_t& fileSize) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        fileSize = static_cast<std::uint64_t>(st.st_size);
        out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, fileSize)));
        std::size_t got = 0;
        while (got < out.size()) {
            ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
    }
    ::close(fd);
    return ok;
}

bool CopyReplacing(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    OutputFile out;
    bool ok = out.Create(to);
    char buffer[65536];
    while (ok) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = out.Write(buffer, static_cast<std::size_t>(n));
    }
    ::close(in);
    return ok;
}

bool OutputFile::Create(const std::string& path) {
    Close();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    return IsOpen() && WriteAll(static_cast<int>(handle_), data, size);
}

void OutputFile::Close() {
    if (!IsOpen()) return;
    ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
}

}  // namespace zelmar::files
