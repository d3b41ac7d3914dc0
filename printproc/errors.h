// The system error numbers the print processor reports to the spooler.
#pragma once

#include <cstdint>

namespace tivrap {

inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorNoData = 232;
inline constexpr std::uint32_t kErrorInvalidDatatype = 1804;

}  // namespace tivrap
