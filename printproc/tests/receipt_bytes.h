// Builders of the driver's receipt elements, written from their byte forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "blocks.h"

namespace tivrap::test {

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Repeat(std::size_t count, std::uint8_t byte) {
    return Bytes(count, byte);
}

inline std::uint8_t Low(std::size_t v) {
    return static_cast<std::uint8_t>(v);
}
inline std::uint8_t High(std::size_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}

// A raster row: 1B 4A 00 1D 76 30, mode, width, row count, `width` data bytes.
inline Bytes RowHeader(std::size_t width, std::size_t rows = 1) {
    return {0x1B, 0x4A,       0x00,        0x1D,      0x76,      0x30,
            0x00, Low(width), High(width), Low(rows), High(rows)};
}
inline Bytes Row(std::size_t width, std::uint8_t fill, std::size_t rows = 1) {
    return RowHeader(width, rows) + Repeat(width, fill);
}

// A barcode head: 1B 74 00, 1D 77 n, 1D 68 h, 1D 6B m.
inline Bytes Head(std::uint8_t system) {
    return {0x1B, 0x74, 0x00, 0x1D, 0x77, 0x02, 0x1D, 0x68, 0x50, 0x1D, 0x6B, system};
}
// Its first nine bytes, which the barcode pass keeps in front.
inline Bytes HeadStart() {
    return {0x1B, 0x74, 0x00, 0x1D, 0x77, 0x02, 0x1D, 0x68, 0x50};
}

inline Bytes PositionAndFeed(std::uint8_t n) {
    return {0x00, 0x1B, 0x24, 0x00, 0x00, 0x00, 0x1B, 0x4A, n};
}
inline Bytes LineAndFeed(std::uint8_t n) {
    return {0x00, 0x0D, 0x00, 0x1B, 0x4A, n};
}
inline Bytes ShortFeed() {
    return {0x00, 0x1B, 0x4A, 0x00};
}
inline Bytes TextModeMarker() {
    return {0x1B, 0x21, 0x00, 0x1B, 0x50, 0x70};
}

inline Bytes StartOfDocument() {
    return {0x1B, 0x3D, 0x01, 0x1B, 0x52, 0x00, 0x1B, 0x74, 0x00, 0x1B, 0x63, 0x33, 0x04,
            0x1B, 0x63, 0x34, 0x00, 0x1D, 0x50, 0xB4, 0xB4, 0x1D, 0x62, 0x01, 0x1B, 0x32};
}

// The last fewer than 8 bytes of every pass go out unchanged: cases end in
// these, so that what they show is reworked.
inline Bytes Tail() {
    return Repeat(7, 0xEE);
}

}  // namespace tivrap::test
