// PNG files of every colour type and depth, made here with libpng, through
// `zelmar import` into the 24-bit BMP files the engine takes.
#include <png.h>

#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "engine/bytes.h"
#include "png_file.h"

namespace zelmar::cli {
namespace {

struct PngLayout {
    int width = 4, height = 1;
    int colourType = PNG_COLOR_TYPE_GRAY;
    int depth = 8;
    Bytes rows;  // every row as stored, one after the other
    std::vector<png_color> palette;
    Bytes paletteAlpha;    // tRNS of a palette picture
    int transparent = -1;  // tRNS of a grey picture: the grey level that is transparent
};

void Append(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

Bytes EncodePng(const PngLayout& s) {
    Bytes out;
    Bytes rows = s.rows;
    std::vector<png_bytep> pointers;
    const std::size_t rowBytes = rows.size() / static_cast<std::size_t>(s.height);
    for (int y = 0; y < s.height; ++y)
        pointers.push_back(&rows[rowBytes * static_cast<std::size_t>(y)]);
    png_color_16 grey{};
    grey.gray = static_cast<png_uint_16>(s.transparent);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // Only libpng's calls between here and the end: nothing to unwind on its error.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height),
                 s.depth, s.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    }
    if (!s.paletteAlpha.empty()) {
        png_set_tRNS(png, info, s.paletteAlpha.data(), static_cast<int>(s.paletteAlpha.size()),
                     nullptr);
    }
    if (s.transparent >= 0) png_set_tRNS(png, info, nullptr, 0, &grey);
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

class ImportTest : public CliTest {
  protected:
    std::string Save(const std::string& name, const PngLayout& layout) {
        const Bytes png = EncodePng(layout);
        EXPECT_FALSE(png.empty());
        test::WriteBytes(Path(name), png);
        return Path(name);
    }
};

PngLayout Png(int colourType, int depth, Bytes row) {
    PngLayout s;
    s.colourType = colourType;
    s.depth = depth;
    s.rows = std::move(row);
    return s;
}

// Four pixels of each kind of PNG file, and the colours they must give.
struct ColourCase {
    const char* name;
    PngLayout layout;
    std::vector<std::uint32_t> colours;
};

TEST_F(ImportTest, EveryColourTypeAndDepthGivesItsColoursOnWhite) {
    const std::vector<std::uint32_t> ramp = {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF};
    const std::vector<std::uint32_t> primaries = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    // Opaque black, transparent black, half-transparent black and red.
    const std::vector<std::uint32_t> onWhite = {0x000000, 0xFFFFFF, 0x7F7F7F, 0xFF7F7F};
    PngLayout palette = Png(PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 3});
    palette.palette = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0xFF, 0, 0}};
    palette.paletteAlpha = {255, 0, 128, 128};
    PngLayout palette4 = palette;
    palette4.depth = 4;
    palette4.rows = {0x01, 0x23};
    palette4.palette.back() = {0x12, 0x34, 0x56};
    palette4.paletteAlpha.pop_back();  // colours past the table's end are opaque
    PngLayout shade = Png(PNG_COLOR_TYPE_GRAY, 8, {0, 85, 170, 0});
    shade.transparent = 0;

    const ColourCase cases[] = {
        {"Grey1", Png(PNG_COLOR_TYPE_GRAY, 1, {0xA0}), {0xFFFFFF, 0, 0xFFFFFF, 0}},
        {"Grey2", Png(PNG_COLOR_TYPE_GRAY, 2, {0x1B}), ramp},
        {"Grey4", Png(PNG_COLOR_TYPE_GRAY, 4, {0x05, 0xAF}), ramp},
        {"Grey8", Png(PNG_COLOR_TYPE_GRAY, 8, {0, 85, 170, 255}), ramp},
        {"Grey16", Png(PNG_COLOR_TYPE_GRAY, 16, {0, 0, 0x55, 0x55, 0xAA, 0xAA, 0xFF, 0xFF}), ramp},
        {"GreyWithATransparentLevel", shade, {0xFFFFFF, 0x555555, 0xAAAAAA, 0xFFFFFF}},
        {"GreyAlpha8",
         Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0, 255, 0, 0, 0, 128, 255, 128}),
         {0x000000, 0xFFFFFF, 0x7F7F7F, 0xFFFFFF}},
        {"GreyAlpha16",
         Png(PNG_COLOR_TYPE_GRAY_ALPHA, 16,
             {0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0xFF, 0xFF, 0x80, 0x80}),
         {0x000000, 0xFFFFFF, 0x7F7F7F, 0xFFFFFF}},
        {"Palette8", palette, onWhite},
        {"Palette4", palette4, {0x000000, 0xFFFFFF, 0x7F7F7F, 0x123456}},
        {"Rgb8", Png(PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0x12, 0x34, 0x56}),
         primaries},
        {"Rgb16", Png(PNG_COLOR_TYPE_RGB, 16, {255, 255, 0,    0,    0,    0,    0,    0,
                                               255, 255, 0,    0,    0,    0,    0,    0,
                                               255, 255, 0x12, 0x12, 0x34, 0x34, 0x56, 0x56}),
         primaries},
        {"Rgba8",
         Png(PNG_COLOR_TYPE_RGB_ALPHA, 8, {0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 128, 255, 0, 0, 128}),
         onWhite},
        {"Rgba16",
         Png(PNG_COLOR_TYPE_RGB_ALPHA, 16,
             {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0,    0,    0, 0, 0, 0, 0,    0,
              0, 0, 0, 0, 0, 0, 0x80, 0x80, 0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0x80}),
         onWhite},
    };
    for (const ColourCase& c : cases) {
        const std::string png = Save(std::string(c.name) + ".png", c.layout);
        ASSERT_EQ(Run({"import", png, Path("out.bmp")}), kOk) << c.name << ": " << Err();
        EXPECT_EQ(Out(), Path("out.bmp") + ": 4 x 1 pixels, 24 bits\n") << c.name;
        const Bytes bmp = test::ReadBytes(Path("out.bmp"));
        ASSERT_EQ(bmp.size(), 54u + 12u) << c.name;
        EXPECT_EQ(GetU16(&bmp[28]), 24) << c.name;
        EXPECT_EQ(test::TrueColours(bmp), c.colours) << c.name;
    }
}

