// The Windows builds have no PNG library: `zelmar import` says so and writes nothing.
#include <gtest/gtest.h>

#include "cli_fixture.h"

namespace zelmar::cli {
namespace {

TEST_F(CliTest, ImportSaysItNeedsTheNativeBuild) {
    test::WriteBytes(Path("logo.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    EXPECT_EQ(Run({"import", Path("logo.png"), Path("logo.bmp")}), kFailed);
    EXPECT_EQ(Err(), "zelmar import: " + Path("logo.png") +
                         ": reading PNG files needs the native (Linux) build of zelmar: Debian "
                         "has no PNG library for the Windows builds\n");
    EXPECT_FALSE(test::FileExists(Path("logo.bmp")));
}

}  // namespace
}  // namespace zelmar::cli
