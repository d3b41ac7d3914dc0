#include "system_info.h"

namespace zelmar::links {

namespace {

constexpr std::uint32_t kWindows9xPlatform = 1;
constexpr std::uint16_t kArchitectureIa64 = 6;
constexpr std::uint16_t kArchitectureAmd64 = 9;
constexpr std::uint32_t kProductEnterpriseServerIa64 = 15;

}  // namespace

bool LegacyPlatformFromId(std::optional<std::uint32_t> platformId) {
    return platformId == kWindows9xPlatform;
}

bool HostIs64BitFrom(const HostFacts& facts) {
    // x86 (0) and unknown architectures leave the flag clear.
    return facts.processorArchitecture == kArchitectureAmd64 ||
           facts.processorArchitecture == kArchitectureIa64 ||
           (facts.ntMajorVersion >= 6 && facts.productType == kProductEnterpriseServerIa64);
}

}  // namespace zelmar::links
