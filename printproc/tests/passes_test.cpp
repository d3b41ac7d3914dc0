// The passes of a reworked receipt against cases written from their rules.
// Every case runs with the product's block and with every smaller block from
// the size its elements need, so that elements fall across block ends.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "marker.h"
#include "memory_parts.h"
#include "passes.h"
#include "receipt_bytes.h"

namespace tivrap {
namespace {

using namespace test;

Bytes RunRules(PassRules& rules, const Bytes& input, std::size_t blockSize) {
    memory::MemoryScratchFile in;
    in.bytes = input;
    in.failRead.failing = 100000;  // a pass that never ends fails here instead
    memory::MemoryScratchFile outFile;
    ScratchSink out(outFile);
    EXPECT_EQ(RunPass(in, input.size(), blockSize, rules, out), Flow::kGoOn);
    outFile.bytes.resize(static_cast<std::size_t>(out.Length()));
    return outFile.bytes;
}

struct PassCase {
    const char* name;
    Bytes input;
    Bytes expected;
    // From this block size on the output is the same: every element fits.
    std::size_t minBlock;
};

using MakeRules = std::function<std::unique_ptr<PassRules>()>;

void ExpectAtEveryBlockSize(const PassCase& c, const MakeRules& make) {
    std::vector<std::size_t> sizes{kBlockSize};
    for (std::size_t s = std::max(kMinUnread, c.minBlock); s <= c.input.size(); ++s)
        sizes.push_back(s);
    for (std::size_t s : sizes) {
        const std::unique_ptr<PassRules> rules = make();
        ASSERT_EQ(RunRules(*rules, c.input, s), c.expected) << c.name << ", block of " << s;
    }
}

MakeRules Barcodes() {
    return [] { return std::make_unique<BarcodePass>(); };
}
MakeRules Widening() {
    return [] { return std::make_unique<WideningPass>(); };
}

TEST(BarcodePassTest, Cases) {
    const Bytes data = Text("123");
    Bytes endless;  // heads of the systems up to 6 whose data never ends
    for (int i = 0; i < 20; ++i)
        endless = endless + Head(0x04);
    const PassCase cases[] = {
        {"counted: length byte, then the feed after it is short",
         Head(0x49) + Bytes{0x00} + data + PositionAndFeed(0x20) + Tail(),
         HeadStart() + Bytes{0x1D, 0x6B, 0x49, 0x03} + data + ShortFeed() + Tail(), 18},
        {"counted: position and feed commands move before the system",
         Head(0x41) + Bytes{0x00} + Bytes{0x00, 0x1B, 0x24, 0x10, 0x00} +
             Bytes{0x00, 0x1B, 0x4A, 0x05} + Text("AB") + LineAndFeed(0x10) + Tail(),
         HeadStart() + Bytes{0x00, 0x1B, 0x24, 0x10, 0x00, 0x00, 0x1B, 0x4A, 0x05} +
             Bytes{0x1D, 0x6B, 0x41, 0x02} + Text("AB") + ShortFeed() + Tail(),
         28},
        {"counted: data ended by 1B 21",
         Head(0x45) + Bytes{0x00} + Text("XYZ") + Bytes{0x1B, 0x21, 0x00} + Tail(),
         HeadStart() + Bytes{0x1D, 0x6B, 0x45, 0x03} + Text("XYZ") + Bytes{0x1B, 0x21, 0x00} +
             Tail(),
         18},
        {"counted: data ended by 1B 4D, and by 00 0D",
         Head(0x45) + Bytes{0x00} + Text("X") + Bytes{0x1B, 0x4D} + Head(0x46) + Bytes{0x00} +
             Text("Y") + Bytes{0x00, 0x0D} + Tail(),
         HeadStart() + Bytes{0x1D, 0x6B, 0x45, 0x01} + Text("X") + Bytes{0x1B, 0x4D} + HeadStart() +
             Bytes{0x1D, 0x6B, 0x46, 0x01} + Text("Y") + Bytes{0x00, 0x0D} + Tail(),
         16},
        {"counted without data: the head as it is, yet a barcode",
         Head(0x49) + Bytes{0x00} + LineAndFeed(0x30) + Tail(),
         Head(0x49) + Bytes{0x00} + ShortFeed() + Tail(), 15},
        {"counted without placeholder: any other head",
         Head(0x49) + Text("123") + Bytes{0x00, 0x1B} + Tail(),
         Head(0x49) + Text("123") + Bytes{0x00, 0x1B} + Tail(), 13},
        {"terminated: data directly after the head",
         Head(0x04) + Text("4901234") + PositionAndFeed(0x08) + Tail(),
         Head(0x04) + Text("4901234") + ShortFeed() + Tail(), 21},
        {"terminated: one feed command moves before the system",
         Head(0x02) + Bytes{0x00, 0x1B, 0x4A, 0x10} + Text("12") + LineAndFeed(0x05) + Tail(),
         HeadStart() + Bytes{0x00, 0x1B, 0x4A, 0x10} + Bytes{0x1D, 0x6B, 0x02} + Text("12") +
             ShortFeed() + Tail(),
         20},
        {"terminated: only one command is skipped",
         Head(0x02) + Bytes{0x00, 0x1B, 0x4A, 0x10} + Bytes{0x00, 0x1B, 0x24, 0x01, 0x00} +
             Text("12") + Bytes{0x00, 0x0D} + Tail(),
         Head(0x02) + Bytes{0x00, 0x1B, 0x4A, 0x10} + Bytes{0x00, 0x1B, 0x24, 0x01, 0x00} +
             Text("12") + Bytes{0x00, 0x0D} + Tail(),
         18},
        {"systems outside both ranges: any other head",
         Head(0x40) + Bytes{0x00} + Text("1") + Bytes{0x00, 0x1B} + Head(0x4A) + Bytes{0x00} +
             Head(0x07) + LineAndFeed(0x01) + Tail(),
         Head(0x40) + Bytes{0x00} + Text("1") + Bytes{0x00, 0x1B} + Head(0x4A) + Bytes{0x00} +
             Head(0x07) + ShortFeed() + Tail(),
         13},
        {"feeds without a barcode stay",
         PositionAndFeed(0x20) + LineAndFeed(0x10) + Bytes{0x00, 0x1B, 0x24, 0x05, 0x00} + Tail(),
         PositionAndFeed(0x20) + LineAndFeed(0x10) + Bytes{0x00, 0x1B, 0x24, 0x05, 0x00} + Tail(),
         9},
        {"heads whose data never ends pass unchanged; a barcode after them is found",
         endless + Head(0x49) + Bytes{0x00} + data + Bytes{0x1B, 0x21, 0x00} + Tail(),
         endless + HeadStart() + Bytes{0x1D, 0x6B, 0x49, 0x03} + data + Bytes{0x1B, 0x21, 0x00} +
             Tail(),
         18},
        {"only the first feed after a barcode is short",
         Head(0x30) + LineAndFeed(0x10) + LineAndFeed(0x10) + PositionAndFeed(0x01) + Tail(),
         Head(0x30) + ShortFeed() + LineAndFeed(0x10) + PositionAndFeed(0x01) + Tail(), 12},
    };
    for (const PassCase& c : cases)
        ExpectAtEveryBlockSize(c, Barcodes());
}

TEST(BarcodePassTest, ALengthByteHoldsAtMost255) {
    const Bytes longest = Repeat(255, 0x31);
    const Bytes tooLong = Repeat(300, 0x31);
    const PassCase cases[] = {
        {"255 bytes", Head(0x49) + Bytes{0x00} + longest + Bytes{0x00, 0x0D} + Tail(),
         HeadStart() + Bytes{0x1D, 0x6B, 0x49, 0xFF} + longest + Bytes{0x00, 0x0D} + Tail(), 270},
        // A wrapped length byte (0x2C) would print most of the data as text.
        {"300 bytes", Head(0x49) + Bytes{0x00} + tooLong + Bytes{0x00, 0x0D} + Tail(),
         Head(0x49) + Bytes{0x00} + tooLong + Bytes{0x00, 0x0D} + Tail(), 315},
    };
    for (const PassCase& c : cases)
        ExpectAtEveryBlockSize(c, Barcodes());
}

TEST(BarcodePassTest, ElementsThatCannotCompleteInABlockPassUnchanged) {
    // No end in a whole block: the head passes as any other head; a
    // position-and-feed or a head cut by the job's end is plain bytes.
    const Bytes endless = Head(0x49) + Bytes{0x00} + Repeat(100, 0x31) + Bytes{0x00, 0x0D} + Tail();
    const Bytes cutFeed = Text("ab") + Bytes{0x00, 0x1B, 0x24, 0x00, 0x00, 0x00, 0x1B, 0x4A};
    const Bytes cutHead = Head(0x49);  // its placeholder would follow
    const Bytes cutHeadAfterBytes =
        Text("abc") + Bytes{0x1B, 0x74, 0x00, 0x1D, 0x77, 0x02, 0x1D, 0x68, 0x50, 0x1D, 0x6B};
    for (std::size_t block : {std::size_t{8}, std::size_t{16}, std::size_t{64}}) {
        for (const Bytes* input : {&endless, &cutFeed, &cutHead, &cutHeadAfterBytes}) {
            BarcodePass pass;
            EXPECT_EQ(RunRules(pass, *input, block), *input) << "block of " << block;
        }
    }
}

TEST(WideningPassTest, Cases) {
    const PassCase cases[] = {
        {"rows 48, 48, 40 all become 48 wide",
         Row(48, 0x11) + Row(48, 0x22) + Row(40, 0x33) + Tail(),
         Row(48, 0x11) + Row(48, 0x22) + RowHeader(48) + Repeat(40, 0x33) + Repeat(8, 0x00) +
             Tail(),
         59},
        {"the widest row of the run need not come first",
         Row(40, 0x11) + Row(48, 0x22) + Text("x") + Tail(),
         RowHeader(48) + Repeat(40, 0x11) + Repeat(8, 0x00) + Row(48, 0x22) + Text("x") + Tail(),
         110},
        {"any other byte ends the run", Row(48, 0x11) + Bytes{0x0A} + Row(40, 0x33) + Tail(),
         Row(48, 0x11) + Bytes{0x0A} + Row(40, 0x33) + Tail(), 59},
        {"the row count stays", Row(8, 0x11, 5) + Row(16, 0x22, 2) + Tail(),
         RowHeader(16, 5) + Repeat(8, 0x11) + Repeat(8, 0x00) + Row(16, 0x22, 2) + Tail(), 46},
        {"a row wider than the paper sets no width and goes out as it is",
         Row(kWidestRow + 1, 0x11) + Row(40, 0x22) + Row(kWidestRow, 0x33) + Row(40, 0x44) + Tail(),
         Row(kWidestRow + 1, 0x11) + RowHeader(kWidestRow) + Repeat(40, 0x22) +
             Repeat(kWidestRow - 40, 0x00) + Row(kWidestRow, 0x33) + RowHeader(kWidestRow) +
             Repeat(40, 0x44) + Repeat(kWidestRow - 40, 0x00) + Tail(),
         4 * 11 + 2 * kWidestRow + 1 + 2 * 40},
    };
    for (const PassCase& c : cases)
        ExpectAtEveryBlockSize(c, Widening());
}

TEST(WideningPassTest, TheRunWidthLivesOnAcrossABlockEnd) {
    // The first block holds only the 40-byte row: the run is 40 wide, and the
    // wider row in the next block goes out as it is.
    const Bytes input = Row(40, 0x11) + Row(48, 0x22) + Row(32, 0x33) + Tail();
    WideningPass pass;
    EXPECT_EQ(RunRules(pass, input, 60), Row(40, 0x11) + Row(48, 0x22) + RowHeader(40) +
                                             Repeat(32, 0x33) + Repeat(8, 0) + Tail());
}

TEST(WideningPassTest, ARowLongerThanTheJobIsPlainBytes) {
    // It declares 100 data bytes and the job ends after 20: no endless loop.
    const Bytes row = RowHeader(100) + Repeat(20, 0x11);
    for (const Bytes& input : {row, Text("abcdefgh") + row}) {
        for (std::size_t block : {std::size_t{8}, std::size_t{16}, kBlockSize}) {
            WideningPass pass;
            EXPECT_EQ(RunRules(pass, input, block), input) << "block of " << block;
        }
    }
}

TEST(WideningPassTest, OutputLargerThanABlockIsWholeAndInPieces) {
    // Ten rows of width 0 after one of 60: each grows from 11 to 71 bytes.
    Bytes input = Row(60, 0x11);
    Bytes expected = Row(60, 0x11);
    for (int i = 0; i < 10; ++i) {
        input = input + RowHeader(0);
        expected = expected + RowHeader(60) + Repeat(60, 0x00);
    }
    input = input + Tail();
    expected = expected + Tail();
    memory::MemoryScratchFile in;
    in.bytes = input;
    struct Pieces : BlockSink {
        Flow Put(const std::uint8_t* data, std::size_t size) override {
            bytes.insert(bytes.end(), data, data + size);
            largest = std::max(largest, size);
            return Flow::kGoOn;
        }
        Bytes bytes;
        std::size_t largest = 0;
    } out;
    WideningPass pass;
    ASSERT_EQ(RunPass(in, input.size(), 256, pass, out), Flow::kGoOn);
    EXPECT_EQ(out.bytes, expected);
    EXPECT_LT(out.largest, 256u + 71u) << "a block's output goes out in pieces";
}

class FinalPassTest : public ::testing::Test {
  protected:
    MakeRules Final() {
        return [this] { return std::make_unique<FinalPass>(translator_); };
    }
    memory::MemoryTranslation translation_{{{u"41", "1b4d00"}, {u"42", ""}, {u"43", "c3"}}};
    SectionTranslator translator_ = translation_.Translator();
};

const Bytes kTextOn = {0x1B, 0x21, 0x00, 0x00, 0x1B, 0x24, 0x00, 0x00};

TEST_F(FinalPassTest, Cases) {
    const PassCase cases[] = {
        {"a single row gets row count 1", Row(8, 0x11, 5) + Text("z") + Tail(),
         Row(8, 0x11, 1) + Text("z") + Tail(), 19},
        {"rows of other widths are commands of their own",
         Row(8, 0x11) + Row(16, 0x22) + Text("z") + Tail(),
         Row(8, 0x11) + Row(16, 0x22) + Text("z") + Tail(), 27},
        {"text mode: translated, dropped without a value (empty or none)",
         TextModeMarker() + Text("ABCD") + Tail(),
         kTextOn + Bytes{0x1B, 0x4D, 0x00} + Bytes{0xC3} + Tail(), 8},
        {"text mode ends at any other 1B",
         TextModeMarker() + Text("A") + Bytes{0x1B, 0x64, 0x02} + Text("A") + Tail(),
         kTextOn + Bytes{0x1B, 0x4D, 0x00} + Bytes{0x1B, 0x64, 0x02} + Text("A") + Tail(), 8},
        {"text mode ends at a raster row", TextModeMarker() + Text("A") + Row(4, 0x11, 3) + Tail(),
         kTextOn + Bytes{0x1B, 0x4D, 0x00} + Row(4, 0x11, 1) + Tail(), 15},
        {"text mode: 00 and the marker, the marker again, feeds and positions stay in it",
         TextModeMarker() + Bytes{0x00} + TextModeMarker() + TextModeMarker() +
             Bytes{0x00, 0x1B, 0x4A, 0x20} + Bytes{0x00, 0x1B, 0x24, 0x01, 0x02} + Text("A") +
             Tail(),
         kTextOn + Bytes{0x00, 0x1B, 0x21, 0x00, 0x1B, 0x24, 0x00, 0x00} + kTextOn +
             Bytes{0x00, 0x1B, 0x4A, 0x20} + Bytes{0x00, 0x1B, 0x24, 0x01, 0x02} +
             Bytes{0x1B, 0x4D, 0x00} + Tail(),
         8},
        {"text mode: any other 00 is dropped and ends it",
         TextModeMarker() + Bytes{0x00} + Text("A") + Tail(), kTextOn + Text("A") + Tail(), 8},
        {"text mode: control and high bytes are dropped",
         TextModeMarker() + Bytes{0x0A, 0x80, 0xFF, 0x1F} + Text("A") + Tail(),
         kTextOn + Bytes{0x1B, 0x4D, 0x00} + Tail(), 8},
        {"text mode off: characters and 00 pass", Bytes{0x00} + Text("AB") + Bytes{0x80} + Tail(),
         Bytes{0x00} + Text("AB") + Bytes{0x80} + Tail(), 8},
    };
    for (const PassCase& c : cases)
        ExpectAtEveryBlockSize(c, Final());
}

TEST_F(FinalPassTest, RowsOfOneWidthBecomeOneRasterCommand) {
    const Bytes input = Row(48, 0x11) + Row(48, 0x22) + Row(48, 0x33) + Text("z") + Tail();
    const Bytes merged =
        RowHeader(48, 3) + Repeat(48, 0x11) + Repeat(48, 0x22) + Repeat(48, 0x33) + Text("z");
    FinalPass whole(translator_);
    EXPECT_EQ(RunRules(whole, input, kBlockSize), merged + Tail());
    // A merge ends with its block: the rest opens a command of its own.
    FinalPass split(translator_);
    EXPECT_EQ(RunRules(split, input, 130), RowHeader(48, 2) + Repeat(48, 0x11) + Repeat(48, 0x22) +
                                               Row(48, 0x33) + Text("z") + Tail());
}

TEST_F(FinalPassTest, TranslationsLongerThanTheBlockAreSentWhole) {
    memory::MemoryTranslation wide({{u"41", std::string(40, 'a')}});
    SectionTranslator translator = wide.Translator();
    const Bytes input = TextModeMarker() + Repeat(30, 'A') + Tail();
    const Bytes expected = kTextOn + Repeat(30 * 20, 0xAA) + Tail();
    for (std::size_t block : {std::size_t{8}, std::size_t{16}, kBlockSize}) {
        FinalPass pass(translator);
        EXPECT_EQ(RunRules(pass, input, block), expected) << "block of " << block;
    }
}

TEST(BlockRuleTest, TheLastFewerThanEightBytesPassUnchanged) {
    // Text mode would drop these, and a row would be merged.
    memory::MemoryTranslation none({});
    SectionTranslator translator = none.Translator();
    const Bytes tails[] = {{}, {0x00}, Bytes{0x1B, 0x21, 0x00, 0x1B, 0x50, 0x70, 0x0A}};
    for (const Bytes& input : tails) {
        FinalPass pass(translator);
        EXPECT_EQ(RunRules(pass, input, kBlockSize), input);
    }
}

TEST(TrimTest, TheTailIsCutOnlyWhereTheDataHoldsIt) {
    struct Case {
        std::uint8_t last;
        std::uint64_t length;
        std::uint64_t trimmed;
    };
    const Case cases[] = {
        {0x40, 100, 93}, {0x40, 7, 0}, {0x40, 6, 6},     {0x01, 100, 91},
        {0x01, 9, 0},    {0x01, 8, 8}, {0x02, 100, 100}, {0x00, 100, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimmedLength(c.last, c.length), c.trimmed) << int{c.last} << " " << c.length;
}

TEST(TranslationTest, HexadecimalValues) {
    struct Case {
        const char* text;
        Bytes bytes;
    };
    const Case cases[] = {
        {"1b4d00", {0x1B, 0x4D, 0x00}},
        {"1B4D", {0x1B, 0x4D}},
        {"aBcD", {0xAB, 0xCD}},
        {"zz", {0x00}},
        {"g1", {0x01}},
        {"1g", {0x10}},
        {"abc", {0xAB, 0xC0}},
        {"7", {0x70}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeHexBytes(c.text), c.bytes) << c.text;
}

TEST(TranslationTest, KeysAreTwoLowerCaseDigits) {
    EXPECT_EQ(TranslationKey(0x20), u"20");
    EXPECT_EQ(TranslationKey(0x4a), u"4a");
    EXPECT_EQ(TranslationKey(0x7F), u"7f");
}

TEST(MarkerSearchTest, TheMarkerCountsAnywhereInTheFirst245760Bytes) {
    const Bytes marker = StartOfDocument();
    struct Case {
        std::size_t at;
        bool found;
    };
    const Case cases[] = {
        {0, true},
        {100000, true},
        {kMarkerWindow - marker.size(), true},
        {kMarkerWindow - marker.size() + 1, false},  // it ends beyond the window
        {kMarkerWindow, false},
    };
    for (const Case& c : cases) {
        const Bytes job = Repeat(c.at, 0x00) + marker + Repeat(1000, 0x00);
        MarkerSearch search;
        // Pieces of 999 bytes split the marker at most places.
        for (std::size_t at = 0; at < job.size() && !search.Decided(); at += 999)
            search.Feed(job.data() + at, std::min<std::size_t>(999, job.size() - at));
        EXPECT_EQ(search.Found(), c.found) << c.at;
    }
}

}  // namespace
}  // namespace tivrap
