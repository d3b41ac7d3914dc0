#include <gtest/gtest.h>

#include "profile.h"
#include "profile_cases.h"

namespace orvenna::test {
namespace {

TEST(ProfileText, ReadsAsThePlatformDoes) {
    for (const ReadCase& c : ReadCases()) {
        const ProfileText file(c.text);
        std::string value = file.Value(c.section, c.key).value_or(std::string());
        if (value.size() > kIniValueLimit) value.resize(kIniValueLimit);
        EXPECT_EQ(value, c.value) << c.name;
    }
}

// One pass over the lines finds what each lookup finds.
TEST(ProfileText, EntriesAgreeWithValue) {
    for (const ReadCase& c : ReadCases()) {
        const ProfileText file(c.text);
        std::optional<std::string> first;
        for (const auto& [key, value] : file.Entries(c.section).keys) {
            if (key == FoldCase(c.key) && !first) first = value;
        }
        EXPECT_EQ(first, file.Value(c.section, c.key)) << c.name;
    }
    const ProfileText mixed(
        "; note\r\n\r\n[A]\r\nx=1\r\n[LOGO]\r\nKey=1\r\nbare\r\n[logo]\r\ny=2\r\n");
    const SectionEntries entries = mixed.Entries("LOGO");
    EXPECT_EQ(entries.keys, (std::vector<std::pair<std::string, std::string>>{{"key", "1"}}));
    EXPECT_EQ(entries.otherLines, 6u) << "comment, [A], x, bare, the second [logo], y";
}

TEST(ProfileText, DecodesTheFormsThePlatformReads) {
    const std::string text = "[LOGO]\r\nIP=caf\xC3\xA9 \xED\x95\x9C\r\n";
    std::string big;
    const std::string little = Utf16Le(text);
    for (std::size_t i = 0; i < little.size(); i += 2)
        big += std::string{little[i + 1], little[i]};
    const struct {
        const char* name;
        std::string bytes;
        std::optional<TextForm> form;  // nothing: not text
        std::string text;
    } cases[] = {
        {"code page", "[LOGO]\r\nIP=caf\xE9\t\n", TextForm::kAnsi, "[LOGO]\r\nIP=caf\xE9\t\n"},
        {"UTF-16LE", "\xFF\xFE" + little, TextForm::kUnicode, text},
        {"UTF-16BE", "\xFE\xFF" + big, TextForm::kUnicode, text},
        {"UTF-8 mark", "\xEF\xBB\xBF" + text, TextForm::kUnicode, text},
        {"a pair of surrogates", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextForm::kUnicode,
         "\xF0\x9F\x98\x80"},
        {"only a mark", "\xFF\xFE", TextForm::kUnicode, ""},
        {"empty", "", TextForm::kAnsi, ""},
        {"NUL in the code page", std::string("a\0b", 3), std::nullopt, ""},
        {"escape", "a\x1B", std::nullopt, ""},
        {"UTF-16 odd length", "\xFF\xFE" + little + "x", std::nullopt, ""},
        {"UTF-16 NUL", std::string("\xFF\xFE\0\0", 4), std::nullopt, ""},
        {"UTF-16 lone low surrogate", std::string("\xFF\xFE\x00\xDC", 4), std::nullopt, ""},
        {"UTF-16 high surrogate at the end", "\xFF\xFE\x3D\xD8", std::nullopt, ""},
        {"UTF-8 overlong", "\xEF\xBB\xBF\xC0\xAF", std::nullopt, ""},
        {"UTF-8 cut short", "\xEF\xBB\xBF\xE9\x95", std::nullopt, ""},
        {"UTF-8 surrogate", "\xEF\xBB\xBF\xED\xA0\x80", std::nullopt, ""},
        {"UTF-8 beyond U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const std::optional<ProfileBytes> decoded = DecodeProfile(c.bytes);
        ASSERT_EQ(decoded.has_value(), c.form.has_value()) << c.name;
        if (!decoded) continue;
        EXPECT_EQ(decoded->form, *c.form) << c.name;
        EXPECT_EQ(decoded->text, c.text) << c.name;
    }
}

TEST(ProfileText, WritesWhatReadsBack) {
    for (const WriteCase& c : WriteCases()) {
        const ProfileText before(c.text);
        ProfileText after(c.text);
        after.Set(kSection, c.key, c.value);
        std::string value = c.value;
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of(' ') + 1);
        EXPECT_EQ(after.Value(kSection, c.key), value) << c.name;
        for (const char* probe : c.probes) {
            const ProfileText probeName(std::string("[LOGO]\r\n") + c.key + "=1\r\n");
            if (probeName.Value(kSection, probe)) continue;  // the key written
            EXPECT_EQ(after.Value(kSection, probe), before.Value(kSection, probe)) << c.name;
        }
    }
}

TEST(ProfileText, KeepsEveryOtherLine) {
    ProfileText file("; settings\r\n[A]\r\nx=1\r\n\r\n[LOGO]\r\nPrinter=0\r\n\r\n[B]\r\ny=2\r\n");
    file.Set(kSection, "Printer", "3");
    file.Set(kSection, "Port", "1");
    EXPECT_EQ(
        file.Text(),
        "; settings\r\n[A]\r\nx=1\r\n\r\n[LOGO]\r\nPrinter=3\r\nPort=1\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(ProfileText, ANewFileIsItsSectionAndKeys) {
    ProfileText file;
    file.Set(kSection, "Printer", "0");
    file.Set(kSection, "IP", "");
    EXPECT_EQ(file.Text(), "[LOGO]\r\nPrinter=0\r\nIP=\r\n");
    ProfileText unended("[A]\r\nx=1");
    unended.Set(kSection, "Port", "2");
    EXPECT_EQ(unended.Text(), "[A]\r\nx=1\r\n[LOGO]\r\nPort=2\r\n");
}

}  // namespace
}  // namespace orvenna::test
