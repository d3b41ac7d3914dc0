// A file system in memory for the fuzz targets and the tests: each file is a
// byte string under its exact path, and nothing touches the disk. A byte
// budget plays a full disk, a switch an unwritable directory.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "files.h"

namespace zelmar::files {

class MemoryFileSystem : public FileSystem {
  public:
    explicit MemoryFileSystem(std::string directory = "memory");

    void Put(const std::string& path, Bytes bytes);
    // Null when there is no such file.
    const Bytes* Find(const std::string& path) const;
    // Writes that would take all files together past `bytes` fail as on a full disk.
    void SetCapacity(std::size_t bytes) { capacity_ = bytes; }
    // While set, no file can be created.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    std::string CurrentDirectory() override { return directory_; }
    std::unique_ptr<InputFile> Open(const std::string& path, FileError& error) override;
    std::unique_ptr<NewFile> Create(const std::string& path, FileError& error) override;
    bool SameFile(const std::string& a, const std::string& b) override { return a == b; }

  private:
    class Input;
    class Output;
    using Contents = std::shared_ptr<const Bytes>;

    std::string directory_;
    std::map<std::string, Contents> files_;
    std::size_t used_ = 0;  // by every file, committed or not
    std::size_t capacity_ = SIZE_MAX;
    bool readOnly_ = false;
};

}  // namespace zelmar::files
