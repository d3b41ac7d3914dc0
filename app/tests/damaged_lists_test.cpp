// List files the program did not understand whole: shown as far as they can
// be read, named once at start-up, and never written over unless the user
// changed the list, and then kept beside the new file.
#include <gtest/gtest.h>

#include <cctype>

#include "presenter_fixture.h"
#include "profile_cases.h"
#include "texts.h"

namespace orvenna::test {
namespace {

constexpr char kLogo[] = "C:\\Logos\\top.bmp";
const std::string kGood = std::string(kLogo) + "|top.bmp|4800|96|400";

std::string List(const std::vector<std::string>& values) {
    std::string text = "[LOGO]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += "Logofile" + std::to_string(i + 1) + "=" + values[i] + "\r\n";
    return text;
}

std::string Noise() {
    std::string bytes;
    unsigned state = 2463534242u;
    for (int i = 0; i < 4096; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes += static_cast<char>(state & 0xFF);
    }
    return bytes;
}

std::string TooMany() {
    std::vector<std::string> values(300, kGood);
    return List(values);
}

struct DamagedCase {
    const char* name;
    std::string bytes;
    bool unreadable;  // another program holds it
    TextId reason;
    std::size_t rows;
};

std::ostream& operator<<(std::ostream& out, const DamagedCase& c) {
    return out << c.name;
}

class DamagedListTest : public PresenterTest, public ::testing::WithParamInterface<DamagedCase> {
  protected:
    void SetUp() override {
        PresenterTest::SetUp();
        files_.files[kTop] = GetParam().bytes;
        if (GetParam().unreadable) files_.unreadable.insert(kTop);
        files_.logos.insert(kLogo);
        Knows(kLogo, 24, 96, 400);
    }
    std::string Told(TextId reason) const {
        return std::string("Top Logo (") + kTop + "): " + Text(Language::kEnglish, reason) +
               "\r\n\r\n" + Text(Language::kEnglish, TextId::kListsKept);
    }
};

TEST_P(DamagedListTest, IsToldOnceAndStaysByteForByte) {
    Start();
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].text, Told(GetParam().reason));
    EXPECT_EQ(view_.shown[0].caption, "Orvenna Version 1.01");
    EXPECT_EQ(view_.shown[0].icon, Icon::kWarning);
    EXPECT_EQ(view_.rows[Panel::kTop].size(), GetParam().rows);
    presenter_.Close();
    EXPECT_EQ(view_.shown.size(), 1u) << "nothing more at closing";
    EXPECT_EQ(files_.files[kTop], GetParam().bytes);
    EXPECT_FALSE(files_.files.count(std::string(kTop) + ".bak"));
    EXPECT_TRUE(files_.files.count(kSettings)) << "the settings are saved as ever";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedListTest,
    ::testing::Values(
        DamagedCase{"UTF-16 with a name outside the code page",
                    "\xFF\xFE" + Utf16Le(List({"C:\\Logos\\\xED\x95\x9C.bmp|\xED\x95\x9C.bmp|8|8|8",
                                               kGood})),
                    false, TextId::kListBadEntries, 1},
        DamagedCase{"UTF-16 cut short", "\xFF\xFE" + Utf16Le(List({kGood})) + "x", false,
                    TextId::kListNotText, 0},
        DamagedCase{"binary noise", Noise(), false, TextId::kListNotText, 0},
        DamagedCase{"a huge value", List({"C:\\" + std::string(1 << 20, 'x') + "|x|8|8|8"}), false,
                    TextId::kListBadEntries, 0},
        DamagedCase{"an unreadable first entry, a good second", List({"C:\\a.bmp|a.bmp|x", kGood}),
                    false, TextId::kListBadEntries, 1},
        DamagedCase{"held by another program", List({kGood}), true, TextId::kListUnreadable, 0},
        DamagedCase{"more than 255 entries", TooMany(), false, TextId::kListTooMany, 255}),
    [](const auto& param) {
        std::string name;
        for (const char* c = param.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

// A Unicode file that the code page can hold is read, and saved as ever.
TEST_F(PresenterTest, ANotepadUnicodeListIsRead) {
    const std::string list = List({kGood});
    files_.files[kTop] = "\xFF\xFE" + Utf16Le(list);
    files_.logos.insert(kLogo);
    Knows(kLogo, 24, 96, 400);
    Start();
    EXPECT_TRUE(view_.shown.empty());
    EXPECT_EQ(view_.rows[Panel::kTop], (std::vector<ListRow>{{"1", "top.bmp", "4800"}}));
    presenter_.Close();
    EXPECT_EQ(files_.files[kTop], list);
}

class ChangedDamagedListTest : public PresenterTest {
  protected:
    const std::string found_ = List({"broken", kGood});
    const std::string backup_ = std::string(kTop) + ".bak";
    const std::string added_ = List({"C:\\Logos\\new.bmp|new.bmp|4800|96|400"});

    void SetUp() override {
        PresenterTest::SetUp();
        files_.files[kTop] = found_;
        files_.logos.insert(kLogo);
        Knows(kLogo, 24, 96, 400);
    }
    void RemoveTheLogo() {
        view_.answers.push_back(Answer::kYes);
        presenter_.RemoveFile(Panel::kTop);
    }
    void AddANewLogo() {
        Choose("C:\\Logos\\new.bmp", 24, 96, 400);
        presenter_.AddFile(Panel::kTop);
    }
};

TEST_F(ChangedDamagedListTest, IsSavedWithTheFoundFileKeptBesideIt) {
    Start();
    RemoveTheLogo();
    AddANewLogo();
    presenter_.EndSession();
    presenter_.Close();
    EXPECT_EQ(files_.files[backup_], found_);
    EXPECT_EQ(files_.files[kTop], added_);
    EXPECT_FALSE(files_.files.count(backup_ + "2")) << "the second save found a sound file";
    EXPECT_EQ(view_.shown.size(), 2u) << "start-up's message and the removal's question";
}

TEST_F(ChangedDamagedListTest, AnEmptiedListDeletesTheFileButNotItsBackup) {
    Start();
    RemoveTheLogo();
    presenter_.Close();
    EXPECT_EQ(files_.files[backup_], found_);
    EXPECT_FALSE(files_.files.count(kTop));
}

TEST_F(ChangedDamagedListTest, AnEarlierBackupIsNotWrittenOver) {
    files_.files[backup_] = "earlier";
    Start();
    RemoveTheLogo();
    presenter_.Close();
    EXPECT_EQ(files_.files[backup_], "earlier");
    EXPECT_EQ(files_.files[backup_ + "2"], found_);
}

TEST_F(ChangedDamagedListTest, AFileReadableAgainAtClosingIsKept) {
    files_.unreadable.insert(kTop);
    Start();
    EXPECT_TRUE(view_.rows[Panel::kTop].empty());
    AddANewLogo();
    files_.unreadable.clear();
    presenter_.Close();
    EXPECT_EQ(files_.files[backup_], found_);
    EXPECT_EQ(files_.files[kTop], added_);
}

// No backup, no rewrite: the file stays and the closing says so.
TEST_F(ChangedDamagedListTest, AFileThatCannotBeKeptIsNotWrittenOver) {
    for (const bool stillHeld : {true, false}) {
        SCOPED_TRACE(stillHeld ? "still held" : "backup cannot be written");
        files_.files.erase(backup_);
        files_.locked.clear();
        files_.unreadable.clear();
        Presenter presenter(view_, services());
        view_.shown.clear();
        if (stillHeld) files_.unreadable.insert(kTop);
        presenter.Create();
        presenter.Start();
        Choose("C:\\Logos\\new.bmp", 24, 96, 400);
        presenter.AddFile(Panel::kTop);
        if (!stillHeld) files_.locked.insert(backup_);
        presenter.Close();
        EXPECT_EQ(files_.files[kTop], found_);
        EXPECT_FALSE(files_.files.count(backup_));
        ASSERT_FALSE(view_.shown.empty());
        EXPECT_EQ(view_.shown.back().text,
                  Text(Language::kEnglish, TextId::kListsNotSaved) + "\r\nTop Logo (" + kTop + ")");
    }
}

TEST_F(PresenterTest, BothDamagedListsAreNamedInOneKoreanMessage) {
    environment_.printers = {"NX-A11"};
    environment_.codePage = 949;
    files_.files[kTop] = Noise();
    files_.files[kBottom] = TooMany();
    files_.logos.insert(kLogo);
    Start();
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].text, std::string("Top Logo (") + kTop +
                                       "): " + Text(Language::kKorean, TextId::kListNotText) +
                                       "\r\nBottom Logo (" + kBottom +
                                       "): " + Text(Language::kKorean, TextId::kListTooMany) +
                                       "\r\n\r\n" + Text(Language::kKorean, TextId::kListsKept));
    EXPECT_NE(Text(Language::kKorean, TextId::kListsKept),
              Text(Language::kEnglish, TextId::kListsKept));
}

}  // namespace
}  // namespace orvenna::test
