// The methods against what only a POSIX file system offers: FIFOs, links, a
// directory that is gone, a file size limit, paths past PATH_MAX.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>

#include "bmp_builder.h"
#include "engine/files.h"
#include "methods/image_methods.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using files::Reason;
using test::ReadBytes;

class ImageMethodsPosixTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        colour_ = Path("colour.bmp");
        test::WriteBytes(colour_, test::MakeShadedBmp(20, 12));
    }
    std::string colour_;
};

TEST_F(ImageMethodsPosixTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string fifo = Path("fifo.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t bits = 0, height = 0, width = 0;
    EXPECT_EQ(BitmapInfo(fifo, bits, height, width), -1);
    FileFault fault;
    EXPECT_EQ(Preview(fifo, {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(Describe(fault), fifo + ": a FIFO or pipe, not a regular file");
    EXPECT_EQ(FileUpload(Path("out.bin"), fifo + "|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadBadImage);
    EXPECT_EQ(fault.source.file.reason, Reason::kFifo);
    // As the output it is neither opened nor replaced.
    fault = {};
    EXPECT_EQ(FileUpload(fifo, colour_ + "|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadCannotWrite);
    EXPECT_EQ(fault.output.reason, Reason::kFifo);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(ImageMethodsPosixTest, WorkingFilesReplaceLinksAndLeaveTheirTargets) {
    std::filesystem::create_directory(Path("elsewhere"));
    const char* names[] = {"Temp.bmp", "NoRotation.bmp", "RealGreenColor.bmp", "Raster.bmp"};
    for (const char* name : names) {
        test::WriteBytes(Path("elsewhere/") + name, Bytes{'k'});
        std::filesystem::create_symlink(Path("elsewhere/") + name, Path(name));
    }
    ASSERT_EQ(Preview(colour_, {2, 13, 0}), Path("NoRotation.bmp"));
    ASSERT_EQ(FileUpload(Path("out.bin"), colour_ + "|", 0, {}, 0, 0, nullptr), kFileUploadDone);
    for (const char* name : names) {
        EXPECT_EQ(ReadBytes(Path("elsewhere/") + name), Bytes{'k'}) << name;
        EXPECT_FALSE(std::filesystem::is_symlink(Path(name))) << name;
    }
}

TEST_F(ImageMethodsPosixTest, ADirectoryThatIsGoneTakesNoFiles) {
    // The working files must not land anywhere else, such as "/".
    std::filesystem::create_directory(Path("gone"));
    std::filesystem::current_path(Path("gone"));
    std::filesystem::remove(Path("gone"));
    FileFault fault;
    EXPECT_EQ(Preview(colour_, {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(fault.output.reason, Reason::kNotFound);
    EXPECT_EQ(FileUpload(Path("out.bin"), colour_ + "|", 0, {}, 0, 0, nullptr, &fault),
              kFileUploadCannotWrite);
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
    EXPECT_FALSE(std::filesystem::exists("/Temp.bmp"));
}

TEST_F(ImageMethodsPosixTest, AFileSizeLimitIsAFullDisk) {
    const Bytes old = {'o', 'l', 'd'};
    test::WriteBytes(Path("out.bin"), old);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;  // less than Temp.bmp's 110 bytes
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    FileFault preview, upload;
    const std::string shown = Preview(colour_, {0, 5, 0}, nullptr, &preview);
    const int32_t status =
        FileUpload(Path("out.bin"), colour_ + "|", 0, {}, 0, 0, nullptr, &upload);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(shown, "");
    EXPECT_EQ(preview.path, Path("Temp.bmp"));
    EXPECT_EQ(preview.output.reason, Reason::kDiskFull);
    EXPECT_FALSE(std::filesystem::exists(Path("Temp.bmp")));  // no file cut short
    EXPECT_EQ(status, kFileUploadCannotWrite);
    EXPECT_EQ(upload.output.reason, Reason::kDiskFull);
    EXPECT_EQ(ReadBytes(Path("out.bin")), old);
}

// Builds a chain of directories deeper than PATH_MAX, one relative step at a
// time, and takes it down again in the same way.
class DeepDirectory {
  public:
    explicit DeepDirectory(int levels) : levels_(levels) {
        for (int i = 0; i < levels_; ++i) {
            if (::mkdir(kName.c_str(), 0700) != 0 || ::chdir(kName.c_str()) != 0) std::abort();
        }
    }
    ~DeepDirectory() {
        for (const auto& entry : std::filesystem::directory_iterator("."))
            ::unlink(entry.path().filename().c_str());
        for (int i = 0; i < levels_; ++i) {
            if (::chdir("..") != 0 || ::rmdir(kName.c_str()) != 0) std::abort();
        }
    }

  private:
    inline static const std::string kName = std::string(200, 'd');
    int levels_;
};

TEST_F(ImageMethodsPosixTest, WorkingFilesPastPathMaxFailClearly) {
    DeepDirectory deep(PATH_MAX / 200 + 1);
    FileFault fault;
    EXPECT_EQ(Preview(colour_, {0, 5, 0}, nullptr, &fault), "");
    EXPECT_EQ(fault.output.reason, Reason::kNameTooLong);
    EXPECT_EQ(fault.path, files::InCurrentDirectory("Temp.bmp"));
}

}  // namespace
}  // namespace zelmar
