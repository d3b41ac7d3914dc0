// PrintDriverUpload and EraserAll through the control's dispatch interface,
// against printer queues of the Wine prefix whose ports are files of the
// test: the job reaches the port byte for byte, the stand-in printer stores
// what it says, and the queue's driver configuration says what to print.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "bmp_builder.h"
#include "com_test.h"
#include "dispatch_ids.h"
#include "engine/upload_forms.h"
#include "links/device_config.h"
#include "print_queue.h"
#include "wine_paths.h"

namespace zelmar::test {
namespace {

using links::DeviceConfig;
using links::Logo;

class DriverTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        port_ = Path("port.bin");
        queue_ = std::make_unique<PrintQueue>("NX-A11", port_);
        other_ = std::make_unique<PrintQueue>("NX-A11 Second Floor", Path("other.bin"));
        top_ = Picture("top.bmp", 48, 24, [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; });
        bottom_ = Picture("bottom.bmp", 32, 16, [](int x, int y) { return x == y || x < 2; });
    }
    void TearDown() override {
        queue_.reset();
        other_.reset();
        ControlTest::TearDown();
    }
    std::string Picture(const std::string& name, int width, int height, const Dots& dot) {
        WriteBytes(Path(name), MakeDotsBmp(width, height, dot));
        return Path(name);
    }
    // Wine writes a job over a port file of a Windows path without cutting it
    // short: each job starts with none.
    void FreshPort() { DeleteFileA(port_.c_str()); }
    LONG Upload(const std::wstring& printer, const std::string& list, SHORT top, SHORT bottom) {
        FreshPort();
        Arguments arguments;
        arguments.Text(printer).Text(Wide(list)).Text(L"").Text(L"");
        arguments.Short(top).Short(bottom).Short(1).Short(5).Short(0);
        return Status(ZELMAR_DISPID_PRINT_DRIVER_UPLOAD, arguments);
    }
    LONG Erase(SHORT mode) {
        FreshPort();
        Arguments arguments;
        arguments.Text(L"NX-A11").Short(mode);
        return Status(ZELMAR_DISPID_ERASER_ALL, arguments);
    }
    // The queue's driver configuration, as the driver reads it.
    Bytes StoredRecord() {
        HANDLE printer = nullptr;
        EXPECT_TRUE(OpenPrinterA(const_cast<char*>("NX-A11"), &printer, nullptr));
        Bytes record(2048);
        DWORD type = 0, needed = 0;
        const DWORD status =
            GetPrinterDataA(printer, const_cast<char*>("TTY DeviceConfig"), &type, record.data(),
                            static_cast<DWORD>(record.size()), &needed);
        ClosePrinter(printer);
        EXPECT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(type, REG_BINARY);
        record.resize(status == ERROR_SUCCESS ? needed : 0);
        return record;
    }

    std::string port_, top_, bottom_;
    std::unique_ptr<PrintQueue> queue_, other_;
};

TEST_F(DriverTest, UploadReachesThePortAndTellsTheDriver) {
    Connect();
    ASSERT_EQ(Upload(L"NX-A11", top_ + "|" + bottom_ + "|", 1, 1), 0);
    EXPECT_EQ(sink_.received, (std::vector<LONG>{1, 2}));
    const Bytes job = ReadBytes(Path("TempImage.out"));
    BufferSink expected;
    ASSERT_EQ(
        WriteDefinitionFile({top_, bottom_}, {ToneMethod::kDiffusion, 5, 0}, expected, nullptr),
        FormStatus::kDone);
    EXPECT_EQ(job, expected.bytes);
    EXPECT_EQ(ReadBytes(port_), job) << "the queue passes the job byte for byte";
    EXPECT_FALSE(FileExists(Path("other.bin")));

    const Bytes record = StoredRecord();
    ASSERT_EQ(record.size(), 1472u);
    const DeviceConfig config = *DeviceConfig::Accept(REG_BINARY, record);
    EXPECT_TRUE(config.Switch(Logo::kTop));
    EXPECT_TRUE(config.Switch(Logo::kBottom));
    EXPECT_EQ(config.Command(Logo::kTop), (Bytes{0x1C, 0x70, 0x01, 0x30}));
    EXPECT_EQ(config.Command(Logo::kBottom), (Bytes{0x1C, 0x70, 0x02, 0x30}));
}

