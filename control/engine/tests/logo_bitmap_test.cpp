#include "engine/logo_bitmap.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::BmpLayout;
using test::MakeBmp;
using test::ReadBytes;
using test::WriteBytes;

class LogoBitmapTest : public test::WorkDirTest {
  protected:
    std::string Save(const std::string& name, const Bytes& bytes) {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
};

BmpLayout Layout(int depth, std::uint32_t infoSize = 40) {
    BmpLayout s;
    s.depth = depth;
    s.width = 3;
    s.height = 2;
    s.infoSize = infoSize;
    if (depth <= 8) s.palette.assign(1u << depth, 0);
    return s;
}

TEST_F(LogoBitmapTest, ToneSourceIsDecidedByDepth) {
    struct Case {
        int depth;
        std::uint32_t infoSize;
        bool expected;
    };
    // Other headers move the data offset away from 54, and the OS/2 one the
    // depth away from offset 28: the depth alone decides.
    for (const Case c :
         {Case{1, 40, false}, Case{1, 124, false}, Case{4, 40, true}, Case{8, 40, true},
          Case{16, 40, true}, Case{24, 40, true}, Case{24, 108, true}, Case{32, 124, true},
          Case{1, 12, false}, Case{8, 12, true}, Case{24, 12, true}}) {
        CLogoBitmap bitmap;
        const std::string path = Save("source.bmp", MakeBmp(Layout(c.depth, c.infoSize)));
        EXPECT_EQ(bitmap.IsToneSource(path), c.expected) << c.depth << "/" << c.infoSize;
    }
}

TEST_F(LogoBitmapTest, ClassificationOfFilesThatAreNotBmp) {
    CLogoBitmap bitmap;
    EXPECT_FALSE(bitmap.IsToneSource(Path("missing.bmp")));
    EXPECT_FALSE(bitmap.IsWhiteFirst(Path("missing.bmp")));
    const std::string text = Save("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(bitmap.IsToneSource(text));
    EXPECT_FALSE(bitmap.IsWhiteFirst(text));
    const std::string bare = Save("bare.bmp", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(bitmap.IsToneSource(bare));
}

TEST_F(LogoBitmapTest, WhiteFirstIsColourZeroOrTheFirstPixel) {
    CLogoBitmap bitmap;
    BmpLayout mono = Layout(1);
    mono.palette = {0x000000, 0xFFFFFF};  // the usual table: black first
    EXPECT_FALSE(bitmap.IsWhiteFirst(Save("mono.bmp", MakeBmp(mono))));
    mono.palette = {0xFFFFFF, 0x000000};
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("inverse.bmp", MakeBmp(mono))));

    BmpLayout colour = Layout(24);
    colour.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFFu : 0u; };
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("white.bmp", MakeBmp(colour))));
    colour.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFEu : 0xFFFFFFu; };
    EXPECT_FALSE(bitmap.IsWhiteFirst(Save("grey.bmp", MakeBmp(colour))));

    // Offset 54 lies inside a V5 header, and before rows that start further on.
    BmpLayout v5 = Layout(8, 124);
    v5.palette[0] = 0xFFFFFF;
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("v5-palette.bmp", MakeBmp(v5))));
    v5 = Layout(24, 124);
    v5.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFFu : 0u; };
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("v5-colour.bmp", MakeBmp(v5))));
    colour.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFFu : 0u; };
    colour.dataOffset = 200;
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("far.bmp", MakeBmp(colour))));
    // A transparent first pixel is white paper.
    BmpLayout alpha = Layout(32, 124);
    alpha.alphaMask = 0xFF000000;
    alpha.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0u : 0xFF000000u; };
    EXPECT_TRUE(bitmap.IsWhiteFirst(Save("alpha.bmp", MakeBmp(alpha))));

    // The engine's own working files: white colour 0, and a 24-bit copy.
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(Layout(24)))), EngineResult::kDone);
    ASSERT_EQ(bitmap.WriteDotBitmap(), EngineResult::kDone);
    EXPECT_TRUE(bitmap.IsWhiteFirst(Path("Temp.bmp")));
    ASSERT_EQ(bitmap.CopyColourPlanes(ColourFile::kRed), EngineResult::kDone);
    EXPECT_FALSE(bitmap.IsWhiteFirst(Path("RealRedColor.bmp")));
}

