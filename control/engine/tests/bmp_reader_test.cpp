#include "engine/bmp_reader.h"

#include <gtest/gtest.h>

#include <array>

#include "bmp_builder.h"

namespace zelmar {
namespace {

using test::BmpLayout;
using test::MakeBmp;

BmpLayout Layout(int depth, int width = 4, int height = 3) {
    BmpLayout s;
    s.depth = depth;
    s.width = width;
    s.height = height;
    if (depth <= 8) s.palette.assign(1u << depth, 0);
    return s;
}

struct Malformed {
    const char* name;
    std::function<Bytes()> make;
    BmpError expected;
};

void PrintTo(const Malformed& m, std::ostream* os) {
    *os << m.name;
}

Bytes Patched(Bytes b, std::size_t at, std::initializer_list<std::uint8_t> values) {
    for (std::uint8_t v : values)
        b.at(at++) = v;
    return b;
}

Bytes Cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

class MalformedBmp : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedBmp, IsRefused) {
    const Bytes file = GetParam().make();
    BmpSource source;
    EXPECT_EQ(DecodeBmp(file, source), GetParam().expected);
    EXPECT_TRUE(source.pixels.empty());
}

const Bytes kGood = MakeBmp(Layout(24));

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedBmp,
    ::testing::Values(
        Malformed{"Empty", [] { return Bytes{}; }, BmpError::kNotBmp},
        Malformed{"BadMagic",
                  [] {
                      return Patched(kGood, 0, {'M', 'B'});
                  },
                  BmpError::kNotBmp},
        Malformed{"FileHeaderOnly", [] { return Cut(kGood, 14); }, BmpError::kTruncatedHeader},
        Malformed{"InfoHeaderCut", [] { return Cut(kGood, 40); }, BmpError::kTruncatedHeader},
        Malformed{"UnknownHeaderSize",
                  [] {
                      return Patched(kGood, 14, {64, 0, 0, 0});
                  },
                  BmpError::kUnsupportedHeader},
        Malformed{"CoreHeaderWith16Bits",
                  [] {
                      BmpLayout s = Layout(16);
                      s.infoSize = 12;
                      return MakeBmp(s);
                  },
                  BmpError::kUnsupportedDepth},
        Malformed{"CorePaletteCut",
                  [] {
                      BmpLayout s = Layout(8);
                      s.infoSize = 12;
                      return Cut(MakeBmp(s), 26 + 3 * 255);
                  },
                  BmpError::kTruncatedPalette},
        Malformed{"HugeHeader",
                  [] {
                      return Patched(kGood, 14, {0, 0, 0, 0x80});
                  },
                  BmpError::kUnsupportedHeader},
        Malformed{"ZeroWidth",
                  [] {
                      return Patched(kGood, 18, {0, 0, 0, 0});
                  },
                  BmpError::kBadDimensions},
        Malformed{"NegativeWidth",
                  [] {
                      return Patched(kGood, 18, {0xFF, 0xFF, 0xFF, 0xFF});
                  },
                  BmpError::kBadDimensions},
        Malformed{"ZeroHeight",
                  [] {
                      return Patched(kGood, 22, {0, 0, 0, 0});
                  },
                  BmpError::kBadDimensions},
        Malformed{"MinimumHeight",
                  [] {
                      return Patched(kGood, 22, {0, 0, 0, 0x80});
                  },
                  BmpError::kBadDimensions},
        Malformed{"AbsurdWidth",
                  [] {
                      return Patched(kGood, 18, {0, 0, 0, 0x10});
                  },
                  BmpError::kBadDimensions},
        Malformed{"Depth2",
                  [] {
                      return Patched(kGood, 28, {2, 0});
                  },
                  BmpError::kUnsupportedDepth},
        Malformed{"TwoPlanes",
                  [] {
                      return Patched(kGood, 26, {2, 0});
                  },
                  BmpError::kUnsupportedDepth},
        Malformed{"Rle8On4Bits", [] { return Patched(MakeBmp(Layout(4)), 30, {1}); },
                  BmpError::kUnsupportedCompression},
        Malformed{"Rle4On8Bits", [] { return Patched(MakeBmp(Layout(8)), 30, {2}); },
                  BmpError::kUnsupportedCompression},
        Malformed{"TopDownRunLength",
                  [] {
                      BmpLayout s = Layout(8);
                      s.topDown = true;
                      s.compression = 1;
                      s.stored = Bytes{0, 1};
                      return MakeBmp(s);
                  },
                  BmpError::kTopDownRunLength},
        Malformed{"AlphaBitfieldsOn16", [] { return Patched(MakeBmp(Layout(16)), 30, {6}); },
                  BmpError::kUnsupportedCompression},
        Malformed{"AlphaOverlapsColour",
                  [] {
                      BmpLayout s = Layout(32);
                      s.infoSize = 124;
                      s.alphaMask = 0xFF800000;  // takes the top bit of red
                      return MakeBmp(s);
                  },
                  BmpError::kBadMasks},
        Malformed{"GappedAlpha",
                  [] {
                      BmpLayout s = Layout(32);
                      s.infoSize = 108;
                      s.alphaMask = 0xF1000000;
                      return MakeBmp(s);
                  },
                  BmpError::kBadMasks},
        Malformed{"Jpeg", [] { return Patched(kGood, 30, {4}); },
                  BmpError::kUnsupportedCompression},
        Malformed{"BitfieldsOn24", [] { return Patched(kGood, 30, {3}); },
                  BmpError::kUnsupportedCompression},
        Malformed{"OverlappingMasks",
                  [] {
                      BmpLayout s = Layout(16);
                      s.compression = 3;
                      s.masks[0] = 0xF800, s.masks[1] = 0x0FE0, s.masks[2] = 0x001F;
                      return MakeBmp(s);
                  },
                  BmpError::kBadMasks},
        Malformed{"GappedMask",
                  [] {
                      BmpLayout s = Layout(16);
                      s.compression = 3;
                      s.masks[0] = 0xA000, s.masks[1] = 0x07E0, s.masks[2] = 0x001F;
                      return MakeBmp(s);
                  },
                  BmpError::kBadMasks},
        Malformed{"MaskBeyondDepth",
                  [] {
                      BmpLayout s = Layout(16);
                      s.compression = 3;
                      s.masks[0] = 0xF0000, s.masks[1] = 0x07E0, s.masks[2] = 0x001F;
                      return MakeBmp(s);
                  },
                  BmpError::kBadMasks},
        Malformed{"PaletteCut", [] { return Cut(MakeBmp(Layout(8)), 54 + 100); },
                  BmpError::kTruncatedPalette},
        Malformed{"RowsCut", [] { return Cut(kGood, kGood.size() - 1); },
                  BmpError::kTruncatedPixels},
        Malformed{"HugeOffset",
                  [] {
                      return Patched(kGood, 10, {0xFF, 0xFF, 0xFF, 0xFF});
                  },
                  BmpError::kBadDataOffset},
        Malformed{"OffsetPastTheLimit",
                  [] {
                      BmpLayout s = Layout(24);
                      s.dataOffset = kMaxDataOffset + 1;  // the rows are all there
                      return MakeBmp(s);
                  },
                  BmpError::kBadDataOffset},
        Malformed{"OffsetInsideHeader",
                  [] {
                      return Patched(kGood, 10, {20, 0, 0, 0});
                  },
                  BmpError::kBadDataOffset}),
    [](const ::testing::TestParamInfo<Malformed>& p) { return p.param.name; });

