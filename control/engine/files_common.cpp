#include <algorithm>

#include "files.h"
#include "trace.h"

namespace zelmar::files {

namespace {

FileSystem* current = nullptr;

constexpr std::size_t kCopyPiece = 64 * 1024;

}  // namespace

std::string Describe(const FileError& error) {
    switch (error.reason) {
        case Reason::kNone:
            return "no error";
        case Reason::kNotFound:
            return "no such file or directory";
        case Reason::kDirectory:
            return "a directory, not a file";
        case Reason::kFifo:
            return "a FIFO or pipe, not a regular file";
        case Reason::kDevice:
            return "a device, not a regular file";
        case Reason::kNotRegular:
            return "not a regular file";
        case Reason::kPermission:
            return "permission denied";
        case Reason::kNameTooLong:
            return "the name is too long";
        case Reason::kDiskFull:
            return "the disk is full";
        case Reason::kOther:
            break;
    }
    return "system error " + std::to_string(error.systemCode);
}

FileSystem& Current() {
    return current ? *current : Platform();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& fs) : previous_(current) {
    current = &fs;
}

ScopedFileSystem::~ScopedFileSystem() {
    current = previous_;
}

std::string CurrentDirectory() {
    return Current().CurrentDirectory();
}

std::string InCurrentDirectory(std::string_view name) {
    return JoinPath(CurrentDirectory(), name);
}

FileError ReadPrefix(const std::string& path, std::size_t limit, Bytes& out,
                     std::uint64_t& fileSize) {
    out.clear();
    FileError error;
    const std::unique_ptr<InputFile> file = Current().Open(path, error);
    if (!file) return error;
    fileSize = file->Size();
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, fileSize)));
    std::size_t have = 0;
    while (have < out.size()) {
        std::size_t got = 0;
        if ((error = file->Read(out.data() + have, out.size() - have, got))) break;
        if (got == 0) break;  // shorter than it was a moment ago
        have += got;
    }
    out.resize(have);
    return error;
}

FileError Replace(const std::string& path, const Bytes& bytes) {
    OutputFile file;
    FileError error = file.Create(path);
    if (!error) error = file.Write(bytes);
    if (!error) error = file.Commit();
    return error;
}

FileError CopyReplacing(const std::string& from, const std::string& to, std::string* failed) {
    if (SameFile(from, to)) return {};
    std::string ignored;
    std::string& where = failed ? *failed : ignored;
    FileError error;
    const std::unique_ptr<InputFile> in = Current().Open(from, error);
    if (!in) {
        where = from;
        return error;
    }
    OutputFile out;
    if ((error = out.Create(to))) {
        where = to;
        return error;
    }
    Bytes piece(kCopyPiece);
    for (;;) {
        std::size_t got = 0;
        if ((error = in->Read(piece.data(), piece.size(), got))) {
            where = from;
            return error;
        }
        if (got == 0) break;
        if ((error = out.Write(piece.data(), got))) {
            where = to;
            return error;
        }
    }
    if ((error = out.Commit())) where = to;
    return error;
}

bool SameFile(const std::string& a, const std::string& b) {
    return Current().SameFile(a, b);
}

namespace {

// A step of an output on the trace: "done", or why it failed.
void Said(std::string_view step, const std::string& path, std::uint64_t size,
          const FileError& error) {
    if (!TraceOn()) return;
    Trace("file", step, TraceQuoted{path}, size, "bytes ->", error ? Describe(error) : "done");
}

}  // namespace

FileError OutputFile::Create(const std::string& path) {
    file_.reset();
    size_ = 0;
    if (TraceOn()) path_ = path;
    FileError error;
    file_ = Current().Create(path, error);
    if (error) Said("create", path, 0, error);
    return error;
}

FileError OutputFile::Write(const void* data, std::size_t size) {
    if (!file_) return {Reason::kOther, 0};
    const FileError error = file_->Write(static_cast<const std::uint8_t*>(data), size);
    size_ += size;
    if (error) Said("write", path_, size_, error);
    return error;
}

FileError OutputFile::Commit() {
    if (!file_) return {Reason::kOther, 0};
    const FileError error = file_->Commit();
    file_.reset();
    Said("wrote", path_, size_, error);
    return error;
}

}  // namespace zelmar::files