// Pictures as image programs save them, each with the dots "None" gives it:
// '#' a dot, '.' white, the top row first.
TEST_F(LogoBitmapTest, PicturesAsUsersHaveThemGiveTheirDots) {
    struct Case {
        const char* name;
        BmpLayout layout;
        std::vector<std::string> dots;
    };
    // Top row: opaque, transparent, half and a quarter opaque black; bottom
    // row: opaque white, transparent red, opaque blue, half-transparent red.
    const std::uint32_t kLogo[2][4] = {{0xFF000000, 0x00000000, 0x80000000, 0x40000000},
                                       {0xFFFFFFFF, 0x00FF0000, 0xFF0000FF, 0x80FF0000}};
    BmpLayout transparent = Layout(32, 124);
    transparent.width = 4;
    transparent.compression = 3;
    transparent.masks[0] = 0xFF0000, transparent.masks[1] = 0xFF00, transparent.masks[2] = 0xFF;
    transparent.alphaMask = 0xFF000000;
    transparent.pixel = [&kLogo](int x, int y) { return kLogo[y][x]; };
    BmpLayout unset = transparent;
    unset.pixel = [&kLogo](int x, int y) { return kLogo[y][x] & 0xFFFFFFu; };

    BmpLayout rle8 = Layout(8);
    rle8.width = 6;
    rle8.height = 3;
    rle8.compression = 1;
    rle8.palette[0] = 0xFFFFFF, rle8.palette[2] = 0xC0C0C0;
    rle8.stored = Bytes{0x03, 0x01, 0x00, 0x03, 0x02, 0x01, 0x02, 0x00, 0x00, 0x00,
                        0x02, 0x01, 0x00, 0x02, 0x01, 0x01, 0x03, 0x01, 0x00, 0x01};
    BmpLayout rle4 = Layout(4);
    rle4.width = 7;
    rle4.compression = 2;
    for (std::size_t i = 0; i < rle4.palette.size(); ++i)
        rle4.palette[i] = i % 2 ? 0x000000 : 0xFFFFFF;
    rle4.stored = Bytes{0x05, 0x12, 0x00, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00,
                        0x05, 0x34, 0x56, 0x70, 0x00, 0x02, 0x89, 0x00, 0x01};

    const Case cases[] = {
        {"Transparent", transparent, {"#.#.", "..#."}},
        {"AlphaUnset", unset, {"####", ".###"}},
        {"Rle8", rle8, {"...###", "##....", "###.#."}},
        {"Rle4", rle4, {"#.#.#.#", "#.#.#.."}},
    };
    for (const Case& c : cases) {
        CLogoBitmap bitmap;
        ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(c.layout))), EngineResult::kDone)
            << c.name << ": " << Describe(bitmap.Fault());
        ASSERT_EQ(bitmap.ToneNone(5), EngineResult::kDone);
        std::vector<std::string> dots;
        for (int y = 0; y < bitmap.Height(); ++y) {
            const std::uint8_t* row =
                bitmap.DotRaster() +
                static_cast<std::size_t>(bitmap.Height() - 1 - y) * kRasterStride;
            std::string line;
            for (int x = 0; x < bitmap.Width(); ++x)
                line += row[x] == kDot ? '#' : '.';
            dots.push_back(line);
        }
        EXPECT_EQ(dots, c.dots) << c.name;
    }
}

TEST_F(LogoBitmapTest, ColourCopyOfATransparentPictureIsOnWhite) {
    BmpLayout s = Layout(32, 108);
    s.width = 2;
    s.height = 1;
    s.alphaMask = 0xFF000000;
    s.pixel = [](int x, int) { return x == 0 ? 0x00000000u : 0x80FF0000u; };
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), EngineResult::kDone);
    ASSERT_EQ(bitmap.CopyColourPlanes(ColourFile::kRed), EngineResult::kDone);
    const Bytes file = ReadBytes(Path("RealRedColor.bmp"));
    ASSERT_EQ(file.size(), 54u + 8u);
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 60),
              (Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0x7F, 0xFF}));
}

TEST_F(LogoBitmapTest, BadRunLengthDataIsNamedWithItsPlace) {
    BmpLayout s = Layout(8);
    s.compression = 1;
    s.stored = Bytes{0x04, 0x01, 0x00, 0x01};  // four pixels in a row of three
    const std::string path = Save("s.bmp", MakeBmp(s));
    CLogoBitmap bitmap;
    EXPECT_EQ(bitmap.LoadSource(path), EngineResult::kFailed);
    EXPECT_EQ(Describe(bitmap.Fault()),
              path +
                  ": the run-length data goes past the end of a row (the code at byte 1078, row 0 "
                  "from the bottom, column 0)");
    EXPECT_EQ(CheckSource(path), bitmap.Fault().source);
    EXPECT_FALSE(bitmap.IsWhiteFirst(path));
}

