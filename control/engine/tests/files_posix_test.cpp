#include <sys/stat.h>

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using files::Reason;
using test::ReadBytes;

class FilesPosixTest : public test::WorkDirTest {};

TEST_F(FilesPosixTest, FifosAndDevicesAreRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(Path("fifo.bmp").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", Path("null.bmp"));
    Bytes head;
    std::uint64_t size = 0;
    // No writer is attached: opening the FIFO to read would wait for one.
    EXPECT_EQ(files::ReadPrefix(Path("fifo.bmp"), 10, head, size).reason, Reason::kFifo);
    EXPECT_EQ(files::ReadPrefix(Path("null.bmp"), 10, head, size).reason, Reason::kDevice);
    // Nor are they replaced as targets.
    EXPECT_EQ(files::Replace(Path("fifo.bmp"), Bytes{1}).reason, Reason::kFifo);
    EXPECT_EQ(files::Replace(Path("null.bmp"), Bytes{1}).reason, Reason::kDevice);
    EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo.bmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("null.bmp")));
}

TEST_F(FilesPosixTest, ALinkInTheTargetsPlaceIsReplacedNotWrittenThrough) {
    std::filesystem::create_directory(Path("elsewhere"));
    test::WriteBytes(Path("elsewhere/kept"), Bytes{'k'});
    std::filesystem::create_symlink(Path("elsewhere/kept"), Path("Temp.bmp"));
    ASSERT_FALSE(files::Replace(Path("Temp.bmp"), Bytes{1, 2}));
    EXPECT_EQ(ReadBytes(Path("elsewhere/kept")), Bytes{'k'});
    EXPECT_FALSE(std::filesystem::is_symlink(Path("Temp.bmp")));
    EXPECT_EQ(ReadBytes(Path("Temp.bmp")), (Bytes{1, 2}));
}

TEST_F(FilesPosixTest, NameTooLong) {
    const std::string name = Path(std::string(300, 'n'));
    Bytes head;
    std::uint64_t size = 0;
    EXPECT_EQ(files::ReadPrefix(name, 10, head, size).reason, Reason::kNameTooLong);
    EXPECT_EQ(files::Replace(name, Bytes{1}).reason, Reason::kNameTooLong);
    EXPECT_EQ(files::Describe(files::FileError{Reason::kNameTooLong, 0}), "the name is too long");
}

}  // namespace
}  // namespace zelmar
