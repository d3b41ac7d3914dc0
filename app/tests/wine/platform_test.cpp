// The Windows services of the window logic: our profile files against
// Windows' own profile functions, files, and the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "bmp_builder.h"
#include "platform.h"
#include "profile.h"
#include "profile_cases.h"
#include "win32/handle_owners.h"
#include "work_dir.h"

namespace orvenna::test {
namespace {

class PlatformTest : public zelmar::test::WorkDirTest {
  protected:
    std::string Store(const std::string& name, const std::string& text) {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    // What Windows reads, as the program's helper asks it: a 255-byte buffer.
    static std::string WindowsRead(const std::string& path, const char* section, const char* key) {
        char value[255] = {};
        const DWORD length =
            GetPrivateProfileStringA(section, key, "", value, sizeof value, path.c_str());
        return std::string(value, length);
    }
};

TEST_F(PlatformTest, ProfileReadsAgreeWithWindows) {
    for (const ReadCase& c : ReadCases()) {
        const std::string path = Store("read.ini", c.text);
        std::string ours = ProfileText(c.text).Value(c.section, c.key).value_or(std::string());
        if (ours.size() > kIniValueLimit) ours.resize(kIniValueLimit);
        EXPECT_EQ(ours, WindowsRead(path, c.section, c.key)) << c.name;
    }
}

// The same files as Notepad writes them in "Unicode" and "UTF-8".
TEST_F(PlatformTest, UnicodeProfileReadsAgreeWithWindows) {
    for (const ReadCase& c : ReadCases()) {
        const bool ascii = std::all_of(c.text.begin(), c.text.end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x80;
        });
        if (!ascii) continue;
        for (const std::string& bytes : {"\xFF\xFE" + Utf16Le(c.text), "\xEF\xBB\xBF" + c.text}) {
            const std::optional<ProfileBytes> decoded = DecodeProfile(bytes);
            ASSERT_TRUE(decoded) << c.name;
            EXPECT_EQ(ReadIniValue(ProfileText(decoded->text), c.key),
                      WindowsRead(Store("read.ini", bytes), c.section, c.key))
                << c.name << (bytes[0] == '\xFF' ? " UTF-16" : " UTF-8");
        }
    }
}

TEST_F(PlatformTest, ProfileWritesAgreeWithWindows) {
    for (const WriteCase& c : WriteCases()) {
        ProfileText ours(c.text);
        ours.Set(kSection, c.key, c.value);
        const std::string oursPath = Store("ours.ini", ours.Text());
        const std::string theirsPath = Store("theirs.ini", c.text);
        if (c.text.empty()) DeleteFileA(theirsPath.c_str());
        ASSERT_TRUE(WritePrivateProfileStringA(kSection, c.key, c.value, theirsPath.c_str()));
        std::ifstream in(theirsPath, std::ios::binary);
        const ProfileText theirs{std::string(std::istreambuf_iterator<char>(in), {})};
        for (const char* probe : c.probes) {
            EXPECT_EQ(WindowsRead(oursPath, kSection, probe),
                      WindowsRead(theirsPath, kSection, probe))
                << c.name << ": " << probe;
            EXPECT_EQ(theirs.Value(kSection, probe), ours.Value(kSection, probe))
                << c.name << ": " << probe;
        }
    }
}

TEST_F(PlatformTest, ReplaceWritesANewFileInThePlaceOfTheOld) {
    Win32Files files;
    const std::string path = Path("TopLogo.ini");
    ASSERT_TRUE(files.Replace(path, "[LOGO]\r\n"));
    ASSERT_TRUE(files.Replace(path, "[LOGO]\r\nLogofile1=a\r\n"));
    EXPECT_EQ(files.Read(path, kProfileFileLimit), "[LOGO]\r\nLogofile1=a\r\n");
    EXPECT_FALSE(zelmar::test::FileExists(path + ".new"));

    // A folder where the file should be: nothing is written, nothing left.
    const std::string folder = Path("Orvenna.ini");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(files.Replace(folder, "[LOGO]\r\n"));
    EXPECT_FALSE(files.IsPresentFile(folder));
    EXPECT_FALSE(zelmar::test::FileExists(folder + ".new"));
    EXPECT_FALSE(files.Read(Path("missing.ini"), kProfileFileLimit));

    EXPECT_TRUE(files.Remove(path));
    EXPECT_FALSE(files.IsPresentFile(path));
    EXPECT_TRUE(files.Remove(path)) << "nothing to delete";
}

// A list another program holds, or one too large, is no list: nothing, not
// an empty text, while the file is there.
TEST_F(PlatformTest, ReadIsWholeOrNothing) {
    Win32Files files;
    const std::string path = Store("TopLogo.ini", "[LOGO]\r\nLogofile1=a\r\n");
    EXPECT_FALSE(files.Read(path, 20)) << "one byte over the limit";
    EXPECT_EQ(files.Read(path, 21), "[LOGO]\r\nLogofile1=a\r\n");
    {
        const zelmar::win32::UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                         0, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(files.Read(path, kProfileFileLimit));
        EXPECT_TRUE(files.IsPresentFile(path));
    }
    EXPECT_TRUE(files.Read(path, kProfileFileLimit));
}

TEST_F(PlatformTest, HiddenAndSystemFilesArePresent) {
    Win32Files files;
    for (const DWORD attributes :
         {DWORD(FILE_ATTRIBUTE_NORMAL), DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM),
          DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)}) {
        const std::string path = Store("logo" + std::to_string(attributes) + ".bmp", "BM");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        EXPECT_TRUE(files.IsPresentFile(path)) << attributes;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_FALSE(files.IsPresentFile(Path("gone.bmp")));
    EXPECT_FALSE(files.IsPresentFile(Dir().string()));
}

TEST_F(PlatformTest, OnlyExactNamesTravelInTheCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the prefix's English code page";
    const Win32AnsiText ansi;
    EXPECT_EQ(ansi.Encode("C:\\Logos\\caf\xC3\xA9.bmp"), "C:\\Logos\\caf\xE9.bmp");
    EXPECT_EQ(ansi.Decode("caf\xE9"), "caf\xC3\xA9");
    EXPECT_FALSE(ansi.Encode("C:\\\xC4\x81.bmp")) << "a, best fit for a-macron";
    EXPECT_FALSE(ansi.Encode("C:\\\xED\x95\x9C.bmp")) << "Hangul";
    EXPECT_EQ(ansi.Encode(""), "");
}

}  // namespace
}  // namespace orvenna::test
