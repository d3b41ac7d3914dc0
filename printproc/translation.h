// Character translation in text mode: each character code 0x20 to 0x7F prints
// as the bytes its value in the translation file's section "thermal" gives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "blocks.h"

namespace tivrap {

class Translator {
  public:
    virtual ~Translator() = default;
    // The bytes that print `code`; none drops the character.
    virtual Bytes Translate(std::uint8_t code) = 0;
};

// The key of a character in section "thermal": its code as two lower-case
// hexadecimal digits.
std::u16string TranslationKey(std::uint8_t code);

// A translation value: two hexadecimal digits per byte, in either case; any
// other character counts as 0 and an odd final digit is paired with 0.
Bytes DecodeHexBytes(std::string_view text);

// Translates through the values of section "thermal", however they are read:
// `readValue` gives the value of a key as 8-bit text, empty when there is none.
class SectionTranslator final : public Translator {
  public:
    using ReadValue = std::function<std::string(const std::u16string& key)>;
    explicit SectionTranslator(ReadValue readValue) : readValue_(std::move(readValue)) {}
    Bytes Translate(std::uint8_t code) override;

  private:
    ReadValue readValue_;
};

}  // namespace tivrap
