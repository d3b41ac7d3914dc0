#include "methods/image_methods.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/files.h"
#include "engine/memory_files.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "recorded_messages.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using files::Reason;
using test::FileExists;
using test::ReadBytes;

class ImageMethodsTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        colour_ = Path("colour.bmp");
        test::WriteBytes(colour_, test::MakeShadedBmp(20, 12));
        test::BmpLayout mono;
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

TEST_F(ImageMethodsTest, PreviewOfTheTwoColourCopyItselfLeavesItWhole) {
    const Bytes mono = ReadBytes(mono_);
    test::WriteBytes(Path("Temp2Color.bmp"), mono);
    EXPECT_EQ(Preview("Temp2Color.bmp", {0, 5, 0}), Working("Temp.bmp"));
    EXPECT_EQ(ReadBytes(Path("Temp2Color.bmp")), mono);
}

TEST_F(ImageMethodsTest, PreviewFailsWhenAWorkingFileCannotBeWritten) {
    struct Case {
        const char* blocked;  // a directory in the working file's place
        std::string source;
        ImageOptions options;
    };
    for (const Case& c :
         {Case{"Temp.bmp", colour_, {0, 5, 0}}, Case{"LeftRotation.bmp", colour_, {1, 5, 3}},
          Case{"RealRedColor.bmp", colour_, {2, 12, 0}},
          Case{"Temp2Color.bmp", mono_, {0, 5, 0}}}) {
        std::filesystem::create_directory(Path(c.blocked));
        FileFault fault;
        EXPECT_EQ(Preview(c.source, c.options, nullptr, &fault), "") << c.blocked;
        EXPECT_EQ(fault.path, Working(c.blocked));
        EXPECT_EQ(fault.output.reason, Reason::kDirectory) << c.blocked;
        EXPECT_EQ(Describe(fault),
                  Working(c.blocked) + ": cannot be written: a directory, not a file");
        std::filesystem::remove(Path(c.blocked));
    }
}

TEST_F(ImageMethodsTest, OneVerdictOnADataOffsetFarPastThePixels) {
    // A picture whose rows sit 9 MB into the file: every method refuses it alike.
    test::BmpLayout layout;
    layout.width = 8;
    layout.height = 2;
    layout.dataOffset = 9u << 20;
    const std::string far = Path("far.bmp");
    test::WriteBytes(far, test::MakeBmp(layout));
    int32_t bits = -7, height = -7, width = -7;
    EXPECT_EQ(BitmapInfo(far, bits, height, width), -1);
    EXPECT_EQ(bits, -7);
    FileFault fault;
    EXPECT_EQ(Preview(far, {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(fault.source, SourceError::Unreadable(BmpError::kBadDataOffset));
    for (int32_t nvSelect : {0, 1}) {
        fault = {};
        EXPECT_EQ(FileUpload(Path("out.bin"), far + "|", nvSelect, {}, 0, 0, nullptr, &fault),
                  kFileUploadBadImage);
        EXPECT_EQ(fault.path, far);
        EXPECT_EQ(fault.source, SourceError::Unreadable(BmpError::kBadDataOffset));
    }
}

TEST_F(ImageMethodsTest, OsTwoCoreHeaderPrintsAsTheUsualHeader) {
    for (int depth : {1, 8, 24}) {
        test::BmpLayout layout;
        layout.width = 19;
        layout.height = 9;
        layout.depth = depth;
        if (depth <= 8) {
            layout.palette.assign(1u << depth, 0);  // a core header has every colour
            layout.palette[1] = 0xFFFFFF;
        }
        layout.pixel = [depth](int x, int y) {
            const bool white = (x + y) % 3 == 0;
            return white ? (depth == 24 ? 0xFFFFFFu : 1u) : 0u;
        };
        test::WriteBytes(Path("usual.bmp"), test::MakeBmp(layout));
        layout.infoSize = 12;
        test::WriteBytes(Path("core.bmp"), test::MakeBmp(layout));
        int32_t bits = 0, height = 0, width = 0;
        ASSERT_EQ(BitmapInfo(Path("core.bmp"), bits, height, width), 0) << depth;
        EXPECT_EQ(bits, depth);
        EXPECT_EQ(width, 19);
        EXPECT_EQ(height, 9);
        ASSERT_EQ(Preview(Path("usual.bmp"), {1, 5, 1}), Working("Temp.bmp")) << depth;
        const Bytes usual = ReadBytes(Path("RightRotation.bmp"));
        ASSERT_EQ(Preview(Path("core.bmp"), {1, 5, 1}), Working("Temp.bmp")) << depth;
        EXPECT_EQ(ReadBytes(Path("RightRotation.bmp")), usual) << depth;
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

class FileUploadTest : public ImageMethodsTest {
  protected:
    int32_t Upload(const std::string& list, int32_t nvSelect = 0, ImageOptions image = {},
                   int16_t selectType = 1) {
        progress_.clear();
        return FileUpload(Path("out.bin"), list, nvSelect, image, selectType, 0,
                          [this](int32_t data) { progress_.push_back(data); });
    }
    std::vector<int32_t> progress_;
};

TEST_F(FileUploadTest, DefinitionStreamOfTwoImages) {
    ASSERT_EQ(Upload(colour_ + "|" + mono_ + "|"), kFileUploadDone);
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2}));
    // Exactly the model-0 form, no preamble: two Bottom Logo definitions.
    BufferSink expected;
    ModelZeroOptions options;
    options.role = Role::kBottomLogo;
    ASSERT_EQ(WriteModelZeroForm({colour_, mono_}, options, expected, nullptr), FormStatus::kDone);
    const Bytes written = ReadBytes(Path("out.bin"));
    EXPECT_EQ(written, expected.bytes);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), (Bytes{0x1D, 0x5B, 0x5D, 0x42}));
    // Raster.bmp: the last image's packed data behind a header of its padded size.
    const Bytes raster = ReadBytes(Path("Raster.bmp"));
    Bytes header;
    AppendOneBitHeader(header, 24, 16);
    ASSERT_EQ(raster.size(), 62u + 48u);
    EXPECT_EQ(Bytes(raster.begin(), raster.begin() + 62), header);
    EXPECT_EQ(Bytes(raster.begin() + 62, raster.end()), Bytes(written.end() - 48, written.end()));
}

