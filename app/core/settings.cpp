#include "settings.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace orvenna {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number at the start of `text`: blanks, a sign, digits and a
// fraction, nothing else (no exponent, no hexadecimal, no locale's decimal
// sign). 0 when the text does not start with one; infinity when it is too
// large for a double.
double LeadingNumber(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    const std::size_t begin = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    const std::size_t wholeDigits = at - begin;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at]))
            ++at;
    }
    if (wholeDigits == 0 && at - begin <= 1) return 0;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + begin, text.data() + at, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) value = HUGE_VAL;
    return negative ? -value : value;
}

}  // namespace

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

std::vector<std::string> PortList(bool firstPrinterSelected) {
    std::vector<std::string> ports = {"LPT1", "LPT2"};
    if (firstPrinterSelected) ports.push_back("USB");
    ports.push_back("TCP/IP");
    for (int n = 1; n <= 12; ++n)
        ports.push_back("COM" + std::to_string(n));
    return ports;
}

const std::vector<std::string>& SerialList(Combo combo) {
    static const std::vector<std::string> baudRates = {"2400 bps", "4800 bps", "9600 bps",
                                                       "19200 bps", "38400 bps"};
    static const std::vector<std::string> bitLengths = {"8 bit"};
    static const std::vector<std::string> parities = {"NONE", "EVEN", "ODD"};
    static const std::vector<std::string> stopBits = {"1 bit"};
    static const std::vector<std::string> handShakes = {"DTR/DSR"};
    switch (combo) {
        case Combo::kBaudRate:
            return baudRates;
        case Combo::kBitLength:
            return bitLengths;
        case Combo::kParity:
            return parities;
        case Combo::kStopBit:
            return stopBits;
        case Combo::kHandShake:
            return handShakes;
        default:
            throw std::invalid_argument("not a serial list");
    }
}

int SelectListIndex(int count, const std::string& text) {
    if (count <= 0) return -1;
    const double v = LeadingNumber(text);
    if (v < 0 || v >= count) return 0;
    const double rounded = RoundHalfEven(v);
    return rounded >= count ? 0 : static_cast<int>(rounded);
}

std::array<std::string, 8> ReadSettings(const ProfileText& file) {
    std::array<std::string, 8> values;
    for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
        values[i] = ReadIniValue(file, kSettingsKeys[i]);
    }
    return values;
}

void WriteSettings(ProfileText& file, const Settings& settings) {
    const auto position = [&](Combo combo) {
        return std::to_string(settings.positions[static_cast<std::size_t>(combo)]);
    };
    const std::array<std::string, 8> values = {
        position(Combo::kPrinter),   settings.ip,
        position(Combo::kPort),      position(Combo::kBaudRate),
        position(Combo::kBitLength), position(Combo::kParity),
        position(Combo::kStopBit),   position(Combo::kHandShake)};
    for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
        file.Set(kSection, kSettingsKeys[i], values[i]);
    }
}

}  // namespace orvenna
