// Little-endian fields of BMP files and printer commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelmar {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t GetI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(GetU32(p));
}

inline void PutU16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutU32(Bytes& out, std::uint32_t v) {
    PutU16(out, v);
    PutU16(out, v >> 16);
}

}  // namespace zelmar
