#include "translation.h"

namespace tivrap {
namespace {

std::uint8_t DigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    return 0;
}

}  // namespace

std::u16string TranslationKey(std::uint8_t code) {
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    return {kDigits[code >> 4], kDigits[code & 0xF]};
}

Bytes DecodeHexBytes(std::string_view text) {
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::uint8_t low = i + 1 < text.size() ? DigitValue(text[i + 1]) : 0;
        bytes.push_back(static_cast<std::uint8_t>(DigitValue(text[i]) << 4 | low));
    }
    return bytes;
}

Bytes SectionTranslator::Translate(std::uint8_t code) {
    return DecodeHexBytes(readValue_(TranslationKey(code)));
}

}  // namespace tivrap
