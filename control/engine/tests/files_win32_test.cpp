#include <windows.h>

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/files.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using files::Reason;

class FilesWin32Test : public test::WorkDirTest {};

TEST_F(FilesWin32Test, PathsPastMaxPathAreReached) {
    // A directory that the plain calls still reach, whose files they do not.
    const std::string dir = Path(std::string(246 - Path("").size(), 'd'));
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string file = dir + "\\ReverseRotation.bmp";
    ASSERT_GT(file.size(), std::size_t{MAX_PATH});
    ASSERT_FALSE(files::Replace(file, Bytes{1, 2, 3}));
    Bytes head;
    std::uint64_t size = 0;
    ASSERT_FALSE(files::ReadPrefix(file, 10, head, size));
    EXPECT_EQ(head, (Bytes{1, 2, 3}));
    EXPECT_TRUE(files::SameFile(file, dir + "\\.\\reverserotation.bmp"));
    EXPECT_TRUE(DeleteFileW((L"\\\\?\\" + std::wstring(file.begin(), file.end())).c_str()));
}

TEST_F(FilesWin32Test, DevicesAreRefused) {
    Bytes head;
    std::uint64_t size = 0;
    EXPECT_EQ(files::ReadPrefix("NUL", 10, head, size).reason, Reason::kDevice);
    EXPECT_EQ(files::Replace(Path("nul"), Bytes{1}).reason, Reason::kDevice);
}

}  // namespace
}  // namespace zelmar