TEST(BmpReader, KeepsStoredRowsBottomFirstWithTheirPadding) {
    BmpLayout s = Layout(8, 3, 2);  // 3 bytes of pixels, 1 byte of padding per row
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(10 * y + x + 1); };
    Bytes file = MakeBmp(s);
    file[file.size() - 1] = 0xAB;  // padding of the last stored row (the top row)
    BmpSource source;
    ASSERT_EQ(DecodeBmp(file, source), BmpError::kNone);
    EXPECT_EQ(source.header.stride, 4u);
    const Bytes expected = {11, 12, 13, 0, 1, 2, 3, 0xAB};
    EXPECT_EQ(Bytes(source.pixels.begin(), source.pixels.begin() + 8), expected);
}

TEST(BmpReader, TopDownFileGivesTheSameStoredRows) {
    BmpLayout s = Layout(24, 5, 4);
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(x * 40 + y * 7) * 0x010101u; };
    BmpSource bottomUp, topDown;
    ASSERT_EQ(DecodeBmp(MakeBmp(s), bottomUp), BmpError::kNone);
    s.topDown = true;
    ASSERT_EQ(DecodeBmp(MakeBmp(s), topDown), BmpError::kNone);
    EXPECT_TRUE(topDown.header.topDown);
    EXPECT_EQ(topDown.header.height, 4);
    EXPECT_EQ(topDown.pixels, bottomUp.pixels);
}

