#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/upload_forms.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using test::Dots;
using test::NvDot;

// A sink that refuses its n-th write.
class FailingSink : public BufferSink {
  public:
    explicit FailingSink(std::size_t failAt) : failAt_(failAt) {}
    bool Write(Element element, const std::uint8_t* data, std::size_t size) override {
        return pieces.size() + 1 < failAt_ && BufferSink::Write(element, data, size);
    }
    using ByteSink::Write;

  private:
    std::size_t failAt_;
};

class FormsTest : public test::WorkDirTest {
  protected:
    // A black-and-white colour picture; returns its path.
    std::string Picture(const std::string& name, int width, int height, const Dots& dot) {
        test::WriteBytes(Path(name), test::MakeDotsBmp(width, height, dot));
        return Path(name);
    }
    // A 1-bit picture with the usual table (colour 0 black).
    std::string MonoPicture(const std::string& name, int width, int height, const Dots& dot) {
        test::WriteBytes(Path(name), test::MakeMonoBmp(width, height, dot));
        return Path(name);
    }
    ProgressFn Recorder() {
        return [this](int32_t data) { progress_.push_back(data); };
    }

    BufferSink out_;
    std::vector<int32_t> progress_;
};

TEST_F(FormsTest, PackedPictureSitsAtTheBottomOfItsPaddedHeight) {
    auto dot = [](int x, int y) { return (x + 2 * y) % 3 == 0; };
    const std::string image = Picture("a.bmp", 10, 13, dot);
    ASSERT_EQ(WriteModelZeroForm({image}, {}, out_, nullptr), FormStatus::kDone);
    const Bytes header = {0x1D, 0x5B, 0x5D, 0x54, 2, 0, 2, 0};
    ASSERT_EQ(out_.bytes.size(), header.size() + 32);
    EXPECT_EQ(Bytes(out_.bytes.begin(), out_.bytes.begin() + 8), header);
    const std::uint8_t* data = out_.bytes.data() + 8;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            // Three blank rows on top, blank columns 10 to 15.
            const bool expected = y >= 3 && x < 10 && dot(x, y - 3);
            ASSERT_EQ(NvDot(data, 16, x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(FormsTest, TopLogoOf576By120) {
    const std::string image = Picture("a.bmp", 576, 120, [](int, int) { return true; });
    ASSERT_EQ(WriteModelZeroForm({image}, {}, out_, nullptr), FormStatus::kDone);
    ASSERT_EQ(out_.bytes.size(), 8u + 8640u);
    EXPECT_EQ(Bytes(out_.bytes.begin(), out_.bytes.begin() + 8),
              (Bytes{0x1D, 0x5B, 0x5D, 0x54, 0x48, 0x00, 0x0F, 0x00}));
    EXPECT_EQ(Bytes(out_.bytes.begin() + 8, out_.bytes.end()), Bytes(8640, 0xFF));
}

TEST_F(FormsTest, ThreeImagesFollowEachOtherWithTheirOwnHeaders) {
    const std::vector<std::string> images = {
        Picture("a.bmp", 8, 8, [](int, int) { return true; }),
        Picture("b.bmp", 16, 8, [](int, int) { return false; }),
        Picture("c.bmp", 8, 16, [](int x, int) { return x == 0; }),
    };
    ModelZeroOptions options;
    options.role = Role::kMarginMessage;
    options.selectMargin = 2;
    ASSERT_EQ(WriteModelZeroForm(images, options, out_, Recorder()), FormStatus::kDone);
    const Bytes margin = {0x1D, 0x5B, 0x5D, 0x4D, 0x01, 0x30};
    Bytes expected;
    auto add = [&](Bytes size, Bytes data) {
        expected.insert(expected.end(), margin.begin(), margin.end());
        expected.insert(expected.end(), size.begin(), size.end());
        expected.insert(expected.end(), data.begin(), data.end());
    };
    add({1, 0, 1, 0}, Bytes(8, 0xFF));
    add({2, 0, 1, 0}, Bytes(16, 0x00));
    add({1, 0, 2, 0}, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(out_.bytes, expected);
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2, 3}));
    // A link sends headers and data each its own way: every write says which it is.
    using E = Element;
    EXPECT_EQ(out_.elements, (std::vector<Element>{E::kImageHeader, E::kNvData, E::kImageHeader,
                                                   E::kNvData, E::kImageHeader, E::kNvData}));
}

TEST_F(FormsTest, RotationShapesTheDataInEveryImageMode) {
    const int w = 24, h = 8;
    auto dot = [](int x, int y) { return x < 3 && y < 2; };  // a block at the top-left
    const std::string image = Picture("a.bmp", w, h, dot);
    struct Turn {
        int16_t rotation;
        int width, height;  // of the turned picture
        Dots expected;      // at turned (x, y)
    };
    const Turn turns[] = {
        {0, w, h, [&](int x, int y) { return dot(x, y); }},
        {1, h, w, [&](int x, int y) { return dot(y, h - 1 - x); }},
        {2, w, h, [&](int x, int y) { return dot(x, h - 1 - y); }},
        {3, h, w, [&](int x, int y) { return dot(w - 1 - y, x); }},
    };
    for (ToneMethod tone :
         {ToneMethod::kNone, ToneMethod::kDiffusion, ToneMethod::kDiffusionAndColour}) {
        const int mode = static_cast<int>(tone);
        for (const Turn& t : turns) {
            BufferSink out;
            ModelZeroOptions options;
            options.image = {tone, 5, t.rotation};
            ASSERT_EQ(WriteModelZeroForm({image}, options, out, nullptr), FormStatus::kDone);
            const Bytes size(out.bytes.begin() + 4, out.bytes.begin() + 8);
            ASSERT_EQ(size, commands::SizeBytes(t.width, t.height)) << mode << "/" << t.rotation;
            for (int y = 0; y < t.height; ++y) {
                for (int x = 0; x < t.width; ++x) {
                    ASSERT_EQ(NvDot(out.bytes.data() + 8, t.height, x, y), t.expected(x, y))
                        << "mode " << mode << " rotation " << t.rotation << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(FormsTest, WaterMarkScreenOnlyForWaterMarks) {
    const std::string image = Picture("a.bmp", 20, 20, [](int, int) { return true; });
    auto countDots = [](const Bytes& form) {
        int n = 0;
        for (std::size_t i = 8; i < form.size(); ++i) {
            for (int b = 0; b < 8; ++b)
                n += (form[i] >> b) & 1;
        }
        return n;
    };
    for (Role role : {Role::kTopLogo, Role::kBottomLogo, Role::kWaterMark, Role::kMarginMessage}) {
        BufferSink out;
        ModelZeroOptions options;
        options.role = role;
        options.selectMargin = 7;  // a nine-byte Margin Message header
        ASSERT_EQ(WriteModelZeroForm({image}, options, out, nullptr), FormStatus::kDone);
        if (role == Role::kMarginMessage) out.bytes.erase(out.bytes.begin());
        EXPECT_EQ(countDots(out.bytes), role == Role::kWaterMark ? 4 * 20 : 400)
            << static_cast<int>(role);
    }
}

TEST_F(FormsTest, DefinitionFile) {
    const std::vector<std::string> images = {
        Picture("a.bmp", 8, 8, [](int, int) { return true; }),
        Picture("b.bmp", 16, 16, [](int, int) { return true; }),
    };
    ASSERT_EQ(WriteDefinitionFile(images, {}, out_, Recorder()), FormStatus::kDone);
    Bytes expected = {0x1B, 0x40, 0x1C, 0x71, 0x02, 1, 0, 1, 0};
    expected.insert(expected.end(), 8, 0xFF);
    expected.insert(expected.end(), {2, 0, 2, 0});
    expected.insert(expected.end(), 32, 0xFF);
    EXPECT_EQ(out_.bytes, expected);
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2}));
    using E = Element;
    EXPECT_EQ(out_.elements, (std::vector<Element>{E::kCommand, E::kImageHeader, E::kNvData,
                                                   E::kImageHeader, E::kNvData}));
}

TEST_F(FormsTest, DefinitionCountFitsOneByte) {
    const std::vector<std::string> images(256,
                                          Picture("a.bmp", 8, 8, [](int, int) { return true; }));
    EXPECT_EQ(WriteDefinitionFile(images, {}, out_, nullptr), FormStatus::kTooManyImages);
    EXPECT_TRUE(out_.bytes.empty());
}

TEST_F(FormsTest, PrintAllAndEraseFiles) {
    ASSERT_EQ(WritePrintAllFile(out_, Recorder()), FormStatus::kDone);
    ASSERT_EQ(out_.bytes.size(), 1024u);
    EXPECT_EQ(Bytes(out_.bytes.begin(), out_.bytes.begin() + 8),
              (Bytes{0x1C, 0x70, 0x01, 0x30, 0x1C, 0x70, 0x02, 0x30}));
    EXPECT_EQ(Bytes(out_.bytes.end() - 8, out_.bytes.end()),
              (Bytes{0x1C, 0x70, 0xFF, 0x30, 0x1D, 0x56, 0x42, 0x01}));
    ASSERT_EQ(progress_.size(), 255u);
    EXPECT_EQ(progress_.front(), 1);
    EXPECT_EQ(progress_.back(), 255);

    BufferSink erase;
    ASSERT_EQ(WriteEraseFile(erase), FormStatus::kDone);
    EXPECT_EQ(erase.bytes, (Bytes{0x1C, 0x65}));
}

TEST_F(FormsTest, BandFormOfTheFirstImage) {
    auto dot = [](int x, int y) { return (x * y) % 4 == 1; };
    const std::vector<std::string> images = {MonoPicture("a.bmp", 20, 10, dot),
                                             MonoPicture("b.bmp", 8, 8, dot)};
    for (bool complement : {false, true}) {
        BufferSink out;
        progress_.clear();
        ASSERT_EQ(WriteBandForm(images, complement, out, Recorder()), FormStatus::kDone);
        EXPECT_EQ(progress_, std::vector<int32_t>{0});
        // Preamble, then 2 bands of 24 columns; no pause bytes, no second image.
        ASSERT_EQ(out.bytes.size(), 5u + 2 * (9 + 24));
        EXPECT_EQ(out.elements, (std::vector<Element>{Element::kBandPreamble, Element::kBandRecord,
                                                      Element::kBandRecord}));
        EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + 5), commands::BandPreamble());
        for (int band = 0; band < 2; ++band) {
            const std::size_t at = 5 + band * (9 + 24);
            EXPECT_EQ(Bytes(out.bytes.begin() + at, out.bytes.begin() + at + 9),
                      commands::BandRecordHead(band, 24));
            for (int x = 0; x < 24; ++x) {
                std::uint8_t expected = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int y = 8 * band + bit;
                    if (x < 20 && y < 10 && dot(x, y))
                        expected |= static_cast<std::uint8_t>(0x80 >> bit);
                }
                if (complement) expected = static_cast<std::uint8_t>(~expected);
                EXPECT_EQ(out.bytes[at + 9 + x], expected) << band << "," << x;
            }
        }
    }
}

