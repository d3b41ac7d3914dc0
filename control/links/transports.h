// The platform's transports, one per kind of port, as SystemPorts() hands
// them out. Each kind has a file per platform (*_posix.cpp, *_win32.cpp).
#pragma once

#include <memory>
#include <string>

#include "engine/message_sink.h"
#include "serial_settings.h"
#include "tcp_endpoint.h"
#include "transport.h"

namespace zelmar::links {

// The write bound of a device file, and of a connection's sends.
constexpr std::uint32_t kDeviceWriteLimitMs = 100000;
// How long a printer has, once a connection's job is out, to take what the
// system still holds for it and close its side.
constexpr std::uint32_t kFinishMs = 5000;
// Read time-outs of a port: a reply ends this long after a byte when no
// further byte follows, and after kReadTotalMs at the latest.
constexpr std::uint32_t kReadIntervalMs = 10;
constexpr std::uint32_t kReadTotalMs = 100;
// How long a connect may take.
constexpr std::uint32_t kConnectLimitMs = 5000;

std::unique_ptr<Transport> SerialTransport(const std::string& port, const SerialSettings& settings);
std::unique_ptr<Transport> DeviceFileTransport(const std::string& port, bool blocking);
std::unique_ptr<Transport> UsbTransport();
std::unique_ptr<Transport> TcpTransport(const TcpEndpoint& endpoint, MessageSink& messages);

}  // namespace zelmar::links
