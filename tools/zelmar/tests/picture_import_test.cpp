#include "picture_import.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/logo_bitmap.h"
#include "work_dir.h"

namespace zelmar::cli {
namespace {

// A picture from 0xRRGGBBAA values, the top row first.
RgbaPicture Picture(int width, int height, std::vector<std::uint32_t> pixels) {
    RgbaPicture p{width, height, {}};
    for (std::uint32_t v : pixels) {
        for (int shift : {24, 16, 8, 0})
            p.rgba.push_back(static_cast<std::uint8_t>(v >> shift));
    }
    return p;
}

TEST(FittedSize, ScalesDownToTheWidthAndTheHeightKeepingTheRatio) {
    struct Case {
        PictureSize picture;
        std::int32_t width;
        PictureSize expected;
    };
    const Case cases[] = {
        {{576, 648}, 576, {576, 648}},   // fits: kept
        {{100, 50}, 576, {100, 50}},     // never enlarged
        {{600, 100}, 576, {576, 96}},    // within the rasters, wider than the paper
        {{1152, 300}, 576, {576, 150}},  // the width reaches its limit first
        {{700, 101}, 576, {576, 83}},    // 83.1 rounds down
        {{700, 103}, 576, {576, 85}},    // 84.75 rounds up
        {{100, 1300}, 576, {50, 648}},   // the height does
        {{1000, 1000}, 576, {576, 576}}, {{2000, 3000}, 576, {432, 648}},
        {{1000, 200}, 384, {384, 77}},  // --width 384 (58 mm paper)
        {{5000, 1}, 576, {576, 1}},     // never below a pixel
        {{1, 5000}, 576, {1, 648}},
    };
    for (const Case& c : cases) {
        const PictureSize got = FittedSize(c.picture, c.width);
        EXPECT_EQ(got.width, c.expected.width) << c.picture.width << "x" << c.picture.height;
        EXPECT_EQ(got.height, c.expected.height) << c.picture.width << "x" << c.picture.height;
    }
}

TEST(ImportedBmp, LaysTransparencyOnWhite) {
    // Opaque red, transparent black, half-transparent black and blue.
    const RgbaPicture p = Picture(4, 1, {0xFF0000FF, 0x00000000, 0x00000080, 0x0000FF80});
    EXPECT_EQ(test::TrueColours(ImportedBmp(p, {4, 1})),
              (std::vector<std::uint32_t>{0xFF0000, 0xFFFFFF, 0x7F7F7F, 0x7F7FFF}));
}

TEST(ImportedBmp, AveragesTheAreaEachDotCovers) {
    struct Case {
        const char* name;
        RgbaPicture picture;
        PictureSize size;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        // Each dot covers two by two pixels: half black, half white.
        {"Checkerboard",
         Picture(4, 2,
                 {0x000000FF, 0xFFFFFFFF, 0x000000FF, 0xFFFFFFFF, 0xFFFFFFFF, 0x000000FF,
                  0xFFFFFFFF, 0x000000FF}),
         {2, 1},
         {0x808080, 0x808080}},
        // Each dot covers one pixel and half of the middle one.
        {"Thirds",
         Picture(3, 1, {0x000000FF, 0xFFFFFFFF, 0x000000FF}),
         {2, 1},
         {0x555555, 0x555555}},
        {"Channels", Picture(2, 1, {0xFF000000 | 0xFF, 0x0000FFFF}), {1, 1}, {0x800080}},
        // Transparent pixels count as the white paper they show.
        {"Transparent", Picture(2, 1, {0x00000000, 0x000000FF}), {1, 1}, {0x808080}},
        {"Unscaled", Picture(2, 1, {0x123456FF, 0xABCDEFFF}), {2, 1}, {0x123456, 0xABCDEF}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(test::TrueColours(ImportedBmp(c.picture, c.size)), c.expected) << c.name;
    }
}

class ImportedBmpFile : public test::WorkDirTest {};

TEST_F(ImportedBmpFile, IsASourceTheEngineTakes) {
    // 600 x 30: a black band across a transparent picture, fitted to the paper.
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 600; ++x)
            pixels.push_back(y >= 10 && y < 20 ? 0x000000FF : 0x00000000);
    }
    const RgbaPicture p = Picture(600, 30, pixels);
    const PictureSize size = FittedSize({600, 30}, kPaperWidth);
    test::WriteBytes(Path("logo.bmp"), ImportedBmp(p, size));
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Path("logo.bmp")), EngineResult::kDone) << Describe(bitmap.Fault());
    EXPECT_EQ(bitmap.Depth(), 24);
    EXPECT_EQ(bitmap.Width(), 576);
    EXPECT_EQ(bitmap.Height(), 29);
    ASSERT_EQ(bitmap.ToneNone(5), EngineResult::kDone);
    // Stored rows are bottom first: row 28 is the top of the picture.
    auto dot = [&bitmap](int x, int y) {
        return bitmap.DotRaster()[static_cast<std::size_t>(28 - y) * kRasterStride + x] == kDot;
    };
    EXPECT_FALSE(dot(0, 0));
    EXPECT_TRUE(dot(0, 14));
    EXPECT_TRUE(dot(575, 14));
    EXPECT_FALSE(dot(575, 28));
}

}  // namespace
}  // namespace zelmar::cli
