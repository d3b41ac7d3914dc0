// Dots eight raster bytes at a time, for the writers of 1-bit files and the
// packer: each test flags the high bit of every byte of a 64-bit word, byte k
// for the raster byte at p + k, and DotBits gathers the eight flags.
#pragma once

#include <cstdint>
#include <cstring>

namespace zelmar {

// The first of the eight bytes lands in the low byte of the word.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the engine runs on little-endian x86");

// Eight raster bytes from `p`, the first in the low byte.
inline std::uint64_t Load8(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Flags the bytes that are 0: a dot of the dot raster. (b & 7F) + 7F reaches
// the high bit for any low bits but none, and b's own high bit covers the
// rest; no sum carries into the next byte.
inline std::uint64_t ZeroBytes(const std::uint8_t* p) {
    const std::uint64_t v = Load8(p);
    return ~(((v & kLowBits) + kLowBits) | v) & kHighBits;
}

// Flags the bytes of 126 or less: what the packer takes for a dot. (b & 7F) + 1
// reaches the high bit only for 7F, and b's own high bit covers 128 and above.
inline std::uint64_t AtMost126Bytes(const std::uint8_t* p) {
    const std::uint64_t v = Load8(p);
    return ~(((v & kLowBits) + 0x0101010101010101ull) | v) & kHighBits;
}

// The eight flags as one byte, byte 0's in the high bit: the flag of byte k
// (bit 8k + 7) moves to bit 63 - k, and no two of the products meet, so
// nothing carries.
inline std::uint8_t DotBits(std::uint64_t flags) {
    return static_cast<std::uint8_t>(((flags >> 7) * 0x8040201008040201ull) >> 56);
}

}  // namespace zelmar
