// Wine's own script host as an independent client of the control: it creates
// it by program id, passes variables by reference and uploads to a file.
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "com_test.h"
#include "methods/image_methods.h"
#include "work_dir.h"

namespace zelmar::test {
namespace {

class VbscriptTest : public WorkDirTest {};

TEST_F(VbscriptTest, ScriptCallsBitmapInfoAndFileUpload) {
    WriteBytes(Path("colour.bmp"),
               MakeColourBmp(200, 80, [](int x, int y) { return Grey((x + 2 * y) % 256); }));
    std::string output;
    const long failures =
        RunProgram(L"cscript.exe //nologo \"" + BesideThisProgram(L"zelmar_test.vbs") + L"\"",
                   std::filesystem::current_path().wstring(), output);
    EXPECT_EQ(failures, 0) << output;

    // What the script uploaded is the engine's stream for the same arguments.
    ASSERT_EQ(FileUpload(Path("engine.bin"), "colour.bmp|colour.bmp|", 0, {1, 7, 1}, 1, 0, {}), 0);
    EXPECT_EQ(ReadBytes(Path("upload.bin")), ReadBytes(Path("engine.bin")));
}

}  // namespace
}  // namespace zelmar::test
