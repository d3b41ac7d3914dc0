// Every byte the engine writes, pinned: digests of the working files, the
// packed data and the forms made from noisy pictures in every depth and
// layout the reader hands on, in every ImageMode, several brightnesses and
// every rotation. Noise makes each grey level, share and clamp count, and odd
// sizes exercise the padding and the diffusion's wrap at the right edge.
//
// A digest that no longer matches means an output changed. The failure
// message prints the digest the code now gives, for a deliberate change.
#include <gtest/gtest.h>

#include <map>

#include "bmp_builder.h"
#include "digest.h"
#include "engine/image_preparation.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::BmpLayout;

using test::Digest;
using test::Noise;

// A channel that sweeps from dark to light across the picture, with noise on
// top, so that both clamps and every level in between occur.
std::uint32_t Channel(Noise& noise, int x, int y, int w, int h) {
    const int sweep = (x * 255) / std::max(1, w - 1) / 2 + (y * 255) / std::max(1, h - 1) / 2;
    const int v = sweep + static_cast<int>(noise.Next() % 97) - 48;
    return static_cast<std::uint32_t>(std::clamp(v, 0, 255));
}

std::uint32_t NoisyColour(Noise& noise, int x, int y, int w, int h) {
    return Channel(noise, x, y, w, h) << 16 | Channel(noise, x, y, w, h) << 8 |
           Channel(noise, x, y, w, h);
}

// The picture's layout, its pixels drawn from the noise.
struct Source {
    const char* name;
    int width, height, depth;
    std::uint32_t infoSize = 40;
    bool topDown = false;
    std::uint32_t compression = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    int paletteSize = 0;  // random colours; indices run past a short table
    bool allOptions = true;
};

Bytes MakeSource(const Source& s) {
    auto noise = std::make_shared<Noise>(static_cast<std::uint32_t>(s.width * 1000 + s.height));
    BmpLayout layout;
    layout.width = s.width;
    layout.height = s.height;
    layout.depth = s.depth;
    layout.infoSize = s.infoSize;
    layout.topDown = s.topDown;
    layout.compression = s.compression;
    std::copy(std::begin(s.masks), std::end(s.masks), layout.masks);
    for (int i = 0; i < s.paletteSize; ++i)
        layout.palette.push_back(noise->Next() & 0xFFFFFFu);
    const int w = s.width, h = s.height, depth = s.depth;
    layout.pixel = [noise, w, h, depth](int x, int y) -> std::uint32_t {
        switch (depth) {
            case 1:
            case 4:
            case 8:
                return noise->Next() % (1u << depth);
            case 16:
                return noise->Next() & 0xFFFFu;
            case 32:
                return NoisyColour(*noise, x, y, w, h) | (noise->Next() & 0xFF000000u);
            default:
                return NoisyColour(*noise, x, y, w, h);
        }
    };
    Bytes file = MakeBmp(layout);
    // Noise in the rows' padding too: readers must not take it for pixels.
    const std::uint32_t offset = GetU32(&file[10]);
    const std::uint32_t used = (static_cast<std::uint32_t>(w) * depth + 7) / 8;
    const std::uint32_t stride = (static_cast<std::uint32_t>(w) * depth + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
        for (std::uint32_t k = used; k < stride; ++k)
            file[offset + r * stride + k] = static_cast<std::uint8_t>(noise->Next());
    }
    return file;
}

// 32-bit pixels with ten bits a channel and the rest unused.
constexpr std::uint32_t kTenBits[3] = {0x3FF00000u, 0x000FFC00u, 0x000003FFu};
constexpr std::uint32_t k565[3] = {0xF800u, 0x07E0u, 0x001Fu};
constexpr std::uint32_t kAlphaLow[3] = {0xFF000000u, 0x00FF0000u, 0x0000FF00u};

