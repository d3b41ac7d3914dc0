// Digests of outputs for golden tests, and a repeatable noise to make inputs
// from. Header only, so that every unit's tests can use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zelmar::test {

// FNV-1a over everything that is fed to it, each piece with its length.
class Digest {
  public:
    void Add(const std::uint8_t* data, std::size_t size) {
        Mix(static_cast<std::uint64_t>(size));
        for (std::size_t i = 0; i < size; ++i)
            Byte(data[i]);
    }
    void Add(const std::vector<std::uint8_t>& bytes) { Add(bytes.data(), bytes.size()); }
    void Mix(std::uint64_t v) {
        for (int k = 0; k < 8; ++k)
            Byte(static_cast<std::uint8_t>(v >> 8 * k));
    }
    std::string Hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

  private:
    void Byte(std::uint8_t b) {
        hash_ ^= b;
        hash_ *= 0x100000001B3ull;
    }
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

// A repeatable stream of noise (xorshift).
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

  private:
    std::uint32_t state_;
};

}  // namespace zelmar::test
