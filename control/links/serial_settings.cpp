#include "serial_settings.h"

namespace zelmar::links {

namespace {

constexpr std::int32_t kSlowestCode = 3;
constexpr std::int32_t kFastestCode = 10;
constexpr std::uint32_t kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

bool KnownCode(std::int32_t code) {
    return code >= kSlowestCode && code <= kFastestCode;
}

}  // namespace

std::optional<std::uint32_t> BaudRate(std::int32_t code) {
    if (!KnownCode(code)) return std::nullopt;
    return kRates[code - kSlowestCode];
}

std::optional<Parity> ParityOf(std::int32_t code) {
    switch (code) {
        case 0:
            return Parity::kNone;
        case 1:
            return Parity::kEven;
        case 2:
            return Parity::kOdd;
        default:
            return std::nullopt;
    }
}

std::uint32_t WriteMillisecondsPerByte(std::int32_t code) {
    constexpr std::uint32_t kFactor = 4, kBitsPerByte = 11;
    const std::uint32_t rate = *BaudRate(KnownCode(code) ? code : kSlowestCode);
    return (kFactor * kBitsPerByte * 1000 + rate - 1) / rate;
}

std::string SerialDeviceName(const std::string& port) {
    return port.size() == 5 ? "\\\\.\\" + port : port;
}

}  // namespace zelmar::links
