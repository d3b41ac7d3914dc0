// Where the TCP/IP link connects: the printer's address and port, from the
// texts the control's callers pass, and the messages of the connect step.
#pragma once

#include <cstdint>
#include <string>

#include "engine/message_sink.h"

namespace zelmar::links {

struct TcpEndpoint {
    std::string addressText;  // as given, for messages
    std::uint32_t address;    // IPv4, host byte order; all ones when the text does not convert
    std::uint16_t port;
};

constexpr std::uint32_t kNoAddress = 0xFFFFFFFF;

// The address by the dotted-quad conversion of the sockets library (inet_addr:
// one to four parts, each decimal, octal with 0 or hexadecimal with 0x, the
// last filling the remaining bytes; nothing else, no host names), and the port
// from the leading decimal digits of `portNumber` (blanks and a sign may lead;
// no digits give 0), its low 16 bits.
TcpEndpoint ParseTcpEndpoint(const std::string& ipAddress, const std::string& portNumber);

// The steps of the connect step that can fail, each with its message.
enum class ConnectFailure {
    kStartup,         // the sockets library does not start
    kVersion,         // it is not version 2.2
    kVersionCleanup,  // ... and shutting it down failed too
    kSocket,          // no socket
    kConnect,         // the printer does not answer the connection
};

// Shows the message of `failure`; `error` is the sockets library's last error
// where the message names one.
void ShowConnectFailure(MessageSink& messages, ConnectFailure failure, const TcpEndpoint& endpoint,
                        std::uint32_t error);

}  // namespace zelmar::links