// A black disc on a transparent picture of width x height.
PngLayout DiscPng(int width, int height) {
    PngLayout s;
    s.width = width;
    s.height = height;
    s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const long dx = 2L * x - width, dy = 2L * y - height;
            const bool inside = dx * dx + dy * dy < 1L * height * height;
            s.rows.insert(s.rows.end(), {0, 0, 0, static_cast<std::uint8_t>(inside ? 255 : 0)});
        }
    }
    return s;
}

TEST_F(ImportTest, FromATransparentPngLogoToThePrintedDots) {
    const std::string png = Save("logo.png", DiscPng(800, 300));
    EXPECT_EQ(Run({"import", png, Path("logo.bmp")}), kFailed);
    EXPECT_EQ(Err(), "zelmar import: " + png +
                         ": the picture is 800 x 300 pixels, larger than the printable 616 x "
                         "648; --fit scales it down to 576 dots across, --width N to N\n");
    EXPECT_FALSE(test::FileExists(Path("logo.bmp")));

    ASSERT_EQ(Run({"import", png, Path("logo.bmp"), "--fit"}), kOk) << Err();
    EXPECT_EQ(Out(), Path("logo.bmp") + ": 576 x 216 pixels, 24 bits\n");
    ASSERT_EQ(Run({"preview", Path("logo.bmp")}), kOk) << Err();
    const Bytes dots = test::ReadBytes(Path("Temp.bmp"));
    EXPECT_FALSE(test::DotAt(dots, 0, 0));  // transparent: white paper
    EXPECT_FALSE(test::DotAt(dots, 575, 215));
    EXPECT_TRUE(test::DotAt(dots, 288, 108));   // the disc
    EXPECT_FALSE(test::DotAt(dots, 100, 108));  // beside it

    ASSERT_EQ(Run({"import", png, Path("narrow.bmp"), "--width=384"}), kOk) << Err();
    EXPECT_EQ(Out(), Path("narrow.bmp") + ": 384 x 144 pixels, 24 bits\n");
    ASSERT_EQ(Run({"import", Save("tall.png", DiscPng(100, 1300)), Path("tall.bmp"), "--fit"}),
              kOk);
    EXPECT_EQ(Out(), Path("tall.bmp") + ": 50 x 648 pixels, 24 bits\n");
}

TEST_F(ImportTest, RefusalsSayWhy) {
    const std::string png = Save("logo.png", DiscPng(8, 4));
    test::WriteBytes(Path("text.png"), Bytes{'h', 'e', 'l', 'l', 'o'});
    Bytes cut = EncodePng(DiscPng(40, 40));
    cut.resize(cut.size() - 20);
    test::WriteBytes(Path("cut.png"), cut);
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"import", Path("missing.png"), Path("o.bmp")},
         kFailed,
         Path("missing.png") + ": no such file or directory"},
        {{"import", Path("text.png"), Path("o.bmp")},
         kFailed,
         Path("text.png") + ": not a readable PNG file"},
        {{"import", Path("cut.png"), Path("o.bmp")},
         kFailed,
         Path("cut.png") + ": the PNG data cannot be decoded"},
        {{"import", png, png}, kUsage, "OUT.bmp names the picture itself"},
        {{"import", png, Path("o.bmp"), "--width", "0"}, kUsage, "--width must be 1 to 616"},
        {{"import", png, Path("o.bmp"), "--width", "617"}, kUsage, "--width must be 1 to 616"},
        {{"import", png}, kUsage, "expected 2 argument(s), got 1"},
        {{"import", png, Path("no-dir/o.bmp")},
         kFailed,
         Path("no-dir/o.bmp") + ": cannot be written: no such file or directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.code) << c.message;
        EXPECT_NE(Err().find(c.message), std::string::npos) << Err();
        EXPECT_FALSE(test::FileExists(Path("o.bmp"))) << c.message;
    }
    EXPECT_EQ(test::ReadBytes(png), EncodePng(DiscPng(8, 4)));  // the picture itself is kept
}

TEST(DecodePng, RefusesPicturesTooLargeToHoldBeforeReadingThem) {
    PngLayout s = Png(PNG_COLOR_TYPE_GRAY, 1, Bytes((kMaxPngSide + 1 + 7) / 8, 0));
    s.width = kMaxPngSide + 1;
    RgbaPicture picture;
    std::string error;
    EXPECT_FALSE(DecodePng(EncodePng(s), picture, error));
    EXPECT_EQ(error, "the picture is 8193 x 1 pixels; at most 8192 x 8192 are read");
    EXPECT_TRUE(picture.rgba.empty());
}

}  // namespace
}  // namespace zelmar::cli
