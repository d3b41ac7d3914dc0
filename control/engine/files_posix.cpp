#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "files.h"

namespace zelmar::files {

namespace {

FileError FromErrno(int code) {
    const auto systemCode = static_cast<std::uint32_t>(code);
    switch (code) {
        case ENOENT:
        case ENOTDIR:
            return {Reason::kNotFound, systemCode};
        case EISDIR:
            return {Reason::kDirectory, systemCode};
        case EACCES:
        case EPERM:
        case EROFS:
            return {Reason::kPermission, systemCode};
        case ENAMETOOLONG:
            return {Reason::kNameTooLong, systemCode};
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return {Reason::kDiskFull, systemCode};
        default:
            return {Reason::kOther, systemCode};
    }
}

// What a file is when it is not a regular file.
FileError KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return {Reason::kDirectory, 0};
    if (S_ISFIFO(mode)) return {Reason::kFifo, 0};
    if (S_ISCHR(mode) || S_ISBLK(mode)) return {Reason::kDevice, 0};
    return {Reason::kNotRegular, 0};
}

// The directory part of a path, with its final "/"; empty for a bare name.
std::string DirectoryPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class PosixInput : public InputFile {
  public:
    PosixInput(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixInput() override { ::close(fd_); }
    std::uint64_t Size() const override { return size_; }
    FileError Read(std::uint8_t* data, std::size_t size, std::size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t n = ::read(fd_, data, size);
            if (n >= 0) {
                got = static_cast<std::size_t>(n);
                return {};
            }
            if (errno != EINTR) return FromErrno(errno);
        }
    }

  private:
    int fd_;
    std::uint64_t size_;
};

class PosixNewFile : public NewFile {
  public:
    PosixNewFile(int fd, std::string temporary, std::string target)
        : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {}
    ~PosixNewFile() override {
        if (fd_ < 0) return;
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
    FileError Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return FromErrno(errno);
            if (n == 0) return {Reason::kDiskFull, 0};
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return {};
    }
    FileError Commit() override {
        const int fd = fd_;
        fd_ = -1;
        FileError error;
        if (::close(fd) != 0) {
            error = FromErrno(errno);
        } else if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            error = FromErrno(errno);
        }
        if (error) ::unlink(temporary_.c_str());
        return error;
    }

  private:
    int fd_;
    std::string temporary_;
    std::string target_;
};

class PosixFileSystem : public FileSystem {
  public:
    std::string CurrentDirectory() override {
        std::vector<char> buffer(256);
        while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
            if (errno != ERANGE) return {};
            buffer.resize(buffer.size() * 2);
        }
        return buffer.data();
    }

    std::unique_ptr<InputFile> Open(const std::string& path, FileError& error) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            error = FromErrno(errno);
            return nullptr;
        }
        if (!S_ISREG(st.st_mode)) {
            error = KindOf(st.st_mode);
            return nullptr;
        }
        // Should the name become a FIFO meanwhile, the open still returns at once.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error = FromErrno(errno);
            return nullptr;
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            error = KindOf(st.st_mode);
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInput>(fd, static_cast<std::uint64_t>(st.st_size));
    }

    std::unique_ptr<NewFile> Create(const std::string& path, FileError& error) override {
        if ((error = CheckTarget(path))) return nullptr;
        const std::string directory = DirectoryPart(path);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporary = directory + ".zelmar-" + std::to_string(::getpid()) +
                                          "-" + std::to_string(++made_) + ".tmp";
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) return std::make_unique<PosixNewFile>(fd, temporary, path);
            if (errno != EEXIST) break;
        }
        error = FromErrno(errno);
        return nullptr;
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        struct stat sa {
        }, sb{};
        const bool hasA = ::stat(a.c_str(), &sa) == 0;
        const bool hasB = ::stat(b.c_str(), &sb) == 0;
        if (hasA || hasB) return hasA && hasB && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
        const std::string dirA = DirectoryPart(a), dirB = DirectoryPart(b);
        const std::string nameA = a.substr(dirA.size()), nameB = b.substr(dirB.size());
        return !nameA.empty() && nameA == nameB &&
               ::stat(dirA.empty() ? "." : dirA.c_str(), &sa) == 0 &&
               ::stat(dirB.empty() ? "." : dirB.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
    }

  private:
    // What `path` names must be nothing yet or a regular file (a link to one is
    // replaced); a regular file that may not be written stays as it is.
    static FileError CheckTarget(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? FileError{} : FromErrno(errno);
        if (!S_ISREG(st.st_mode)) return KindOf(st.st_mode);
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(path.c_str(), W_OK) != 0) {
            return FromErrno(errno);
        }
        return {};
    }

    unsigned made_ = 0;
};

}  // namespace

FileSystem& Platform() {
    static PosixFileSystem fs;
    return fs;
}

std::string JoinPath(const std::string& directory, std::string_view name) {
    if (directory.empty()) return std::string(name);
    std::string path = directory;
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace zelmar::files
