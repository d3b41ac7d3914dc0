#include <gtest/gtest.h>

#include "methods/arguments.h"

namespace zelmar {
namespace {

// Numbers outside the documented ones keep the behaviour they always had:
// none is refused.
TEST(ArgumentsTest, ImageModeAndTheColourSelector) {
    struct Case {
        int16_t imageMode, brightness;
        ToneMethod tone;
        ColourFile colour;
    };
    const Case cases[] = {
        {0, 12, ToneMethod::kNone, ColourFile::kNone},
        {1, 13, ToneMethod::kDiffusion, ColourFile::kNone},
        {2, 11, ToneMethod::kDiffusionAndColour, ColourFile::kNone},
        {2, 12, ToneMethod::kDiffusionAndColour, ColourFile::kRed},
        {2, 13, ToneMethod::kDiffusionAndColour, ColourFile::kGreen},
        {2, 14, ToneMethod::kDiffusionAndColour, ColourFile::kBlue},
        {2, 5, ToneMethod::kDiffusionAndColour, ColourFile::kNone},
        {3, 12, ToneMethod::kUnconverted, ColourFile::kNone},
        {-1, 12, ToneMethod::kUnconverted, ColourFile::kNone},
    };
    for (const Case& c : cases) {
        const PrepareOptions options = PrepareOptionsOf({c.imageMode, c.brightness, 3});
        EXPECT_EQ(options.tone, c.tone) << c.imageMode << "/" << c.brightness;
        EXPECT_EQ(options.colour, c.colour) << c.imageMode << "/" << c.brightness;
        EXPECT_EQ(options.brightness, c.brightness);
        EXPECT_EQ(options.rotation, 3);
    }
}

TEST(ArgumentsTest, SelectTypeOutsideTheRolesStoresNoRole) {
    const std::pair<int16_t, Role> cases[] = {
        {0, Role::kTopLogo},       {1, Role::kBottomLogo}, {2, Role::kWaterMark},
        {3, Role::kMarginMessage}, {4, Role::kNone},       {-1, Role::kNone},
    };
    for (const auto& [selectType, role] : cases)
        EXPECT_EQ(RoleOf(selectType), role) << selectType;
    const ModelZeroOptions options = ModelZeroOptionsOf({{1, 5, 0}, 3, 7});
    EXPECT_EQ(options.role, Role::kMarginMessage);
    EXPECT_EQ(options.selectMargin, 7);
}

TEST(ArgumentsTest, PrinterModels) {
    struct Case {
        int32_t printer;
        bool takesRoles, answersStatus, cuts, savesOptions;
    };
    const Case cases[] = {
        {0, true, true, true, true},      {3, false, false, true, true},
        {1, false, false, false, false},  {2, false, false, false, false},
        {-1, false, false, false, false}, {256, false, false, false, false},
    };
    for (const Case& c : cases) {
        const PrinterModel model = PrinterModelOf(c.printer);
        EXPECT_EQ(model.takesRoles, c.takesRoles) << c.printer;
        EXPECT_EQ(model.answersStatus, c.answersStatus) << c.printer;
        EXPECT_EQ(model.cuts, c.cuts) << c.printer;
        EXPECT_EQ(model.savesOptions, c.savesOptions) << c.printer;
    }
}

TEST(ArgumentsTest, EveryEraseModeButZeroErases) {
    EXPECT_EQ(EraseModeOf(0), EraseMode::kPrintAll);
    for (int16_t mode : {int16_t{1}, int16_t{2}, int16_t{-1}})
        EXPECT_EQ(EraseModeOf(mode), EraseMode::kErase) << mode;
}

}  // namespace
}  // namespace zelmar
