#include "logo_files.h"

#include <charconv>
#include <stdexcept>

#include "profile.h"

namespace orvenna {

const ListDescriptor kTopList = {"\\TopLogo.ini", "Top Logo"};
const ListDescriptor kBottomList = {"\\BottomLogo.ini", "Bottom Logo"};

namespace {

constexpr char kKeyPrefix[] = "Logofile";
constexpr char kSeparator = '|';

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

}  // namespace

std::optional<LogoRecord> ParseRecord(const std::string& value) {
    const std::vector<std::string> fields = Split(value);
    if (fields.size() != 5 || fields[0].empty()) return std::nullopt;
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
    const ProfileText file(files.Read(path_).value_or(std::string()));
    for (int n = 1; n <= kMaxStoredRecords; ++n) {
        const std::string value =
            file.Value(kSection, kKeyPrefix + std::to_string(n)).value_or(std::string());
        if (value.empty()) break;
        std::optional<LogoRecord> record = ParseRecord(value);
        if (!record) continue;
        record->fileName = ansi.Decode(record->fileName);
        record->fileTitle = ansi.Decode(record->fileTitle);
        if (files.IsPresentFile(record->fileName)) records_.push_back(std::move(*record));
    }
}

bool LogoFiles::Save(Files& files, const AnsiText& ansi) const {
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
        text += kKeyPrefix + std::to_string(++stored) + "=" + FormatRecord(encoded) + "\r\n";
    }
    return stored == 0 ? files.Remove(path_) : files.Replace(path_, text);
}

void LogoFiles::Add(LogoRecord record) {
    records_.push_back(std::move(record));
}

void LogoFiles::Remove(int index) {
    Record(index);
    records_.erase(records_.begin() + (index - 1));
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