TEST_F(FileUploadTest, BandStreamOfTheFirstImage) {
    ASSERT_EQ(Upload(mono_ + "|" + colour_ + "|", 1, {0, 5, 9}), kFileUploadDone);
    EXPECT_EQ(progress_, std::vector<int32_t>{0});
    BufferSink expected;
    ASSERT_EQ(WriteBandForm({mono_}, false, expected, nullptr), FormStatus::kDone);
    EXPECT_EQ(ReadBytes(Path("out.bin")), expected.bytes);
}

TEST_F(FileUploadTest, RefusesBeforeWritingAnything) {
    struct Case {
        const char* name;
        std::string list;
        int32_t nvSelect;
        int16_t rotation;
        int32_t status;
    };
    const Case cases[] = {
        {"NoBar", colour_, 0, 0, kFileUploadNoImage},
        {"Empty", "", 1, 0, kFileUploadNoImage},
        {"BadRotation", colour_ + "|", 0, 4, kFileUploadBadImage},
        {"MissingSecond", colour_ + "|" + Path("missing.bmp") + "|", 0, 0, kFileUploadBadImage},
        {"MissingSecondBand", colour_ + "|" + Path("missing.bmp") + "|", 1, 0, kFileUploadBadImage},
        {"MissingAndBadRotation", Path("missing.bmp") + "|", 0, -1, kFileUploadBadImage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Upload(c.list, c.nvSelect, {0, 5, c.rotation}), c.status) << c.name;
        EXPECT_TRUE(progress_.empty()) << c.name;
        for (const char* file : {"out.bin", "Temp.bmp", "NoRotation.bmp", "Raster.bmp"}) {
            EXPECT_FALSE(FileExists(Path(file))) << c.name << " " << file;
        }
    }
}

TEST_F(FileUploadTest, OutputThatCannotBeCreated) {
    EXPECT_EQ(FileUpload(Path("no/such/dir/out.bin"), colour_ + "|", 0, {}, 0, 0, nullptr),
              kFileUploadCannotWrite);
    EXPECT_FALSE(FileExists(Path("Temp.bmp")));
}