TEST_F(FormsTest, FirstFailedWriteStopsTheForm) {
    const std::vector<std::string> images = {
        Picture("a.bmp", 8, 8, [](int, int) { return true; }),
        Picture("b.bmp", 8, 8, [](int, int) { return true; }),
    };
    FailingSink out(3);  // header and data of image 1 go out, image 2's header fails
    EXPECT_EQ(WriteModelZeroForm(images, {}, out, Recorder()), FormStatus::kWriteFailed);
    EXPECT_EQ(progress_, std::vector<int32_t>{1});
    EXPECT_EQ(out.pieces, (std::vector<std::size_t>{8, 8}));

    FailingSink print(10);
    progress_.clear();
    EXPECT_EQ(WritePrintAllFile(print, Recorder()), FormStatus::kWriteFailed);
    EXPECT_EQ(progress_.size(), 9u);
}

TEST_F(FormsTest, ListsAreCheckedBeforeAnything) {
    const std::string good = Picture("a.bmp", 8, 8, [](int, int) { return true; });
    test::WriteBytes(Path("wide.bmp"), test::MakeColourBmp(700, 8, [](int, int) { return 0u; }));
    EXPECT_EQ(CheckImageList({}), FormStatus::kNoImage);
    EXPECT_EQ(CheckImageList({good}, 4), FormStatus::kBadRotation);
    FileFault fault;
    EXPECT_EQ(CheckImageList({good, Path("missing.bmp")}, int16_t{0}, &fault),
              FormStatus::kBadImage);
    EXPECT_EQ(fault.path, Path("missing.bmp"));  // which image, and why
    EXPECT_EQ(fault.source.file.reason, files::Reason::kNotFound);
    EXPECT_EQ(CheckImageList({good, Path("wide.bmp")}, &fault), FormStatus::kBadImage);
    EXPECT_EQ(fault.source, SourceError::TooLarge());
    EXPECT_EQ(CheckImageList({good, ""}), FormStatus::kBadImage);
    EXPECT_EQ(CheckImageList({good, good}, 3), FormStatus::kDone);
    EXPECT_FALSE(test::FileExists(Path("Temp.bmp")));
}

}  // namespace
}  // namespace zelmar
