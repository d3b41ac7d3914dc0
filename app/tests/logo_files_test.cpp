#include <gtest/gtest.h>

#include "fakes.h"
#include "logo_files.h"
#include "profile_cases.h"

namespace orvenna::test {
namespace {

constexpr char kTopFile[] = "C:\\Orvenna\\TopLogo.ini";

class LogoFilesTest : public ::testing::Test {
  protected:
    // A stored list whose keys have these values; each path's file exists.
    void Store(const std::vector<std::pair<int, std::string>>& keys) {
        std::string text = "[LOGO]\r\n";
        for (const auto& [n, value] : keys) {
            text += "Logofile" + std::to_string(n) + "=" + value + "\r\n";
            files_.logos.insert(ansi_.Decode(value.substr(0, value.find('|'))));
        }
        files_.files[kTopFile] = text;
    }
    LogoFiles Loaded() {
        LogoFiles list(kTopList, "C:\\Orvenna");
        list.Load(files_, ansi_);
        return list;
    }
    static std::string Entry(int n) {
        return "C:\\Logos\\logo" + std::to_string(n) + ".bmp|logo" + std::to_string(n) + ".bmp|" +
               std::to_string(n * 100) + "|8|" + std::to_string(n);
    }

    MemoryFiles files_;
    Latin1 ansi_;
};

TEST(LogoRecordFormat, ExactlyFiveFieldsAPathAndThreeNumbers) {
    const auto record = ParseRecord("C:\\Logos\\shop.bmp|shop.bmp|4800|96|400");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->fileName, "C:\\Logos\\shop.bmp");
    EXPECT_EQ(record->fileTitle, "shop.bmp");
    EXPECT_EQ(record->size, 4800);
    EXPECT_EQ(record->height, 96);
    EXPECT_EQ(record->width, 400);
    EXPECT_EQ(FormatRecord(*record), "C:\\Logos\\shop.bmp|shop.bmp|4800|96|400");
    EXPECT_TRUE(ParseRecord("a.bmp||-1|0|2147483647")) << "an empty title, the extremes";
    for (const char* bad :
         {"a.bmp|a.bmp|1|2", "a.bmp|a.bmp|1|2|3|4", "|a.bmp|1|2|3", "a.bmp|a.bmp|x|2|3",
          "a.bmp|a.bmp|1| 2|3", "a.bmp|a.bmp|1|2|", "a.bmp|a.bmp|1|2|2147483648",
          "a.bmp|a.bmp|1.5|2|3", "a.bmp|a.bmp|+1|2|3", ""}) {
        EXPECT_FALSE(ParseRecord(bad)) << bad;
    }
}

TEST_F(LogoFilesTest, LoadStopsAtTheFirstMissingKey) {
    Store({{1, Entry(1)}, {3, Entry(3)}});
    const LogoFiles list = Loaded();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Damage(), std::vector<ListDamage>{ListDamage::kBadEntries})
        << "Logofile3 is not read, so a rewrite would lose it";
}

TEST_F(LogoFilesTest, LoadReadsAtMost255Records) {
    std::vector<std::pair<int, std::string>> keys;
    for (int n = 1; n <= 300; ++n)
        keys.emplace_back(n, Entry(n));
    Store(keys);
    const LogoFiles list = Loaded();
    ASSERT_EQ(list.Count(), 255);
    EXPECT_EQ(list.GetWidth(255), 255);
    EXPECT_EQ(list.Damage(), std::vector<ListDamage>{ListDamage::kTooMany});
}

TEST_F(LogoFilesTest, GoneEntriesAreSkippedAndDroppedAtTheNextSave) {
    Store({{1, Entry(1)}, {2, Entry(2)}, {3, Entry(3)}});
    files_.logos.erase("C:\\Logos\\logo2.bmp");
    LogoFiles list = Loaded();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetFileName(2), "C:\\Logos\\logo3.bmp");
    EXPECT_TRUE(list.Damage().empty()) << "a logo deleted since is no damage";
    ASSERT_TRUE(list.Save(files_, ansi_));
    EXPECT_EQ(files_.files[kTopFile],
              "[LOGO]\r\nLogofile1=" + Entry(1) + "\r\nLogofile2=" + Entry(3) + "\r\n");
}

