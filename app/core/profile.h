// Profile (INI) files of our own: the text of one file, read and changed as
// Windows' profile functions read and change it, so that files written by
// either stay readable by both. Text is bytes in the system's ANSI code page.
#pragma once

#include <optional>
#include <string>

namespace orvenna {

// The section of every profile file of the program.
inline constexpr char kSection[] = "LOGO";
// The longest value ReadIniValue gives back: the platform's 255-byte buffer
// less its terminator.
inline constexpr std::size_t kIniValueLimit = 254;

class ProfileText {
  public:
    ProfileText() = default;
    explicit ProfileText(std::string text);

    // The whole value of `key` in `section`, as the platform finds it: names
    // without regard to letter case and blanks around them, the first section
    // and the first key of a name, the value trimmed and one pair of
    // surrounding quotes removed. Nothing for a missing section or key.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

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
