// The platform's ways to a printer, one transport each. Injected, so that
// every job runs natively against recording transports in the tests.
#pragma once

#include <memory>
#include <string>

#include "engine/message_sink.h"
#include "serial_settings.h"
#include "tcp_endpoint.h"
#include "transport.h"

namespace zelmar::links {

class Ports {
  public:
    virtual ~Ports() = default;

    // A serial port ("COM1" ... "COM12"; on Linux also a device path).
    // Open: for reading and writing, not shared, its queues purged; read
    // time-outs 10 ms between bytes and 100 ms in all; writes within
    // WriteMillisecondsPerByte(baudCode) per byte plus kSerialWriteFloorMs.
    // Configure applies the line
    // settings: rate and parity by their codes, 8 data bits, 1 stop bit, raw
    // bytes, output flow by CTS and DSR, DTR and RTS on.
    virtual std::unique_ptr<Transport> Serial(const std::string& port,
                                              const SerialSettings& settings) = 0;
    // A port opened as a device file by its name as given (a parallel port, a
    // printer device, a FIFO); blocking I/O when `blocking` (the Windows 9x
    // family), asynchronous writes awaited otherwise. Writes within 100000 ms.
    virtual std::unique_ptr<Transport> DeviceFile(const std::string& port, bool blocking) = 0;
    // The first present USB printer that opens.
    virtual std::unique_ptr<Transport> Usb() = 0;
    // A raw TCP connection, made by Open within 5 s; the connect step shows why
    // it failed through `messages`. Read waits at most as long as it is asked.
    virtual std::unique_ptr<Transport> Tcp(const TcpEndpoint& endpoint, MessageSink& messages) = 0;
};

// The running platform's ports.
Ports& SystemPorts();

// The file that the serial and device-file links open for a port's name: the
// name as the link opens it on Windows, its device on Linux.
std::string PortPath(const std::string& port);

}  // namespace zelmar::links
