// The Top Logo and Bottom Logo lists (clsFiles and clsFilesBottom): one class,
// told apart by a descriptor, holding logo records in memory and keeping them
// in a profile file of the program directory.
#pragma once

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

// A stored value "path|title|size|height|width": exactly five fields, a path,
// and three decimal numbers that fit 32 bits; nothing otherwise.
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
    // empty one, at most kMaxStoredRecords. Entries that do not parse, or
    // whose file is not there, are skipped.
    void Load(const Files& files, const AnsiText& ansi);
    // Rewrites the persistence file from the records, numbered from 1, or
    // deletes it for an empty list. False when the file on disk does not
    // hold the list afterwards (it then stays as it was).
    bool Save(Files& files, const AnsiText& ansi) const;

    void Add(LogoRecord record);
    void Reset() { records_.clear(); }
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
    const ListDescriptor& descriptor_;
    std::string path_;
    std::vector<LogoRecord> records_;
};

}  // namespace orvenna