const Source kSources[] = {
    {"rgb24_13x7", 13, 7, 24},
    {"rgb24_1x1", 1, 1, 24},
    {"rgb24_64x9_topdown", 64, 9, 24, 40, true},
    {"rgb24_616x40", 616, 40, 24},
    {"rgb24_21x648", 21, 648, 24},
    {"rgb24_616x648", 616, 648, 24, 40, false, 0, {}, 0, false},
    {"rgb24_core_10x6", 10, 6, 24, 12},
    {"rgb24_v5_37x5", 37, 5, 24, 124, true},
    {"rgb32_31x10", 31, 10, 32},
    {"rgb32_bitfields_20x9", 20, 9, 32, 40, false, 3, {kTenBits[0], kTenBits[1], kTenBits[2]}},
    {"rgb32_v5_alpha_low_11x4",
     11,
     4,
     32,
     124,
     false,
     3,
     {kAlphaLow[0], kAlphaLow[1], kAlphaLow[2]}},
    {"rgb555_33x12", 33, 12, 16},
    {"rgb565_17x5", 17, 5, 16, 40, false, 3, {k565[0], k565[1], k565[2]}},
    {"palette8_45x23", 45, 23, 8, 40, false, 0, {}, 200},
    {"palette8_topdown_9x30", 9, 30, 8, 40, true, 0, {}, 256},
    {"palette8_core_14x3", 14, 3, 8, 12, false, 0, {}, 256},
    {"palette4_27x11", 27, 11, 4, 40, false, 0, {}, 16},
    {"palette4_short_6x6", 6, 6, 4, 40, false, 0, {}, 5},
    {"palette1_19x13", 19, 13, 1, 40, false, 0, {}, 2},
    {"palette1_600x33", 600, 33, 1, 40, false, 0, {}, 2},
};

// Digests per source and ImageMode, taken from the engine as it was built
// first; every later change must keep them.
const std::map<std::string, std::string> kExpected = {
    {"rgb24_13x7/mode0", "17ddee6915c574f4"},
    {"rgb24_13x7/mode1", "a4887339e16e1922"},
    {"rgb24_13x7/mode2", "2a0dfa110b8c5960"},
    {"rgb24_13x7/mode3", "9ca3ce25f361de11"},
    {"rgb24_1x1/mode0", "ebbee3c2b57e59cd"},
    {"rgb24_1x1/mode1", "024aa5fc1c1f3065"},
    {"rgb24_1x1/mode2", "1e2cca5b2277f3b5"},
    {"rgb24_1x1/mode3", "024aa5fc1c1f3065"},
    {"rgb24_64x9_topdown/mode0", "e526d3833cd0bbf6"},
    {"rgb24_64x9_topdown/mode1", "9257fbe7360e8c8c"},
    {"rgb24_64x9_topdown/mode2", "d32498ea9ed6e8b6"},
    {"rgb24_64x9_topdown/mode3", "a3c1902c2066469d"},
    {"rgb24_616x40/mode0", "2f278b0b42d9f3e8"},
    {"rgb24_616x40/mode1", "822e5090a9f04581"},
    {"rgb24_616x40/mode2", "1a77cff9cfc5040c"},
    {"rgb24_616x40/mode3", "6e5dab259ada8ced"},
    {"rgb24_21x648/mode0", "b23b41ccc8317de0"},
    {"rgb24_21x648/mode1", "f2484a0396f81d6f"},
    {"rgb24_21x648/mode2", "2b8f7db636e59211"},
    {"rgb24_21x648/mode3", "dec241e559c6cd3d"},
    {"rgb24_616x648/mode0", "30128082f9e6c262"},
    {"rgb24_616x648/mode1", "5607865c9c649cc7"},
    {"rgb24_616x648/mode2", "1097b6eeca9f1dbc"},
    {"rgb24_616x648/mode3", "e27a2eeb9c9104de"},
    {"rgb24_core_10x6/mode0", "341deaf97f785d68"},
    {"rgb24_core_10x6/mode1", "c3e2b879c76d74ed"},
    {"rgb24_core_10x6/mode2", "c9b5026f4da3734e"},
    {"rgb24_core_10x6/mode3", "262447d77d1712e5"},
    {"rgb24_v5_37x5/mode0", "4aee0ade3204198a"},
    {"rgb24_v5_37x5/mode1", "069b482a9ef9e802"},
    {"rgb24_v5_37x5/mode2", "bd8409b00a476cb2"},
    {"rgb24_v5_37x5/mode3", "92ffac5626de4f25"},
    {"rgb32_31x10/mode0", "7f16e067eed182fb"},
    {"rgb32_31x10/mode1", "321d43c07620d91f"},
    {"rgb32_31x10/mode2", "ddc0a403e96e482a"},
    {"rgb32_31x10/mode3", "3262a74164ebb4cd"},
    {"rgb32_bitfields_20x9/mode0", "007a4aaa5c749f4f"},
    {"rgb32_bitfields_20x9/mode1", "4180a85bd78d9325"},
    {"rgb32_bitfields_20x9/mode2", "67afb9f91712bb86"},
    {"rgb32_bitfields_20x9/mode3", "274c1c5ad77a223d"},
    {"rgb32_v5_alpha_low_11x4/mode0", "528bf2fd8e85c80b"},
    {"rgb32_v5_alpha_low_11x4/mode1", "466396db09e31bdd"},
    {"rgb32_v5_alpha_low_11x4/mode2", "522c2293c56751b3"},
    {"rgb32_v5_alpha_low_11x4/mode3", "e2b3fdbfd2589445"},
    {"rgb555_33x12/mode0", "78f5891a57290863"},
    {"rgb555_33x12/mode1", "c3cd567bc6947c0b"},
    {"rgb555_33x12/mode2", "acab045fc8645516"},
    {"rgb555_33x12/mode3", "246baf28e4056e4d"},
    {"rgb565_17x5/mode0", "7b80ba942af4be8f"},
    {"rgb565_17x5/mode1", "9d2d07491b2f278a"},
    {"rgb565_17x5/mode2", "9c0f0fea01cc2427"},
    {"rgb565_17x5/mode3", "0730d8ce0ee6e8b9"},
    {"palette8_45x23/mode0", "37cb65517918484e"},
    {"palette8_45x23/mode1", "7d76b713ced3963a"},
    {"palette8_45x23/mode2", "a612b56d6b0a5cbc"},
    {"palette8_45x23/mode3", "587a949be85327b1"},
    {"palette8_topdown_9x30/mode0", "6897f3cbc681bfbe"},
    {"palette8_topdown_9x30/mode1", "7074a6d821d686c3"},
    {"palette8_topdown_9x30/mode2", "01273c72a3b18925"},
    {"palette8_topdown_9x30/mode3", "f2f5b9ea2a80a601"},
    {"palette8_core_14x3/mode0", "53f60fbe9625146a"},
    {"palette8_core_14x3/mode1", "ca70ee4d221ab15a"},
    {"palette8_core_14x3/mode2", "31201dc51bc41d5e"},
    {"palette8_core_14x3/mode3", "6b1cb8b4ab6b56b1"},
    {"palette4_27x11/mode0", "4d4092e310e5c5fc"},
    {"palette4_27x11/mode1", "f188a1d2c5d9bec5"},
    {"palette4_27x11/mode2", "1fbee30685d7fa61"},
    {"palette4_27x11/mode3", "d1aa5d3764a90225"},
    {"palette4_short_6x6/mode0", "2e9c71769e932909"},
    {"palette4_short_6x6/mode1", "aeb255ebf7f8483f"},
    {"palette4_short_6x6/mode2", "a79c07e7aa832937"},
    {"palette4_short_6x6/mode3", "86dc3d053d3aef9d"},
    {"palette1_19x13/mode0", "de497bbda9f4680a"},
    {"palette1_19x13/mode1", "f5ec3619afb0516e"},
    {"palette1_19x13/mode2", "27ff31418703abfd"},
    {"palette1_19x13/mode3", "f5ec3619afb0516e"},
    {"palette1_600x33/mode0", "6c4c147178d33f04"},
    {"palette1_600x33/mode1", "77ff3af9966aae55"},
    {"palette1_600x33/mode2", "0cdac46820298e65"},
    {"palette1_600x33/mode3", "77ff3af9966aae55"},
    {"forms/mode0", "e8fa3d2b28b3eb81"},
    {"forms/mode1", "36a89888331bab4c"},
    {"forms/mode2", "3f134581305ab27e"},
    {"forms/mode3", "cfaba3ef661d2681"},
};

