// The rules of the direct links: which link a port's name chooses, the serial
// settings, the TCP endpoint, the connect messages and each status exchange.
#include <gtest/gtest.h>

#include "fakes.h"
#include "links/direct_link.h"
#include "recorded_messages.h"

namespace zelmar::links {
namespace {

using test::FakeClock;
using test::RecordingTransport;

TEST(DirectLinkTest, ThePortNameChoosesTheLink) {
    const std::pair<const char*, LinkKind> cases[] = {
        {"COM3", LinkKind::kSerial},     {"COM10", LinkKind::kSerial},
        {"com1", LinkKind::kDeviceFile}, {"LPT1", LinkKind::kDeviceFile},
        {"USB001", LinkKind::kUsb},      {"usb", LinkKind::kDeviceFile},
        {"CO", LinkKind::kDeviceFile},   {"/dev/usb/lp0", LinkKind::kDeviceFile},
    };
    for (const auto& [port, kind] : cases)
        EXPECT_EQ(ChooseLink(port), kind) << port;
}

TEST(SerialSettingsTest, CodesAndTheirBounds) {
    const std::uint32_t rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (std::int32_t code = 3; code <= 10; ++code)
        EXPECT_EQ(BaudRate(code), rates[code - 3]);
    for (std::int32_t code : {-1, 0, 2, 11})
        EXPECT_FALSE(BaudRate(code)) << code;
    // Four times a byte's 11 bits on the wire, rounded up.
    const std::pair<std::int32_t, std::uint32_t> perByte[] = {
        {3, 37},
        {4, 19},
        {6, 5},
        {7, 3},
        {8, 2},
        {9, 1},
        {10, 1},
        // A code that keeps the port's rate takes the slowest rate's bound.
        {0, 37},
        {11, 37},
        {-5, 37}};
    for (const auto& [code, ms] : perByte)
        EXPECT_EQ(WriteMillisecondsPerByte(code), ms) << code;
    // A band record of a 616-dot picture, 1,853 bytes in one write: seconds,
    // at every rate, never hours.
    for (std::int32_t code = 3; code <= 10; ++code)
        EXPECT_LE(WriteMillisecondsPerByte(code) * 1853 + kSerialWriteFloorMs, 80000u) << code;
    EXPECT_EQ(ParityOf(0), Parity::kNone);
    EXPECT_EQ(ParityOf(1), Parity::kEven);
    EXPECT_EQ(ParityOf(2), Parity::kOdd);
    EXPECT_FALSE(ParityOf(3));
    EXPECT_EQ(SerialDeviceName("COM3"), "COM3");
    EXPECT_EQ(SerialDeviceName("COM10"), "\\\\.\\COM10");
}

TEST(TcpEndpointTest, AddressesAndPortsAsTheSocketsLibraryReadsThem) {
    struct Case {
        const char* ip;
        const char* port;
        std::uint32_t address;
        std::uint16_t portNumber;
    };
    const Case cases[] = {
        {"127.0.0.1", "9100", 0x7F000001, 9100},
        {"192.168.0.300", "9100x", kNoAddress, 9100},
        {"abc", "abc", kNoAddress, 0},
        {"", " +80", kNoAddress, 80},
        {"10.1", "-1", 0x0A000001, 65535},
        {"0x7f.1", "70000", 0x7F000001, 4464},
        {"010.0.0.1", "99999999999", 0x08000001, 65535},
        {"1.2.3.4 ", "", 0x01020304, 0},
        {"1.2.3.4.5", "1", kNoAddress, 1},
        {"1.", "1", kNoAddress, 1},
        {" 1.2.3.4", "1", kNoAddress, 1},
        {"08.1.1.1", "1", kNoAddress, 1},
    };
    for (const Case& c : cases) {
        const TcpEndpoint e = ParseTcpEndpoint(c.ip, c.port);
        EXPECT_EQ(e.address, c.address) << c.ip;
        EXPECT_EQ(e.port, c.portNumber) << c.port;
        EXPECT_EQ(e.addressText, c.ip);
    }
}

TEST(TcpEndpointTest, ConnectMessagesHoldTheirArgumentsWhole) {
    zelmar::test::RecordedMessages messages;
    ShowConnectFailure(messages, ConnectFailure::kConnect,
                       ParseTcpEndpoint("192.168.0.300", "9100"), 10061);
    const std::string longAddress(1000, '9');
    ShowConnectFailure(messages, ConnectFailure::kConnect, ParseTcpEndpoint(longAddress, "1"), 0);
    ShowConnectFailure(messages, ConnectFailure::kVersionCleanup, {}, 10093);
    ShowConnectFailure(messages, ConnectFailure::kSocket, {}, 0);
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0],
              "POSPrinter IP & Port Check: Fail to Connection to POSPrinter(IP=192.168.0.300 "
              "Port=9100)");
    EXPECT_EQ(messages.shown[1],
              "POSPrinter IP & Port Check: Fail to Connection to "
              "POSPrinter(IP=" +
                  longAddress + " Port=1)");
    EXPECT_EQ(messages.shown[2], "WSACleanup error: WSACleanup, error 10093");
    EXPECT_EQ(messages.shown[3], "확인: OutSock 소켓생성 에러");
}

