// What the links ask of the system: whether it is of the Windows 9x family
// (the legacy-platform flag: blocking port I/O, and the status reply judged),
// and whether the host is 64-bit (the driver configuration's default record).
// Injected, so that every platform branch is tested on any platform.
#pragma once

#include <cstdint>
#include <optional>

namespace zelmar::links {

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual bool LegacyPlatform() const = 0;
    virtual bool HostIs64Bit() const = 0;
};

// The running system.
const SystemInfo& HostSystem();

// The decisions, apart from the queries that feed them.
// The platform id the version query reported (none when both queries failed):
// 1 is the Windows 9x family.
bool LegacyPlatformFromId(std::optional<std::uint32_t> platformId);

struct HostFacts {
    std::optional<std::uint16_t> processorArchitecture;  // of the native system information
    std::uint32_t ntMajorVersion = 0;                    // 0 outside the NT family
    std::uint32_t ntMinorVersion = 0;
    std::optional<std::uint32_t> productType;  // asked on version 6.0
};
// 9 (x64) and 6 (IA64) are 64-bit, 0 (x86) is 32-bit, another architecture
// decides nothing; on version 6 and later, product type 15 is 64-bit too.
bool HostIs64BitFrom(const HostFacts& facts);

}  // namespace zelmar::links
