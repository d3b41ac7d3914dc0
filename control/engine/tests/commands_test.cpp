#include <gtest/gtest.h>

#include "engine/command_stream.h"

namespace zelmar {
namespace {

struct CommandCase {
    const char* name;
    Bytes actual;
    Bytes expected;
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}

class Commands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Commands, Bytes) {
    EXPECT_EQ(GetParam().actual, GetParam().expected);
}

using namespace commands;

INSTANTIATE_TEST_SUITE_P(
    All, Commands,
    ::testing::Values(
        CommandCase{"StatusQuery", StatusQuery(), {0x1D, 0x49, 0x01}},
        CommandCase{"TopLogo576x120",
                    NvImageHeader(Role::kTopLogo, 0, 576, 120),
                    {0x1D, 0x5B, 0x5D, 0x54, 0x48, 0x00, 0x0F, 0x00}},
        CommandCase{"BottomLogo",
                    NvImageHeader(Role::kBottomLogo, 9, 16, 16),
                    {0x1D, 0x5B, 0x5D, 0x42, 2, 0, 2, 0}},
        CommandCase{"WaterMark",
                    NvImageHeader(Role::kWaterMark, 0, 2048, 2048 * 8),
                    {0x1D, 0x5B, 0x5D, 0x57, 0x00, 0x01, 0x00, 0x08}},
        CommandCase{"MarginMessage0",
                    NvImageHeader(Role::kMarginMessage, 0, 8, 8),
                    {0x1D, 0x5B, 0x5D, 0x4D, 0x00, 0x30, 1, 0, 1, 0}},
        CommandCase{"MarginMessage1",
                    NvImageHeader(Role::kMarginMessage, 1, 8, 8),
                    {0x1D, 0x5B, 0x5D, 0x4D, 0x00, 0x30, 1, 0, 1, 0}},
        CommandCase{"MarginMessage2",
                    NvImageHeader(Role::kMarginMessage, 2, 8, 8),
                    {0x1D, 0x5B, 0x5D, 0x4D, 0x01, 0x30, 1, 0, 1, 0}},
        CommandCase{"MarginMessage3",
                    NvImageHeader(Role::kMarginMessage, 3, 8, 8),
                    {0x1D, 0x5B, 0x5D, 0x4D, 0x02, 0x30, 1, 0, 1, 0}},
        CommandCase{"MarginMessage7",
                    NvImageHeader(Role::kMarginMessage, 7, 8, 8),
                    {0x1D, 0x5B, 0x5D, 0x4D, 0x30, 1, 0, 1, 0}},
        CommandCase{"NoRole", NvImageHeader(Role::kNone, 0, 16, 24), {2, 0, 3, 0}},
        CommandCase{"SizeBytes", SizeBytes(16, 16), {2, 0, 2, 0}},
        CommandCase{"BandPreamble", BandPreamble(), {0x1B, 0x6F, 0x00, 0x1B, 0x40}},
        CommandCase{"BandRecord640",
                    BandRecordHead(0, 640),
                    {0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x80, 0x02}},
        CommandCase{"BandRecord300",
                    BandRecordHead(300, 8),
                    {0x1B, 0x58, 0x2A, 0x2C, 0x1B, 0x2A, 0x01, 0x08, 0x00}},
        CommandCase{"SamplePrintStart", SamplePrintStart(), {0x1B, 0x6F, 0x01}},
        CommandCase{"SamplePrintFeed",
                    SamplePrintFeed(),
                    {0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D,
                     0x0A, 0x1B, 0x6D}},
        CommandCase{"Cut", CutSequence(), {0x0D, 0x0A, 0x1B, 0x69}},
        CommandCase{"Options",
                    OptionsCommand(1, 0, 1, 0),
                    {0x1D, 0x5B, 0x5D, 0x40, 0x4F, 0x01, 0x00, 0x01, 0x00}},
        CommandCase{"OptionsLowBytes",
                    OptionsCommand(0x102, -1, 256, 0x7FFF),
                    {0x1D, 0x5B, 0x5D, 0x40, 0x4F, 0x02, 0xFF, 0x00, 0xFF}},
        CommandCase{"DefinitionPreamble", DefinitionPreamble(2), {0x1B, 0x40, 0x1C, 0x71, 0x02}},
        CommandCase{"Erase", EraseCommand(), {0x1C, 0x65}},
        CommandCase{"Print", PrintCommand(255), {0x1C, 0x70, 0xFF, 0x30}},
        CommandCase{"FeedAndCut", FeedAndCut(), {0x1D, 0x56, 0x42, 0x01}}),
    [](const ::testing::TestParamInfo<CommandCase>& p) { return p.param.name; });

TEST(ImageList, NamesEndInBars) {
    struct Case {
        const char* list;
        std::vector<std::string> names;
    };
    for (const Case& c : {Case{"", {}}, Case{"a.bmp", {}}, Case{"a.bmp|", {"a.bmp"}},
                          Case{"a.bmp|b.bmp", {"a.bmp"}}, Case{"a|b|", {"a", "b"}}, Case{"|", {""}},
                          Case{"C:\\logo s\\x.bmp||", {"C:\\logo s\\x.bmp", ""}}}) {
        EXPECT_EQ(SplitImageList(c.list), c.names) << c.list;
    }
}

}  // namespace
}  // namespace zelmar