TEST_F(DriverTest, TheStandinStoresWhatTheQueueReceived) {
    const char* standin = std::getenv("ZELMAR_STANDIN");
    if (!standin || !*standin) GTEST_SKIP() << "ZELMAR_STANDIN names no stand-in printer";
    ASSERT_EQ(Upload(L"NX-A11", top_ + "|" + bottom_ + "|", 1, 1), 0);
    // Wine starts Linux programs by their path on drive Z:, which is /; they
    // take Linux paths.
    const std::string flash = UnixPath(Path("flash"));
    // Wine gives a Linux program's process as ended as soon as it has
    // started: a shell runs the stand-in and then leaves a mark to wait for.
    const std::string done = Path("standin.done");
    const std::string command = std::string(standin) + " --flash " + flash + " --out " +
                                UnixPath(Path("out")) + " --input " + UnixPath(port_) +
                                "; echo $? >" + UnixPath(done);
    std::string output;
    RunProgram(Wide("Z:\\bin\\sh -c \"" + command + "\""), L"", output);
    for (int wait = 0; wait < 3000 && !FileExists(done); ++wait)
        Sleep(10);
    ASSERT_TRUE(FileExists(done)) << "the stand-in did not finish";
    BufferSink expected;
    ASSERT_EQ(
        WriteDefinitionFile({top_, bottom_}, {ToneMethod::kDiffusion, 5, 0}, expected, nullptr),
        FormStatus::kDone);
    // The definition: ESC @, FS q 2, then each image's size bytes and NV data.
    const Bytes& d = expected.bytes;
    const std::size_t firstData = 5 + 4, firstSize = 6 * 3 * 8;  // 48 x 24 dots
    const Bytes image1(d.begin() + firstData, d.begin() + firstData + firstSize);
    const Bytes image2(d.begin() + firstData + firstSize + 4, d.end());
    EXPECT_EQ(ReadBytes(Path("flash\\pending\\image-001.nv")), image1);
    EXPECT_EQ(ReadBytes(Path("flash\\pending\\image-002.nv")), image2);
}

TEST_F(DriverTest, AMalformedRecordIsReplacedByTheDefaultBeforeTheEdit) {
    queue_->SetData("TTY DeviceConfig", REG_BINARY, std::string(1472, '\x07'));
    ASSERT_EQ(Upload(L"NX-A11", bottom_ + "|", 0, 1), 0);
    DeviceConfig expected = DeviceConfig::Default(true);
    expected.ApplyUpload(false, true);
    EXPECT_EQ(StoredRecord(), expected.Data());
}

TEST_F(DriverTest, EraseAllByMode) {
    ASSERT_EQ(Upload(L"NX-A11", top_ + "|" + bottom_ + "|", 1, 1), 0);
    Connect();
    ASSERT_EQ(Erase(0), 0);
    ASSERT_EQ(sink_.received.size(), 255u);
    EXPECT_EQ(sink_.received.back(), 255);
    EXPECT_EQ(ReadBytes(port_), ReadBytes(Path("TempPrint.out")));
    EXPECT_EQ(ReadBytes(port_).size(), 1024u);
    EXPECT_TRUE(DeviceConfig::Accept(REG_BINARY, StoredRecord())->Switch(Logo::kTop))
        << "printing everything leaves the settings";

    ASSERT_EQ(Erase(1), 0);
    EXPECT_EQ(ReadBytes(port_), (Bytes{0x1C, 0x65}));
    const DeviceConfig erased = *DeviceConfig::Accept(REG_BINARY, StoredRecord());
    EXPECT_FALSE(erased.Switch(Logo::kTop));
    EXPECT_FALSE(erased.Switch(Logo::kBottom));
    EXPECT_TRUE(erased.Command(Logo::kTop).empty());
}

TEST_F(DriverTest, UnknownAndPrefixOnlyPrinters) {
    EXPECT_EQ(Upload(L"NX-B20", top_ + "|", 1, 0), -5);
    // Both queues begin with "NX-A1", but no queue is called so.
    EXPECT_EQ(Upload(L"NX-A1", top_ + "|", 1, 0), -1);
    EXPECT_FALSE(FileExists(port_));
    EXPECT_FALSE(FileExists(Path("other.bin")));
}

}  // namespace
}  // namespace zelmar::test
