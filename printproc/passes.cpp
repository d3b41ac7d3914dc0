#include "passes.h"

#include <algorithm>

namespace tivrap {
namespace {

constexpr std::uint8_t kRasterRowSignature[] = {0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30};
constexpr std::uint8_t kTextModeMarker[] = {0x1B, 0x21, 0x00, 0x1B, 0x50, 0x70};
constexpr std::uint8_t kPositionReplacement[] = {0x00, 0x1B, 0x24, 0x00, 0x00};
constexpr std::uint8_t kBarcodeHeadSignature[] = {0x1B, 0x74, 0x00, 0x1D, 0x77};
constexpr std::uint8_t kShortFeed[] = {0x00, 0x1B, 0x4A, 0x00};
// The fixed bytes of the commands whose last bytes are parameters.
constexpr std::uint8_t kPositionCommand[] = {0x00, 0x1B, 0x24};  // nL nH
constexpr std::uint8_t kFeedCommand[] = {0x00, 0x1B, 0x4A};      // n
constexpr std::uint8_t kPositionAndFeed[] = {0x00, 0x1B, 0x24, 0x00, 0x00, 0x00, 0x1B, 0x4A};
constexpr std::uint8_t kLineAndFeed[] = {0x00, 0x0D, 0x00, 0x1B, 0x4A};
// What stays of the text-mode marker, alone and after a 00.
constexpr std::uint8_t kMarkerStart[] = {0x1B, 0x21, 0x00};
constexpr std::uint8_t kZeroMarkerStart[] = {0x00, 0x1B, 0x21};

constexpr std::size_t kPositionCommandLength = 5;
constexpr std::size_t kFeedCommandLength = 4;
constexpr std::size_t kPositionAndFeedLength = 9;
constexpr std::size_t kLineAndFeedLength = 6;
// Every element but raster rows, barcodes and the position-and-feed fits in
// the unread part of a block at any step.
static_assert(kLineAndFeedLength <= kMinUnread && 1 + sizeof kTextModeMarker <= kMinUnread);

// Raster row: signature, mode, width (16 bits), row count (16 bits), data.
constexpr std::size_t kRowHeader = 11;
constexpr std::size_t kRowWidthAt = 7;
constexpr std::size_t kRowCountAt = 9;
// Merged rows each take at least a header, so a block's merge count fits its field.
static_assert(kBlockSize / kRowHeader <= 0xFFFF);

// Barcode head: 1B 74 00, 1D 77 n, 1D 68 h, 1D 6B m.
constexpr std::size_t kBarcodeHead = 12;
constexpr std::size_t kBarcodeKeptHead = 9;  // up to the system command
constexpr std::size_t kMaxCountedData = 255;

template <std::size_t N>
void Append(Bytes& out, const std::uint8_t (&bytes)[N]) {
    out.insert(out.end(), bytes, bytes + N);
}

// The text-mode marker as the printer takes it: `start`, then the position replacement.
template <std::size_t N>
void TextModeOn(Bytes& out, const std::uint8_t (&start)[N]) {
    Append(out, start);
    Append(out, kPositionReplacement);
}

void SetU16(Bytes& out, std::size_t at, std::size_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Takes the element with `take` when it fits; 0 leaves it for the next block;
// nothing when it does not match.
template <typename Take>
std::optional<std::size_t> TakeIfFits(const Cursor& c, std::size_t length, Take take) {
    switch (c.Fits(length)) {
        case Fit::kFits:
            return take();
        case Fit::kDefer:
            return 0;
        case Fit::kNoMatch:
            break;
    }
    return std::nullopt;
}

std::size_t RowWidth(const Cursor& c) {
    return c[kRowWidthAt] | c[kRowWidthAt + 1] << 8;
}

// The bytes the raster row at the cursor takes: its whole length once its
// header is within the unread part.
std::size_t RowLength(const Cursor& c) {
    return c.Unread() < kRowHeader ? kRowHeader : kRowHeader + RowWidth(c);
}

bool WholeRow(const Cursor& c) {
    return c.Starts(kRasterRowSignature) && c.Fits(RowLength(c)) == Fit::kFits;
}

enum class BarcodeForm {
    kOther,
    kCounted,     // systems 0x41 to 0x49: a length placeholder, then the data
    kTerminated,  // systems up to 6: the data directly, ended by 00
};

BarcodeForm FormOf(const Cursor& c) {
    if (c[9] != 0x1D || c[10] != 0x6B) return BarcodeForm::kOther;
    const std::uint8_t system = c[11];
    // The placeholder follows the head; while it is not in view it may be there.
    const bool placeholder = c.Unread() == kBarcodeHead || c[kBarcodeHead] == 0x00;
    if (system >= 0x41 && system <= 0x49)
        return placeholder ? BarcodeForm::kCounted : BarcodeForm::kOther;
    if (system <= 6) return BarcodeForm::kTerminated;
    return BarcodeForm::kOther;
}

// Where a barcode's parts lie, counted from its head.
struct BarcodeData {
    std::size_t commands;  // the position and feed commands skipped before the data
    std::size_t start;
    std::size_t end;  // the end bytes stay for the next step
};

// The length of the position or feed command `s` bytes on: 0 when none starts
// there, nothing when the unread part ends before that is known (three bytes
// tell) or before the command does.
std::optional<std::size_t> CommandAt(const Cursor& c, std::size_t s) {
    const std::size_t left = s < c.Unread() ? c.Unread() - s : 0;
    if (left == 0) return std::nullopt;
    if (c[s] != 0x00) return 0;
    if (left < 3)
        return left == 1 || c[s + 1] == 0x1B ? std::nullopt : std::optional<std::size_t>(0);
    std::size_t length = 0;
    if (c.Starts(kPositionCommand, s)) length = kPositionCommandLength;
    if (c.Starts(kFeedCommand, s)) length = kFeedCommandLength;
    if (length > left) return std::nullopt;
    return length;
}

// Skips at most `most` commands from `from`, then finds the end of the data.
std::optional<BarcodeData> FindData(const Cursor& c, std::size_t from, std::size_t most,
                                    DataEndSearch& ends) {
    std::size_t start = from;
    for (std::size_t k = 0; k < most; ++k) {
        const std::optional<std::size_t> command = CommandAt(c, start);
        if (!command) return std::nullopt;
        if (*command == 0) break;
        start += *command;
    }
    const std::optional<std::size_t> end = ends.From(c, start);
    if (!end) return std::nullopt;
    return BarcodeData{from, start, *end};
}

}  // namespace

std::optional<std::size_t> DataEndSearch::From(const Cursor& c, std::size_t s) {
    const std::uint64_t start = c.Position() + s;
    // What was looked through holds for a search that starts within it.
    if (start < from_ || start > to_) {
        from_ = to_ = start;
        found_ = false;
    }
    // Every end starts with 00 or 1B and takes two bytes of the block.
    while (!found_ && to_ + 1 < c.BlockEnd()) {
        const Cursor at = c.After(static_cast<std::size_t>(to_ - c.Position()));
        const std::size_t plain = at.RunWithout(0x00, 0x1B, at.Unread() - 1);
        to_ += plain;
        if (plain + 1 == at.Unread()) break;
        const std::uint8_t a = at[plain];
        const std::uint8_t b = at[plain + 1];
        found_ = (a == 0x00 && (b == 0x1B || b == 0x0D)) ||
                 (counted_ && a == 0x1B && (b == 0x21 || b == 0x4D));
        if (!found_) ++to_;
    }
    if (!found_) return std::nullopt;
    return static_cast<std::size_t>(to_ - c.Position());
}

std::size_t BarcodePass::Step(const Cursor& c, Bytes& out) {
    if (c.Starts(kBarcodeHeadSignature)) {
        if (const auto used = TakeIfFits(c, kBarcodeHead, [&] { return Head(c, out); }))
            return *used;
    }
    if (c[0] == 0x00) return Zero(c, out);
    return c.CopyTo(out, 1);
}

// Only barcode heads, feeds and position commands are reworked.
std::size_t BarcodePass::Plain(const Cursor& c, std::size_t most, Bytes& out) {
    return c.CopyTo(out, c.PlainRun(0x00, 0x1B, most, [&c](std::size_t k) {
        const Cursor at = c.After(k);
        return at[0] == 0x1B ? at.Starts(kBarcodeHeadSignature)
                             : at.Starts(kPositionCommand) || at.Starts(kLineAndFeed);
    }));
}

std::size_t BarcodePass::Head(const Cursor& c, Bytes& out) {
    const BarcodeForm form = FormOf(c);
    const bool counted = form == BarcodeForm::kCounted;
    std::optional<BarcodeData> data;
    if (form != BarcodeForm::kOther) {
        data = counted ? FindData(c, kBarcodeHead + 1, c.Unread(), countedEnd_)
                       : FindData(c, kBarcodeHead, 1, terminatedEnd_);
        // A barcode without its end in a whole block passes as any other head.
        if (!data && !c.AtBlockStart()) return 0;
    }
    barcodeSeen_ = true;
    const std::size_t length = data ? data->end - data->start : 0;
    // A longer one would get a wrapped length byte: it passes as any other head.
    if (length == 0 || (counted && length > kMaxCountedData)) return c.CopyTo(out, kBarcodeHead);
    c.CopyTo(out, kBarcodeKeptHead);
    c.After(data->commands).CopyTo(out, data->start - data->commands);
    c.After(kBarcodeKeptHead).CopyTo(out, kBarcodeHead - kBarcodeKeptHead);
    if (counted) out.push_back(static_cast<std::uint8_t>(length));
    c.After(data->start).CopyTo(out, length);
    return data->end;
}

std::size_t BarcodePass::Zero(const Cursor& c, Bytes& out) {
    if (c.Starts(kPositionAndFeed)) {
        if (const auto used = TakeIfFits(c, kPositionAndFeedLength,
                                         [&] { return Feed(c, kPositionAndFeedLength, out); }))
            return *used;
    }
    if (c.Starts(kLineAndFeed)) return Feed(c, kLineAndFeedLength, out);
    if (c.Starts(kPositionCommand)) return c.CopyTo(out, kPositionCommandLength);
    return c.CopyTo(out, 1);
}

std::size_t BarcodePass::Feed(const Cursor& c, std::size_t length, Bytes& out) {
    if (!barcodeSeen_) return c.CopyTo(out, length);
    barcodeSeen_ = false;
    Append(out, kShortFeed);
    return length;
}

std::size_t WideningPass::Step(const Cursor& c, Bytes& out) {
    if (c.Starts(kRasterRowSignature)) {
        if (const auto used = TakeIfFits(c, RowLength(c), [&] { return Row(c, out); }))
            return *used;
    }
    runWidth_.reset();
    return c.CopyTo(out, 1);
}

// Anything but a raster row ends the run of rows.
std::size_t WideningPass::Plain(const Cursor& c, std::size_t most, Bytes& out) {
    const std::size_t run = c.PlainRun(
        0x1B, 0x1B, most, [&c](std::size_t k) { return c.After(k).Starts(kRasterRowSignature); });
    if (run > 0) runWidth_.reset();
    return c.CopyTo(out, run);
}

std::size_t WideningPass::Row(const Cursor& c, Bytes& out) {
    if (!runWidth_) {
        runWidth_ = 0;
        for (Cursor r = c; WholeRow(r); r = r.After(RowLength(r))) {
            if (RowWidth(r) <= kWidestRow) runWidth_ = std::max(*runWidth_, RowWidth(r));
        }
    }
    const std::size_t width = RowWidth(c);
    const std::size_t at = out.size();
    const std::size_t used = c.CopyTo(out, RowLength(c));
    if (width < *runWidth_) {
        SetU16(out, at + kRowWidthAt, *runWidth_);
        out.resize(out.size() + *runWidth_ - width, 0x00);
    }
    return used;
}

std::size_t FinalPass::Step(const Cursor& c, Bytes& out) {
    if (textMode_) {
        if (const std::optional<std::size_t> used = TextStep(c, out)) return *used;
        textMode_ = false;
    }
    return PlainStep(c, out);
}

// Outside text mode only raster rows and the text-mode marker are reworked.
std::size_t FinalPass::Plain(const Cursor& c, std::size_t most, Bytes& out) {
    if (textMode_) return 0;
    return c.CopyTo(out, c.PlainRun(0x1B, 0x1B, most, [&c](std::size_t k) {
        const Cursor at = c.After(k);
        return at.Starts(kRasterRowSignature) || at.Starts(kTextModeMarker);
    }));
}

std::size_t FinalPass::PlainStep(const Cursor& c, Bytes& out) {
    if (c.Starts(kRasterRowSignature)) {
        if (const auto used = TakeIfFits(c, RowLength(c), [&] { return Merge(c, out); }))
            return *used;
    }
    if (c.Starts(kTextModeMarker)) {
        textMode_ = true;
        TextModeOn(out, kMarkerStart);
        return sizeof kTextModeMarker;
    }
    return c.CopyTo(out, 1);
}

std::optional<std::size_t> FinalPass::TextStep(const Cursor& c, Bytes& out) {
    if (c.Starts(kRasterRowSignature)) return std::nullopt;
    if (c.Starts(kTextModeMarker)) {
        TextModeOn(out, kMarkerStart);
        return sizeof kTextModeMarker;
    }
    const std::uint8_t byte = c[0];
    if (byte == 0x1B) return std::nullopt;
    if (byte >= 0x20 && byte <= 0x7F) {
        const Bytes translated = translator_.Translate(byte);
        out.insert(out.end(), translated.begin(), translated.end());
        return 1;
    }
    if (byte == 0x00) {
        if (c.Starts(kTextModeMarker, 1)) {
            TextModeOn(out, kZeroMarkerStart);
            return 1 + sizeof kTextModeMarker;
        }
        if (c.Starts(kFeedCommand)) return c.CopyTo(out, kFeedCommandLength);
        if (c.Starts(kPositionCommand)) return c.CopyTo(out, kPositionCommandLength);
        textMode_ = false;
    }
    return 1;  // dropped
}

std::size_t FinalPass::Merge(const Cursor& c, Bytes& out) {
    const std::size_t width = RowWidth(c);
    const std::size_t at = out.size();
    std::size_t used = c.CopyTo(out, RowLength(c));
    std::size_t rows = 1;
    for (Cursor r = c.After(used); WholeRow(r) && RowWidth(r) == width; r = c.After(used)) {
        r.After(kRowHeader).CopyTo(out, width);
        used += RowLength(r);
        ++rows;
    }
    SetU16(out, at + kRowCountAt, rows);
    return used;
}

std::uint64_t TrimmedLength(std::uint8_t last, std::uint64_t length) {
    std::uint64_t cut = 0;
    if (last == 0x40) cut = 7;
    if (last == 0x01) cut = 9;
    return length >= cut ? length - cut : length;
}

}  // namespace tivrap
