// The block rule every pass of a reworked job follows, and the files and
// outputs the passes work between.
//
// A pass reads a block from its position and works through it while at least
// 8 of its bytes are unread; an element that does not fit in the unread part
// is left for the next block, which starts at the first byte not consumed.
// When fewer than 8 bytes of the input remain, they go out unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/bytes.h"

namespace tivrap {

using zelmar::Bytes;

// The product's block: what the driver's receipts are read and reworked in.
inline constexpr std::size_t kBlockSize = 245760;
// A pass works on a block while this many of its bytes are unread.
inline constexpr std::size_t kMinUnread = 8;

// How a job's work goes on: everything but kGoOn ends it; kCancelled ends it
// normally, the failures end it with failure.
enum class Flow {
    kGoOn,
    kCancelled,
    kJobReadFailed,
    kScratchReadFailed,
    kScratchWriteFailed,
    kPrinterWriteFailed,
};

// One of a job's scratch files.
class ScratchFile {
  public:
    virtual ~ScratchFile() = default;
    // Reads exactly `size` bytes at `offset`; false when they cannot all be read.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) = 0;
    // Writes all `size` bytes at `offset`; false when they cannot all be written.
    virtual bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;
};

// Where a pass's output goes, a piece at a time: at least one piece per block,
// possibly empty, so that an output that checks between pieces checks after
// every block.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    virtual Flow Put(const std::uint8_t* data, std::size_t size) = 0;
};

// Writes a scratch file from its start. What lies beyond Length() is stale and
// never read: every reader is given the length.
class ScratchSink final : public BlockSink {
  public:
    explicit ScratchSink(ScratchFile& file) : file_(file) {}
    Flow Put(const std::uint8_t* data, std::size_t size) override;
    std::uint64_t Length() const { return length_; }

  private:
    ScratchFile& file_;
    std::uint64_t length_ = 0;
};

// Whether an element fits in the unread part of a block.
enum class Fit {
    kFits,
    kDefer,    // left for the next block, which starts with it
    kNoMatch,  // it starts the block and still does not fit: it never will
};

// The unread part of a block, from a pass's position in it.
class Cursor {
  public:
    // `origin` is where the block starts in the pass's input.
    Cursor(const std::uint8_t* block, std::size_t size, std::size_t at, std::uint64_t origin)
        : block_(block), size_(size), at_(at), origin_(origin) {}

    std::size_t Unread() const { return size_ - at_; }
    // Where the cursor and the end of its block lie in the pass's input. The
    // blocks of a pass never end earlier than the one before.
    std::uint64_t Position() const { return origin_ + at_; }
    std::uint64_t BlockEnd() const { return origin_ + size_; }
    // An element that does not fit here never will: the next block starts here too.
    bool AtBlockStart() const { return at_ == 0; }
    std::uint8_t operator[](std::size_t k) const { return block_[at_ + k]; }
    // True when `pattern` lies `offset` bytes on, within the unread part.
    template <std::size_t N>
    bool Starts(const std::uint8_t (&pattern)[N], std::size_t offset = 0) const {
        if (offset + N > Unread()) return false;
        for (std::size_t i = 0; i < N; ++i) {
            if ((*this)[offset + i] != pattern[i]) return false;
        }
        return true;
    }
    // Whether an element of `length` bytes fits. One that starts the block and
    // does not fit is taken as not matching, so that every block moves on.
    Fit Fits(std::size_t length) const {
        if (length <= Unread()) return Fit::kFits;
        return AtBlockStart() ? Fit::kNoMatch : Fit::kDefer;
    }
    Cursor After(std::size_t length) const { return Cursor(block_, size_, at_ + length, origin_); }
    // Appends the next `length` bytes to `out`; returns `length`.
    std::size_t CopyTo(Bytes& out, std::size_t length) const;
    // How many of the next bytes, at most `most`, are neither `a` nor `b`.
    std::size_t RunWithout(std::uint8_t a, std::uint8_t b, std::size_t most) const;
    // How many of the next bytes, at most `most`, start no element of a pass
    // whose elements all start with `a` or `b`: `starts(k)` says whether the
    // `a` or `b` k bytes on starts one.
    template <typename Starts>
    std::size_t PlainRun(std::uint8_t a, std::uint8_t b, std::size_t most, Starts starts) const {
        std::size_t n = RunWithout(a, b, most);
        while (n < most && !starts(n))
            n += 1 + After(n + 1).RunWithout(a, b, most - n - 1);
        return n;
    }

  private:
    const std::uint8_t* block_;
    std::size_t size_;
    std::size_t at_;
    std::uint64_t origin_;
};

// The element rules of one pass, with the state they carry from block to block.
class PassRules {
  public:
    virtual ~PassRules() = default;
    // Takes the element at the cursor (at least kMinUnread bytes are unread):
    // appends its output and returns how many bytes it consumed, or 0 when
    // the element is left for the next block (only where Fits says kDefer).
    virtual std::size_t Step(const Cursor& at, Bytes& out) = 0;
    // Takes, as one, at most `most` bytes from the cursor that Step would pass
    // unchanged one at a time, each starting no element: appends them and
    // returns how many; 0 when the first of them may start one. The state
    // each of them would leave is left once.
    virtual std::size_t Plain(const Cursor& at, std::size_t most, Bytes& out) = 0;
};

// Runs `rules` over an input that arrives in pieces, in the blocks the block
// rule reads from the whole of it: a block is worked through once all of it
// has come, the last ones when the input has ended. Each block is taken from
// what has come, from where the one before stopped, so that nothing is read
// twice however short the blocks get, and a pass can take the output of the
// one before without a scratch file between them. What waits for a block is
// at most about two blocks.
class StreamedPass final : public BlockSink {
  public:
    StreamedPass(std::size_t blockSize, PassRules& rules, BlockSink& out);
    // More input.
    Flow Put(const std::uint8_t* data, std::size_t size) override;
    // The first `length` bytes of `input` as more input, read a block at a time.
    Flow Read(ScratchFile& input, std::uint64_t length);
    // The input has ended: the rest of it is worked through.
    Flow Finish();

  private:
    Flow WorkWholeBlocks();
    Flow Work(std::size_t blockSize);

    std::size_t blockSize_;
    PassRules& rules_;
    BlockSink& out_;
    Bytes input_;  // what has come and is not consumed, from start_
    std::size_t start_ = 0;
    std::uint64_t dropped_ = 0;  // the input consumed before input_
    Bytes produced_;
};

// Runs `rules` over the first `length` bytes of `input` in blocks of
// `blockSize` bytes (taken as kMinUnread to kBlockSize), reading each byte
// once. A block's output goes to `out` in pieces of about a block, however
// much it grows.
Flow RunPass(ScratchFile& input, std::uint64_t length, std::size_t blockSize, PassRules& rules,
             BlockSink& out);

// Sends the first `length` bytes of `input` to `out` unchanged, a block at a time.
Flow CopyBlocks(ScratchFile& input, std::uint64_t length, std::size_t blockSize, BlockSink& out);

}  // namespace tivrap