TEST(BmpReader, PaletteSizeFollowsColoursUsed) {
    struct Case {
        int depth;
        std::uint32_t used;
        std::size_t entries;
    };
    for (const Case c :
         {Case{8, 0, 256}, Case{8, 3, 3}, Case{8, 300, 256}, Case{4, 16, 16}, Case{1, 2, 2}}) {
        BmpLayout s = Layout(c.depth);
        s.coloursUsed = c.used;
        s.palette.assign(c.entries, 0x123456);
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone) << c.depth << "/" << c.used;
        ASSERT_EQ(source.palette.size(), c.entries);
        EXPECT_EQ(source.palette.back().r, 0x12);
        EXPECT_EQ(source.palette.back().b, 0x56);
    }
}

TEST(BmpReader, BitFieldsScaleChannelsToFullRange) {
    struct Case {
        std::uint32_t mask, value;
        int expected;
    };
    // (v * 255 + (2^n - 1) / 2) / (2^n - 1)
    for (const Case c :
         {Case{0x001F, 31, 255}, Case{0x001F, 16, 132}, Case{0x07E0, 1u << 5, 4},
          Case{0x7C00, 0, 0}, Case{0xFF0000, 0x800000, 128}, Case{0x3FF00000, 512u << 20, 128}}) {
        BmpLayout s = Layout(32);
        s.compression = 3;
        s.masks[0] = c.mask;
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone) << std::hex << c.mask;
        EXPECT_EQ(source.header.red.Extract(c.value), c.expected) << std::hex << c.mask;
    }
}

TEST(BmpReader, DataOffsetUpToTheLimit) {
    BmpLayout s = Layout(8, 3, 2);
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(10 * y + x); };
    s.dataOffset = kMaxDataOffset;
    BmpSource far, near;
    ASSERT_EQ(DecodeBmp(MakeBmp(s), far), BmpError::kNone);
    s.dataOffset = 0;
    ASSERT_EQ(DecodeBmp(MakeBmp(s), near), BmpError::kNone);
    EXPECT_EQ(far.pixels, near.pixels);
}

TEST(BmpReader, CoreHeaderHasThreeByteColours) {
    for (int depth : {1, 4, 8}) {
        BmpLayout s = Layout(depth, 5, 3);
        s.infoSize = 12;
        s.palette.assign(1u << depth, 0);
        s.palette.front() = 0x123456;
        s.palette.back() = 0xABCDEF;
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(x == 0 && y == 0); };
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone) << depth;
        EXPECT_EQ(source.header.width, 5);
        EXPECT_EQ(source.header.height, 3);
        EXPECT_EQ(source.header.dataOffset, 26u + 3u * (1u << depth));
        ASSERT_EQ(source.palette.size(), 1u << depth);
        EXPECT_EQ(source.palette.front().r, 0x12);
        EXPECT_EQ(source.palette.front().g, 0x34);
        EXPECT_EQ(source.palette.front().b, 0x56);
        EXPECT_EQ(source.palette.back().r, 0xAB);
        EXPECT_EQ(source.palette.back().b, 0xEF);
    }
    BmpLayout s = Layout(24, 2, 2);
    s.infoSize = 12;
    s.pixel = [](int x, int y) { return x == 1 && y == 0 ? 0x112233u : 0u; };
    BmpSource source;
    ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone);
    // The top row is stored last: pixel 1 starts 3 bytes into it.
    EXPECT_EQ(source.pixels[source.header.stride + 3], 0x33);
    EXPECT_EQ(source.pixels[source.header.stride + 5], 0x11);
}

// Run-length data of a 6 x 3 picture (RLE8) or a 7 x 2 one (RLE4).
BmpLayout RunLength(int depth, Bytes stream) {
    BmpLayout s = Layout(depth, depth == 8 ? 6 : 7, depth == 8 ? 3 : 2);
    s.compression = depth == 8 ? 1 : 2;
    s.stored = std::move(stream);
    return s;
}

