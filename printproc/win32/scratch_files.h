// A job's two scratch files in the spool directory, named after the process
// and the job so that no other job of any spooler process uses them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "raw_job.h"
#include "spooler_parts.h"
#include "win32/handle_owners.h"

namespace tivrap::win32 {

using zelmar::win32::UniqueFile;

// One scratch file: created new, read and written at offsets, deleted by its creator.
class SpoolFile final : public ScratchFile {
  public:
    explicit SpoolFile(FirstError& errors) : errors_(errors) {}
    // Creates the file, which must not exist yet.
    bool Create(const std::wstring& path);
    // The last Create failed because the name was taken.
    bool NameTaken() const { return nameTaken_; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) override;
    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override;
    // Closes and deletes the file, if this created it.
    void Remove();

  private:
    bool Seek(std::uint64_t offset);

    FirstError& errors_;
    UniqueFile file_;
    std::wstring path_;
    bool nameTaken_ = false;
};

// Scratch file A is "<system directory>\Spool\PRINTERS\Kvzo-<process>-<job>.spl";
// B has the same name ending in ".spm". A name left taken by a process that
// ended without cleaning up (process ids come again) is passed over for the
// next one, "Kvzo-<process>-<job>-1.spl" and so on: files are never taken over.
class SpoolScratch final : public ScratchStorage {
  public:
    // `systemDirectory`: none when the system could not say it.
    SpoolScratch(std::optional<std::wstring> systemDirectory, DWORD processId, DWORD jobId,
                 FirstError& errors);
    // Also when a job ends by an exception.
    ~SpoolScratch() override { Remove(); }
    ScratchCreation Create() override;
    ScratchFile& FileA() override { return a_; }
    ScratchFile& FileB() override { return b_; }
    void Remove() override;

    // How many names a job tries.
    static constexpr int kNames = 10;
    // The scratch directory and file A's path by the name's number (B's
    // follows from it).
    static std::wstring Directory(const std::wstring& systemDirectory);
    static std::wstring PathA(const std::wstring& directory, DWORD processId, DWORD jobId,
                              int name = 0);

  private:
    // Creates A and B under the name; false when either cannot be.
    bool CreateBoth(const std::wstring& pathA, ScratchCreation& created);

    std::optional<std::wstring> systemDirectory_;
    DWORD processId_;
    DWORD jobId_;
    FirstError& errors_;
    SpoolFile a_;
    SpoolFile b_;
};

}  // namespace tivrap::win32
