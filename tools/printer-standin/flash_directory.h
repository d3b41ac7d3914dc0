// The flash kept in a directory, so that it survives restarts:
//
//   DIR/sets/000007/   a flash set: "manifest" and one ".nv" file of NV data per image
//   DIR/pending -> sets/000007
//   DIR/active  -> sets/000005
//   DIR/lock           held by the printer that uses the directory
//
// A set is never changed once written. A change writes a new set and then
// turns the link to it by a rename, so the directory holds the old set or the
// new one, never a mix; sets no link names are removed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "flash.h"
#include "output_files.h"

namespace standin {

class DirectoryFlash : public FlashStore {
  public:
    // Opens the flash directory, creating it when it is missing. Null, with
    // `error` set, when the directory is in use or what it holds cannot be
    // read; the directory is then left as it is.
    static std::unique_ptr<DirectoryFlash> Open(const std::string& dir, std::string& error);
    // Reads both sets of an existing directory and changes nothing.
    static bool Read(const std::string& dir, FlashSet& pending, FlashSet& active,
                     std::string& error);

    const FlashSet& Pending() const override { return pending_; }
    const FlashSet& Active() const override { return active_; }
    bool WritePending(const FlashSet& set) override;
    bool Reset() override;

  private:
    explicit DirectoryFlash(std::filesystem::path dir) : dir_(std::move(dir)) {}
    bool WriteSet(const FlashSet& set, std::string& name);
    bool PointLink(const char* link, const std::string& name);
    void RemoveUnused();

    std::filesystem::path dir_;
    FileLock lock_;
    std::string pendingName_;  // of the set under sets/; empty while there is none
    std::string activeName_;
    FlashSet pending_;
    FlashSet active_;
    unsigned next_ = 1;
};

}  // namespace standin