TEST(DirectLinkTest, StatusExchangeByLinkModelAndPlatform) {
    struct Case {
        LinkKind kind;
        bool modelAnswers;  // model 0 answers the query
        bool legacy;
        Bytes reply;  // empty: no reply comes
        bool ready;
        std::vector<std::uint32_t> reads;  // the time-out of each read
    };
    const Case cases[] = {
        // The serial link always reads and judges the reply.
        {LinkKind::kSerial, false, false, {0x0D}, true, {100}},
        {LinkKind::kSerial, true, false, {0x20, 0x41}, true, {100}},
        {LinkKind::kSerial, true, false, {0x41}, false, {100}},
        {LinkKind::kSerial, false, true, {}, false, {100}},
        // Elsewhere only a model that answers is read; only the Windows 9x family
        // judges.
        {LinkKind::kDeviceFile, true, false, {}, true, {0}},
        {LinkKind::kDeviceFile, true, true, {0x41}, false, {100}},
        {LinkKind::kDeviceFile, true, true, {0x0D}, true, {100}},
        {LinkKind::kDeviceFile, false, true, {}, true, {}},
        {LinkKind::kUsb, true, true, {}, true, {0}},  // USB never takes the family's rule
        {LinkKind::kTcp, true, true, {0x41}, false, {3000}},
        {LinkKind::kTcp, true, true, {}, false, {3000}},
        {LinkKind::kTcp, true, false, {}, true, {3000}},
        {LinkKind::kTcp, false, true, {}, true, {}},
    };
    for (const Case& c : cases) {
        test::RecordingPorts ports;
        RecordingTransport& port = ports.next;
        if (!c.reply.empty()) port.replies.push_back(c.reply);
        FakeClock clock;
        DirectLink link(c.kind, ports.Usb(), clock, c.legacy);
        ASSERT_TRUE(link.Open().ok());
        const LinkResult result = link.ExchangeStatus(c.modelAnswers);
        const std::string where = std::to_string(static_cast<int>(c.kind)) +
                                  (c.modelAnswers ? " answers" : "") + (c.legacy ? " legacy" : "");
        EXPECT_EQ(result.ok(), c.ready) << where;
        EXPECT_EQ(result.error, c.ready ? LinkError::kNone : LinkError::kStatus) << where;
        EXPECT_EQ(port.Sent(), (Bytes{0x1D, 0x49, 0x01})) << where;
        EXPECT_EQ(port.readTimeouts, c.reads) << where;
    }
}

TEST(DirectLinkTest, AQueryThatCannotBeWrittenFailsTheExchangeAndTheLinkCloses) {
    test::RecordingPorts ports;
    RecordingTransport& port = ports.next;
    port.failWrite = 1;
    FakeClock clock;
    {
        DirectLink link(LinkKind::kTcp, ports.Usb(), clock, false);
        ASSERT_TRUE(link.Open().ok());
        EXPECT_EQ(link.ExchangeStatus(false).error, LinkError::kStatus);
    }
    EXPECT_EQ(port.calls.back(), "close");
}

}  // namespace
}  // namespace zelmar::links
