// PrintDriverUpload and EraserAll against printer queues in memory.
#include "methods/driver_methods.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bmp_builder.h"
#include "engine/upload_forms.h"
#include "fakes.h"
#include "links/driver_link.h"
#include "recorded_messages.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using links::DeviceConfig;
using links::Logo;
using links::test::FakeClock;
using links::test::FakeSpooler;
using links::test::FixedSystem;
using test::ReadBytes;

class DriverMethodsTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        printer_ = &spooler_.Add("NX-A11");
        top_ = Picture("top.bmp", 24, 16, [](int x, int y) { return (x + y) % 3 == 0; });
        bottom_ = Picture("bottom.bmp", 16, 8, [](int x, int) { return x < 4; });
    }
    std::string Picture(const std::string& name, int width, int height, const test::Dots& dot) {
        test::WriteBytes(Path(name), test::MakeDotsBmp(width, height, dot));
        return Path(name);
    }
    int32_t Upload(const std::string& printer, const std::string& list, int16_t top = 1,
                   int16_t bottom = 1) {
        return PrintDriverUpload(Context(), printer, list, top, bottom, {1, 5, 0}, Recorder());
    }
    int32_t Erase(int16_t mode) { return EraserAll(Context(), "NX-A11", mode, Recorder()); }
    DeviceContext Context() { return {clock_, system_, messages_, &spooler_}; }
    ProgressFn Recorder() {
        return [this](int32_t data) { progress_.push_back(data); };
    }
    Bytes StoredRecord() { return printer_->data[links::kDeviceConfigName].second; }

    FakeSpooler spooler_;
    FakeSpooler::Printer* printer_ = nullptr;
    FakeClock clock_;
    FixedSystem system_;
    test::RecordedMessages messages_;
    std::vector<int32_t> progress_;
    std::string top_, bottom_;
};

TEST_F(DriverMethodsTest, UploadSendsTheDefinitionThenTellsTheDriver) {
    ASSERT_EQ(Upload("NX-A11", top_ + "|" + bottom_ + "|"), 0);
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2}));
    BufferSink expected;
    ASSERT_EQ(
        WriteDefinitionFile({top_, bottom_}, {ToneMethod::kDiffusion, 5, 0}, expected, nullptr),
        FormStatus::kDone);
    EXPECT_EQ(ReadBytes(Path("TempImage.out")), expected.bytes);
    ASSERT_EQ(printer_->documents.size(), 1u);
    EXPECT_EQ(printer_->documents[0], expected.bytes);
    // Lookup, the job, then the record: read, edited, written back.
    EXPECT_EQ(spooler_.calls.front(), "list");
    EXPECT_EQ(spooler_.calls[1], "document LogoDocument");
    const std::vector<std::string> last(spooler_.calls.end() - 4, spooler_.calls.end());
    EXPECT_EQ(last, (std::vector<std::string>{"end", "data", "get TTY DeviceConfig",
                                              "set TTY DeviceConfig"}));
    DeviceConfig config = DeviceConfig::Default(true);
    config.ApplyUpload(true, true);
    EXPECT_EQ(StoredRecord(), config.Data());
    EXPECT_EQ(clock_.sleeps, std::vector<std::uint32_t>{100});
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(DriverMethodsTest, TheJobOfOneDotInBytes) {
    ASSERT_EQ(Upload("NX-A11", Picture("dot.bmp", 1, 1, [](int, int) { return true; }) + "|"), 0);
    const Bytes expected = {
        0x1B, 0x40,                                      // ESC @: initialise
        0x1C, 0x71, 0x01,                                // FS q 1: define one NV image
        0x01, 0x00, 0x01, 0x00,                          // 1 x 1 bytes: 8 x 8 dots
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // the dot at the bottom of column 0
    };
    EXPECT_EQ(ReadBytes(Path("TempImage.out")), expected);
    ASSERT_EQ(printer_->documents.size(), 1u);
    EXPECT_EQ(printer_->documents[0], expected);
}

TEST_F(DriverMethodsTest, TheHostDecidesTheDefaultRecord) {
    system_ = FixedSystem(false, false);
    ASSERT_EQ(Upload("NX-A11", bottom_ + "|", 0, 1), 0);
    DeviceConfig config = DeviceConfig::Default(false);
    config.ApplyUpload(false, true);
    EXPECT_EQ(StoredRecord(), config.Data());
    EXPECT_EQ(config.Command(Logo::kBottom), (Bytes{0x1C, 0x70, 0x01, 0x30}));
}

