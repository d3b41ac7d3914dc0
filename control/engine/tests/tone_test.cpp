#include <gtest/gtest.h>

#include <algorithm>

#include "bmp_builder.h"
#include "engine/logo_bitmap.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::BmpLayout;
using test::Grey;
using test::MakeBmp;

class ToneTest : public test::WorkDirTest {
  protected:
    // Loads a picture into the record; false when it does not load.
    bool Load(const Bytes& file) {
        test::WriteBytes(Path("source.bmp"), file);
        return bitmap_.LoadSource(Path("source.bmp")) == EngineResult::kDone;
    }
    bool Load(int width, int height, std::function<std::uint32_t(int, int)> colour) {
        return Load(test::MakeColourBmp(width, height, std::move(colour)));
    }
    // The grey level or dot of the picture's pixel (x, y), y = 0 the top row.
    int GreyAt(int x, int y) const {
        return bitmap_.GreyRaster()[(bitmap_.Height() - 1 - y) * kRasterStride + x];
    }
    bool DotAt(int x, int y) const {
        return bitmap_.DotRaster()[(bitmap_.Height() - 1 - y) * kRasterStride + x] == kDot;
    }
    // The picture's dots, top row first, '#' for a dot.
    std::vector<std::string> Dots() const {
        std::vector<std::string> rows;
        for (int y = 0; y < bitmap_.Height(); ++y) {
            std::string row;
            for (int x = 0; x < bitmap_.Width(); ++x)
                row += DotAt(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    int DotCount() const {
        int n = 0;
        for (const std::string& row : Dots())
            n += static_cast<int>(std::count(row.begin(), row.end(), '#'));
        return n;
    }

    CLogoBitmap bitmap_;
};

TEST(Tone, BrightnessOffsets) {
    const int expected[] = {31, 25, 19, 12, 6, 0, -6, -12, -19, -25, -31};
    for (int16_t b = 0; b <= 10; ++b)
        EXPECT_EQ(BrightnessOffset(b), expected[b]) << b;
}

TEST(Tone, GreyFormula) {
    EXPECT_EQ(GreyLevel(0, 0, 255), 76);    // 76.245
    EXPECT_EQ(GreyLevel(31, 31, 255), 97);  // 97.976
    EXPECT_EQ(GreyLevel(128, 128, 128), 127);
    EXPECT_EQ(GreyLevel(255, 255, 255), 255);
    EXPECT_EQ(GreyLevel(0, 0, 0), 0);
}

TEST_F(ToneTest, ConversionsNeedALoadedSource) {
    EXPECT_EQ(bitmap_.ToneNone(5), EngineResult::kFailed);
    EXPECT_EQ(bitmap_.ToneDiffuse(5), EngineResult::kFailed);
    EXPECT_EQ(bitmap_.ToneTwoColour(), EngineResult::kFailed);
}

TEST_F(ToneTest, GreyOfTrueColourPixelsWithOffset) {
    ASSERT_TRUE(Load(2, 1, [](int x, int) { return x == 0 ? 0xFF0000u : 0x808080u; }));
    bitmap_.ToneNone(5);
    EXPECT_EQ(GreyAt(0, 0), 76);
    EXPECT_EQ(GreyAt(1, 0), 127);
    bitmap_.ToneDiffuse(0);  // offset +31 on every channel
    EXPECT_EQ(GreyAt(0, 0), 97);
    bitmap_.ToneDiffuse(10);  // offset -31, clamped at 0
    EXPECT_EQ(GreyAt(0, 0), GreyLevel(0, 0, 224));
}

TEST_F(ToneTest, PaddingKeepsGreyZero) {
    ASSERT_TRUE(Load(3, 2, [](int, int) { return 0xFFFFFFu; }));
    bitmap_.ToneNone(5);
    const uint8_t* grey = bitmap_.GreyRaster();
    EXPECT_EQ(grey[3], 0);                  // beyond the width
    EXPECT_EQ(grey[2 * kRasterStride], 0);  // above the picture
    EXPECT_EQ(grey[2], 255);
}

TEST_F(ToneTest, NoneThresholdIsInclusive) {
    // Greys skip some levels; a touch of blue reaches every one.
    auto greyReading = [](int level) {
        for (std::uint32_t v = 0; v < 255; ++v) {
            for (std::uint32_t blue = v; blue < 256; ++blue) {
                if (GreyLevel(blue, v, v) == level) return v << 16 | v << 8 | blue;
            }
        }
        return 0u;
    };
    for (int16_t b : std::initializer_list<int16_t>{0, 5, 10}) {
        const int t = 5 * b + 103;
        ASSERT_TRUE(Load(2, 1, [&](int x, int) { return greyReading(x == 0 ? t : t + 1); }));
        bitmap_.ToneNone(b);
        ASSERT_EQ(GreyAt(0, 0), t) << b;
        ASSERT_EQ(GreyAt(1, 0), t + 1) << b;
        EXPECT_TRUE(DotAt(0, 0)) << b;
        EXPECT_FALSE(DotAt(1, 0)) << b;
    }
}

TEST_F(ToneTest, WhitePictureAcrossBrightness) {
    ASSERT_TRUE(Load(16, 16, [](int, int) { return 0xFFFFFFu; }));
    for (int16_t b = 0; b <= 10; ++b) {
        bitmap_.ToneNone(b);
        EXPECT_EQ(DotCount(), 0) << "None " << b;
        bitmap_.ToneDiffuse(b);
        // Above 7 the offset turns white into light grey, which diffuses into dots.
        if (b <= 7) {
            EXPECT_EQ(DotCount(), 0) << "Error Diffusion " << b;
        } else {
            EXPECT_GT(DotCount(), 0) << "Error Diffusion " << b;
        }
    }
}

TEST_F(ToneTest, DiffusionBoundaryAndShares) {
    // One row of grey 100: dots and whites follow the weights 8 and 4 to the
    // right, 128 prints, and negative shares are truncated toward zero.
    ASSERT_TRUE(Load(8, 1, [](int, int) { return Grey(101); }));
    bitmap_.ToneDiffuse(5);
    ASSERT_EQ(GreyAt(0, 0), 100);
    EXPECT_EQ(Dots(), std::vector<std::string>{"##.###.#"});
}

TEST_F(ToneTest, DiffusionOverRowsWithWrapAtTheRightEdge) {
    // 8 columns: shares aimed past the right edge land at the start of the
    // next row up; rows are processed from the bottom.
    auto colour = [](int x, int y) {
        const std::uint32_t v = (x * 37 + y * 91 + 20) % 256;
        return v << 16 | ((v * 3) % 256) << 8 | (255 - v);
    };
    struct Case {
        int16_t brightness;
        std::vector<std::string> dots;
    };
    for (const Case& c : {Case{5, {"#.##.#.#", "..#.##.#", "#.#.#..#"}},
                          Case{0, {"#.#....#", "#.#.##.#", "..#.#..."}},
                          Case{9, {"#.##.#.#", "#.#.##.#", "#.###..#"}}}) {
        ASSERT_TRUE(Load(8, 3, colour));
        bitmap_.ToneDiffuse(c.brightness);
        EXPECT_EQ(Dots(), c.dots) << c.brightness;
    }
}

// Palette, 16- and 32-bit pixels all go through their colour: a picture in any
// depth converts like the same colours in 24 bits.
struct DepthCase {
    const char* name;
    BmpLayout layout;
};

void PrintTo(const DepthCase& c, std::ostream* os) {
    *os << c.name;
}

std::uint32_t Colour(int x, int y) {
    static const std::uint32_t colours[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                            0xFFFFFF, 0x808080, 0x204060, 0xC0A080};
    return colours[(x + 3 * y) % 8];
}

BmpLayout PaletteLayout(int depth) {
    BmpLayout s;
    s.depth = depth;
    s.width = 7;
    s.height = 5;
    for (int i = 0; i < 8; ++i)
        s.palette.push_back(Colour(i, 0));
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x + 3 * y) % 8); };
    return s;
}

