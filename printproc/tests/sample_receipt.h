// A receipt as the driver writes it, with every element Tivrap reworks: the
// start-of-document marker, a logo as raster rows of three widths, two lines
// of text mode with a position command, and a barcode of each form with the
// feed after it. The Windows tests send it through the queue and the
// stand-in's tests print what Tivrap makes of it.
#pragma once

#include "receipt_bytes.h"

namespace tivrap::test {

// The logo: 24 rows, a triangle widening by 4 dots a row, written as rows of
// 4, 8 and 12 bytes (a row only as wide as it needs to be, in steps of 4).
inline constexpr int kSampleLogoRows = 24;
inline constexpr int kSampleLogoBytes = 12;

inline bool SampleLogoDot(int x, int y) {
    return x < 4 * (y + 1);
}

inline Bytes SampleLogo() {
    Bytes rows;
    for (int y = 0; y < kSampleLogoRows; ++y) {
        const std::size_t width = 4 * static_cast<std::size_t>(y / 8 + 1);
        Bytes data(width, 0x00);
        for (std::size_t x = 0; x < 8 * width; ++x) {
            if (SampleLogoDot(static_cast<int>(x), y))
                data[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        rows = rows + RowHeader(width) + data;
    }
    return rows;
}

inline Bytes FeedCommand(std::uint8_t n) {
    return {0x00, 0x1B, 0x4A, n};
}
inline Bytes PositionCommand(std::size_t x) {
    return {0x00, 0x1B, 0x24, Low(x), High(x)};
}

inline Bytes SampleReceipt() {
    const Bytes centre = {0x1B, 0x61, 0x01};
    const Bytes left = {0x1B, 0x61, 0x00};
    const Bytes cut = {0x1D, 0x56, 0x41, 0x10};
    return StartOfDocument() + centre + SampleLogo() + PositionAndFeed(0x10) + left +
           TextModeMarker() + Text("ORVENNA STORE") + FeedCommand(0x08) + Bytes{0x00} +
           TextModeMarker() + Text("TOTAL") + PositionCommand(320) + Text("12.50 #1~") +
           FeedCommand(0x18) + Head(0x49) + Bytes{0x00} + Text("{B12") + PositionAndFeed(0x20) +
           Head(0x04) + Text("*7*") + LineAndFeed(0x20) + cut;
}

}  // namespace tivrap::test
