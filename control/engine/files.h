// The engine's only contact with the file system. Paths are 8-bit text, on
// Windows in the system code page.
//
// Every output goes to a new file beside its target and is moved into place
// only when it is complete: a failed write leaves the old file as it was, and
// a link in the target's place is replaced, never written through. Sources
// must be regular files; anything else is refused without waiting on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bytes.h"

namespace zelmar::files {

// Why a file could not be read or written.
enum class Reason {
    kNone,
    kNotFound,    // the file, or a directory on its path, does not exist
    kDirectory,   // a directory where a file was expected
    kFifo,        // a FIFO or pipe
    kDevice,      // a character or block device
    kNotRegular,  // any other kind of file that is not a regular file
    kPermission,
    kNameTooLong,
    kDiskFull,
    kOther,  // the system's code says more
};

struct FileError {
    Reason reason = Reason::kNone;
    std::uint32_t systemCode = 0;  // errno or GetLastError(); 0 when the layer decided

    explicit operator bool() const { return reason != Reason::kNone; }
    bool operator==(const FileError& o) const {
        return reason == o.reason && systemCode == o.systemCode;
    }
};

// A short English description for messages: "a directory", "permission denied".
std::string Describe(const FileError& error);

// A regular file open for reading.
class InputFile {
  public:
    virtual ~InputFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads at most `size` bytes; `got` is 0 at the end of the file.
    virtual FileError Read(std::uint8_t* data, std::size_t size, std::size_t& got) = 0;
};

// A new file beside its target. Destroying it before Commit removes it.
class NewFile {
  public:
    virtual ~NewFile() = default;
    virtual FileError Write(const std::uint8_t* data, std::size_t size) = 0;
    // Moves the complete file into its target's place, replacing what was there.
    virtual FileError Commit() = 0;
};

// What the engine needs of a file system: the platform's, or one in memory for
// the fuzz targets and tests.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Empty when the directory is unknown.
    virtual std::string CurrentDirectory() = 0;
    // Opens a regular file; anything else (a directory, a FIFO, a device) is
    // refused with its kind, without blocking.
    virtual std::unique_ptr<InputFile> Open(const std::string& path, FileError& error) = 0;
    // A new file for `path`. Refused when `path` names something other than a
    // regular file, or a regular file that may not be written.
    virtual std::unique_ptr<NewFile> Create(const std::string& path, FileError& error) = 0;
    // True when both paths name the same file: the same existing file, or the
    // same name in the same directory when neither exists.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

// The operating system's file system.
FileSystem& Platform();
// The file system the engine uses: the platform's unless a ScopedFileSystem
// stands in for it.
FileSystem& Current();

// Makes `fs` the current file system for the object's life.
class ScopedFileSystem {
  public:
    explicit ScopedFileSystem(FileSystem& fs);
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
    ~ScopedFileSystem();

  private:
    FileSystem* previous_;
};

// `name` in `directory`; the bare name when the directory is unknown (empty).
std::string JoinPath(const std::string& directory, std::string_view name);

// The current directory of the current file system; empty if unknown.
std::string CurrentDirectory();

// A working file's path: the current directory followed by the file's name.
std::string InCurrentDirectory(std::string_view name);

// Reads at most `limit` bytes from the start of the file into `out` and sets
// `fileSize` to the whole file's length.
FileError ReadPrefix(const std::string& path, std::size_t limit, Bytes& out,
                     std::uint64_t& fileSize);

// Replaces `path` by a file holding `bytes`.
FileError Replace(const std::string& path, const Bytes& bytes);

// Replaces `to` by a copy of `from`; nothing is done when both name the same
// file. On a failure `failed`, when given, is set to the path that failed.
FileError CopyReplacing(const std::string& from, const std::string& to,
                        std::string* failed = nullptr);

bool SameFile(const std::string& a, const std::string& b);

// An output of the current file system: Create, Write as often as needed,
// then Commit. Without Commit nothing replaces the target.
class OutputFile {
  public:
    FileError Create(const std::string& path);
    FileError Write(const void* data, std::size_t size);
    FileError Write(const Bytes& bytes) { return Write(bytes.data(), bytes.size()); }
    // Moves the file into place; the object is closed afterwards.
    FileError Commit();

  private:
    std::unique_ptr<NewFile> file_;
};

}  // namespace zelmar::files