std::uint32_t To555(std::uint32_t c) {
    return ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
}

BmpLayout Layout16() {
    BmpLayout s = PaletteLayout(16);
    s.palette.clear();
    s.pixel = [](int x, int y) { return To555(Colour(x, y)); };
    return s;
}

BmpLayout Layout32(std::uint32_t infoSize, bool bitfields) {
    BmpLayout s = PaletteLayout(32);
    s.palette.clear();
    s.infoSize = infoSize;
    if (bitfields) {
        // Alpha in the low byte, colours above it.
        s.compression = 3;
        s.masks[0] = 0xFF000000u, s.masks[1] = 0x00FF0000u, s.masks[2] = 0x0000FF00u;
        s.pixel = [](int x, int y) { return Colour(x, y) << 8 | 0xFFu; };
    } else {
        s.pixel = [](int x, int y) { return Colour(x, y); };
    }
    return s;
}

BmpLayout Layout24(std::uint32_t infoSize, bool topDown) {
    BmpLayout s = PaletteLayout(24);
    s.palette.clear();
    s.infoSize = infoSize;
    s.topDown = topDown;
    s.pixel = [](int x, int y) { return Colour(x, y); };
    return s;
}

class DepthTone : public ToneTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DepthTone, ConvertsLikeTheSameColoursInTrueColour) {
    const BmpLayout& layout = GetParam().layout;
    ASSERT_TRUE(Load(test::MakeColourBmp(layout.width, layout.height, [&layout](int x, int y) {
        // What the file's pixel means, after 5-bit rounding for 16-bit files.
        std::uint32_t c = Colour(x, y);
        if (layout.depth != 16) return c;
        auto widen = [](std::uint32_t v) { return (v * 255 + 15) / 31; };
        const std::uint32_t p = To555(c);
        return widen(p >> 10 & 31) << 16 | widen(p >> 5 & 31) << 8 | widen(p & 31);
    })));
    std::vector<std::vector<int>> expected;
    for (int16_t b : std::initializer_list<int16_t>{0, 5, 10}) {
        bitmap_.ToneDiffuse(b);
        expected.emplace_back(bitmap_.GreyRaster(), bitmap_.GreyRaster() + 5 * kRasterStride);
    }
    ASSERT_TRUE(Load(MakeBmp(layout)));
    std::size_t i = 0;
    for (int16_t b : std::initializer_list<int16_t>{0, 5, 10}) {
        bitmap_.ToneDiffuse(b);
        EXPECT_EQ(std::vector<int>(bitmap_.GreyRaster(), bitmap_.GreyRaster() + 5 * kRasterStride),
                  expected[i++])
            << "brightness " << b;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthTone,
                         ::testing::Values(DepthCase{"Palette8", PaletteLayout(8)},
                                           DepthCase{"Palette4", PaletteLayout(4)},
                                           DepthCase{"Rgb555", Layout16()},
                                           DepthCase{"Rgb32", Layout32(40, false)},
                                           DepthCase{"Bitfields32V5", Layout32(124, true)},
                                           DepthCase{"Bitfields32", Layout32(40, true)},
                                           DepthCase{"TopDown24", Layout24(40, true)},
                                           DepthCase{"V4Header24", Layout24(108, false)},
                                           DepthCase{"V5HeaderTopDown24", Layout24(124, true)}),
                         [](const ::testing::TestParamInfo<DepthCase>& p) { return p.param.name; });

TEST_F(ToneTest, Rgb565BitfieldsAreDecoded) {
    BmpLayout s;
    s.depth = 16;
    s.width = 3;
    s.height = 1;
    s.compression = 3;
    s.masks[0] = 0xF800, s.masks[1] = 0x07E0, s.masks[2] = 0x001F;
    s.pixel = [](int x, int) { return x == 0 ? 0xF800u : x == 1 ? 0x07E0u : 0x0400u; };
    ASSERT_TRUE(Load(MakeBmp(s)));
    bitmap_.ToneNone(5);
    EXPECT_EQ(GreyAt(0, 0), GreyLevel(0, 0, 255));
    EXPECT_EQ(GreyAt(1, 0), GreyLevel(0, 255, 0));
    EXPECT_EQ(GreyAt(2, 0), GreyLevel(0, 130, 0));  // 6-bit 32: (32 * 255 + 31) / 63
}

TEST_F(ToneTest, PaletteIndexBeyondTheTableIsBlack) {
    BmpLayout s;
    s.depth = 8;
    s.width = 2;
    s.height = 1;
    s.palette = {0xFFFFFF};
    s.pixel = [](int x, int) { return static_cast<std::uint32_t>(x == 0 ? 0 : 200); };
    ASSERT_TRUE(Load(MakeBmp(s)));
    bitmap_.ToneNone(5);
    EXPECT_EQ(GreyAt(0, 0), 255);
    EXPECT_EQ(GreyAt(1, 0), 0);
}

TEST_F(ToneTest, TwoColourSourceKeepsItsOwnDots) {
    for (auto palette : {std::vector<std::uint32_t>{0x000000, 0xFFFFFF},
                         std::vector<std::uint32_t>{0xFFFFFF, 0x000000}}) {
        BmpLayout s;
        s.depth = 1;
        s.width = 11;
        s.height = 3;
        s.palette = palette;
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 3 == 0); };
        ASSERT_TRUE(Load(MakeBmp(s)));
        ASSERT_EQ(bitmap_.ToneTwoColour(), EngineResult::kDone);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 11; ++x) {
                const bool set = (x + y) % 3 == 0;
                // A dot wherever the pixel's colour is black.
                EXPECT_EQ(DotAt(x, y), set == (palette[1] == 0)) << x << "," << y;
            }
        }
    }
}

