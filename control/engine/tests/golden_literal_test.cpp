// Literal bytes beside the golden digests. A digest says that an output
// changed; each case here takes a picture of a few dots through one tone
// method, rotation or form and spells out every byte it must give, so that a
// failure shows which command, field or dot went wrong.
//
// Pictures of at most 8 x 8 pixels pad to 8 x 8 dots: NV data is then one byte
// a column, left to right, the top dot row in the high bit. A picture of h rows
// sits in the bottom h dot rows, so the bits of a picture 2 rows high are 0x02
// (its top row) and 0x01 (its bottom row).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "engine/image_preparation.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::Grey;

// A picture's pixels as 0xRRGGBB, rows from the top.
using Pixels = std::vector<std::vector<std::uint32_t>>;

// '#' a black pixel, anything else a white one.
Pixels Art(std::initializer_list<const char*> rows) {
    Pixels pixels;
    for (const char* row : rows) {
        pixels.emplace_back();
        for (const char* p = row; *p; ++p)
            pixels.back().push_back(*p == '#' ? 0x000000u : 0xFFFFFFu);
    }
    return pixels;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Three dots in a step: no two rotations of it alike.
const Pixels kStep = Art({"##.", "..#"});

class GoldenLiteralTest : public test::WorkDirTest {
  protected:
    // The picture as a 24-bit file; returns its path.
    std::string Colour(const std::string& name, const Pixels& pixels) {
        return Save(name, test::MakeColourBmp(Width(pixels), Height(pixels),
                                              [&pixels](int x, int y) { return pixels[y][x]; }));
    }
    // The picture as a 1-bit file with the usual table (colour 0 black).
    std::string Mono(const std::string& name, const Pixels& pixels) {
        return Save(name, test::MakeMonoBmp(Width(pixels), Height(pixels),
                                            [&pixels](int x, int y) { return pixels[y][x] == 0; }));
    }

  private:
    static int Width(const Pixels& pixels) { return static_cast<int>(pixels.front().size()); }
    static int Height(const Pixels& pixels) { return static_cast<int>(pixels.size()); }
    std::string Save(const std::string& name, const Bytes& file) {
        test::WriteBytes(Path(name), file);
        return Path(name);
    }
};

// The NV data that preparation and packing give, as the digests of each
// source and ImageMode take it: the rotation file names the size, the turned
// raster holds the dots.
TEST_F(GoldenLiteralTest, EveryToneMethodAndRotation) {
    // Greys on both sides of the "None" threshold at brightness 0 (103). The
    // weights 0.587 + 0.299 + 0.114 sum to just under 1, so a grey of three equal
    // channels can read one level darker: 0x686868 reads as 103, a dot.
    const Pixels threshold = {
        {Grey(105), Grey(104), 0x000000, 0xFFFFFF},  // 105 white, 103 dot, 0 dot, 255 white
        {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00},    // red 76 dot, green 149 white,
                                                     // blue 29 dot, yellow 225 white
    };
    // Mid greys across the whole padded width, so that the errors of the
    // bottom row's last pixels wrap into the first pixels of the row above.
    const Pixels shades = {
        {Grey(100), Grey(150), Grey(200), Grey(60), Grey(120), Grey(130), Grey(90), Grey(255)},
        {Grey(110), Grey(140), Grey(70), Grey(180), Grey(128), Grey(129), Grey(100), Grey(160)},
    };
    struct Case {
        const char* name;
        const Pixels& picture;
        PrepareOptions options;
        Bytes nvData;  // columns 0 to 7
    };
    const Case cases[] = {
        {"None, brightness 0: a dot where grey <= 103",
         threshold,
         {ToneMethod::kNone, 0, 0},
         {0x01, 0x02, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"Error Diffusion, brightness 5: no offset",
         shades,
         {ToneMethod::kDiffusion, 5, 0},
         {0x03, 0x00, 0x01, 0x02, 0x01, 0x02, 0x03, 0x00}},
        {"Error Diffusion, brightness 3: offset +12",
         shades,
         {ToneMethod::kDiffusion, 3, 0},
         {0x01, 0x00, 0x01, 0x02, 0x02, 0x01, 0x03, 0x00}},
        // No tone method: the dot raster keeps what construction left, all dots.
        {"No conversion on a fresh record",
         kStep,
         {ToneMethod::kUnconverted, 5, 0},
         {0x03, 0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00}},
        // The colour step, where the rotation file is the turned file; with no
        // colour file.
        {"rotation 0: as it is",
         kStep,
         {ToneMethod::kDiffusionAndColour, 11, 0},
         {0x02, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"rotation 1: a quarter turn clockwise, 2 x 3",
         kStep,
         {ToneMethod::kDiffusionAndColour, 11, 1},
         {0x01, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"rotation 2: rows in reverse order",
         kStep,
         {ToneMethod::kDiffusionAndColour, 11, 2},
         {0x01, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"rotation 3: a quarter turn counter-clockwise, 2 x 3",
         kStep,
         {ToneMethod::kDiffusionAndColour, 11, 3},
         {0x03, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        const std::string path = Colour("a.bmp", c.picture);
        CLogoBitmap bitmap;
        ASSERT_EQ(PrepareImage(bitmap, path, c.options), Preparation::kTone) << c.name;
        ASSERT_EQ(bitmap.PackTurned(Path(std::string(RotationFile(c.options.rotation)))),
                  EngineResult::kDone);
        const std::uint8_t* data = bitmap.StreamBuffer();
        EXPECT_EQ(Bytes(data, data + bitmap.StreamLength()), c.nvData) << c.name;
    }
}

// The rotation file of a quarter turn: the turned size in the header, the
// turned rows bottom first.
TEST_F(GoldenLiteralTest, QuarterTurnFile) {
    CLogoBitmap bitmap;
    ASSERT_EQ(PrepareImage(bitmap, Colour("a.bmp", kStep), {ToneMethod::kNone, 5, 1}),
              Preparation::kTone);
    // clang-format off
    const Bytes expected = {
        'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,  // a file of 74 bytes, pixels at 62
        40, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,             // info header: 2 wide, 3 high,
        1, 0, 1, 0, 0, 0, 0, 0, 12, 0, 0, 0,             // 1 plane, 1 bit, 12 bytes of pixels,
        0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,  // no resolution, 2 colours
        0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,              // colour 0 white, colour 1 black
        0x80, 0, 0, 0,                                   // bottom row: the dot at (2, 1)
        0x40, 0, 0, 0,                                   // middle row: the dot at (1, 0)
        0x40, 0, 0, 0,                                   // top row: the dot at (0, 0)
    };
    // clang-format on
    EXPECT_EQ(test::ReadBytes(Path(std::string(working_file::kRightRotation))), expected);
}

// ImageMode 2 with selector 12: the source's own colours, 24 bits a pixel.
TEST_F(GoldenLiteralTest, ColourFile) {
    CLogoBitmap bitmap;
    const Pixels two = {{0x123456, 0xABCDEF}};
    ASSERT_EQ(PrepareImage(bitmap, Colour("a.bmp", two),
                           {ToneMethod::kDiffusionAndColour, 12, 0, ColourFile::kRed}),
              Preparation::kTone);
    // clang-format off
    const Bytes expected = {
        'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // a file of 62 bytes, pixels at 54
        40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,             // info header: 2 wide, 1 high,
        1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,             // 1 plane, 24 bits, 8 bytes of pixels,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // no resolution, no colour table
        0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0, 0,        // blue, green, red twice; the row's end
    };
    // clang-format on
    EXPECT_EQ(test::ReadBytes(Path(std::string(working_file::kRealRed))), expected);
}

// One image of each role: its NV image header, then its NV data.
TEST_F(GoldenLiteralTest, ModelZeroFormOfEachRole) {
    const Pixels black(8, std::vector<std::uint32_t>(8, 0x000000));
    const Bytes step = {0x02, 0x02, 0x01, 0, 0, 0, 0, 0};
    struct Case {
        const char* name;
        const Pixels& picture;
        Role role;
        int16_t selectMargin;
        Bytes header;
        Bytes nvData;
    };
    const Case cases[] = {
        {"Top Logo", kStep, Role::kTopLogo, 0, {0x1D, 0x5B, 0x5D, 'T', 1, 0, 1, 0}, step},
        {"Bottom Logo", kStep, Role::kBottomLogo, 0, {0x1D, 0x5B, 0x5D, 'B', 1, 0, 1, 0}, step},
        // The screen keeps a black dot where its table holds 0: rows counted
        // from the bottom, so column 0 keeps rows 3 and 6 (0x08 | 0x40).
        {"WaterMark: screened",
         black,
         Role::kWaterMark,
         0,
         {0x1D, 0x5B, 0x5D, 'W', 1, 0, 1, 0},
         {0x48, 0x80, 0x11, 0x24, 0x00, 0x4A, 0x01, 0x24}},
        {"Margin Message, SelectMargin 2: m = 01",
         kStep,
         Role::kMarginMessage,
         2,
         {0x1D, 0x5B, 0x5D, 'M', 0x01, 0x30, 1, 0, 1, 0},
         step},
        {"no role: the size alone", kStep, Role::kNone, 0, {1, 0, 1, 0}, step},
    };
    for (const Case& c : cases) {
        BufferSink out;
        ModelZeroOptions options;
        options.role = c.role;
        options.selectMargin = c.selectMargin;
        ASSERT_EQ(WriteModelZeroForm({Colour("a.bmp", c.picture)}, options, out, nullptr),
                  FormStatus::kDone)
            << c.name;
        EXPECT_EQ(out.bytes, Join({c.header, c.nvData})) << c.name;
    }
}

// The NV image definitions of "TempImage.out": images numbered in list order,
// each with its size and no role.
TEST_F(GoldenLiteralTest, DefinitionFile) {
    const Pixels column = Art({"#", ".", ".", ".", ".", ".", ".", ".", "#"});  // 1 x 9
    BufferSink out;
    ASSERT_EQ(
        WriteDefinitionFile({Colour("a.bmp", kStep), Colour("b.bmp", column)}, {}, out, nullptr),
        FormStatus::kDone);
    // clang-format off
    const Bytes expected = {
        0x1B, 0x40,                         // ESC @: initialise
        0x1C, 0x71, 0x02,                   // FS q 2: define two NV images
        0x01, 0x00, 0x01, 0x00,             // image 1: 1 x 1 bytes (8 x 8 dots)
        0x02, 0x02, 0x01, 0, 0, 0, 0, 0,    //   the step
        0x01, 0x00, 0x02, 0x00,             // image 2: 1 x 2 bytes (8 x 16 dots)
        0x01, 0x01,                         //   column 0: dots in dot rows 7 and 15
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // columns 1 to 7
    };
    // clang-format on
    EXPECT_EQ(out.bytes, expected);
}

// The band form of a 1-bit picture two bands high, as it is and complemented
// (the serial link's white-first pictures).
TEST_F(GoldenLiteralTest, BandForm) {
    const Pixels twoBands = Art({"##.", "..#", "...", "...", "...", "...", "...", "...", "#.."});
    const Bytes preamble = {0x1B, 0x6F, 0x00, 0x1B, 0x40};  // ESC o 0, ESC @
    const Bytes band0 = {0x1B, 0x58, 0x2A, 0x00,            // ESC X * 0: band 0
                         0x1B, 0x2A, 0x01, 0x08, 0x00};     // ESC * 1: 8 columns
    const Bytes band1 = {0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x08, 0x00};
    struct Case {
        bool complement;
        Bytes data0, data1;  // a byte a column, the band's top row in the high bit
    };
    const Case cases[] = {
        {false, {0x80, 0x80, 0x40, 0, 0, 0, 0, 0}, {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {true,
         {0x7F, 0x7F, 0xBF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    const std::string image = Mono("a.bmp", twoBands);
    for (const Case& c : cases) {
        BufferSink out;
        ASSERT_EQ(WriteBandForm({image}, c.complement, out, nullptr), FormStatus::kDone);
        EXPECT_EQ(out.bytes, Join({preamble, band0, c.data0, band1, c.data1}))
            << "complement " << c.complement;
    }
}

}  // namespace
}  // namespace zelmar
