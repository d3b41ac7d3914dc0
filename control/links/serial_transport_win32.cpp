#include <windows.h>

#include "port_file_win32.h"
#include "transports.h"

namespace zelmar::links {

namespace {

BYTE ParityByte(Parity parity) {
    switch (parity) {
        case Parity::kNone:
            return NOPARITY;
        case Parity::kEven:
            return EVENPARITY;
        case Parity::kOdd:
            return ODDPARITY;
    }
    return NOPARITY;
}

// The line settings over what the port holds: rate and parity by their codes
// (kept for codes outside the tables), 8 data bits, 1 stop bit, raw bytes,
// output flow by CTS and DSR, DTR and RTS on. XON/XOFF input control and its
// limits and characters keep the port's values.
void ApplySettings(const SerialSettings& settings, DCB& line) {
    if (const std::optional<std::uint32_t> rate = BaudRate(settings.baudCode)) {
        line.BaudRate = *rate;
    }
    if (const std::optional<Parity> parity = ParityOf(settings.parityCode)) {
        line.Parity = ParityByte(*parity);
    }
    line.ByteSize = 8;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = TRUE;
    line.fOutxDsrFlow = TRUE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fDsrSensitivity = FALSE;
    line.fTXContinueOnXoff = TRUE;
    line.fOutX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = TRUE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fAbortOnError = FALSE;
}

// A serial port: blocking I/O, each write within WriteMillisecondsPerByte
// of its rate code per byte plus kSerialWriteFloorMs, each reply read within
// 100 ms.
class SerialPort final : public PortFile {
  public:
    SerialPort(const std::string& port, const SerialSettings& settings)
        : name_(SerialDeviceName(port)), settings_(settings) {}

    LinkResult Open() override {
        Close();
        win32::UniqueFile port = OpenExisting(name_, 0);
        if (!port) return LastError(LinkError::kOpen);
        PurgeAll(port.get());
        SetupComm(port.get(), kPortQueueBytes, kPortQueueBytes);
        SetPortTimeouts(port.get(), WriteMillisecondsPerByte(settings_.baudCode),
                        kSerialWriteFloorMs);
        return Attach(std::move(port), true);
    }

    LinkResult Configure() override {
        DCB line = {};
        line.DCBlength = sizeof line;
        if (!GetCommState(Handle(), &line)) return LastError(LinkError::kSettings);
        ApplySettings(settings_, line);
        if (!SetCommState(Handle(), &line)) return LastError(LinkError::kSettings);
        return LinkResult::Done();
    }

  private:
    std::string name_;
    SerialSettings settings_;
};

}  // namespace

std::unique_ptr<Transport> SerialTransport(const std::string& port,
                                           const SerialSettings& settings) {
    return std::make_unique<SerialPort>(port, settings);
}

}  // namespace zelmar::links
