// The driver's receipt as Tivrap reworks it, on the stand-in: every reworked
// element is a command the printer knows, and prints where it belongs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fixtures.h"
#include "font.h"
#include "memory_parts.h"
#include "printer.h"
#include "raw_job.h"
#include "sample_receipt.h"

namespace standin {
namespace {

using tivrap::test::kSampleLogoBytes;
using tivrap::test::kSampleLogoRows;
using tivrap::test::SampleLogoDot;
using tivrap::test::SampleReceipt;

// What reaches the printer: the receipt through Tivrap's RAW job path, with
// a translation file that prints letters, digits and blanks as themselves.
Bytes Reworked(const Bytes& receipt) {
    std::map<std::u16string, std::string> values;
    for (const char c : std::string(" .0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
        const std::u16string key = tivrap::TranslationKey(static_cast<std::uint8_t>(c));
        values[key] = std::string(key.begin(), key.end());
    }
    tivrap::memory::MemoryTranslation translation(values);
    tivrap::SectionTranslator translator = translation.Translator();
    tivrap::memory::MemorySpoolerJob spooler(receipt);
    tivrap::memory::MemoryScratchStorage scratch;
    tivrap::memory::MemoryPauseEvent event;
    tivrap::JobControl control(event);
    tivrap::memory::MemoryDebugOutput debug;
    EXPECT_TRUE(tivrap::RunRawJob({}, {spooler, scratch, translator, control, debug}));
    return spooler.printed;
}

TEST(ReceiptTest, AReworkedReceiptPrintsItsLogoTextAndBarcodes) {
    MemoryFlash flash;
    MemoryReceipts receipts;
    MemoryTranscript transcript;
    Printer printer(flash, receipts, transcript, PrinterConfig{});
    const JobSummary summary = printer.RunJob("tivrap", Reworked(SampleReceipt()));
    EXPECT_EQ(summary.errors, 0);
    ASSERT_EQ(receipts.receipts.size(), 1u);
    const Picture& receipt = receipts.receipts[0];
    std::string lines;
    for (const std::string& line : transcript.lines)
        lines += line + "\n";

    // The logo's rows, widened and merged into one raster command, centred.
    EXPECT_NE(lines.find(R"("command":"GS v 0","m":0,"width":96,"height":24,)"), std::string::npos)
        << lines;
    constexpr int kLogoLeft = (576 - 8 * kSampleLogoBytes) / 2;
    for (int y = 0; y < kSampleLogoRows; ++y) {
        for (int x = 0; x < 576; ++x) {
            const bool logo = x >= kLogoLeft && SampleLogoDot(x - kLogoLeft, y);
            ASSERT_EQ(receipt.Dot(x, y), logo && x < kLogoLeft + 96) << x << ", " << y;
        }
    }
    // After the logo (24 dots) and its feed (16): the first line of text.
    constexpr int kText = 24 + 16;
    Picture firstLetter(12, 24);
    firstLetter.Draw(receipt, 0, -kText);
    EXPECT_TRUE(firstLetter == Character('O', Font::kA));
    EXPECT_NE(lines.find(R"("command":"text","text":"ORVENNA STORE")"), std::string::npos);
    EXPECT_NE(lines.find(R"("command":"text","text":"12.50 1")"), std::string::npos)
        << "'#' and '~' have no value here: they are left out";

    // Two lines of text on, the barcode with its length byte: the bits of
    // "{B12" in modules of 2 dots, 80 high.
    EXPECT_NE(lines.find(R"("command":"GS k","m":73,"n":4,"data":"{B12","width":64,"height":80)"),
              std::string::npos)
        << lines;
    constexpr int kBarcode = kText + 24 + 24;
    const Bytes data = {'{', 'B', '1', '2'};
    for (int x = 0; x < 64; ++x) {
        const bool bar = (data[x / 16] >> (7 - x / 2 % 8)) & 1;
        ASSERT_EQ(receipt.Dot(x, kBarcode), bar) << x;
        ASSERT_EQ(receipt.Dot(x, kBarcode + 79), bar) << x;
    }
    EXPECT_NE(lines.find(R"("command":"GS k","m":4,"data":"*7*","width":48,"height":80)"),
              std::string::npos);
    // Each barcode's feed is the short one: the barcodes stand one on the
    // other, and the cut feeds 16 dots.
    EXPECT_EQ(receipt.Height(), kBarcode + 80 + 80 + 16);
}

}  // namespace
}  // namespace standin