class GoldenTest : public test::WorkDirTest {
  protected:
    void AddFile(Digest& digest, std::string_view name) {
        digest.Add(test::ReadBytes(Path(std::string(name))));
    }
    void AddStream(Digest& digest, const CLogoBitmap& bitmap) {
        digest.Mix(static_cast<std::uint64_t>(bitmap.TopPadding()));
        digest.Add(bitmap.StreamBuffer(), static_cast<std::size_t>(bitmap.StreamLength()));
    }
    void Expect(const std::string& key, const Digest& digest) {
        const auto found = kExpected.find(key);
        const std::string want = found == kExpected.end() ? "" : found->second;
        EXPECT_EQ(digest.Hex(), want) << "    {\"" << key << "\", \"" << digest.Hex() << "\"},";
    }
};

// The tone methods in the order of the ImageMode numbers 0 to 3, which name
// the digests.
constexpr ToneMethod kTones[] = {ToneMethod::kNone, ToneMethod::kDiffusion,
                                 ToneMethod::kDiffusionAndColour, ToneMethod::kUnconverted};

// A brightness, with the colour file it selects in the colour step.
struct Brightness {
    int16_t value;
    ColourFile colour = ColourFile::kNone;
};

// Preparation, rotation file, colour file, packed data with and without the
// WaterMark screen, and the band data, each in a fresh record.
TEST_F(GoldenTest, PreparedAndPackedPictures) {
    for (const Source& source : kSources) {
        const std::string path = Path("source.bmp");
        test::WriteBytes(path, MakeSource(source));
        for (int mode = 0; mode <= 3; ++mode) {
            Digest digest;
            // The colour step's brightness is also its colour selector.
            const std::vector<Brightness> brightness =
                kTones[mode] == ToneMethod::kDiffusionAndColour
                    ? std::vector<Brightness>{{11, ColourFile::kNone},
                                              {12, ColourFile::kRed},
                                              {13, ColourFile::kGreen},
                                              {14, ColourFile::kBlue}}
                    : std::vector<Brightness>{{0}, {3}, {5}, {8}, {10}};
            for (const Brightness b : brightness) {
                for (int16_t rotation = 0; rotation <= 3; ++rotation) {
                    if (!source.allOptions && ((b.value != 5 && b.value != 12) || rotation == 2)) {
                        continue;
                    }
                    CLogoBitmap bitmap;
                    const Preparation p =
                        PrepareImage(bitmap, path, {kTones[mode], b.value, rotation, b.colour});
                    ASSERT_TRUE(p == Preparation::kTone || p == Preparation::kTwoColour);
                    AddFile(digest, working_file::kTemp);
                    AddFile(digest, RotationFile(rotation));
                    for (std::string_view colour :
                         {working_file::kRealRed, working_file::kRealGreen,
                          working_file::kRealBlue}) {
                        AddFile(digest, colour);
                        std::remove(Path(std::string(colour)).c_str());
                    }
                    const std::string turned = Path(std::string(RotationFile(rotation)));
                    ASSERT_EQ(bitmap.PackTurned(turned), EngineResult::kDone);
                    AddStream(digest, bitmap);
                    bitmap.ApplyWaterMarkScreen();
                    ASSERT_EQ(bitmap.PackTurned(turned), EngineResult::kDone);
                    AddStream(digest, bitmap);
                }
            }
            if (mode == 0) {
                CLogoBitmap bitmap;
                ASSERT_EQ(bitmap.LoadSource(path), EngineResult::kDone);
                ASSERT_EQ(bitmap.PackBands(), EngineResult::kDone);
                AddStream(digest, bitmap);
            }
            Expect(std::string(source.name) + "/mode" + std::to_string(mode), digest);
        }
    }
}

