#include "flash_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "bmp_builder.h"
#include "engine/command_stream.h"
#include "fixtures.h"
#include "printer.h"
#include "work_dir.h"

namespace standin {
namespace {

namespace fs = std::filesystem;
using test::operator+;
namespace commands = zelmar::commands;

// A set with something in every place.
FlashSet FullSet() {
    FlashSet set;
    set.roles[0] = test::Drawn(24, 16, [](int x, int y) { return (x + y) % 3 == 0; });
    set.roles[3] = test::Drawn(8, 8, [](int x, int y) { return x == y; });
    set.margin = 2;
    set.bandLogo = test::Drawn(16, 24, [](int x, int) { return x % 2 == 0; });
    set.images = {test::Drawn(8, 16, [](int, int y) { return y < 4; }),
                  test::Drawn(16, 8, [](int x, int) { return x > 10; })};
    set.switches = {1, 0, 1, 255};
    return set;
}

// Every file below a directory with its bytes, links as their targets.
std::map<std::string, std::string> Contents(const fs::path& dir) {
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(entry.path(), dir).string();
        if (entry.is_symlink()) {
            contents[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            const Bytes bytes = zelmar::test::ReadBytes(entry.path().string());
            contents[name] = std::string(bytes.begin(), bytes.end());
        }
    }
    return contents;
}

class FlashDirectoryTest : public zelmar::test::WorkDirTest {
  protected:
    std::unique_ptr<DirectoryFlash> Open() {
        std::string error;
        std::unique_ptr<DirectoryFlash> flash = DirectoryFlash::Open(Path("flash"), error);
        EXPECT_TRUE(flash) << error;
        return flash;
    }
};

TEST_F(FlashDirectoryTest, SetsSurviveARestart) {
    FlashSet later = FullSet();
    later.images.pop_back();
    later.switches = {0, 1, 0, 0};
    {
        const auto flash = Open();
        ASSERT_TRUE(flash->WritePending(FullSet()));
        ASSERT_TRUE(flash->Reset());
        ASSERT_TRUE(flash->WritePending(later));
    }
    const auto flash = Open();
    EXPECT_EQ(flash->Pending(), later);
    EXPECT_EQ(flash->Active(), FullSet());
    // Only the two sets the links name are kept.
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("flash/sets")), fs::directory_iterator()),
              2);
    FlashSet pending;
    FlashSet active;
    std::string error;
    ASSERT_TRUE(DirectoryFlash::Read(Path("flash"), pending, active, error)) << error;
    EXPECT_EQ(pending, later);
    EXPECT_EQ(active, FullSet());
}

TEST_F(FlashDirectoryTest, ResetOfAFreshFlashMakesBothSetsEmpty) {
    const auto flash = Open();
    ASSERT_TRUE(flash->Reset());
    EXPECT_EQ(fs::read_symlink(Path("flash/active")), fs::read_symlink(Path("flash/pending")));
    EXPECT_EQ(flash->Active(), FlashSet{});
}

TEST_F(FlashDirectoryTest, OnePrinterAtATime) {
    const auto first = Open();
    std::string error;
    EXPECT_FALSE(DirectoryFlash::Open(Path("flash"), error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
}

// A flash directory whose content does not read is refused and left as it is.
TEST_F(FlashDirectoryTest, RefusesDamagedContentAndLeavesIt) {
    struct Case {
        const char* name;
        const char* file;
        std::string content;
    };
    const Case cases[] = {
        {"title", "manifest", "something else\n"},
        {"entry", "manifest", "printer-standin flash set 1\nimage-002 8 8\n"},
        {"size", "manifest", "printer-standin flash set 1\ntop-logo 24 12\n"},
        {"switch", "manifest", "printer-standin flash set 1\nswitches 1 2 3 256\n"},
        {"data", "top-logo.nv", "short"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Path("flash"));
        Open()->WritePending(FullSet());
        const fs::path set = fs::path(Path("flash")) / fs::read_symlink(Path("flash/pending"));
        zelmar::test::WriteBytes((set / c.file).string(),
                                 Bytes(c.content.begin(), c.content.end()));
        const auto before = Contents(Path("flash"));
        std::string error;
        EXPECT_FALSE(DirectoryFlash::Open(Path("flash"), error)) << c.name;
        EXPECT_NE(error.find(set.string()), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(Contents(Path("flash")), before) << c.name;
    }
    fs::remove(Path("flash/pending"));
    fs::create_symlink("/tmp", Path("flash/pending"));
    std::string error;
    EXPECT_FALSE(DirectoryFlash::Open(Path("flash"), error));
    FlashSet pending;
    FlashSet active;
    EXPECT_FALSE(DirectoryFlash::Read(Path("missing"), pending, active, error));
}

// Jobs cut short or out of bounds leave every byte of the flash as it was.
TEST_F(FlashDirectoryTest, MalformedJobsLeaveTheFlashUntouched) {
    const auto flash = Open();
    ASSERT_TRUE(flash->WritePending(FullSet()));
    ASSERT_TRUE(flash->Reset());
    const auto before = Contents(Path("flash"));
    MemoryReceipts receipts;
    MemoryTranscript transcript;
    Printer printer(*flash, receipts, transcript, PrinterConfig{});
    const Bytes role = commands::NvImageHeader(zelmar::Role::kTopLogo, 0, 16, 16) + Bytes(32, 0xFF);
    const Bytes jobs[] = {
        Bytes(role.begin(), role.end() - 1),
        commands::DefinitionPreamble(2) + commands::SizeBytes(8, 8) + Bytes(8),
        commands::DefinitionPreamble(1) + Bytes{0xFF, 0xFF, 0xFF, 0xFF} + Bytes(64),
        Bytes{0x1D, 0x5B, 0x5D, 0x40, 0x4F, 0x01},
        commands::BandPreamble() + commands::BandRecordHead(0, 8) + Bytes(7),
        Bytes{0x1D, 0x5B, 0x5D, 0x4D, 0x07, 0x30, 0x01, 0x00, 0x01, 0x00},
    };
    for (const Bytes& job : jobs) {
        EXPECT_GT(printer.RunJob("test", job).errors, 0);
        EXPECT_EQ(Contents(Path("flash")), before);
    }
    EXPECT_EQ(flash->Pending(), FullSet());
}

}  // namespace
}  // namespace standin
