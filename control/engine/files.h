// The engine's only contact with the file system. One implementation per
// platform (files_posix.cpp, files_win32.cpp); paths are 8-bit text, on
// Windows in the system code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bytes.h"

namespace zelmar::files {

// The process's current directory, whatever its length; empty if unknown.
std::string CurrentDirectory();

// A working file's path: the current directory followed by the file's name.
std::string InCurrentDirectory(std::string_view name);

// Reads at most `limit` bytes from the start of the file into `out` and sets
// `fileSize` to the whole file's length. False when the file cannot be opened.
bool ReadPrefix(const std::string& path, std::size_t limit, Bytes& out, std::uint64_t& fileSize);

// Copies a file, replacing the target.
bool CopyReplacing(const std::string& from, const std::string& to);

// A file created for writing, replacing any earlier file, shared for writing.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Close(); }

    bool Create(const std::string& path);
    bool IsOpen() const { return handle_ != kNoHandle; }
    // True when every byte was written.
    bool Write(const void* data, std::size_t size);
    bool Write(const Bytes& bytes) { return Write(bytes.data(), bytes.size()); }
    void Close();

  private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

// Creates `path` and writes all of `bytes`; false on any failure.
bool WriteWholeFile(const std::string& path, const Bytes& bytes);

}  // namespace zelmar::files
