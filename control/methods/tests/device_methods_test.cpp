// Upload, Print and PrinterSave over every direct link, against recording
// transports and a clock that only counts: what travels in which writes, the
// pauses, the status numbers and Progress.
#include "methods/device_methods.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "fakes.h"
#include "recorded_messages.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using links::test::FakeClock;
using links::test::FixedSystem;
using links::test::RecordingPorts;
using links::test::RecordingTransport;
using Sizes = std::vector<std::size_t>;

const Bytes kQuery = {0x1D, 0x49, 0x01};
constexpr std::size_t kHeader = 8;

class DeviceMethodsTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        // 16 x 16 dots: 32 bytes of NV data, two bands of 16 columns.
        logo_ = Path("logo.bmp");
        test::WriteBytes(logo_, test::MakeDotsBmp(16, 16, [](int x, int y) { return x == y; }));
        mono_ = Path("mono.bmp");
        test::WriteBytes(mono_, test::MakeMonoBmp(16, 16, [](int x, int) { return x < 3; }));
        port().replies.push_back({0x0D});
    }
    DeviceContext Context() { return {clock_, system_, messages_, nullptr, &ports_}; }
    ProgressFn Recorder() {
        return [this](int32_t data) { progress_.push_back(data); };
    }
    int32_t UploadOn(const std::string& port, int32_t printer, const std::string& list) {
        return Upload(Context(), printer, {port, {6, 0}}, list, {}, Recorder());
    }
    int32_t UploadOverTcp(int32_t printer, const std::string& list) {
        return UploadTCPIP(Context(), printer, {"127.0.0.1", "9100"}, list, {}, Recorder());
    }
    RecordingTransport& port() { return ports_.next; }
    // The write sizes of one model-0 image: its header, then its bytes one by one.
    static Sizes ByteByByte(std::size_t data) {
        Sizes sizes(1 + data, 1);
        sizes[0] = kHeader;
        return sizes;
    }
    static Sizes Join(std::initializer_list<Sizes> parts) {
        Sizes all;
        for (const Sizes& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    }

    RecordingPorts ports_;
    FakeClock clock_;
    FixedSystem system_;
    test::RecordedMessages messages_;
    std::vector<int32_t> progress_;
    std::string logo_, mono_;
};

TEST_F(DeviceMethodsTest, ModelZeroUploadSendsEachByteByItself) {
    // Serial, device file and TCP alike: the query, 100 ms, then per image the
    // header in one write and its data a byte per write.
    for (const char* link : {"COM1", "LPT1", "tcp"}) {
        ports_ = RecordingPorts();
        port().replies.push_back({0x0D});
        clock_ = FakeClock();
        progress_.clear();
        const std::string list = logo_ + "|" + logo_ + "|";
        const int32_t status =
            std::string(link) == "tcp" ? UploadOverTcp(0, list) : UploadOn(link, 0, list);
        ASSERT_EQ(status, 0) << link;
        EXPECT_EQ(port().WriteSizes(), Join({{3}, ByteByByte(32), ByteByByte(32)})) << link;
        EXPECT_EQ(clock_.sleeps, std::vector<std::uint32_t>{100}) << link;
        EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2})) << link;
        EXPECT_EQ(port().calls.back(), "close") << link;
    }
    EXPECT_EQ(ports_.asked, std::vector<std::string>{"tcp 2130706433:9100"});
}

TEST_F(DeviceMethodsTest, UsbUploadsEveryImageInPiecesWhateverThePrinter) {
    test::WriteBytes(Path("wide.bmp"), test::MakeDotsBmp(80, 8, [](int, int) { return true; }));
    ASSERT_EQ(UploadOn("USB001", 1, Path("wide.bmp") + "|" + logo_ + "|"), 0);
    // No wait before the first image; 50 ms after each header; 64-byte
    // pieces with 20 ms after each.
    EXPECT_EQ(port().WriteSizes(), (Sizes{3, kHeader, 64, 16, kHeader, 32}));
    EXPECT_EQ(clock_.sleeps, (std::vector<std::uint32_t>{50, 20, 20, 50, 20}));
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(ports_.asked, std::vector<std::string>{"usb"});
}

