// "TTY DeviceConfig": the printer driver's stored configuration, a binary
// printer-data value of 1472 bytes. The driver link reads it, repairs it and
// edits only the Top Logo and Bottom Logo switches and the print commands the
// driver sends for them with every receipt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "engine/bytes.h"

namespace zelmar::links {

constexpr char kDeviceConfigName[] = "TTY DeviceConfig";
constexpr std::uint32_t kBinaryType = 3;  // REG_BINARY
constexpr std::size_t kDeviceConfigSize = 1472;
constexpr std::uint32_t kDeviceConfigVersion = 8;
constexpr std::size_t kLogoCommandCapacity = 100;

enum class Logo { kTop, kBottom };

class DeviceConfig {
  public:
    // The record the link writes when the stored one is missing or malformed:
    // zeros but for the fields the driver needs; the words that only 64-bit
    // hosts set follow `host64`.
    static DeviceConfig Default(bool host64);
    // A stored value, if the link may use it as it is: binary, 1472 bytes,
    // version 8.
    static std::optional<DeviceConfig> Accept(std::uint32_t type, const zelmar::Bytes& stored);
    // The stored value if acceptable, the default record otherwise.
    static DeviceConfig Repaired(std::optional<std::uint32_t> type, const zelmar::Bytes& stored,
                                 bool host64);

    // After an upload of the logos that are on (Top Logo first, as the
    // definition file numbers them): each logo that is on prints its NV image
    // and has its switch set; a logo that is off keeps its switch and sends
    // nothing. Switches are never cleared here.
    void ApplyUpload(bool topLogo, bool bottomLogo);
    // After erasing every NV image: both logos off, their commands cleared.
    void ApplyErase();

    bool Switch(Logo logo) const;
    // The command the driver sends for the logo (its stored length of bytes).
    zelmar::Bytes Command(Logo logo) const;
    const zelmar::Bytes& Data() const { return bytes_; }

  private:
    explicit DeviceConfig(zelmar::Bytes bytes) : bytes_(std::move(bytes)) {}
    void SetWord(std::size_t offset, std::uint32_t value);
    std::uint32_t Word(std::size_t offset) const;
    void SetCommand(Logo logo, const zelmar::Bytes& command);
    void ClearCommand(Logo logo);

    zelmar::Bytes bytes_;
};

}  // namespace zelmar::links
