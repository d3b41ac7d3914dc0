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