TEST_F(DeviceMethodsTest, BandUploadSendsTheFirstImageOnly) {
    struct Case {
        const char* port;
        int32_t printer;
        bool legacy;
        Sizes writes;
        std::vector<std::uint32_t> sleeps;
    };
    const std::size_t record = 9 + 16;  // head and 16 columns
    const Case cases[] = {
        {"COM2", 1, false, {3, 5, record, record}, {100}},
        {"COM2", 3, false, {3, 5, record, record}, {100}},
        // The device file paces its records: 64-byte pieces, 20 ms between.
        {"LPT1", 1, false, {3, 5, 25, 25}, {50}},
        {"LPT1", 1, true, {3, 5, record, record}, {50}},
        {"tcp", 3, false, {3, 5, record, record}, {50}},
    };
    for (const Case& c : cases) {
        ports_ = RecordingPorts();
        clock_ = FakeClock();
        system_ = FixedSystem(c.legacy);
        port().replies.push_back({0x0D});
        progress_.clear();
        const std::string list = mono_ + "|" + logo_ + "|";
        const int32_t status = std::string(c.port) == "tcp" ? UploadOverTcp(c.printer, list)
                                                            : UploadOn(c.port, c.printer, list);
        ASSERT_EQ(status, 0) << c.port;
        EXPECT_EQ(port().WriteSizes(), c.writes) << c.port << " " << c.printer;
        EXPECT_EQ(clock_.sleeps, c.sleeps) << c.port << " " << c.printer;
        EXPECT_EQ(progress_, std::vector<int32_t>{0}) << c.port;
        const Bytes sent = port().Sent();
        EXPECT_EQ(Bytes(sent.begin() + 3, sent.begin() + 8), (Bytes{0x1B, 0x6F, 0x00, 0x1B, 0x40}));
    }
}

TEST_F(DeviceMethodsTest, OnlyTheSerialLinkComplementsAWhiteFirstPicture) {
    // A 1-bit picture whose colour 0 is white.
    test::BmpLayout layout;
    layout.depth = 1;
    layout.width = layout.height = 8;
    layout.palette = {0xFFFFFF, 0x000000};
    layout.pixel = [](int x, int) { return x < 2 ? 1u : 0u; };
    test::WriteBytes(Path("white.bmp"), test::MakeBmp(layout));
    std::vector<Bytes> records;
    for (const char* link : {"COM1", "LPT1"}) {
        ports_ = RecordingPorts();
        port().replies.push_back({0x0D});
        ASSERT_EQ(UploadOn(link, 1, Path("white.bmp") + "|"), 0) << link;
        const Bytes sent = port().Sent();
        records.emplace_back(sent.end() - 8, sent.end());  // the one band's data
    }
    for (std::size_t x = 0; x < 8; ++x) {
        EXPECT_EQ(records[0][x], static_cast<std::uint8_t>(~records[1][x])) << x;
    }
}

TEST_F(DeviceMethodsTest, PrintAndSaveByModel) {
    struct Case {
        const char* port;
        int32_t printer;
        bool save;
        Sizes writes;
        std::vector<int32_t> progress;
    };
    const Case cases[] = {
        {"COM1", 0, false, {4}, {255}},  {"LPT2", 3, false, {4}, {255}},
        {"COM1", 1, false, {3, 16}, {}}, {"USB001", 1, false, {3, 16}, {}},
        {"tcp", 2, false, {3, 16}, {}},  {"COM1", 0, true, {9}, {255}},
        {"USB001", 3, true, {9}, {255}}, {"tcp", 1, true, {}, {}},
        {"LPT1", 7, true, {}, {}},
    };
    for (const Case& c : cases) {
        ports_ = RecordingPorts();
        progress_.clear();
        const bool tcp = std::string(c.port) == "tcp";
        const LogoSwitches on{1, 0, 1, 0};
        const PortTarget target{c.port, {6, 0}};
        const TcpTarget address{"127.0.0.1", "9100"};
        int32_t status;
        if (c.save) {
            status = tcp ? PrinterSaveTCPIP(Context(), c.printer, address, on, Recorder())
                         : PrinterSave(Context(), c.printer, target, on, Recorder());
        } else {
            status = tcp ? PrintTCPIP(Context(), c.printer, address, Recorder())
                         : Print(Context(), c.printer, target, Recorder());
        }
        const std::string where = std::string(c.port) + " " + std::to_string(c.printer);
        ASSERT_EQ(status, 0) << where;
        EXPECT_EQ(port().WriteSizes(), c.writes) << where;
        EXPECT_EQ(progress_, c.progress) << where;
        EXPECT_EQ(port().calls.front(), "open") << where;
        // Also where nothing was sent: the printer takes the end of the
        // connection before it closes.
        const std::vector<std::string> last(port().calls.end() - 2, port().calls.end());
        EXPECT_EQ(last, (std::vector<std::string>{"finish", "close"})) << where;
        EXPECT_TRUE(port().readTimeouts.empty()) << where << ": no status exchange";
        if (c.save && !c.writes.empty()) {
            EXPECT_EQ(port().Sent(), (Bytes{0x1D, 0x5B, 0x5D, 0x40, 0x4F, 1, 0, 1, 0}));
        }
    }
}

