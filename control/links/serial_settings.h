// The line settings of the serial link, from the codes the control's callers
// pass: the baud-rate code, the parity code and the write time-out they imply.
// Always 8 data bits and 1 stop bit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelmar::links {

struct SerialSettings {
    std::int32_t baudCode = 6;    // 3 ... 10: 1200 ... 115200 bits per second
    std::int32_t parityCode = 0;  // 0 none, 1 even, 2 odd
};

// The bits per second of codes 3 to 10; none for any other code, which keeps
// the port's current rate.
std::optional<std::uint32_t> BaudRate(std::int32_t code);

enum class Parity { kNone, kEven, kOdd };
// None for a code other than 0, 1 and 2, which keeps the port's parity.
std::optional<Parity> ParityOf(std::int32_t code);

// The write time-out of a serial port: each write may take four times its
// bytes' time on the wire (11 bits a byte, in whole milliseconds: 37 a byte at
// 1200 bits per second, 5 at 9600, 1 at 57600 and 115200), plus a floor for
// the printer's pauses. A code outside 3 to 10 keeps the port's rate, so it
// takes the bound of the slowest rate, code 3's.
constexpr std::uint32_t kSerialWriteFloorMs = 10000;
std::uint32_t WriteMillisecondsPerByte(std::int32_t code);

// The name to open a serial port by: COM10 to COM12 (five characters) only
// open with the device prefix "\\.\"; shorter names are used as they are.
std::string SerialDeviceName(const std::string& port);

}  // namespace zelmar::links
