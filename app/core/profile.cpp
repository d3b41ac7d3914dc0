#include "profile.h"

#include <cstddef>
#include <string_view>

namespace orvenna {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
        return;
    }
    const int trail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(kLead[trail] | (c >> (6 * trail)));
    for (int i = trail - 1; i >= 0; --i)
        text += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

// UTF-16 in either byte order as UTF-8; nothing for an odd length or a
// surrogate without its pair.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool littleEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(littleEndian ? first | second << 8 : first << 8 | second);
    };
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
        if (c >= 0xD800 && c <= 0xDBFF) {
            i += 2;
            if (i >= bytes.size() || unit(i) < 0xDC00 || unit(i) > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i) - 0xDC00);
        }
        AppendUtf8(text, c);
    }
    return text;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        if (length == 0 || length > text.size() - i) return false;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = c << 6 | (next & 0x3F);
        }
        static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kShortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Control characters other than tab and line ends are no part of a text.
bool HasControlCharacters(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            return true;
        }
    }
    return false;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
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

std::size_t TextStart(const std::string& text) {
    return StartsWith(text, kUtf8Mark) ? kUtf8Mark.size() : 0;
}

SectionRange FindSection(const std::string& text, std::string_view section) {
    SectionRange range;
    std::size_t at = TextStart(text);
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

// The value of a key line, as the platform gives it back.
std::string ValueOf(std::string_view content) {
    return std::string(Unquoted(Trim(content.substr(content.find('=') + 1))));
}

}  // namespace

ProfileText::ProfileText(std::string text) : text_(std::move(text)) {}

std::optional<std::string> ProfileText::Value(const std::string& section,
                                              const std::string& key) const {
    const SectionRange range = FindSection(text_, section);
    if (range.header == std::string::npos) return std::nullopt;
    const auto line = FindKey(text_, range, key);
    if (!line) return std::nullopt;
    return ValueOf(line->Content(text_));
}

SectionEntries ProfileText::Entries(const std::string& section) const {
    SectionEntries entries;
    bool found = false, inside = false;
    for (std::size_t at = TextStart(text_); at < text_.size();) {
        const Line line = LineAt(text_, at);
        at = line.next;
        const std::string_view content = line.Content(text_);
        if (Trim(content).empty()) continue;
        if (const auto name = SectionName(content)) {
            inside = !found && SameName(*name, Trim(section));
            found = found || inside;
            if (!inside) ++entries.otherLines;
        } else if (const auto key = KeyName(content); inside && key) {
            entries.keys.emplace_back(FoldCase(*key), ValueOf(content));
        } else {
            ++entries.otherLines;
        }
    }
    return entries;
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

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        c = Lower(c);
    return folded;
}

std::optional<ProfileBytes> DecodeProfile(const std::string& bytes) {
    std::optional<ProfileBytes> decoded;
    if (StartsWith(bytes, kUtf16LeMark) || StartsWith(bytes, kUtf16BeMark)) {
        const auto text = Utf16ToUtf8(std::string_view(bytes).substr(2), bytes[0] == '\xFF');
        if (text) decoded = ProfileBytes{TextForm::kUnicode, *text};
    } else if (StartsWith(bytes, kUtf8Mark)) {
        const std::string text = bytes.substr(kUtf8Mark.size());
        if (IsUtf8(text)) decoded = ProfileBytes{TextForm::kUnicode, text};
    } else {
        decoded = ProfileBytes{TextForm::kAnsi, bytes};
    }
    if (decoded && HasControlCharacters(decoded->text)) decoded.reset();
    return decoded;
}

std::string ReadIniValue(const ProfileText& file, const std::string& key) {
    std::string value = file.Value(kSection, key).value_or(std::string());
    if (value.size() > kIniValueLimit) value.resize(kIniValueLimit);
    return value;
}

}  // namespace orvenna