TEST_F(DeviceMethodsTest, StatusNumbersAndNothingHalfSent) {
    struct Case {
        const char* name;
        std::function<void(RecordingTransport&)> fault;
        std::string list;
        int16_t rotation;
        int32_t status;
        std::size_t writes;  // how many writes went out
    };
    const Case cases[] = {
        {"the port does not open",
         [](RecordingTransport& t) {
             t.openResult = links::LinkResult::Failed(links::LinkError::kOpen, 2);
         },
         "", 0, -1, 0},
        {"the settings are refused",
         [](RecordingTransport& t) {
             t.configureResult = links::LinkResult::Failed(links::LinkError::kSettings, 87);
         },
         "", 0, -2, 0},
        {"the printer is not ready", [](RecordingTransport& t) { t.replies.clear(); }, "", 0, -3,
         1},
        {"no image in the list", [](RecordingTransport&) {}, "logo.bmp", 0, -4, 1},
        {"an image does not load", [](RecordingTransport&) {}, "gone.bmp|", 0, -4, 1},
        {"a rotation outside 0 to 3", [](RecordingTransport&) {}, "logo.bmp|", 4, -4, 1},
        {"the second data byte is refused", [](RecordingTransport& t) { t.failWrite = 4; },
         "logo.bmp|", 0, -4, 3},
        {"the printer stops taking the job's end",
         [](RecordingTransport& t) {
             t.finishResult = links::LinkResult::Failed(links::LinkError::kWrite, 110);
         },
         "logo.bmp|", 0, -4, 1 + 1 + 32},
    };
    for (const Case& c : cases) {
        ports_ = RecordingPorts();
        port().replies.push_back({0x0D});
        c.fault(port());
        std::string list = c.list;
        if (list.rfind("logo.bmp", 0) == 0) list = Path(list);
        UploadOptions options;
        options.image.rotation = c.rotation;
        EXPECT_EQ(Upload(Context(), 0, {"COM4", {6, 0}}, list, options, nullptr), c.status)
            << c.name;
        EXPECT_EQ(port().writes.size(), c.writes) << c.name;
        EXPECT_EQ(port().calls.back(), "close") << c.name << ": on every path";
        const bool wholeJob = c.writes == 1 + 1 + 32;
        EXPECT_EQ(std::count(port().calls.begin(), port().calls.end(), "finish"), wholeJob ? 1 : 0)
            << c.name << ": only a job that went out whole waits for the printer";
    }
}

TEST_F(DeviceMethodsTest, TheLegacyFlagIsAskedByEveryMethod) {
    system_ = FixedSystem(true);
    ASSERT_EQ(Print(Context(), 0, {"LPT1", {}}, nullptr), 0);
    ASSERT_EQ(Print(Context(), 0, {"USB001", {}}, nullptr), 0);
    ASSERT_EQ(Print(Context(), 0, {"COM11", {9, 2}}, nullptr), 0);
    EXPECT_EQ(ports_.asked,
              (std::vector<std::string>{"device LPT1 blocking", "usb", "serial COM11 9 2"}));
}

}  // namespace
}  // namespace zelmar