// The colour table ends at 1078 (RLE8) or 118 (RLE4): the data starts there.
constexpr std::uint32_t kRle8Data = 1078, kRle4Data = 118;

TEST(RunLength, EveryCodeGivesPlainStoredRows) {
    struct Case {
        const char* name;
        int depth;
        Bytes stream, rows;
    };
    const Case cases[] = {
        {"Rle8",
         8,
         {
             0x03, 0x01, 0x00, 0x03, 0x02, 0x01, 0x02, 0x00,  // a run; three as stored, padded
             0x00, 0x00,                                      // end of the row
             0x02, 0x01, 0x00, 0x02, 0x01, 0x01,              // a run; one right and one up
             0x03, 0x01, 0x00, 0x01,                          // a run; end of the picture
         },
         {1, 1, 1, 2, 1, 2, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0}},
        {"Rle4",
         4,
         {
             0x05, 0x12, 0x00, 0x02, 0x02, 0x00, 0x00, 0x00,  // a run of two colours; two right
             0x00, 0x05, 0x34, 0x56, 0x70, 0x00,              // five as stored, padded
             0x02, 0x89, 0x00, 0x01,                          // a run; end of the picture
         },
         {0x12, 0x12, 0x10, 0x00, 0x34, 0x56, 0x78, 0x90}},
    };
    for (const Case& c : cases) {
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(RunLength(c.depth, c.stream)), source), BmpError::kNone)
            << c.name;
        EXPECT_EQ(Bytes(source.pixels.begin(), source.pixels.end() - kPixelSlack), c.rows)
            << c.name;
        EXPECT_EQ(source.header.compression, kBiRgb) << c.name;
        EXPECT_EQ(source.header.depth, c.depth) << c.name;
    }
}

TEST(RunLength, DataThatLeavesThePictureIsRefusedWithItsPlace) {
    struct Case {
        const char* name;
        int depth;
        Bytes stream;
        BmpError error;
        StreamPlace place;
    };
    const Case cases[] = {
        {"RunPastTheRow",
         8,
         {0x04, 0x01, 0x03, 0x01, 0, 1},
         BmpError::kRunPastRow,
         {kRle8Data + 2, 0, 4}},
        {"StoredRunPastTheRow",
         8,
         {0x00, 0x07, 1, 2, 3, 4, 5, 6, 7, 0, 0, 1},
         BmpError::kRunPastRow,
         {kRle8Data, 0, 0}},
        {"DeltaPastTheRow",
         8,
         {0x03, 0x01, 0x00, 0x02, 0x04, 0x00, 0, 1},
         BmpError::kRunPastRow,
         {kRle8Data + 2, 0, 3}},
        {"DeltaPastThePicture",
         8,
         {0x00, 0x02, 0x00, 0x04, 0, 1},
         BmpError::kRunPastPicture,
         {kRle8Data, 0, 0}},
        {"RunAboveTheTopRow",
         8,
         {0, 0, 0, 0, 0, 0, 0x01, 0x01, 0, 1},
         BmpError::kRunPastPicture,
         {kRle8Data + 6, 3, 0}},
        {"RowEndAboveTheTopRow",
         8,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
         BmpError::kRunPastPicture,
         {kRle8Data + 6, 3, 0}},
        {"NoData", 8, {}, BmpError::kRunPastFile, {kRle8Data, 0, 0}},
        {"MissingEnd", 8, {0x03, 0x01, 0x00, 0x00}, BmpError::kRunPastFile, {kRle8Data + 4, 1, 0}},
        {"EscapeCut", 8, {0x03, 0x01, 0x00}, BmpError::kRunPastFile, {kRle8Data + 2, 0, 3}},
        {"DeltaCut", 8, {0x00, 0x02, 0x01}, BmpError::kRunPastFile, {kRle8Data, 0, 0}},
        {"StoredRunPastTheFile",
         8,
         {0x00, 0x05, 1, 2, 3},
         BmpError::kRunPastFile,
         {kRle8Data, 0, 0}},
        {"Rle4RunPastTheRow", 4, {0x08, 0x11, 0, 1}, BmpError::kRunPastRow, {kRle4Data, 0, 0}},
        {"Rle4PaddingMissing",
         4,
         {0x00, 0x05, 0x12, 0x34, 0x50},
         BmpError::kRunPastFile,
         {kRle4Data, 0, 0}},
    };
    for (const Case& c : cases) {
        BmpSource source;
        StreamPlace place;
        EXPECT_EQ(DecodeBmp(MakeBmp(RunLength(c.depth, c.stream)), source, &place), c.error)
            << c.name;
        EXPECT_TRUE(source.pixels.empty()) << c.name;
        EXPECT_EQ(place.offset, c.place.offset) << c.name;
        EXPECT_EQ(place.row, c.place.row) << c.name;
        EXPECT_EQ(place.column, c.place.column) << c.name;
    }
    EXPECT_EQ(Describe(BmpError::kRunPastRow, {1080, 0, 4}),
              "the run-length data goes past the end of a row (the code at byte 1080, row 0 from "
              "the bottom, column 4)");
}