TEST_F(FileUploadTest, StreamIsCompleteWhenRasterCopyCannotBeWritten) {
    std::filesystem::create_directory(Path("Raster.bmp"));
    ASSERT_EQ(Upload(colour_ + "|" + colour_ + "|"), kFileUploadDone);
    EXPECT_EQ(progress_, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(ReadBytes(Path("out.bin")).size(), 2u * (8 + 48));
}

TEST_F(FileUploadTest, OutputThatNamesAnImageOrAWorkingFileIsRefused) {
    const Bytes colour = ReadBytes(colour_);
    struct Case {
        std::string output, list, clash;
    };
    for (const Case& c : {Case{colour_, colour_ + "|", "the image " + colour_},
                          Case{"colour.bmp", mono_ + "|" + colour_ + "|", "the image " + colour_},
                          Case{Path("Temp.bmp"), colour_ + "|", "the working file Temp.bmp"},
                          Case{"Raster.bmp", colour_ + "|", "the working file Raster.bmp"}}) {
        for (int32_t nvSelect : {0, 1}) {
            FileFault fault;
            EXPECT_EQ(FileUpload(c.output, c.list, nvSelect, {}, 0, 0, nullptr, &fault),
                      kFileUploadCannotWrite)
                << c.output;
            EXPECT_EQ(fault.path, c.output);
            EXPECT_EQ(fault.clash, c.clash);
            EXPECT_EQ(ReadBytes(colour_), colour);
            for (const char* file : {"Temp.bmp", "NoRotation.bmp", "Raster.bmp"}) {
                EXPECT_FALSE(FileExists(Path(file))) << file;
            }
        }
    }
}

TEST_F(FileUploadTest, FailedUploadLeavesTheOutputAsItWas) {
    const Bytes old = {'o', 'l', 'd'};
    test::WriteBytes(Path("out.bin"), old);
    std::filesystem::create_directory(Path("NoRotation.bmp"));  // a working file's place taken
    FileFault fault;
    EXPECT_EQ(
        FileUpload(Path("out.bin"), colour_ + "|" + colour_ + "|", 0, {}, 0, 0, nullptr, &fault),
        kFileUploadCannotWrite);
    EXPECT_EQ(fault.path, Working("NoRotation.bmp"));
    EXPECT_EQ(fault.output.reason, Reason::kDirectory);
    EXPECT_EQ(ReadBytes(Path("out.bin")), old);

    fault = {};
    std::filesystem::create_directory(Path("out.dir"));
    EXPECT_EQ(FileUpload(Path("out.dir"), colour_ + "|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadCannotWrite);
    EXPECT_EQ(fault.path, Path("out.dir"));
    EXPECT_EQ(fault.output.reason, Reason::kDirectory);
}

// The methods on the in-memory file system, as the fuzz targets run them.
class ImageMethodsInMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override { fs_.Put("colour.bmp", test::MakeShadedBmp(20, 12)); }
    std::string Working(std::string_view name) { return files::InCurrentDirectory(name); }

    files::MemoryFileSystem fs_;
    files::ScopedFileSystem scope_{fs_};
};

TEST_F(ImageMethodsInMemoryTest, WritesWhatTheDiskWouldHold) {
    ASSERT_EQ(Preview("colour.bmp", {2, 12, 1}), Working("RightRotation.bmp"));
    ASSERT_EQ(FileUpload("out.bin", "colour.bmp|", 0, {1, 5, 0}, 1, 0, nullptr), kFileUploadDone);
    BufferSink expected;
    ModelZeroOptions options;
    options.image = {ToneMethod::kDiffusion, 5, 0};
    options.role = Role::kBottomLogo;
    ASSERT_EQ(WriteModelZeroForm({"colour.bmp"}, options, expected, nullptr), FormStatus::kDone);
    EXPECT_EQ(*fs_.Find("out.bin"), expected.bytes);
    for (const char* name :
         {"Temp.bmp", "NoRotation.bmp", "RightRotation.bmp", "RealRedColor.bmp", "Raster.bmp"}) {
        EXPECT_NE(fs_.Find(Working(name)), nullptr) << name;
    }
}

TEST_F(ImageMethodsInMemoryTest, AFullDiskIsAFailure) {
    const Bytes old = {'o', 'l', 'd'};
    fs_.Put("out.bin", old);
    // Room for less than Temp.bmp (62 + 4 * 12 bytes).
    fs_.SetCapacity(fs_.Find("colour.bmp")->size() + old.size() + 100);
    FileFault fault;
    EXPECT_EQ(Preview("colour.bmp", {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(fault.path, Working("Temp.bmp"));
    EXPECT_EQ(fault.output.reason, Reason::kDiskFull);
    EXPECT_EQ(fs_.Find(Working("Temp.bmp")), nullptr);  // no file cut short
    fault = {};
    EXPECT_EQ(FileUpload("out.bin", "colour.bmp|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadCannotWrite);
    EXPECT_EQ(fault.output.reason, Reason::kDiskFull);
    EXPECT_EQ(*fs_.Find("out.bin"), old);
}

TEST_F(ImageMethodsInMemoryTest, AnUnwritableDirectoryIsAFailure) {
    fs_.SetReadOnly(true);
    FileFault fault;
    EXPECT_EQ(Preview("colour.bmp", {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(fault.output.reason, Reason::kPermission);
    EXPECT_EQ(FileUpload("out.bin", "colour.bmp|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadCannotWrite);
    EXPECT_EQ(fault.path, "out.bin");
    EXPECT_EQ(Describe(fault), "out.bin: cannot be written: permission denied");
}

TEST_F(ImageMethodsTest, FileLoadShowsTheNameAndWritesAnEmptyRaster) {
    test::RecordedMessages messages;
    EXPECT_EQ(FileLoad("C:\\logos\\top.bmp", messages), 0);
    // The control's default caption: an empty one.
    EXPECT_EQ(messages.shown, std::vector<std::string>{": C:\\logos\\top.bmp"});
    Bytes expected;
    AppendOneBitHeader(expected, 0, 0);
    EXPECT_EQ(ReadBytes(Path("Raster.bmp")), expected);
    EXPECT_EQ(expected.size(), 62u);
    EXPECT_EQ(expected[2], 62);
}

}  // namespace
}  // namespace zelmar
