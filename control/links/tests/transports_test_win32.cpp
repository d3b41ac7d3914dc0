// The Windows device-file transport on a named pipe whose far end the test
// holds.
#include <windows.h>

#include <gtest/gtest.h>

#include "links/ports.h"
#include "transport_checks.h"
#include "win32/owners.h"

namespace zelmar::links {
namespace {

using namespace links::test;

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
