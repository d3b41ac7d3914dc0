#include "logo_files.h"

#include <charconv>
#include <map>
#include <stdexcept>

#include "profile.h"

namespace orvenna {

const ListDescriptor kTopList = {"\\TopLogo.ini", "Top Logo"};
const ListDescriptor kBottomList = {"\\BottomLogo.ini", "Bottom Logo"};

namespace {

constexpr char kKeyPrefix[] = "Logofile";
constexpr char kSeparator = '|';
constexpr int kBackupNames = 99;

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == kSeparator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// Plain decimal, an optional minus sign, within 32 bits.
std::optional<int32_t> ParseNumber(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::string Key(int n) {
    return kKeyPrefix + std::to_string(n);
}

// A stored value as a record in UTF-8; nothing when it does not parse, or
// when its names could not be stored again as they are (the list is kept in
// the code page).
std::optional<LogoRecord> Readable(const std::string& value, TextForm form, const AnsiText& ansi) {
    std::optional<LogoRecord> record = ParseRecord(value);
    if (!record) return std::nullopt;
    if (form == TextForm::kUnicode) {
        if (!ansi.Encode(record->fileName) || !ansi.Encode(record->fileTitle)) return std::nullopt;
        return record;
    }
    record->fileName = ansi.Decode(record->fileName);
    record->fileTitle = ansi.Decode(record->fileTitle);
    return record;
}

}  // namespace

std::optional<LogoRecord> ParseRecord(const std::string& value) {
    const std::vector<std::string> fields = Split(value);
    if (fields.size() != 5 || fields[0].empty() || fields[0].size() > kLongestNameBytes ||
        fields[1].size() > kLongestNameBytes) {
        return std::nullopt;
    }
    const auto size = ParseNumber(fields[2]);
    const auto height = ParseNumber(fields[3]);
    const auto width = ParseNumber(fields[4]);
    if (!size || !height || !width) return std::nullopt;
    return LogoRecord{fields[0], fields[1], *size, *height, *width};
}

std::string FormatRecord(const LogoRecord& record) {
    return record.fileName + kSeparator + record.fileTitle + kSeparator +
           std::to_string(record.size) + kSeparator + std::to_string(record.height) + kSeparator +
           std::to_string(record.width);
}

LogoFiles::LogoFiles(const ListDescriptor& descriptor, const std::string& programDirectory)
    : descriptor_(descriptor), path_(programDirectory + descriptor.persistenceFile) {}

void LogoFiles::Load(const Files& files, const AnsiText& ansi) {
    records_.clear();
    damage_.clear();
    changed_ = false;
    const std::optional<std::string> bytes = files.Read(path_, kProfileFileLimit);
    if (!bytes) {
        // No file is an empty list; a file that is there is not.
        if (files.IsPresentFile(path_)) damage_.push_back(ListDamage::kUnreadable);
        return;
    }
    const std::optional<ProfileBytes> text = DecodeProfile(*bytes);
    if (!text) {
        damage_.push_back(ListDamage::kNotText);
        return;
    }
    const SectionEntries section = ProfileText(text->text).Entries(kSection);
    // The first line of a name is the key's, as the platform reads them.
    std::map<std::string, std::string> values;
    for (const auto& [key, value] : section.keys)
        values.emplace(key, value);
    std::size_t used = 0;
    bool unreadable = false, tooMany = false;
    for (int n = 1;; ++n) {
        const auto found = values.find(FoldCase(Key(n)));
        if (found == values.end()) break;
        ++used;
        if (found->second.empty()) break;
        if (n > kMaxStoredRecords) {
            tooMany = true;
            continue;
        }
        std::optional<LogoRecord> record = Readable(found->second, text->form, ansi);
        unreadable = unreadable || !record;
        if (record && files.IsPresentFile(record->fileName)) records_.push_back(std::move(*record));
    }
    // A rewrite keeps the entries read and nothing else of the file.
    if (unreadable || section.otherLines > 0 || used < section.keys.size()) {
        damage_.push_back(ListDamage::kBadEntries);
    }
    if (tooMany) damage_.push_back(ListDamage::kTooMany);
}

bool LogoFiles::Save(Files& files, const AnsiText& ansi) {
    if (!damage_.empty()) {
        if (!changed_) return true;  // the file stays as it was found
        if (!KeepFoundFile(files)) return false;
    }
    std::string text = std::string("[") + kSection + "]\r\n";
    int stored = 0;
    for (const LogoRecord& record : records_) {
        // A name the code page cannot hold exactly would come back naming
        // another file: such a record is not stored.
        const auto fileName = ansi.Encode(record.fileName);
        const auto fileTitle = ansi.Encode(record.fileTitle);
        if (!fileName || !fileTitle) continue;
        LogoRecord encoded = record;
        encoded.fileName = *fileName;
        encoded.fileTitle = *fileTitle;
        text += Key(++stored) + "=" + FormatRecord(encoded) + "\r\n";
    }
    const bool saved = stored == 0 ? files.Remove(path_) : files.Replace(path_, text);
    if (saved) damage_.clear();  // the file now holds the list
    return saved;
}

std::string LogoFiles::BackupPath(int n) const {
    return path_ + ".bak" + (n > 1 ? std::to_string(n) : std::string());
}

// A backup is never written over: it may be the only copy of an earlier
// damaged file.
bool LogoFiles::KeepFoundFile(Files& files) const {
    if (!files.IsPresentFile(path_)) return true;  // gone since: nothing to keep
    const std::optional<std::string> found = files.Read(path_, kProfileFileLimit);
    if (!found) return false;
    for (int n = 1; n <= kBackupNames; ++n) {
        if (!files.IsPresentFile(BackupPath(n))) return files.Replace(BackupPath(n), *found);
    }
    return false;
}

void LogoFiles::Add(LogoRecord record) {
    records_.push_back(std::move(record));
    changed_ = true;
}

void LogoFiles::Reset() {
    records_.clear();
    changed_ = true;
}

void LogoFiles::Remove(int index) {
    Record(index);
    records_.erase(records_.begin() + (index - 1));
    changed_ = true;
}

const LogoRecord& LogoFiles::Record(int index) const {
    if (index < 1 || index > Count()) throw std::out_of_range("no logo record at that position");
    return records_[static_cast<std::size_t>(index - 1)];
}

int64_t LogoFiles::GetSizeTotal() const {
    int64_t total = 0;
    for (const LogoRecord& record : records_)
        total += record.size;
    return total;
}

std::string LogoFiles::GetUploadFileName() const {
    std::string list;
    for (const LogoRecord& record : records_)
        list += record.fileName + kSeparator;
    return list;
}

std::vector<ListRow> LogoFiles::Display() const {
    std::vector<ListRow> rows;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        rows.push_back(
            {std::to_string(i + 1), records_[i].fileTitle, std::to_string(records_[i].size)});
    }
    return rows;
}

}  // namespace orvenna