TEST_F(DriverMethodsTest, NothingIsSentOrEditedForABadArgument) {
    struct Case {
        const char* name;
        std::string printer;
        std::string list;
        int32_t status;
    };
    const Case cases[] = {
        {"no printer begins so", "NX-B", top_ + "|", -5},
        {"no image", "NX-A11", top_, -4},
        {"an image does not load", "NX-A11", top_ + "|" + Path("gone.bmp") + "|", -4},
        {"not a bitmap", "NX-A11", Path("TempImage.out") + "|", -4},
        // Passes the lookup, but the spooler opens whole names only.
        {"a name that is only a prefix", "NX-A1", top_ + "|", -1},
    };
    for (const Case& c : cases) {
        test::WriteBytes(Path("TempImage.out"), Bytes{1, 2, 3});
        spooler_.calls.clear();
        EXPECT_EQ(Upload(c.printer, c.list), c.status) << c.name;
        EXPECT_TRUE(printer_->documents.empty()) << c.name;
        EXPECT_TRUE(printer_->data.empty()) << c.name << ": the record is left alone";
        if (c.status != -1) {
            EXPECT_EQ(ReadBytes(Path("TempImage.out")), (Bytes{1, 2, 3})) << c.name;
        }
    }
}

TEST_F(DriverMethodsTest, TheRecordIsEditedOnlyAfterTheJobWentOut) {
    struct Case {
        const char* name;
        std::function<void()> fault;
        int32_t status;
        bool sent, edited;
    };
    const Case cases[] = {
        {"the document is refused", [&] { spooler_.failStart = true; }, -4, false, false},
        {"a block is refused", [&] { spooler_.failWrite = 1; }, -4, false, false},
        {"the document does not end", [&] { spooler_.failEnd = true; }, -4, false, false},
        // The images went out but the driver was not told: the user must know.
        {"no full access", [&] { printer_->fullAccess = false; }, -1, true, false},
        {"the record is refused", [&] { spooler_.failSet = true; }, -4, true, false},
    };
    for (const Case& c : cases) {
        spooler_ = FakeSpooler();
        printer_ = &spooler_.Add("NX-A11");
        c.fault();
        EXPECT_EQ(Upload("NX-A11", top_ + "|"), c.status) << c.name;
        EXPECT_EQ(printer_->documents.size(), c.sent ? 1u : 0u) << c.name;
        EXPECT_EQ(printer_->data.count(links::kDeviceConfigName), c.edited ? 1u : 0u) << c.name;
    }
}

TEST_F(DriverMethodsTest, AJobFileThatCannotBeWrittenSendsNothing) {
    ASSERT_TRUE(std::filesystem::create_directory(Path("TempErase.out")));
    EXPECT_EQ(Erase(1), -4);
    EXPECT_EQ(messages_.shown, std::vector<std::string>{"Error: File Open Failed"});
    EXPECT_TRUE(printer_->documents.empty());
    EXPECT_TRUE(printer_->data.empty());
}

TEST_F(DriverMethodsTest, EraseAllErasesAndSwitchesTheLogosOff) {
    ASSERT_EQ(Upload("NX-A11", top_ + "|" + bottom_ + "|"), 0);
    progress_.clear();
    ASSERT_EQ(Erase(1), 0);
    EXPECT_TRUE(progress_.empty());
    EXPECT_EQ(ReadBytes(Path("TempErase.out")), (Bytes{0x1C, 0x65}));
    EXPECT_EQ(printer_->documents.back(), (Bytes{0x1C, 0x65}));
    DeviceConfig erased = DeviceConfig::Default(true);
    erased.ApplyErase();
    EXPECT_EQ(StoredRecord(), erased.Data());
}

TEST_F(DriverMethodsTest, EraseAllModeZeroPrintsEveryImageAndKeepsTheSettings) {
    ASSERT_EQ(Upload("NX-A11", top_ + "|"), 0);
    const Bytes uploaded = StoredRecord();
    progress_.clear();
    ASSERT_EQ(Erase(0), 0);
    ASSERT_EQ(progress_.size(), 255u);
    EXPECT_EQ(progress_.front(), 1);
    EXPECT_EQ(progress_.back(), 255);
    const Bytes printAll = ReadBytes(Path("TempPrint.out"));
    EXPECT_EQ(printAll.size(), 1024u);
    EXPECT_EQ(printer_->documents.back(), printAll);
    EXPECT_EQ(StoredRecord(), uploaded);
}

TEST_F(DriverMethodsTest, EveryMethodNeedsAKnownPrinterFirst) {
    EXPECT_EQ(EraserAll(Context(), "Unknown", 1, nullptr), -5);
    spooler_.failListing = true;
    EXPECT_EQ(EraserAll(Context(), "NX-A11", 0, nullptr), -5);
    EXPECT_EQ(messages_.shown,
              std::vector<std::string>{"EnumPrinters() Error: EnumPrinters() failed"});
    EXPECT_FALSE(test::FileExists(Path("TempPrint.out")));
    DeviceContext none{clock_, system_, messages_, nullptr};
    EXPECT_EQ(PrintDriverUpload(none, "NX-A11", top_ + "|", 1, 0, {}, nullptr), -5);
}

}  // namespace
}  // namespace zelmar
