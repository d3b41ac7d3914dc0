#include <gtest/gtest.h>

#include "settings.h"

namespace orvenna::test {
namespace {

TEST(SelectListIndex, StoredPositions) {
    struct Case {
        const char* text;
        int expected;
    };
    const std::string tooLong(400, '9');
    // Five entries, as the baud rates.
    for (const Case& c : {Case{"2", 2},
                          {"7", 0},
                          {"1.6", 2},
                          {"4.6", 0},
                          {"4.4", 4},
                          {"2.5", 2},
                          {"3.5", 4},
                          {"0.5", 0},
                          {"", 0},
                          {"-1", 0},
                          {"-0.4", 0},
                          {"abc", 0},
                          {"3abc", 3},
                          {" 3", 3},
                          {"+1", 1},
                          {"1e1", 1},
                          {"0x3", 0},
                          {".6", 1},
                          {"1.", 1},
                          {"99999999999999999999999999", 0},
                          {tooLong.c_str(), 0}}) {
        EXPECT_EQ(SelectListIndex(5, c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(SelectListIndex(0, "0"), -1) << "an empty list stays without a selection";
    EXPECT_EQ(SelectListIndex(1, "0.5"), 0);
}

TEST(PortList, UsbOnlyForTheFirstPrinter) {
    const std::vector<std::string> first = PortList(true);
    ASSERT_EQ(first.size(), 16u);
    EXPECT_EQ(first[0], "LPT1");
    EXPECT_EQ(first[2], "USB");
    EXPECT_EQ(first[3], "TCP/IP");
    EXPECT_EQ(first[15], "COM12");
    const std::vector<std::string> other = PortList(false);
    ASSERT_EQ(other.size(), 15u);
    EXPECT_EQ(other[2], "TCP/IP");
    EXPECT_EQ(other[4], "COM2");
}

TEST(Settings, WrittenInKeyOrderAndReadBack) {
    Settings settings;
    settings.positions = {0, 1, 0, 0, 0, 0, 0};
    ProfileText file;
    WriteSettings(file, settings);
    EXPECT_EQ(file.Text(),
              "[LOGO]\r\nPrinter=0\r\nIP=\r\nPort=1\r\nBaudRate=0\r\nBitLength=0\r\nParity=0\r\n"
              "StopBit=0\r\nHandShake=0\r\n");

    settings.positions = {1, 14, 2, 0, 2, 0, -1};
    settings.ip = "192.168.0.7";
    WriteSettings(file, settings);
    EXPECT_EQ(ReadSettings(file),
              (std::array<std::string, 8>{"1", "192.168.0.7", "14", "2", "0", "2", "0", "-1"}));
}

}  // namespace
}  // namespace orvenna::test
