// The printer and port settings: the lists' contents, the selection rule for
// stored positions, and the settings file "Orvenna.ini".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "profile.h"

namespace orvenna {

inline constexpr char kSettingsFile[] = "\\Orvenna.ini";

// The lists of the port settings, in the order the settings file stores their
// positions after "Printer" and "IP".
enum class Combo { kPrinter, kPort, kBaudRate, kBitLength, kParity, kStopBit, kHandShake };
inline constexpr std::size_t kComboCount = 7;

// cboPort: "USB" is there only while the first printer is selected.
std::vector<std::string> PortList(bool firstPrinterSelected);
// The five serial lists, fixed.
const std::vector<std::string>& SerialList(Combo combo);

// The nearest whole number, halves to the even one (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

// The entry a stored position text selects in a list of `count` entries: the
// number at the start of `text` (0 when there is none), rounded half to even;
// the first entry when that is negative or not below `count`; -1 (nothing)
// for an empty list.
int SelectListIndex(int count, const std::string& text);

// What the settings file holds: the eight keys, written in this order.
struct Settings {
    std::array<int, kComboCount> positions{};  // by Combo; -1 nothing selected
    std::string ip;
};
inline constexpr std::array<const char*, 8> kSettingsKeys = {
    "Printer", "IP", "Port", "BaudRate", "BitLength", "Parity", "StopBit", "HandShake"};

// The stored text of each key (empty when missing), by kSettingsKeys.
std::array<std::string, 8> ReadSettings(const ProfileText& file);
// `file` with the eight keys set, in order; its other lines stay.
void WriteSettings(ProfileText& file, const Settings& settings);

}  // namespace orvenna