// Whatever a rewrite would lose: the entries that can be read are loaded,
// and the file is kept while the list is unchanged.
TEST_F(LogoFilesTest, WhatTheListCannotHoldIsDamage) {
    const std::string good = "Logofile1=" + Entry(1) + "\r\n";
    files_.logos.insert("C:\\Logos\\logo1.bmp");
    const struct {
        const char* name;
        std::string text;
        int count;
        std::vector<ListDamage> damage;
    } cases[] = {
        {"written by the list", "[LOGO]\r\n" + good, 1, {}},
        {"blank lines, names in any case", "\r\n[logo]\r\n\r\nLOGOFILE1=" + Entry(1), 1, {}},
        {"an empty key ends the list", "[LOGO]\r\n" + good + "Logofile2=\r\n", 1, {}},
        {"empty", "", 0, {}},
        {"an entry that does not parse",
         "[LOGO]\r\nLogofile1=a|b\r\nLogofile2=" + Entry(1),
         1,
         {ListDamage::kBadEntries}},
        {"a number beyond 32 bits",
         "[LOGO]\r\nLogofile1=a.bmp|a.bmp|99999999999|8|8\r\n",
         0,
         {ListDamage::kBadEntries}},
        {"a name no file can have",
         "[LOGO]\r\nLogofile1=C:\\" + std::string(kLongestNameBytes, 'n') + "|n|8|8|8\r\n",
         0,
         {ListDamage::kBadEntries}},
        {"a comment", "; mine\r\n[LOGO]\r\n" + good, 1, {ListDamage::kBadEntries}},
        {"another section",
         "[LOGO]\r\n" + good + "[MORE]\r\nx=1\r\n",
         1,
         {ListDamage::kBadEntries}},
        {"another key", "[LOGO]\r\n" + good + "Note=x\r\n", 1, {ListDamage::kBadEntries}},
        {"a second line of a key", "[LOGO]\r\n" + good + good, 1, {ListDamage::kBadEntries}},
        {"a line without equals", "[LOGO]\r\n" + good + "junk\r\n", 1, {ListDamage::kBadEntries}},
        {"no section", "Logofile1=" + Entry(1), 0, {ListDamage::kBadEntries}},
        {"a NUL", "[LOGO]\r\n" + good + std::string(1, '\0'), 0, {ListDamage::kNotText}},
        {"binary", "\x89PNG\r\n\x1A\n\x01\x02", 0, {ListDamage::kNotText}},
        {"UTF-8 mark, broken UTF-8",
         "\xEF\xBB\xBF[LOGO]\r\nLogofile1=\xC3(|x|8|8|8",
         0,
         {ListDamage::kNotText}},
        {"UTF-16, odd length", "\xFF\xFE[\0L\0", 0, {ListDamage::kNotText}},
        {"UTF-16, a lone surrogate",
         std::string("\xFF\xFE\x00\xD8[\0", 6),
         0,
         {ListDamage::kNotText}},
    };
    for (const auto& c : cases) {
        files_.files[kTopFile] = c.text;
        const LogoFiles list = Loaded();
        EXPECT_EQ(list.Count(), c.count) << c.name;
        EXPECT_EQ(list.Damage(), c.damage) << c.name;
    }
    files_.files[kTopFile] = "[LOGO]\r\n" + good;
    files_.unreadable.insert(kTopFile);
    EXPECT_EQ(Loaded().Damage(), std::vector<ListDamage>{ListDamage::kUnreadable});
    files_.files.erase(kTopFile);
    EXPECT_TRUE(Loaded().Damage().empty()) << "no file is an empty list";
}

// What Notepad writes as "Unicode", "Unicode big endian" and "UTF-8".
TEST_F(LogoFilesTest, UnicodeFilesAreReadAndSavedInTheCodePage) {
    const std::string text =
        "[LOGO]\r\nLogofile1=C:\\\xC3\xA9t\xC3\xA9.bmp|\xC3\xA9t\xC3\xA9.bmp|8|8|8\r\n";
    files_.logos.insert("C:\\\xC3\xA9t\xC3\xA9.bmp");
    const std::string units = Utf16Le(text);
    const std::string little = "\xFF\xFE" + units;
    std::string big = "\xFE\xFF";
    for (std::size_t i = 0; i < units.size(); i += 2) {
        big += units[i + 1];
        big += units[i];
    }
    for (const std::string& file : {little, big, "\xEF\xBB\xBF" + text}) {
        files_.files[kTopFile] = file;
        LogoFiles list = Loaded();
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetFileName(1), "C:\\\xC3\xA9t\xC3\xA9.bmp");
        EXPECT_TRUE(list.Damage().empty());
        ASSERT_TRUE(list.Save(files_, ansi_));
        EXPECT_EQ(files_.files[kTopFile],
                  "[LOGO]\r\nLogofile1=C:\\\xE9t\xE9.bmp|\xE9t\xE9.bmp|8|8|8\r\n");
    }
    // A name the code page has no form for could not be written back.
    files_.files[kTopFile] = "\xEF\xBB\xBF[LOGO]\r\nLogofile1=C:\\\xED\x95\x9C.bmp|x|8|8|8\r\n";
    files_.logos.insert("C:\\\xED\x95\x9C.bmp");
    EXPECT_EQ(Loaded().Damage(), std::vector<ListDamage>{ListDamage::kBadEntries});
}

