#include "profile.h"

#include <cstddef>
#include <string_view>

namespace orvenna {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of the text: where it starts, where its content ends (before CR
// LF or LF) and where the next line starts.
struct Line {
    std::size_t begin, end, next;
    std::string_view Content(const std::string& text) const {
        return std::string_view(text).substr(begin, end - begin);
    }
};

Line LineAt(const std::string& text, std::size_t begin) {
    std::size_t next = text.find('\n', begin);
    next = next == std::string::npos ? text.size() : next + 1;
    std::size_t end = next;
    if (end > begin && text[end - 1] == '\n') --end;
    if (end > begin && text[end - 1] == '\r') --end;
    return {begin, end, next};
}

// The section name of a section line, or nothing.
std::optional<std::string_view> SectionName(std::string_view content) {
    content = Trim(content);
    if (content.empty() || content.front() != '[') return std::nullopt;
    const std::size_t close = content.find(']');
    return Trim(content.substr(1, close == std::string_view::npos ? close : close - 1));
}

// The key name of a key line, or nothing (comments, lines without "=").
std::optional<std::string_view> KeyName(std::string_view content) {
    if (!content.empty() && content.front() == ';') return std::nullopt;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Trim(content.substr(0, equals));
}

// Where a section's lines run: from the line after its header to the next
// header (or the end). Only the first section of a name counts.
struct SectionRange {
    std::size_t header = std::string::npos, begin = 0, end = 0;
};

SectionRange FindSection(const std::string& text, std::string_view section) {
    SectionRange range;
    std::size_t at = text.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0 ? kUtf8Mark.size() : 0;
    while (at < text.size()) {
        const Line line = LineAt(text, at);
        const auto name = SectionName(line.Content(text));
        if (name && range.header != std::string::npos) {
            range.end = line.begin;
            return range;
        }
        if (name && SameName(*name, Trim(section))) {
            range.header = line.begin;
            range.begin = line.next;
        }
        at = line.next;
    }
    range.end = text.size();
    return range;
}

std::optional<Line> FindKey(const std::string& text, const SectionRange& range,
                            std::string_view key) {
    for (std::size_t at = range.begin; at < range.end;) {
        const Line line = LineAt(text, at);
        const auto name = KeyName(line.Content(text));
        if (name && SameName(*name, Trim(key))) return line;
        at = line.next;
    }
    return std::nullopt;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

ProfileText::ProfileText(std::string text) : text_(std::move(text)) {}

std::optional<std::string> ProfileText::Value(const std::string& section,
                                              const std::string& key) const {
    const SectionRange range = FindSection(text_, section);
    if (range.header == std::string::npos) return std::nullopt;
    const auto line = FindKey(text_, range, key);
    if (!line) return std::nullopt;
    const std::string_view content = line->Content(text_);
    return std::string(Unquoted(Trim(content.substr(content.find('=') + 1))));
}

void ProfileText::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string entry = std::string(Trim(key)) + "=" + std::string(Trim(value));
    const SectionRange range = FindSection(text_, section);
    if (range.header == std::string::npos) {
        if (!text_.empty() && text_.back() != '\n') text_ += "\r\n";
        text_ += "[" + section + "]\r\n" + entry + "\r\n";
        return;
    }
    if (const auto line = FindKey(text_, range, key)) {
        text_.replace(line->begin, line->end - line->begin, entry);
        return;
    }
    // After the section's last line that is not blank, as the platform does.
    std::size_t insert = range.begin;
    for (std::size_t at = range.begin; at < range.end;) {
        const Line line = LineAt(text_, at);
        if (!Trim(line.Content(text_)).empty()) insert = line.next;
        at = line.next;
    }
    std::string inserted = entry + "\r\n";
    if (insert > 0 && text_[insert - 1] != '\n') inserted.insert(0, "\r\n");
    text_.insert(insert, inserted);
}

std::string ReadIniValue(const ProfileText& file, const std::string& key) {
    std::string value = file.Value(kSection, key).value_or(std::string());
    if (value.size() > kIniValueLimit) value.resize(kIniValueLimit);
    return value;
}

}  // namespace orvenna
