#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/command_stream.h"
#include "engine/upload_forms.h"
#include "fixtures.h"
#include "printer.h"
#include "work_dir.h"

namespace standin {
namespace {

using test::Definition;
using test::Dots;
using test::operator+;
namespace commands = zelmar::commands;

const Dots kPattern = [](int x, int y) { return (3 * x + 5 * y) % 7 < 3; };
const Dots kChecks = [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; };
const Dots kCorner = [](int x, int y) { return x == y || x == 0; };

class CapturedReplies : public ReplyChannel {
  public:
    bool Send(const Bytes& bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        return true;
    }
    Bytes sent;
};

const Picture& RoleImage(const FlashSet& set, Role role) {
    return set.roles[static_cast<int>(role)];
}

class PrinterTest : public zelmar::test::WorkDirTest {
  protected:
    Printer& Standin() {
        if (!printer_)
            printer_ = std::make_unique<Printer>(flash_, receipts_, transcript_, config_);
        return *printer_;
    }
    JobSummary Run(const Bytes& job) { return Standin().RunJob("test", job, &replies_); }
    std::string Colour(const std::string& name, int width, int height, const Dots& dot) {
        zelmar::test::WriteBytes(Path(name), zelmar::test::MakeDotsBmp(width, height, dot));
        return Path(name);
    }
    bool Logged(const std::string& fragment) const {
        return std::any_of(
            transcript_.lines.begin(), transcript_.lines.end(),
            [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    }
    long Errors() const {
        return std::count_if(
            transcript_.lines.begin(), transcript_.lines.end(),
            [](const std::string& line) { return line.find("\"error\"") != std::string::npos; });
    }

    PrinterConfig config_;
    MemoryFlash flash_;
    MemoryReceipts receipts_;
    MemoryTranscript transcript_;
    CapturedReplies replies_;
    std::unique_ptr<Printer> printer_;
};

// Each image of a model-0 form is kept under the role of its header, as its
// packed picture, and prints only once the device has been reset.
TEST_F(PrinterTest, ModelZeroFormStoresEachRoleUntilReset) {
    const std::string logo = Colour("logo.bmp", 24, 16, kPattern) + "|";
    struct Case {
        int selectType;
        int selectMargin;
        Role role;
        int margin;
    };
    const Case cases[] = {{0, 0, Role::kTopLogo, -1},
                          {1, 0, Role::kBottomLogo, -1},
                          {2, 0, Role::kWaterMark, -1},
                          {3, 2, Role::kMarginMessage, 1},
                          {3, 7, Role::kMarginMessage, -1}};
    for (const Case& c : cases) {
        const Bytes stream = test::UploadStream(logo, 0, c.selectType, c.selectMargin);
        Run(stream);
        const std::uint8_t* packed = stream.data() + stream.size() - 24 * 16 / 8;
        EXPECT_TRUE(test::SameDots(RoleImage(flash_.Pending(), c.role), 24, 16, [&](int x, int y) {
            return test::NvDot(packed, 16, x, y);
        })) << c.selectType;
        EXPECT_EQ(flash_.Pending().margin, c.margin) << c.selectType;
        EXPECT_TRUE(RoleImage(flash_.Active(), c.role).Empty()) << c.selectType;
    }
    // "None" at brightness 5 keeps a black and white picture as it is.
    EXPECT_TRUE(test::SameDots(RoleImage(flash_.Pending(), Role::kTopLogo), 24, 16, kPattern));
    EXPECT_EQ(Errors(), 0);
    ASSERT_TRUE(Standin().Reset());
    EXPECT_EQ(flash_.Active(), flash_.Pending());
}

// SelectType 5 sends the size bytes without a role: no command the printer
// knows, so it stores nothing and says so.
TEST_F(PrinterTest, ImageWithoutRoleIsNotStored) {
    const Bytes stream = test::UploadStream(Colour("logo.bmp", 24, 16, kPattern) + "|", 0, 5);
    ASSERT_EQ(stream.size(), 4u + 48u);
    EXPECT_GT(Run(stream).errors, 0);
    EXPECT_TRUE(Logged(R"("offset":0,"error":"unknown bytes","bytes":"03")"));
    EXPECT_EQ(flash_.Pending(), FlashSet{});
}

TEST_F(PrinterTest, PaddedPictureIsStoredAsPacked) {
    Run(test::UploadStream(Colour("odd.bmp", 10, 13, kPattern) + "|", 0, 0));
    EXPECT_TRUE(
        test::SameDots(RoleImage(flash_.Pending(), Role::kTopLogo), 16, 16,
                       [](int x, int y) { return y >= 3 && x < 10 && kPattern(x, y - 3); }));
}

TEST_F(PrinterTest, EachDefinitionReplacesTheNumberedImages) {
    const std::string a = Colour("a.bmp", 24, 16, kPattern);
    const std::string b = Colour("b.bmp", 16, 8, kChecks);
    Run(Definition({a, b}));
    ASSERT_EQ(flash_.Pending().images.size(), 2u);
    EXPECT_TRUE(test::SameDots(flash_.Pending().images[0], 24, 16, kPattern));
    EXPECT_TRUE(test::SameDots(flash_.Pending().images[1], 16, 8, kChecks));
    Run(Definition({b}));
    ASSERT_EQ(flash_.Pending().images.size(), 1u);
    EXPECT_TRUE(test::SameDots(flash_.Pending().images[0], 16, 8, kChecks));
    EXPECT_EQ(Errors(), 0);
}

TEST_F(PrinterTest, PrintAllPrintsTheActiveImages) {
    zelmar::BufferSink sink;
    ASSERT_EQ(zelmar::WritePrintAllFile(sink, nullptr), zelmar::FormStatus::kDone);
    const Bytes printAll = sink.bytes;
    Run(Definition({Colour("a.bmp", 24, 16, kPattern), Colour("b.bmp", 16, 8, kChecks)}));
    Run(printAll);
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_TRUE(test::SameDots(receipts_.receipts[0], 576, 1, [](int, int) { return false; }));

    Standin().Reset();
    Run(printAll);
    ASSERT_EQ(receipts_.receipts.size(), 2u);
    // Image 1, image 2 below it, then the one dot fed before the cut.
    EXPECT_TRUE(test::SameDots(receipts_.receipts[1], 576, 25, [](int x, int y) {
        return y < 16 ? x < 24 && kPattern(x, y) : y < 24 && x < 16 && kChecks(x, y - 16);
    }));
    EXPECT_TRUE(Logged(R"("command":"FS p","n":2,"m":48,"printed":true)"));
    EXPECT_TRUE(Logged(R"("command":"FS p","n":3,"m":48,"printed":false)"));
    EXPECT_EQ(Errors(), 0);
}

// A definition that does not arrive whole, or does not fit, changes nothing.
TEST_F(PrinterTest, DefinitionThatFailsKeepsTheNumberedImages) {
    const std::string a = Colour("a.bmp", 24, 16, kPattern);
    Run(Definition({a}));
    const Bytes two = Definition({a, Colour("b.bmp", 16, 8, kChecks)});
    EXPECT_EQ(Run(Bytes(two.begin(), two.end() - 1)).errors, 1);
    EXPECT_TRUE(Logged(R"("error":"truncated","command":"FS q","index":2)"));
    EXPECT_TRUE(Logged(R"("abandoned":"FS q")"));

    const Bytes largest = commands::SizeBytes(8 * kMaxNvBytesAcross, 8 * kMaxNvUnitsDown) +
                          Bytes(kMaxNvBytesAcross * kMaxNvUnitsDown * 8);
    EXPECT_EQ(Run(commands::DefinitionPreamble(2) + largest + largest).errors, 1);
    EXPECT_TRUE(Logged(
        R"("index":2,"width":8184,"height":2304,"data_bytes":2356992,"error":"flash full")"));

    ASSERT_EQ(flash_.Pending().images.size(), 1u);
    EXPECT_TRUE(test::SameDots(flash_.Pending().images[0], 24, 16, kPattern));
}

TEST_F(PrinterTest, EraseClearsThePendingImagesAndKeepsTheSwitches) {
    const std::string a = Colour("a.bmp", 24, 16, kPattern);
    Run(test::UploadStream(a + "|", 0, 0) + commands::OptionsCommand(1, 1, 0, 0) + Definition({a}));
    Standin().Reset();
    Run(commands::EraseCommand());
    const FlashSet& pending = flash_.Pending();
    EXPECT_TRUE(RoleImage(pending, Role::kTopLogo).Empty());
    EXPECT_TRUE(pending.images.empty());
    EXPECT_EQ(pending.switches, (std::array<std::uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_FALSE(RoleImage(flash_.Active(), Role::kTopLogo).Empty());
    EXPECT_EQ(flash_.Active().images.size(), 1u);
    Standin().Reset();
    EXPECT_EQ(flash_.Active(), pending);
}

// The Top Logo heads each receipt and the Bottom Logo ends it while their
// switches are on.
TEST_F(PrinterTest, SwitchesPutTheLogosOnEveryReceipt) {
    Run(test::UploadStream(Colour("top.bmp", 24, 8, kPattern) + "|", 0, 0) +
        test::UploadStream(Colour("bottom.bmp", 16, 8, kChecks) + "|", 0, 1) +
        commands::OptionsCommand(1, 1, 0, 0));
    Standin().Reset();
    Run(commands::CutSequence());
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_TRUE(
        test::SameDots(receipts_.receipts[0], 576, 8 + kDefaultLineSpacing + 8, [](int x, int y) {
            return y < 8 ? x < 24 && kPattern(x, y) : y >= 38 && x < 16 && kChecks(x, y - 38);
        }));

    Run(commands::OptionsCommand(0, 0, 0, 0));
    Standin().Reset();
    Run(commands::CutSequence());
    ASSERT_EQ(receipts_.receipts.size(), 2u);
    EXPECT_TRUE(test::SameDots(receipts_.receipts[1], 576, kDefaultLineSpacing,
                               [](int, int) { return false; }));
}

// The Margin Message closes the receipt placed by its m byte (2: right); the
// WaterMark lies centred under the whole receipt, repeated.
TEST_F(PrinterTest, WaterMarkAndMarginMessage) {
    Run(test::UploadStream(Colour("mark.bmp", 8, 8, kChecks) + "|", 0, 2) +
        test::UploadStream(Colour("margin.bmp", 8, 8, kCorner) + "|", 0, 3, 3) +
        commands::OptionsCommand(0, 0, 1, 1));
    Standin().Reset();
    const Picture mark = RoleImage(flash_.Active(), Role::kWaterMark);
    Run(Bytes{0x1B, 0x4A, 20, 0x1B, 0x69});
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_TRUE(test::SameDots(receipts_.receipts[0], 576, 28, [&](int x, int y) {
        return (x >= 568 && y >= 20 && kCorner(x - 568, y - 20)) ||
               (x >= 284 && mark.Dot(x - 284, y % 8));
    }));
}

TEST_F(PrinterTest, BandFormPrintsItsBandsAndKeepsThemForTheSamplePrint) {
    zelmar::test::WriteBytes(Path("mono.bmp"), zelmar::test::MakeMonoBmp(24, 16, kPattern));
    Run(test::UploadStream(Path("mono.bmp") + "|", 1, 0));
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_TRUE(Logged(R"("event":"receipt not cut")"));
    EXPECT_TRUE(test::SameDots(receipts_.receipts[0], 576, 16,
                               [](int x, int y) { return x < 24 && kPattern(x, y); }));
    EXPECT_TRUE(test::SameDots(flash_.Pending().bandLogo, 24, 16, kPattern));

    Standin().Reset();
    Run(commands::SamplePrintStart() + commands::SamplePrintFeed());
    ASSERT_EQ(receipts_.receipts.size(), 2u);
    EXPECT_TRUE(test::SameDots(receipts_.receipts[1], 576, 16 + 7 * kDefaultLineSpacing,
                               [](int x, int y) { return x < 24 && y < 16 && kPattern(x, y); }));

    EXPECT_EQ(Run(commands::BandPreamble() + commands::BandRecordHead(1, 8) + Bytes(8)).errors, 1);
    EXPECT_TRUE(Logged(R"("error":"band out of order","abandoned":"band definition")"));
    EXPECT_TRUE(test::SameDots(flash_.Pending().bandLogo, 24, 16, kPattern));
}

TEST_F(PrinterTest, StatusQueryIsAnsweredWithTheConfiguredReply) {
    for (const Bytes& reply : {Bytes{0x0D}, Bytes{0x20}, Bytes{0x20, 0x0D}, Bytes{}}) {
        config_.statusReply = reply;
        printer_.reset();
        replies_.sent.clear();
        Run(commands::StatusQuery());
        EXPECT_EQ(replies_.sent, reply);
    }
    EXPECT_TRUE(Logged(R"("reply":"none")"));
    config_.statusReply = {0x0D};
    printer_.reset();
    Standin().RunJob("file", commands::StatusQuery(), nullptr);  // nowhere to answer
    EXPECT_TRUE(Logged(R"("sent":false)"));
}

// Raster rows as the driver's receipts carry them: each after ESC J 0, or
// merged into one command, printing one below the other.
TEST_F(PrinterTest, RasterRowsPrintOneBelowTheOther) {
    const Bytes merged = {0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x02, 0x00,
                          0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x01};
    const Bytes centred = {0x1B, 0x61, 0x01, 0x1B, 0x4A, 0x00, 0x1D, 0x76,
                           0x30, 0x03, 0x01, 0x00, 0x01, 0x00, 0x80};
    Run(merged + centred + Bytes{0x1B, 0x4A, 10, 0x1D, 0x56, 0x00});
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_TRUE(test::SameDots(receipts_.receipts[0], 576, 15, [](int x, int y) {
        const bool firstRows = (y == 0 && x < 16) || (y == 2 && (x == 0 || x == 15));
        const bool doubled = (y == 3 || y == 4) && (x == 280 || x == 281);  // centred, 2 × 2
        return firstRows || doubled;
    }));
    EXPECT_EQ(Errors(), 0);
}

// Mode bytes the printer does not know are errors, also where nothing would print.
TEST_F(PrinterTest, FlagsModesItDoesNotKnow) {
    const Bytes jobs[] = {
        {0x1C, 0x70, 0x01, 0x07}, {0x1C, 0x70, 0x09, 0x34}, {0x1B, 0x61, 0x03}, {0x1B, 0x6F, 0x02}};
    for (const Bytes& job : jobs) {
        EXPECT_EQ(Run(job).errors, 1) << static_cast<int>(job[1]);
        EXPECT_TRUE(receipts_.receipts.empty());
    }
    EXPECT_EQ(Errors(), 4);
    EXPECT_TRUE(Logged(R"("error":"bad argument")"));
}

TEST_F(PrinterTest, ReceiptStopsAtTheLengthLimit) {
    config_.maxReceiptLength = 100;
    EXPECT_EQ(Run(Bytes{0x1B, 0x4A, 255, 0x1B, 0x4A, 255, 0x0A, 0x1D, 0x56, 0x00}).errors, 1);
    EXPECT_TRUE(Logged(R"("error":"paper limit")"));
    ASSERT_EQ(receipts_.receipts.size(), 1u);
    EXPECT_EQ(receipts_.receipts[0].Height(), 100);
}

// Whatever a job sends, it writes so many transcript lines and receipts at
// most; each limit is said once, and the next job has the whole allowance.
TEST_F(PrinterTest, LinesAndReceiptsPerJobAreLimited) {
    config_.linesPerJob = 5;
    config_.receiptsPerJob = 2;
    Bytes job;
    for (int i = 0; i < 4; ++i)
        job = job + Bytes{'x', 0x0A, 0x1B, 0x69};  // three lines and a receipt
    for (int run = 1; run <= 2; ++run) {
        transcript_.lines.clear();
        const JobSummary summary = Run(job);
        EXPECT_EQ(summary.receipts.size(), 2u);
        EXPECT_EQ(summary.receiptsNotKept, 2);
        EXPECT_EQ(summary.linesLeftOut, 7);
        const std::vector<std::string>& lines = transcript_.lines;
        ASSERT_EQ(lines.size(), 1u + 5u + 2u + 1u) << run;
        EXPECT_NE(lines[6].find(R"("event":"transcript limit","lines":5})"), std::string::npos);
        EXPECT_NE(lines[7].find(R"("event":"receipt limit","receipts":2})"), std::string::npos);
        EXPECT_NE(lines[8].find(R"("event":"job end","bytes":16,"errors":0,"lines_left_out":7,)"
                                R"("receipts_not_kept":2})"),
                  std::string::npos);
    }
    EXPECT_EQ(receipts_.receipts.size(), 4u);
}

}  // namespace
}  // namespace standin
