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
        int expected;
    };
    // Other headers move the data offset away from 54, and the OS/2 one the
    // depth away from offset 28: the depth alone decides.
    for (const Case c : {Case{1, 40, 0}, Case{1, 124, 0}, Case{4, 40, 1}, Case{8, 40, 1},
                         Case{16, 40, 1}, Case{24, 40, 1}, Case{24, 108, 1}, Case{32, 124, 1},
                         Case{1, 12, 0}, Case{8, 12, 1}, Case{24, 12, 1}}) {
        CLogoBitmap bitmap;
        const std::string path = Save("source.bmp", MakeBmp(Layout(c.depth, c.infoSize)));
        EXPECT_EQ(bitmap.IsToneSource(path), c.expected) << c.depth << "/" << c.infoSize;
    }
}

TEST_F(LogoBitmapTest, ClassificationOfFilesThatAreNotBmp) {
    CLogoBitmap bitmap;
    EXPECT_EQ(bitmap.IsToneSource(Path("missing.bmp")), 0);
    EXPECT_EQ(bitmap.IsWhiteFirst(Path("missing.bmp")), 0);
    const std::string text = Save("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(bitmap.IsToneSource(text), 0);
    EXPECT_EQ(bitmap.IsWhiteFirst(text), 0);
    const std::string bare = Save("bare.bmp", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(bitmap.IsToneSource(bare), 0);
}

TEST_F(LogoBitmapTest, WhiteFirstLooksAtTheBytesAfterTheHeader) {
    CLogoBitmap bitmap;
    BmpLayout mono = Layout(1);
    mono.palette = {0x000000, 0xFFFFFF};  // the usual table: black first
    EXPECT_EQ(bitmap.IsWhiteFirst(Save("mono.bmp", MakeBmp(mono))), 0);
    mono.palette = {0xFFFFFF, 0x000000};
    EXPECT_EQ(bitmap.IsWhiteFirst(Save("inverse.bmp", MakeBmp(mono))), 1);

    BmpLayout colour = Layout(24);
    colour.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFFu : 0u; };
    EXPECT_EQ(bitmap.IsWhiteFirst(Save("white.bmp", MakeBmp(colour))), 1);
    colour.pixel = [](int x, int y) { return x == 0 && y == 1 ? 0xFFFFFEu : 0xFFFFFFu; };
    EXPECT_EQ(bitmap.IsWhiteFirst(Save("grey.bmp", MakeBmp(colour))), 0);
}

TEST_F(LogoBitmapTest, LoadSourceFillsTheDescription) {
    BmpLayout s = Layout(8);
    s.width = 13;
    s.height = 9;
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), 1);
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
        int expected;
    };
    for (const Case c : {Case{616, 648, 1}, Case{617, 1, 0}, Case{1, 649, 0}, Case{2000, 10, 0}}) {
        BmpLayout s = Layout(1);
        s.width = c.width;
        s.height = c.height;
        CLogoBitmap bitmap;
        EXPECT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), c.expected)
            << c.width << "x" << c.height;
        EXPECT_EQ(bitmap.Loaded(), c.expected == 1);
        if (c.expected == 0) {
            EXPECT_EQ(bitmap.Fault().source, SourceError::TooLarge());
            EXPECT_EQ(Describe(bitmap.Fault().source),
                      "the picture is larger than 616 x 648 pixels");
        }
    }
}

TEST_F(LogoBitmapTest, FailedLoadEmptiesTheRecord) {
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("good.bmp", MakeBmp(Layout(24)))), 1);
    EXPECT_EQ(bitmap.LoadSource(Path("missing.bmp")), 0);
    EXPECT_EQ(bitmap.Fault().source.file.reason, files::Reason::kNotFound);
    EXPECT_EQ(bitmap.Fault().path, Path("missing.bmp"));
    EXPECT_FALSE(bitmap.Loaded());
    EXPECT_EQ(bitmap.WriteDotBitmap(), 255);
    EXPECT_EQ(bitmap.ToneNone(5), 0);
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
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), 1);
    ASSERT_EQ(bitmap.ToneNone(5), 1);
    ASSERT_EQ(bitmap.WriteDotBitmap(), 1);

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
        ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(s))), 1);
        ASSERT_EQ(bitmap.WriteDotBitmap(), 1);
        const Bytes file = ReadBytes(Path("Temp.bmp"));
        EXPECT_EQ(file.size(), c.size) << c.width << "x" << c.height;
        EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 58), Bytes(4, 0xFF));
    }
}

TEST_F(LogoBitmapTest, WriterReportsAFileThatCannotBeCreated) {
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Save("s.bmp", MakeBmp(Layout(24)))), 1);
    std::filesystem::create_directory(Path("Temp.bmp"));  // a directory in the file's place
    EXPECT_EQ(bitmap.WriteDotBitmap(), 0);
}

}  // namespace
}  // namespace zelmar
