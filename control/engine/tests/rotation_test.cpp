#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/logo_bitmap.h"
#include "recorded_messages.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::DotAt;
using test::ReadBytes;

class RotationTest : public test::WorkDirTest {
  protected:
    // Loads a black-and-white picture (dots where `dot` says) and converts it.
    void Load(int width, int height, std::function<bool(int, int)> dot) {
        test::WriteBytes(Path("source.bmp"),
                         test::MakeColourBmp(width, height, [dot](int x, int y) {
                             return dot(x, y) ? 0u : 0xFFFFFFu;
                         }));
        ASSERT_EQ(bitmap_.LoadSource(Path("source.bmp")), EngineResult::kDone);
        ASSERT_EQ(bitmap_.ToneNone(5), EngineResult::kDone);
    }
    Bytes Turned(int16_t rotation) {
        EXPECT_EQ(bitmap_.TurnAndWrite(rotation), EngineResult::kDone);
        return ReadBytes(Path(std::string(RotationFileName(rotation))));
    }
    static std::string_view RotationFileName(int16_t rotation) {
        const char* names[] = {"NoRotation.bmp", "RightRotation.bmp", "ReverseRotation.bmp",
                               "LeftRotation.bmp"};
        return names[rotation];
    }
    static int Width(const Bytes& file) { return file.at(18) | file.at(19) << 8; }
    static int Height(const Bytes& file) { return file.at(22) | file.at(23) << 8; }

    CLogoBitmap bitmap_;
};

TEST_F(RotationTest, EveryRotationMovesEveryPixel) {
    // An asymmetric picture: each turn is checked pixel by pixel, in picture
    // terms (origin top-left).
    const int w = 24, h = 8;
    auto dot = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 || (x == 0 && y == 0); };
    Load(w, h, dot);
    struct Case {
        int16_t rotation;
        int width, height;
        std::function<bool(int, int)> expected;  // dot at turned (x, y)
    };
    const Case cases[] = {
        {0, w, h, [&](int x, int y) { return dot(x, y); }},
        // Clockwise: the source pixel (x, y) moves to (h - 1 - y, x).
        {1, h, w, [&](int x, int y) { return dot(y, h - 1 - x); }},
        // Mirrored top to bottom, left and right kept.
        {2, w, h, [&](int x, int y) { return dot(x, h - 1 - y); }},
        // Counter-clockwise: (x, y) moves to (y, w - 1 - x).
        {3, h, w, [&](int x, int y) { return dot(w - 1 - y, x); }},
    };
    for (const Case& c : cases) {
        const Bytes file = Turned(c.rotation);
        ASSERT_EQ(Width(file), c.width) << c.rotation;
        ASSERT_EQ(Height(file), c.height) << c.rotation;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(DotAt(file, x, y), c.expected(x, y))
                    << "rotation " << c.rotation << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(RotationTest, QuarterTurnFileLayout) {
    Load(24, 8, [](int x, int y) { return x == 0 && y == 7; });  // the bottom-left pixel
    const Bytes file = Turned(1);
    EXPECT_EQ(file.size(), 158u);  // 8 wide: 4-byte rows, 24 of them
    EXPECT_TRUE(DotAt(file, 0, 0));
    EXPECT_EQ(bitmap_.TurnedWidth(), 8);
    EXPECT_EQ(bitmap_.TurnedHeight(), 24);

    Load(24, 8, [](int x, int y) { return x == 23 && y == 0; });  // the top-right pixel
    EXPECT_TRUE(DotAt(Turned(3), 0, 0));
}

TEST_F(RotationTest, NoRotationEqualsTheDotBitmap) {
    Load(37, 11, [](int x, int y) { return (x ^ y) % 3 == 0; });
    ASSERT_EQ(bitmap_.WriteDotBitmap(), EngineResult::kDone);
    EXPECT_EQ(Turned(0), ReadBytes(Path("Temp.bmp")));
}

TEST_F(RotationTest, RotationOutsideTheTableWritesNothing) {
    Load(8, 8, [](int, int) { return true; });
    ASSERT_EQ(bitmap_.TurnAndWrite(0), EngineResult::kDone);
    const Bytes before(TurnedRaster(), TurnedRaster() + 8 * kTurnedStride);
    Load(8, 8, [](int, int) { return false; });
    for (int16_t rotation : std::initializer_list<int16_t>{-1, 4, 255})
        EXPECT_EQ(bitmap_.TurnAndWrite(rotation), EngineResult::kFailed);
    EXPECT_EQ(Bytes(TurnedRaster(), TurnedRaster() + 8 * kTurnedStride), before);
    EXPECT_FALSE(test::FileExists(Path("RightRotation.bmp")));
}

TEST_F(RotationTest, EmptyRecord) {
    CLogoBitmap empty;
    EXPECT_EQ(empty.TurnAndWrite(0), EngineResult::kNothingLoaded);
    EXPECT_EQ(empty.CopyColourPlanes(ColourFile::kRed), EngineResult::kNothingLoaded);
    EXPECT_FALSE(test::FileExists(Path("NoRotation.bmp")));
}

using Messages = test::RecordedMessages;

TEST_F(RotationTest, ColourFileByColour) {
    auto colour = [](int x, int y) {
        return static_cast<std::uint32_t>(x * 0x102030 + y * 0x050403);
    };
    const Bytes source = test::MakeColourBmp(5, 3, colour);
    test::WriteBytes(Path("source.bmp"), source);
    const char* names[] = {"RealRedColor.bmp", "RealGreenColor.bmp", "RealBlueColor.bmp"};
    struct Case {
        ColourFile colour;
        const char* file;  // null: none
    };
    for (const Case c :
         {Case{ColourFile::kNone, nullptr}, Case{ColourFile::kRed, "RealRedColor.bmp"},
          Case{ColourFile::kGreen, "RealGreenColor.bmp"},
          Case{ColourFile::kBlue, "RealBlueColor.bmp"}}) {
        for (const char* name : names)
            std::filesystem::remove(Path(name));
        CLogoBitmap bitmap;
        ASSERT_EQ(bitmap.LoadSource(Path("source.bmp")), EngineResult::kDone);
        EXPECT_EQ(bitmap.CopyColourPlanes(c.colour), EngineResult::kDone);
        for (const char* name : names) {
            const bool expected = c.file && std::string(name) == c.file;
            EXPECT_EQ(test::FileExists(Path(name)), expected) << name;
        }
        if (c.file) {
            // The 24-bit copy holds the source's own pixels.
            const Bytes copy = ReadBytes(Path(c.file));
            ASSERT_EQ(copy.size(), source.size()) << c.file;
            EXPECT_EQ(Bytes(copy.begin() + 18, copy.begin() + 30),
                      Bytes(source.begin() + 18, source.begin() + 30));  // size, planes, depth
            EXPECT_EQ(Bytes(copy.begin() + 54, copy.end()),
                      Bytes(source.begin() + 54, source.end()))
                << c.file;
        }
    }
}

TEST_F(RotationTest, ColourCopyOfPaletteSourceTakesRawStoredBytes) {
    test::BmpLayout s;
    s.depth = 8;
    s.width = 4;
    s.height = 2;
    s.palette.assign(256, 0);
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(1 + x + 4 * y); };
    test::WriteBytes(Path("source.bmp"), test::MakeBmp(s));
    CLogoBitmap bitmap;
    ASSERT_EQ(bitmap.LoadSource(Path("source.bmp")), EngineResult::kDone);
    ASSERT_EQ(bitmap.CopyColourPlanes(ColourFile::kRed), EngineResult::kDone);
    const Bytes file = ReadBytes(Path("RealRedColor.bmp"));
    ASSERT_EQ(file.size(), 54u + 12 * 2);
    // Stored row 0 is the bottom row (5 6 7 8), followed in memory by the top
    // row (1 2 3 4); the last pixels read on past their row.
    const Bytes bottom = {5, 6, 7, 6, 7, 8, 7, 8, 1, 8, 1, 2};
    const Bytes top = {1, 2, 3, 2, 3, 4, 3, 4, 0, 4, 0, 0};
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 66), bottom);
    EXPECT_EQ(Bytes(file.begin() + 66, file.end()), top);
}

