#include <gtest/gtest.h>

#include "language.h"

namespace orvenna::test {
namespace {

using Names = std::vector<std::string>;

TEST(Language, OnlyCodePage949IsKorean) {
    EXPECT_EQ(LanguageFromCodePage(949), Language::kKorean);
    for (const unsigned other : {0u, 437u, 932u, 936u, 950u, 1252u, 65001u})
        EXPECT_EQ(LanguageFromCodePage(other), Language::kEnglish) << other;
}

TEST(Language, DriversMatchExactlyInThePlatformsOrder) {
    const Names installed = {"NX-A20", "nx-a11",       "NX-A11 ",
                             "NX-A11", "NX-A60",       "ZORAVE DOZUZIZ ADOREDU",
                             "NX-A21", "NX-A60 (copy)"};
    EXPECT_EQ(MatchDrivers(installed, Language::kKorean), (Names{"NX-A20", "NX-A11", "NX-A21"}));
    EXPECT_EQ(MatchDrivers(installed, Language::kEnglish),
              (Names{"NX-A60", "ZORAVE DOZUZIZ ADOREDU"}));
    EXPECT_TRUE(MatchDrivers({"ZORAVE DOZUZIZ ADOREDU"}, Language::kKorean).empty());
    EXPECT_TRUE(MatchDrivers({}, Language::kEnglish).empty());
}

}  // namespace
}  // namespace orvenna::test