TEST_F(LogoBitmapTest, LoadSourceFillsTheDescription) {
    BmpLayout s = Layout(8);
    s.width = 13;
    s.height = 9;
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), EngineResult::kDone);
    EXPECT_TRUE(bitmap.Loaded());
    EXPECT_EQ(bitmap.Width(), 13);
    EXPECT_EQ(bitmap.Height(), 9);
    EXPECT_EQ(bitmap.Stride(), 16);
    EXPECT_EQ(bitmap.Depth(), 8);
    EXPECT_EQ(bitmap.Planes(), 1);
    EXPECT_EQ(bitmap.PaddedWidth(), 16);
    EXPECT_EQ(bitmap.PaddedHeight(), 16);
}

TEST_F(LogoBitmapTest, LoadSourceAcceptsOnlyWhatTheRastersHold) {
    struct Case {
        int width, height;
        bool fits;
    };
    for (const Case c :
         {Case{616, 648, true}, Case{617, 1, false}, Case{1, 649, false}, Case{2000, 10, false}}) {
        BmpLayout s = Layout(1);
        s.width = c.width;
        s.height = c.height;
        CLogoBitmap bitmap;
        EXPECT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))),
                  c.fits ? EngineResult::kDone : EngineResult::kFailed)
            << c.width << "x" << c.height;
        EXPECT_EQ(bitmap.Loaded(), c.fits);
        if (!c.fits) {
            EXPECT_EQ(bitmap.Fault().source, SourceError::TooLarge());
            EXPECT_EQ(Describe(bitmap.Fault().source),
                      "the picture is larger than 616 x 648 pixels");
        }
    }
}

TEST_F(LogoBitmapTest, FailedLoadEmptiesTheRecord) {
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("good.bmp", MakeBmp(Layout(24)))), EngineResult::kDone);
    EXPECT_EQ(bitmap.LoadSource(Path("missing.bmp")), EngineResult::kFailed);
    EXPECT_EQ(bitmap.Fault().source.file.reason, files::Reason::kNotFound);
    EXPECT_EQ(bitmap.Fault().path, Path("missing.bmp"));
    EXPECT_FALSE(bitmap.Loaded());
    EXPECT_EQ(bitmap.WriteDotBitmap(), EngineResult::kNothingLoaded);
    EXPECT_EQ(bitmap.ToneNone(5), EngineResult::kFailed);
    EXPECT_FALSE(test::FileExists(Path("Temp.bmp")));
}

TEST_F(LogoBitmapTest, DotBitmapLayout) {
    BmpLayout s = Layout(24);
    s.width = 10;
    s.height = 3;
    // A dot at the top-left and bottom-right corners, white elsewhere.
    s.pixel = [](int x, int y) {
        return (x == 0 && y == 0) || (x == 9 && y == 2) ? 0u : 0xFFFFFFu;
    };
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), EngineResult::kDone);
    ASSERT_EQ(bitmap.ToneNone(5), EngineResult::kDone);
    ASSERT_EQ(bitmap.WriteDotBitmap(), EngineResult::kDone);

    const Bytes expected = {
        'B',  'M',  74, 0, 0,    0,    0, 0, 0,    0,    62,   0,    0, 0,        // file header
        40,   0,    0,  0, 10,   0,    0, 0, 3,    0,    0,    0,    1, 0, 1, 0,  // info header
        0,    0,    0,  0, 12,   0,    0, 0, 0,    0,    0,    0,    0, 0, 0, 0,
        2,    0,    0,  0, 0,    0,    0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,  // white, black
        0x00, 0x40, 0,  0,                    // bottom row: x = 9
        0x00, 0x00, 0,  0, 0x80, 0x00, 0, 0,  // top row: x = 0
    };
    EXPECT_EQ(ReadBytes(Path("Temp.bmp")), expected);
}

TEST_F(LogoBitmapTest, DotBitmapSizes) {
    struct Case {
        int width, height;
        std::size_t size;
    };
    for (const Case c : {Case{1, 1, 66}, Case{100, 50, 862}, Case{32, 2, 70}, Case{33, 2, 78}}) {
        BmpLayout s = Layout(24);
        s.width = c.width;
        s.height = c.height;
        CLogoBitmap bitmap;
        ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), EngineResult::kDone);
        ASSERT_EQ(bitmap.WriteDotBitmap(), EngineResult::kDone);
        const Bytes file = ReadBytes(Path("Temp.bmp"));
        EXPECT_EQ(file.size(), c.size) << c.width << "x" << c.height;
        EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 58), Bytes(4, 0xFF));
    }
}

TEST_F(LogoBitmapTest, WriterReportsAFileThatCannotBeCreated) {
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(Layout(24)))), EngineResult::kDone);
    std::filesystem::create_directory(Path("Temp.bmp"));  // a directory in the file's place
    EXPECT_EQ(bitmap.WriteDotBitmap(), EngineResult::kFailed);
}

}  // namespace
}  // namespace zelmar
