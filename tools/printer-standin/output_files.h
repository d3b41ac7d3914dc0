// Files the stand-in writes: its flash, receipts and dumps. A file appears
// whole or not at all, so a reader never sees half of one and a failure never
// leaves a damaged file behind.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/bytes.h"

namespace standin {

// Writes `bytes` to `path` and flushes them to the disk.
bool WriteSynced(const std::string& path, const zelmar::Bytes& bytes);

struct OutputFile {
    std::string path;
    const zelmar::Bytes& bytes;
};
// Writes files of one directory that belong together, all of them or none:
// each to a temporary beside it, flushed, then all renamed in the order given.
// On any failure the files of this call are removed again (so they must be
// new ones), and false is returned.
bool WriteAtomically(std::initializer_list<OutputFile> files);
// Flushes a directory's entries (new names, renames) to the disk.
bool SyncDirectory(const std::string& path);

// An exclusive lock on a file, held for the object's life.
class FileLock {
  public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();
    // False when the file cannot be created or another process holds the lock.
    bool Acquire(const std::string& path);

  private:
    int fd_ = -1;
};

}  // namespace standin