// Forms of several images share one record, so what an image leaves in the
// rasters and the colour copy meets the next one; the band form takes the
// first image as it is.
TEST_F(GoldenTest, FormsOfSeveralImages) {
    const Source* picks[] = {&kSources[3], &kSources[13], &kSources[18], &kSources[9],
                             &kSources[0]};
    std::vector<std::string> images;
    for (const Source* s : picks) {
        images.push_back(Path(std::string(s->name) + ".bmp"));
        test::WriteBytes(images.back(), MakeSource(*s));
    }
    for (int mode = 0; mode <= 3; ++mode) {
        Digest digest;
        const ToneMethod tone = kTones[mode];
        for (Role role : {Role::kTopLogo, Role::kWaterMark, Role::kMarginMessage}) {
            for (int16_t rotation = 0; rotation <= 3; ++rotation) {
                const bool colour = tone == ToneMethod::kDiffusionAndColour;
                const int16_t b = colour ? 12 : static_cast<int16_t>(2 + rotation);
                BufferSink out;
                const ModelZeroOptions options{
                    {tone, b, rotation, colour ? ColourFile::kRed : ColourFile::kNone}, role, 1};
                ASSERT_EQ(WriteModelZeroForm(images, options, out, nullptr), FormStatus::kDone);
                digest.Add(out.bytes);
                AddFile(digest, working_file::kTemp);
                AddFile(digest, working_file::kRealRed);
            }
        }
        BufferSink definition;
        ASSERT_EQ(WriteDefinitionFile(images, {tone, 7, 0}, definition, nullptr),
                  FormStatus::kDone);
        digest.Add(definition.bytes);
        for (bool complement : {false, true}) {
            BufferSink bands;
            ASSERT_EQ(WriteBandForm({images[mode]}, complement, bands, nullptr), FormStatus::kDone);
            digest.Add(bands.bytes);
        }
        Expect("forms/mode" + std::to_string(mode), digest);
    }
}

}  // namespace
}  // namespace zelmar
