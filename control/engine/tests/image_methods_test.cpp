#include "engine/image_methods.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::FileExists;
using test::ReadBytes;

class ImageMethodsTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        colour_ = Path("colour.bmp");
        test::WriteBytes(colour_, test::MakeColourBmp(20, 12, [](int x, int y) {
                             return test::Grey((x * 13 + y * 17) % 256);
                         }));
        test::BmpSpec mono;
        mono.depth = 1;
        mono.width = 20;
        mono.height = 12;
        mono.palette = {0, 0xFFFFFF};
        mono.pixel = [](int x, int y) { return static_cast<std::uint32_t>(x < y); };
        mono_ = Path("mono.bmp");
        test::WriteBytes(mono_, test::MakeBmp(mono));
    }
    std::string Working(const char* name) { return files::InCurrentDirectory(name); }

    std::string colour_, mono_;
};

TEST_F(ImageMethodsTest, PreviewReturnsThePictureToShow) {
    struct Case {
        int16_t mode, brightness, rotation;
        const char* shown;  // "" for no result
    };
    for (const Case c :
         {Case{0, 5, 0, "Temp.bmp"}, Case{1, 5, 3, "Temp.bmp"}, Case{2, 5, 1, "RightRotation.bmp"},
          Case{2, 5, 3, "LeftRotation.bmp"}, Case{2, 5, 4, ""}, Case{7, 5, 0, "Temp.bmp"}}) {
        const std::string shown = Preview(colour_, {c.mode, c.brightness, c.rotation});
        EXPECT_EQ(shown, *c.shown ? Working(c.shown) : "") << c.mode << "/" << c.rotation;
        if (*c.shown) {
            EXPECT_TRUE(FileExists(shown));
        }
    }
    // Mode 1 with rotation 3 shows Temp.bmp and still leaves the rotation file.
    EXPECT_TRUE(FileExists(Path("LeftRotation.bmp")));
}

TEST_F(ImageMethodsTest, PreviewInModeTwoWritesTheSelectedColourFile) {
    Preview(colour_, {2, 13, 0});
    EXPECT_TRUE(FileExists(Path("RealGreenColor.bmp")));
    EXPECT_FALSE(FileExists(Path("RealRedColor.bmp")));
}

TEST_F(ImageMethodsTest, PreviewOfTwoColourSource) {
    EXPECT_EQ(Preview(mono_, {0, 5, 0}), Working("Temp.bmp"));
    EXPECT_EQ(ReadBytes(Path("Temp2Color.bmp")), ReadBytes(mono_));
    // Its own dots, whatever the brightness: colour 1 (white) where x < y.
    const Bytes shown = ReadBytes(Path("Temp.bmp"));
    EXPECT_FALSE(test::DotAt(shown, 2, 5));
    EXPECT_TRUE(test::DotAt(shown, 5, 2));
    EXPECT_TRUE(FileExists(Path("NoRotation.bmp")));
    Preview(mono_, {1, 10, 0});
    EXPECT_EQ(ReadBytes(Path("Temp.bmp")), shown);
}

TEST_F(ImageMethodsTest, PreviewOfAFileThatDoesNotLoadWritesNothing) {
    test::WriteBytes(Path("text.bmp"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
    for (const std::string& path : {Path("missing.bmp"), Path("text.bmp")}) {
        EXPECT_EQ(Preview(path, {0, 5, 0}), "");
        EXPECT_EQ(Preview(path, {2, 12, 1}), "");
    }
    for (const char* name : {"Temp.bmp", "NoRotation.bmp", "RightRotation.bmp", "Temp2Color.bmp",
                             "RealRedColor.bmp"}) {
        EXPECT_FALSE(FileExists(Path(name))) << name;
    }
}

TEST_F(ImageMethodsTest, BitmapInfo) {
    test::WriteBytes(Path("wide.bmp"), test::MakeColourBmp(200, 80, [](int, int) { return 0u; }));
    test::WriteBytes(Path("huge.bmp"), test::MakeColourBmp(1000, 700, [](int, int) { return 0u; }));
    struct Case {
        std::string path;
        int32_t result, bits, height, width;
    };
    for (const Case& c : {Case{Path("wide.bmp"), 0, 24, 80, 200}, Case{mono_, 0, 1, 12, 20},
                          Case{Path("huge.bmp"), 0, 24, 700, 1000},  // larger than a logo
                          Case{Path("missing.bmp"), -1, -7, -7, -7}}) {
        int32_t bits = -7, height = -7, width = -7;
        EXPECT_EQ(BitmapInfo(c.path, bits, height, width), c.result) << c.path;
        EXPECT_EQ(bits, c.bits) << c.path;
        EXPECT_EQ(height, c.height) << c.path;
        EXPECT_EQ(width, c.width) << c.path;
    }
}

}  // namespace
}  // namespace zelmar
