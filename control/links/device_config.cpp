#include "device_config.h"

#include <algorithm>

#include "engine/command_stream.h"

namespace zelmar::links {

namespace {

constexpr std::size_t kVersion = 0x000;
constexpr std::size_t kTopSwitch = 0x4B4;
constexpr std::size_t kBottomSwitch = 0x4B8;
constexpr std::size_t kTopCommand = 0x4E0;
constexpr std::size_t kTopLength = 0x544;
constexpr std::size_t kBottomCommand = 0x548;
constexpr std::size_t kBottomLength = 0x5AC;

struct DefaultWord {
    std::size_t offset;
    std::uint32_t value;
    bool only64;  // set on 64-bit hosts only
};

// The words of the default record that are not zero, and those that 64-bit
// hosts set (to zero: what matters is that no stale byte remains).
constexpr DefaultWord kDefaultWords[] = {
    {kVersion, kDeviceConfigVersion, false},
    {0x004, 1252, false},
    {0x008, 1, false},
    {0x00C, 0, true},
    {0x4A0, 1, false},
    {0x4A4, 1, false},
    {0x4A8, 1, false},
    {0x4BC, 0, true},
    {0x4C0, 150, false},
    {0x4C4, 150, false},
    {0x4C8, 150, false},
    {0x4CC, 150, false},
    {0x4DC, 0, true},
};

std::size_t SwitchAt(Logo logo) {
    return logo == Logo::kTop ? kTopSwitch : kBottomSwitch;
}
std::size_t CommandAt(Logo logo) {
    return logo == Logo::kTop ? kTopCommand : kBottomCommand;
}
std::size_t LengthAt(Logo logo) {
    return logo == Logo::kTop ? kTopLength : kBottomLength;
}

}  // namespace

DeviceConfig DeviceConfig::Default(bool host64) {
    DeviceConfig config{zelmar::Bytes(kDeviceConfigSize, 0)};
    for (const DefaultWord& word : kDefaultWords) {
        if (!word.only64 || host64) config.SetWord(word.offset, word.value);
    }
    return config;
}

std::optional<DeviceConfig> DeviceConfig::Accept(std::uint32_t type, const zelmar::Bytes& stored) {
    if (type != kBinaryType || stored.size() != kDeviceConfigSize) return std::nullopt;
    DeviceConfig config{stored};
    if (config.Word(kVersion) != kDeviceConfigVersion) return std::nullopt;
    return config;
}

DeviceConfig DeviceConfig::Repaired(std::optional<std::uint32_t> type, const zelmar::Bytes& stored,
                                    bool host64) {
    if (type) {
        if (std::optional<DeviceConfig> accepted = Accept(*type, stored)) return *accepted;
    }
    return Default(host64);
}

void DeviceConfig::ApplyUpload(bool topLogo, bool bottomLogo) {
    // The definition file numbers the logos that are on from 1, Top Logo first.
    int image = 1;
    for (const auto& [logo, on] : {std::pair{Logo::kTop, topLogo}, {Logo::kBottom, bottomLogo}}) {
        if (on) {
            SetWord(SwitchAt(logo), 1);
            SetCommand(logo, commands::PrintCommand(image++));
        } else {
            SetWord(LengthAt(logo), 0);
        }
    }
}

void DeviceConfig::ApplyErase() {
    for (Logo logo : {Logo::kTop, Logo::kBottom}) {
        SetWord(SwitchAt(logo), 0);
        ClearCommand(logo);
    }
}

bool DeviceConfig::Switch(Logo logo) const {
    return Word(SwitchAt(logo)) != 0;
}

zelmar::Bytes DeviceConfig::Command(Logo logo) const {
    const std::size_t length = std::min<std::size_t>(Word(LengthAt(logo)), kLogoCommandCapacity);
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(CommandAt(logo));
    return zelmar::Bytes(begin, begin + static_cast<std::ptrdiff_t>(length));
}

void DeviceConfig::SetWord(std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t DeviceConfig::Word(std::size_t offset) const {
    return GetU32(&bytes_[offset]);
}

void DeviceConfig::SetCommand(Logo logo, const zelmar::Bytes& command) {
    std::copy(command.begin(), command.end(),
              bytes_.begin() + static_cast<std::ptrdiff_t>(CommandAt(logo)));
    SetWord(LengthAt(logo), static_cast<std::uint32_t>(command.size()));
}

void DeviceConfig::ClearCommand(Logo logo) {
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(CommandAt(logo));
    std::fill(begin, begin + static_cast<std::ptrdiff_t>(kLogoCommandCapacity), 0);
    SetWord(LengthAt(logo), 0);
}

}  // namespace zelmar::links
