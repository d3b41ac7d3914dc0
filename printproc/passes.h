// The three passes of a reworked receipt and its tail trim, in the order the
// job runs them: barcodes, widening, trim, final.
#pragma once

#include <cstdint>
#include <optional>

#include "blocks.h"
#include "translation.h"

namespace tivrap {

// Gives each barcode its length byte (the systems 0x41 to 0x49) or its data
// directly after the head (the systems up to 6), and turns the feed after a
// barcode into the short feed.
class BarcodePass final : public PassRules {
  public:
    std::size_t Step(const Cursor& at, Bytes& out) override;
    std::size_t Plain(const Cursor& at, std::size_t most, Bytes& out) override;

  private:
    std::size_t Head(const Cursor& at, Bytes& out);
    std::size_t Zero(const Cursor& at, Bytes& out);
    std::size_t Feed(const Cursor& at, std::size_t length, Bytes& out);

    bool barcodeSeen_ = false;
};

// Widens consecutive raster rows to the width of the widest one of the run.
class WideningPass final : public PassRules {
  public:
    std::size_t Step(const Cursor& at, Bytes& out) override;
    std::size_t Plain(const Cursor& at, std::size_t most, Bytes& out) override;

  private:
    std::size_t Row(const Cursor& at, Bytes& out);

    std::optional<std::size_t> runWidth_;
};

// Merges raster rows of one width into one raster command and translates the
// characters of text mode.
class FinalPass final : public PassRules {
  public:
    explicit FinalPass(Translator& translator) : translator_(translator) {}
    std::size_t Step(const Cursor& at, Bytes& out) override;
    std::size_t Plain(const Cursor& at, std::size_t most, Bytes& out) override;

  private:
    std::size_t PlainStep(const Cursor& at, Bytes& out);
    // Nothing when text mode ends here and the position is taken again.
    std::optional<std::size_t> TextStep(const Cursor& at, Bytes& out);
    std::size_t Merge(const Cursor& at, Bytes& out);

    Translator& translator_;
    bool textMode_ = false;
};

// The length the reworked data keeps once its tail is trimmed: 7 bytes less
// after a final 0x40, 9 less after a final 0x01, where it holds that many.
std::uint64_t TrimmedLength(std::uint8_t last, std::uint64_t length);

}  // namespace tivrap
