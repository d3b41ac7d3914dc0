// The Windows builds have no PNG library: `zelmar import` says so and writes nothing.
#include <gtest/gtest.h>

#include <sstream>

#include "bmp_builder.h"
#include "cli.h"
#include "work_dir.h"

namespace zelmar::cli {
namespace {

class ImportTest : public test::WorkDirTest {};

TEST_F(ImportTest, SaysItNeedsTheNativeBuild) {
    test::WriteBytes(Path("logo.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    std::ostringstream out, err;
    EXPECT_EQ(Run({"import", Path("logo.png"), Path("logo.bmp")}, out, err), kFailed);
    EXPECT_EQ(err.str(), "zelmar import: " + Path("logo.png") +
                             ": reading PNG files needs the native (Linux) build of zelmar: Debian "
                             "has no PNG library for the Windows builds\n");
    EXPECT_FALSE(test::FileExists(Path("logo.bmp")));
}

}  // namespace
}  // namespace zelmar::cli
