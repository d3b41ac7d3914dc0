// The printer-driver link: the driver's configuration record, the printer
// lookup and the raw submission, against printers in memory.
#include <gtest/gtest.h>

#include "fakes.h"
#include "links/driver_link.h"
#include "recorded_messages.h"

namespace zelmar::links {
namespace {

using test::FakeSpooler;

std::uint32_t WordAt(const Bytes& record, std::size_t offset) {
    return GetU32(&record.at(offset));
}

TEST(DeviceConfigTest, DefaultRecordHoldsTheDriversFieldsAndZerosElsewhere) {
    const std::map<std::size_t, std::uint32_t> listed = {
        {0x000, 8}, {0x004, 1252}, {0x008, 1},   {0x4A0, 1},   {0x4A4, 1},
        {0x4A8, 1}, {0x4C0, 150},  {0x4C4, 150}, {0x4C8, 150}, {0x4CC, 150},
    };
    for (bool host64 : {true, false}) {
        const Bytes record = DeviceConfig::Default(host64).Data();
        ASSERT_EQ(record.size(), 1472u);
        for (std::size_t offset = 0; offset < record.size(); offset += 4) {
            const auto found = listed.find(offset);
            EXPECT_EQ(WordAt(record, offset), found == listed.end() ? 0u : found->second)
                << "offset " << std::hex << offset << (host64 ? " on 64-bit" : " on 32-bit");
        }
    }
}

TEST(DeviceConfigTest, OnlyABinaryRecordOfTheRightSizeAndVersionIsUsed) {
    Bytes good = DeviceConfig::Default(true).Data();
    good[0x5B0] = 0x77;  // a reference of the driver's own: kept as it is
    Bytes otherVersion = good;
    otherVersion[0] = 7;
    struct Case {
        const char* name;
        std::optional<std::uint32_t> type;
        Bytes stored;
        bool kept;
    };
    const Case cases[] = {
        {"as stored", kBinaryType, good, true},
        {"missing", std::nullopt, {}, false},
        {"string type", 1, good, false},
        {"short", kBinaryType, Bytes(good.begin(), good.end() - 1), false},
        {"long", kBinaryType,
         [&] {
             Bytes b = good;
             b.push_back(0);
             return b;
         }(),
         false},
        {"version 7", kBinaryType, otherVersion, false},
    };
    for (const Case& c : cases) {
        const Bytes repaired = DeviceConfig::Repaired(c.type, c.stored, true).Data();
        EXPECT_EQ(repaired, c.kept ? good : DeviceConfig::Default(true).Data()) << c.name;
    }
}

TEST(DeviceConfigTest, UploadTurnsOnWhatIsUploadedAndNeverClearsASwitch) {
    const Bytes image1 = {0x1C, 0x70, 0x01, 0x30}, image2 = {0x1C, 0x70, 0x02, 0x30};
    struct Case {
        bool top, bottom;
        Bytes topCommand, bottomCommand;
    };
    const Case cases[] = {
        {true, true, image1, image2},
        {true, false, image1, {}},
        {false, true, {}, image1},  // the only image is NV image 1
        {false, false, {}, {}},
    };
    for (const Case& c : cases) {
        DeviceConfig config = DeviceConfig::Default(true);
        config.ApplyUpload(c.top, c.bottom);
        EXPECT_EQ(config.Command(Logo::kTop), c.topCommand);
        EXPECT_EQ(config.Command(Logo::kBottom), c.bottomCommand);
        EXPECT_EQ(config.Switch(Logo::kTop), c.top);
        EXPECT_EQ(config.Switch(Logo::kBottom), c.bottom);
        // A logo that is off keeps its switch: only its command goes.
        config.ApplyUpload(true, true);
        config.ApplyUpload(c.top, c.bottom);
        EXPECT_TRUE(config.Switch(Logo::kTop));
        EXPECT_TRUE(config.Switch(Logo::kBottom));
        EXPECT_EQ(config.Command(Logo::kTop), c.topCommand);
    }
}

TEST(DeviceConfigTest, EraseSwitchesBothOffAndClearsTheirCommands) {
    DeviceConfig config = DeviceConfig::Default(true);
    config.ApplyUpload(true, true);
    config.ApplyErase();
    const Bytes record = config.Data();
    EXPECT_FALSE(config.Switch(Logo::kTop));
    EXPECT_FALSE(config.Switch(Logo::kBottom));
    EXPECT_EQ(record, DeviceConfig::Default(true).Data()) << "command areas and lengths cleared";
}

TEST(DriverLinkTest, PrintersAreFoundByTheBeginningOfTheirName) {
    FakeSpooler spooler;
    spooler.Add("NX-A11");
    spooler.Add("NX-A11 (copy 1)");
    spooler.Add("Other");
    zelmar::test::RecordedMessages messages;
    EXPECT_EQ(CountPrinters(spooler, messages, "NX-A11"), 2u);
    EXPECT_EQ(CountPrinters(spooler, messages, "NX-A"), 2u);
    EXPECT_EQ(CountPrinters(spooler, messages, "nx-a11"), 0u) << "compared exactly";
    EXPECT_EQ(CountPrinters(spooler, messages, ""), 3u);
    EXPECT_TRUE(messages.shown.empty());
    spooler.failListing = true;
    EXPECT_EQ(CountPrinters(spooler, messages, "NX-A11"), 0u);
    EXPECT_EQ(messages.shown,
              std::vector<std::string>{"EnumPrinters() Error: EnumPrinters() failed"});
}

TEST(DriverLinkTest, JobsGoInBlocksOf4096Bytes) {
    for (const auto& [size, writes] : std::vector<std::pair<std::size_t, std::vector<std::size_t>>>{
             {2, {2}}, {4096, {4096}}, {4097, {4096, 1}}, {10000, {4096, 4096, 1808}}}) {
        FakeSpooler spooler;
        FakeSpooler::Printer& printer = spooler.Add("NX-A11");
        Bytes job(size);
        for (std::size_t i = 0; i < size; ++i)
            job[i] = static_cast<std::uint8_t>(i * 7);
        ASSERT_TRUE(SubmitRawJob(spooler, "nx-a11", job).ok());
        ASSERT_EQ(printer.documents.size(), 1u);
        EXPECT_EQ(printer.documents[0], job);
        EXPECT_EQ(printer.writes[0], writes);
        EXPECT_EQ(spooler.calls.front(), "document LogoDocument");
    }
}

TEST(DriverLinkTest, SubmissionFailures) {
    struct Case {
        const char* name;
        std::string printer;
        std::function<void(FakeSpooler&)> fault;
        LinkError error;
    };
    const Case cases[] = {
        {"a prefix does not open", "NX-A", [](FakeSpooler&) {}, LinkError::kOpen},
        {"no document", "NX-A11", [](FakeSpooler& s) { s.failStart = true; }, LinkError::kWrite},
        {"a block refused", "NX-A11", [](FakeSpooler& s) { s.failWrite = 2; }, LinkError::kWrite},
        {"no end", "NX-A11", [](FakeSpooler& s) { s.failEnd = true; }, LinkError::kWrite},
    };
    for (const Case& c : cases) {
        FakeSpooler spooler;
        FakeSpooler::Printer& printer = spooler.Add("NX-A11");
        c.fault(spooler);
        EXPECT_EQ(SubmitRawJob(spooler, c.printer, Bytes(5000, 1)).error, c.error) << c.name;
        EXPECT_TRUE(printer.documents.empty()) << c.name;
    }
}

TEST(DriverLinkTest, TheRecordIsRepairedEditedAndWrittenBack) {
    FakeSpooler spooler;
    FakeSpooler::Printer& printer = spooler.Add("NX-A11");
    printer.data[kDeviceConfigName] = {kBinaryType, Bytes(100, 0xEE)};  // malformed
    ASSERT_TRUE(EditDeviceConfig(spooler, "NX-A11", true, [](DeviceConfig& config) {
                    config.ApplyUpload(true, false);
                }).ok());
    const auto& [type, stored] = printer.data[kDeviceConfigName];
    EXPECT_EQ(type, kBinaryType);
    DeviceConfig expected = DeviceConfig::Default(true);
    expected.ApplyUpload(true, false);
    EXPECT_EQ(stored, expected.Data());

    printer.fullAccess = false;
    EXPECT_EQ(EditDeviceConfig(spooler, "NX-A11", true, [](DeviceConfig&) {}).error,
              LinkError::kOpen);
    printer.fullAccess = true;
    spooler.failSet = true;
    EXPECT_EQ(EditDeviceConfig(spooler, "NX-A11", true, [](DeviceConfig&) {}).error,
              LinkError::kWrite);
}

}  // namespace
}  // namespace zelmar::links
