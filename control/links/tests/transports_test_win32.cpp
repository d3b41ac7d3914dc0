// The Windows serial and device-file transports: on COM ports that
// wine_com_ports.sh maps onto a pseudo-terminal whose far end sends every
// byte back (skipped when no port is mapped), and on a named pipe whose far
// end the test holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "links/ports.h"
#include "transport_checks.h"
#include "win32/handle_owners.h"

namespace zelmar::links {
namespace {

using namespace links::test;

std::vector<std::string> MappedPorts() {
    const char* names = std::getenv("ZELMAR_TEST_COM_PORTS");
    std::istringstream list(names ? names : "");
    std::vector<std::string> ports;
    for (std::string name; list >> name;)
        ports.push_back(name);
    return ports;
}

// The settings the port holds, as the next program to open it finds them.
DCB StateOf(const std::string& port) {
    DCB line = {};
    line.DCBlength = sizeof line;
    const win32::UniqueFile file(CreateFileA(SerialDeviceName(port).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(file);
    EXPECT_TRUE(GetCommState(file.get(), &line));
    return line;
}

// The echo of `size` bytes, read as the port's time-outs allow: it may take
// more than one read to come back. A device file reads only what has
// arrived, so it is asked again a little later.
Bytes Echo(Transport& port, std::size_t size, std::uint32_t timeoutMs) {
    constexpr DWORD kAgainMs = 20;
    Bytes echo;
    for (int read = 0; read < 100 && echo.size() < size; ++read) {
        const Bytes got = Reply(port, 512, timeoutMs);
        if (got.empty() && timeoutMs == 0) Sleep(kAgainMs);
        echo = Joined(echo, got);
    }
    return echo;
}

TEST(ComPortTest, AMappedPortTakesItsSettingsAndCarriesBytesBothWays) {
    const std::vector<std::string> ports = MappedPorts();
    if (ports.empty()) GTEST_SKIP() << "no COM port mapped (wine_com_ports.sh maps them)";
    for (const std::string& name : ports) {
        SCOPED_TRACE(name);
        {
            const auto port = SystemPorts().Serial(name, {8, 0});
            ASSERT_TRUE(port->Open().ok());
            ASSERT_TRUE(port->Configure().ok());
            const Bytes sent = Joined(kStatusQuery, Pattern(300));
            ASSERT_TRUE(Write(*port, sent).ok());
            EXPECT_EQ(Echo(*port, sent.size(), 100), sent);
            // Nothing more comes: the read ends after its time-out.
            EXPECT_TRUE(Reply(*port, 50, 100).empty());
        }
        const DCB line = StateOf(name);
        EXPECT_EQ(line.BaudRate, 38400u);
        EXPECT_EQ(line.ByteSize, 8);
        EXPECT_EQ(line.StopBits, ONESTOPBIT);
        EXPECT_TRUE(line.fOutxCtsFlow);

        // Codes outside the tables keep the port's rate.
        const auto kept = SystemPorts().Serial(name, {11, 3});
        ASSERT_TRUE(kept->Open().ok());
        ASSERT_TRUE(kept->Configure().ok());
        kept->Close();
        EXPECT_EQ(StateOf(name).BaudRate, 38400u);
    }
}

// The asynchronous writes and the reads of what has arrived, on a line that
// keeps an input queue.
TEST(ComPortTest, ADeviceFileOnTheLineReadsWhatHasArrived) {
    const std::vector<std::string> ports = MappedPorts();
    if (ports.empty()) GTEST_SKIP() << "no COM port mapped (wine_com_ports.sh maps them)";
    const auto port = SystemPorts().DeviceFile(SerialDeviceName(ports.front()), false);
    ASSERT_TRUE(port->Open().ok());
    EXPECT_TRUE(Reply(*port, 50, 0).empty());
    const Bytes sent = Joined(kStatusQuery, Pattern(300));
    ASSERT_TRUE(Write(*port, sent).ok());
    EXPECT_EQ(Echo(*port, sent.size(), 0), sent);
}

// A named pipe stands for a device; the test holds the printer's end.
TEST(PipePortTest, WritesArriveAndOneNobodyTakesIsCancelledAtItsLimit) {
    const std::string name =
        "\\\\.\\pipe\\zelmar-transports-" + std::to_string(GetCurrentProcessId());
    const win32::UniqueFile printer(CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(printer);
    const auto port = SystemPorts().DeviceFile(name, false);
    ASSERT_TRUE(port->Open().ok());
    ASSERT_TRUE(Write(*port, kStatusQuery).ok());
    Bytes arrived(kStatusQuery.size());
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(printer.get(), arrived.data(), 3, &got, nullptr));
    EXPECT_EQ(arrived, kStatusQuery);

    const LinkResult stalled = Write(*port, Bytes(1 << 20), 100);
    EXPECT_EQ(stalled.error, LinkError::kWrite);
    EXPECT_EQ(stalled.systemError, static_cast<std::uint32_t>(ERROR_TIMEOUT));
}

}  // namespace
}  // namespace zelmar::links
