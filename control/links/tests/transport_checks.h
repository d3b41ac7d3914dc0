// What the tests of the platform's transports share: bytes to send, and
// writes and reads that check what they can.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/bytes.h"
#include "links/transport.h"

namespace zelmar::links::test {

inline const Bytes kStatusQuery = {0x1D, 0x49, 0x01};

// 0, 1, 2, ... 255, 0, 1, ...: every byte value, in an order that shows a
// lost or moved byte.
inline Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

inline Bytes Joined(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

inline LinkResult Write(Transport& transport, const Bytes& bytes, std::uint32_t limitMs = 0) {
    return transport.Write(bytes.data(), bytes.size(), limitMs);
}

// One read of at most `capacity` bytes, into a larger buffer, so that a read
// past its capacity shows.
inline Bytes Reply(Transport& transport, std::size_t capacity, std::uint32_t timeoutMs) {
    constexpr std::uint8_t kUntouched = 0xEE;
    Bytes buffer(capacity + 16, kUntouched);
    std::size_t received = capacity + 1;
    EXPECT_TRUE(transport.Read(buffer.data(), capacity, received, timeoutMs).ok());
    EXPECT_LE(received, capacity);
    EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(capacity), buffer.end(),
                            [](std::uint8_t b) { return b == kUntouched; }));
    buffer.resize(std::min(received, capacity));
    return buffer;
}

}  // namespace zelmar::links::test