// Four 32-bit pixels, 0xAARRGGBB as stored, behind a header that may carry alpha.
struct AlphaCase {
    const char* name;
    std::uint32_t infoSize, compression, alphaMask;
    std::array<std::uint32_t, 4> pixels;
    std::array<std::uint32_t, 4> expected;  // 0xRRGGBB as decoded
};

// Opaque black, transparent black, half-transparent black and red.
constexpr std::array<std::uint32_t, 4> kMixed = {0xFF000000, 0x00000000, 0x80000000, 0x80FF0000};
constexpr std::array<std::uint32_t, 4> kMixedOnWhite = {0x000000, 0xFFFFFF, 0x7F7F7F, 0xFF7F7F};

TEST(Transparency, PicturesWithAlphaAreLaidOnWhite) {
    const AlphaCase cases[] = {
        {"V5", 124, 3, 0xFF000000, kMixed, kMixedOnWhite},
        {"V4WithoutBitFields", 108, 0, 0xFF000000, kMixed, kMixedOnWhite},
        {"AlphaBitFields", 40, 6, 0xFF000000, kMixed, kMixedOnWhite},
        // 8 of 15 is 136 of 255.
        {"FourBitAlpha",
         124,
         3,
         0xF0000000,
         {0xF0000000, 0, 0x80000000, 0x80003400},
         {0x000000, 0xFFFFFF, 0x777777, 0x779377}},
        // Many writers leave the alpha at zero: such a file is opaque.
        {"AlphaZeroEverywhere",
         124,
         3,
         0xFF000000,
         {0, 0x00123456, 0x00FFFFFF, 0},
         {0x000000, 0x123456, 0xFFFFFF, 0x000000}},
        // No alpha mask: the fourth byte means nothing, as before.
        {"NoAlphaMask",
         124,
         3,
         0,
         {0, 0x80123456, 0xFFFFFFFF, 0x01000000},
         {0x000000, 0x123456, 0xFFFFFF, 0x000000}},
    };
    for (const AlphaCase& c : cases) {
        BmpLayout s = Layout(32, 4, 1);
        s.infoSize = c.infoSize;
        s.compression = c.compression;
        if (c.compression != 0) s.masks[0] = 0xFF0000, s.masks[1] = 0xFF00, s.masks[2] = 0xFF;
        s.alphaMask = c.alphaMask;
        s.pixel = [&c](int x, int) { return c.pixels[x]; };
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone) << c.name;
        EXPECT_EQ(source.header.alpha.bits, 0) << c.name;
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t v = GetU32(&source.pixels[4 * x]);
            const BmpHeader& h = source.header;
            const std::uint32_t rgb = std::uint32_t{h.red.Extract(v)} << 16 |
                                      std::uint32_t{h.green.Extract(v)} << 8 | h.blue.Extract(v);
            EXPECT_EQ(rgb, c.expected[x]) << c.name << " pixel " << x;
        }
    }
}

TEST(BmpReader, HeaderVersionsAreRead) {
    for (std::uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        BmpLayout s = Layout(16);
        s.infoSize = size;
        s.compression = 3;
        s.masks[0] = 0xF800, s.masks[1] = 0x07E0, s.masks[2] = 0x001F;
        BmpSource source;
        ASSERT_EQ(DecodeBmp(MakeBmp(s), source), BmpError::kNone) << size;
        EXPECT_EQ(source.header.green.bits, 6) << size;
        EXPECT_EQ(source.header.dataOffset, 14 + size + (size == 40 ? 12 : 0)) << size;
    }
}

}  // namespace
}  // namespace zelmar
