// The Top Logo and Bottom Logo lists (clsFiles and clsFilesBottom): one class,
// told apart by a descriptor, holding logo records in memory and keeping them
// in a profile file of the program directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services.h"

namespace orvenna {

// One logo record (clsFile): set once when added.
struct LogoRecord {
    std::string fileName;   // full path
    std::string fileTitle;  // the name without its folder
    int32_t size = 0;       // NV data bytes
    int32_t height = 0;     // dots
    int32_t width = 0;
};

// What tells the twin lists apart.
struct ListDescriptor {
    const char* persistenceFile;  // appended to the program directory
    const char* name;             // the list's name in messages
};
extern const ListDescriptor kTopList;
extern const ListDescriptor kBottomList;

// At most this many records are read back from a file.
inline constexpr int kMaxStoredRecords = 255;
// No file has a longer name: Windows' longest path is 32,767 UTF-16 units,
// each at most 3 bytes of UTF-8 or 2 of a double-byte code page.
inline constexpr std::size_t kLongestNameBytes = 3 * 32767;

// Why a list file was not understood whole. Such a file is kept as it was
// found: it is written at closing only when the user changed the list, and
// then the old file is kept beside the new one (BackupPath).
enum class ListDamage {
    kUnreadable,  // there, but it could not be read
    kNotText,     // not text in any form profile files are written in
    kBadEntries,  // lines that are no readable entry of the list
    kTooMany,     // more entries than kMaxStoredRecords
};

// A stored value "path|title|size|height|width": exactly five fields, a path,
// and three decimal numbers that fit 32 bits, no name longer than
// kLongestNameBytes; nothing otherwise.
std::optional<LogoRecord> ParseRecord(const std::string& value);
std::string FormatRecord(const LogoRecord& record);

// One row of a list view: "No", "Name", "Size".
struct ListRow {
    std::string number, name, size;
    bool operator==(const ListRow& other) const {
        return number == other.number && name == other.name && size == other.size;
    }
};

class LogoFiles {
  public:
    LogoFiles(const ListDescriptor& descriptor, const std::string& programDirectory);

    const ListDescriptor& Descriptor() const { return descriptor_; }
    const std::string& Path() const { return path_; }

    // Reads the persistence file: keys Logofile1 up to the first missing or
    // empty one, at most kMaxStoredRecords. Entries whose file is not there
    // are skipped; what else the list cannot hold is in Damage().
    void Load(const Files& files, const AnsiText& ansi);
    // Rewrites the persistence file from the records, numbered from 1, or
    // deletes it for an empty list; a damaged file is left as it was found
    // while the list is unchanged, and kept under BackupPath(n) (the first n
    // free) before it is written over. False when the file on disk holds
    // neither the list nor what was found (it then stays as it was).
    bool Save(Files& files, const AnsiText& ansi);
    // Where the damaged file is kept: Path() + ".bak", then ".bak2" and on.
    std::string BackupPath(int n) const;

    // What the last load could not take in, in this order; empty when the
    // file was understood whole or was not there. Cleared by a save.
    const std::vector<ListDamage>& Damage() const { return damage_; }
    // Whether records were added or removed since the load.
    bool Changed() const { return changed_; }

    void Add(LogoRecord record);
    void Reset();
    // Positions are 1-based; one outside 1 .. Count() throws
    // std::out_of_range and changes nothing.
    void Remove(int index);
    const LogoRecord& Record(int index) const;
    std::string GetFileName(int index) const { return Record(index).fileName; }
    int32_t GetHeight(int index) const { return Record(index).height; }
    int32_t GetWidth(int index) const { return Record(index).width; }
    int Count() const { return static_cast<int>(records_.size()); }
    int64_t GetSizeTotal() const;
    // Every file name followed by "|".
    std::string GetUploadFileName() const;
    // The list view's rows (xDisplay).
    std::vector<ListRow> Display() const;

  private:
    bool KeepFoundFile(Files& files) const;

    const ListDescriptor& descriptor_;
    std::string path_;
    std::vector<LogoRecord> records_;
    std::vector<ListDamage> damage_;
    bool changed_ = false;
};

}  // namespace orvenna
