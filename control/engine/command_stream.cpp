#include "command_stream.h"

namespace zelmar {

namespace {

std::uint8_t Low(int v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

// The Margin Message's m byte by SelectMargin; none above 3.
bool MarginByte(std::int16_t selectMargin, std::uint8_t& m) {
    if (selectMargin > 3) return false;
    m = selectMargin <= 1 ? 0 : Low(selectMargin - 1);
    return true;
}

}  // namespace

namespace commands {

Bytes StatusQuery() {
    return {0x1D, 0x49, 0x01};
}

Bytes SizeBytes(std::int32_t paddedWidth, std::int32_t paddedHeight) {
    Bytes out;
    PutU16(out, static_cast<std::uint32_t>(paddedWidth / 8));
    PutU16(out, static_cast<std::uint32_t>(paddedHeight / 8));
    return out;
}

Bytes NvImageHeader(Role role, std::int16_t selectMargin, std::int32_t paddedWidth,
                    std::int32_t paddedHeight) {
    Bytes out;
    switch (role) {
        case Role::kTopLogo:
            out = {0x1D, 0x5B, 0x5D, 'T'};
            break;
        case Role::kBottomLogo:
            out = {0x1D, 0x5B, 0x5D, 'B'};
            break;
        case Role::kWaterMark:
            out = {0x1D, 0x5B, 0x5D, 'W'};
            break;
        case Role::kMarginMessage: {
            out = {0x1D, 0x5B, 0x5D, 'M'};
            std::uint8_t m = 0;
            if (MarginByte(selectMargin, m)) out.push_back(m);
            out.push_back(0x30);
            break;
        }
        case Role::kNone:
            break;  // no role prefix
    }
    const Bytes size = SizeBytes(paddedWidth, paddedHeight);
    out.insert(out.end(), size.begin(), size.end());
    return out;
}

Bytes BandPreamble() {
    return {0x1B, 0x6F, 0x00, 0x1B, 0x40};
}

Bytes BandRecordHead(int band, std::int32_t paddedWidth) {
    Bytes out = {0x1B, 0x58, 0x2A, Low(band), 0x1B, 0x2A, 0x01};
    PutU16(out, static_cast<std::uint32_t>(paddedWidth));
    return out;
}

Bytes SamplePrintStart() {
    return {0x1B, 0x6F, 0x01};
}

Bytes SamplePrintFeed() {
    Bytes out;
    for (int i = 0; i < 7; ++i)
        out.insert(out.end(), {0x0D, 0x0A});
    out.insert(out.end(), {0x1B, 0x6D});
    return out;
}

Bytes CutSequence() {
    return {0x0D, 0x0A, 0x1B, 0x69};
}

Bytes OptionsCommand(std::int16_t topLogo, std::int16_t bottomLogo, std::int16_t waterMark,
                     std::int16_t marginMessage) {
    return {0x1D,
            0x5B,
            0x5D,
            0x40,
            0x4F,
            Low(topLogo),
            Low(bottomLogo),
            Low(waterMark),
            Low(marginMessage)};
}

Bytes DefinitionPreamble(int imageCount) {
    return {0x1B, 0x40, 0x1C, 0x71, Low(imageCount)};
}

Bytes EraseCommand() {
    return {0x1C, 0x65};
}

Bytes PrintCommand(int image) {
    return {0x1C, 0x70, Low(image), 0x30};
}

Bytes FeedAndCut() {
    return {0x1D, 0x56, 0x42, 0x01};
}

}  // namespace commands

std::vector<std::string> SplitImageList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t bar = list.find('|'); bar != std::string::npos; bar = list.find('|', start)) {
        names.push_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    return names;
}

}  // namespace zelmar