TEST_F(RotationTest, ColourFileMessages) {
    Messages messages;
    CLogoBitmap empty(&messages);
    EXPECT_EQ(empty.WriteColourFile(ColourFile::kBlue), EngineResult::kNothingLoaded);
    test::WriteBytes(Path("source.bmp"), test::MakeColourBmp(2, 2, [](int, int) { return 0u; }));
    CLogoBitmap bitmap(&messages);
    ASSERT_EQ(bitmap.LoadSource(Path("source.bmp")), EngineResult::kDone);
    std::filesystem::create_directory(Path("RealBlueColor.bmp"));
    EXPECT_EQ(bitmap.WriteColourFile(ColourFile::kBlue), EngineResult::kFailed);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"KKK: KKK1", "KKK: KKK2"}));
}

TEST_F(RotationTest, TwoColourCopyIsByteIdentical) {
    test::BmpLayout s;
    s.depth = 1;
    s.width = 9;
    s.height = 4;
    s.palette = {0, 0xFFFFFF};
    s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(x > y); };
    const Bytes source = test::MakeBmp(s);
    test::WriteBytes(Path("mono.bmp"), source);
    EXPECT_EQ(bitmap_.CopyTwoColour(Path("mono.bmp")), EngineResult::kDone);
    EXPECT_EQ(ReadBytes(Path("Temp2Color.bmp")), source);
    EXPECT_EQ(bitmap_.CopyTwoColour(Path("missing.bmp")), EngineResult::kFailed);
}

}  // namespace
}  // namespace zelmar