TEST_F(ToneTest, WaterMarkKeepsTwentyDotsInEveryBlock) {
    ASSERT_TRUE(Load(40, 30, [](int, int) { return 0u; }));
    bitmap_.ToneNone(5);
    ASSERT_EQ(bitmap_.TurnAndWrite(0), EngineResult::kDone);
    EXPECT_EQ(bitmap_.ApplyWaterMarkScreen(), EngineResult::kDone);
    const uint8_t* turned = TurnedRaster();
    for (int blockRow = 0; blockRow < 3; ++blockRow) {
        for (int blockColumn = 0; blockColumn < 4; ++blockColumn) {
            int dots = 0;
            for (int r = 0; r < 10; ++r) {
                for (int c = 0; c < 10; ++c) {
                    dots +=
                        turned[(blockRow * 10 + r) * kTurnedStride + blockColumn * 10 + c] == kDot;
                }
            }
            EXPECT_EQ(dots, 20) << blockRow << "," << blockColumn;
        }
    }
    // Row 0 keeps columns 2 and 6 of each ten; white stays white.
    EXPECT_EQ(turned[2], kDot);
    EXPECT_EQ(turned[0], kWhite);
    EXPECT_EQ(turned[kTurnedStride * 3], kDot);  // row 3 keeps column 0
}

}  // namespace
}  // namespace zelmar