TEST_F(LogoFilesTest, LongRecordsAreReadWhole) {
    const std::string path = "C:\\" + std::string(280, 'd') + "\\logo.bmp";
    Store({{1, path + "|logo.bmp|4800|96|400"}});
    const LogoFiles list = Loaded();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetFileName(1), path);
    EXPECT_EQ(list.GetWidth(1), 400);
}

TEST_F(LogoFilesTest, NamesTravelInTheCodePage) {
    Store({{1, "C:\\\xE9t\xE9.bmp|\xE9t\xE9.bmp|8|8|8"}});
    LogoFiles list = Loaded();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetFileName(1), "C:\\\xC3\xA9t\xC3\xA9.bmp") << "UTF-8 inside";
    // A name without an exact form in the code page is never stored changed.
    list.Add({"C:\\\xED\x95\x9C.bmp", "\xED\x95\x9C.bmp", 8, 8, 8});
    ASSERT_TRUE(list.Save(files_, ansi_));
    EXPECT_EQ(files_.files[kTopFile],
              "[LOGO]\r\nLogofile1=C:\\\xE9t\xE9.bmp|\xE9t\xE9.bmp|8|8|8\r\n");
}

TEST_F(LogoFilesTest, AnEmptyListDeletesItsFile) {
    Store({{1, Entry(1)}});
    LogoFiles list = Loaded();
    list.Remove(1);
    ASSERT_TRUE(list.Save(files_, ansi_));
    EXPECT_FALSE(files_.files.count(kTopFile));
    EXPECT_TRUE(list.Save(files_, ansi_)) << "no file to delete is no failure";
}

TEST_F(LogoFilesTest, AFileThatCannotBeWrittenStaysAsItWas) {
    Store({{1, Entry(1)}});
    const std::string before = files_.files[kTopFile];
    files_.locked.insert(kTopFile);
    LogoFiles list = Loaded();
    list.Add({"C:\\Logos\\new.bmp", "new.bmp", 8, 8, 8});
    EXPECT_FALSE(list.Save(files_, ansi_));
    EXPECT_EQ(files_.files[kTopFile], before);
    list.Reset();
    EXPECT_FALSE(list.Save(files_, ansi_)) << "nor deleted: its records would come back";
    EXPECT_EQ(files_.files[kTopFile], before);
}

TEST_F(LogoFilesTest, RecordsByPosition) {
    LogoFiles list(kBottomList, "D:\\Apps");
    EXPECT_EQ(list.Path(), "D:\\Apps\\BottomLogo.ini");
    EXPECT_EQ(list.GetSizeTotal(), 0);
    EXPECT_EQ(list.GetUploadFileName(), "");
    EXPECT_TRUE(list.Display().empty());
    list.Add({"a.bmp", "a.bmp", 10, 1, 2});
    list.Add({"b.bmp", "b.bmp", 20, 3, 4});
    list.Add({"a.bmp", "a.bmp", 30, 5, 6});
    EXPECT_EQ(list.GetUploadFileName(), "a.bmp|b.bmp|a.bmp|");
    EXPECT_EQ(list.GetSizeTotal(), 60);
    list.Remove(1);
    EXPECT_EQ(list.Display(), (std::vector<ListRow>{{"1", "b.bmp", "20"}, {"2", "a.bmp", "30"}}));
    EXPECT_EQ(list.GetHeight(2), 5);
    for (const int outside : {0, 3, -1}) {
        EXPECT_THROW(list.Remove(outside), std::out_of_range) << outside;
        EXPECT_THROW(list.GetFileName(outside), std::out_of_range) << outside;
    }
    EXPECT_EQ(list.Count(), 2);
}

}  // namespace
}  // namespace orvenna::test
