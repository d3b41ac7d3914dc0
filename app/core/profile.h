// Profile (INI) files of our own: the text of one file, read and changed as
// Windows' profile functions read and change it, so that files written by
// either stay readable by both. Text is bytes in the system's ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvenna {

// The section of every profile file of the program.
inline constexpr char kSection[] = "LOGO";
// The longest value ReadIniValue gives back: the platform's 255-byte buffer
// less its terminator.
inline constexpr std::size_t kIniValueLimit = 254;
// The largest profile file read: far beyond any the program writes, small
// enough to read whole.
inline constexpr std::size_t kProfileFileLimit = 64u << 20;

// How a profile file's text is written. Windows' profile functions read a
// file in the code page, and also UTF-16 and UTF-8 files that begin with
// their byte-order mark (what Notepad writes as "Unicode" and "UTF-8").
enum class TextForm { kAnsi, kUnicode };

struct ProfileBytes {
    TextForm form;
    std::string text;  // in the code page for kAnsi, UTF-8 for kUnicode; no mark
};

// The text of a file's bytes; nothing when they are not text in one of those
// forms (NUL or other control characters, broken UTF-16 or UTF-8).
std::optional<ProfileBytes> DecodeProfile(const std::string& bytes);

// A section or key name as the platform compares names: A to Z in lower case.
std::string FoldCase(std::string_view name);

// The key lines of a section, in file order, each as Value reads it.
struct SectionEntries {
    std::vector<std::pair<std::string, std::string>> keys;  // FoldCase(name), value
    // Lines that are not blank and are neither the section's header nor one
    // of its keys: other sections, comments, lines without "=".
    std::size_t otherLines = 0;
};

class ProfileText {
  public:
    ProfileText() = default;
    explicit ProfileText(std::string text);

    // The whole value of `key` in `section`, as the platform finds it: names
    // without regard to letter case and blanks around them, the first section
    // and the first key of a name, the value trimmed and one pair of
    // surrounding quotes removed. Nothing for a missing section or key.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // Every line of the text, read in one pass: the key lines of the first
    // section of that name, and how many other lines there are.
    SectionEntries Entries(const std::string& section) const;

    // Sets `key`: rewritten in its line, or appended at the end of its
    // section, or a new section at the end of the text. Every other line stays.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// Value of `key` in section "LOGO", cut to kIniValueLimit bytes; empty when
// missing.
std::string ReadIniValue(const ProfileText& file, const std::string& key);

}  // namespace orvenna
