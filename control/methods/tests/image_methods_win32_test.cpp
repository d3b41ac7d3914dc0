// The methods where working-file paths pass MAX_PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/files.h"
#include "methods/image_methods.h"
#include "work_dir.h"

namespace zelmar {
namespace {

// Whether a file exists, whatever the length of its path.
bool LongPathExists(const std::string& path) {
    const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ImageMethodsWin32Test : public test::WorkDirTest {};

TEST_F(ImageMethodsWin32Test, WorkingFilesPastMaxPathAreWritten) {
    // A current directory the system accepts, whose working files' paths it does not.
    const std::string dir = Path(std::string(246 - Path("").size(), 'd'));
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    test::WriteBytes("colour.bmp", test::MakeShadedBmp(20, 12));
    const std::string shown = Preview("colour.bmp", {2, 12, 1});
    EXPECT_EQ(shown, dir + "\\RightRotation.bmp");
    ASSERT_GT(shown.size(), std::size_t{MAX_PATH});
    ASSERT_EQ(FileUpload("out.bin", "colour.bmp|", 0, {}, 0, 0, nullptr), kFileUploadDone);
    for (const char* name : {"Temp.bmp", "RightRotation.bmp", "RealRedColor.bmp", "NoRotation.bmp",
                             "Raster.bmp", "out.bin"}) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(LongPathExists(path)) << name;
        DeleteFileW((L"\\\\?\\" + std::wstring(path.begin(), path.end())).c_str());
    }
    DeleteFileA("colour.bmp");
    ASSERT_TRUE(SetCurrentDirectoryA(Dir().string().c_str()));
}

}  // namespace
}  // namespace zelmar
