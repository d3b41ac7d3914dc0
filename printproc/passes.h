// The three passes of a reworked receipt and its tail trim, in the order the
// job runs them: barcodes, widening, trim, final.
#pragma once

#include <cstdint>
#include <optional>

#include "blocks.h"
#include "translation.h"

namespace tivrap {

// The first end of a barcode's data from a position on: 00 followed by 1B or
// 0D, and for counted barcodes also 1B followed by 21 or 4D. What it has
// looked through is kept, so that a barcode whose data never ends is found
// out once per block, not again by every head after it.
class DataEndSearch {
  public:
    explicit DataEndSearch(bool counted) : counted_(counted) {}
    // The end at or after `s` bytes on, counted from the cursor; nothing when
    // none lies within the unread part.
    std::optional<std::size_t> From(const Cursor& at, std::size_t s);

  private:
    bool counted_;
    // In the pass's input: no end starts in [from_, to_); one starts at to_ when found_.
    std::uint64_t from_ = 0;
    std::uint64_t to_ = 0;
    bool found_ = false;
};

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
    DataEndSearch countedEnd_{true};
    DataEndSearch terminatedEnd_{false};
};

// The widest raster row of a picture on the paper: 80 mm at 8 dots a
// millimetre, 640 dots. A wider row sets no run's width and goes out as it
// is, so that widening adds at most this many bytes to a row of 11 or more.
inline constexpr std::size_t kWidestRow = 80;

// Widens consecutive raster rows to the width of the widest one of the run
// that the paper holds.
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
