#include "blocks.h"

#include <algorithm>
#include <cstring>

namespace tivrap {
namespace {

std::size_t BlockSizeFrom(std::size_t requested) {
    return std::clamp(requested, kMinUnread, kBlockSize);
}

// Reads the next block of at most `blockSize` bytes at `position`.
bool ReadBlock(ScratchFile& input, std::uint64_t position, std::uint64_t length,
               std::size_t blockSize, Bytes& block) {
    block.resize(static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, length - position)));
    return block.empty() || input.ReadAt(position, block.data(), block.size());
}

Flow PutAll(BlockSink& out, Bytes& produced) {
    const Flow flow = out.Put(produced.data(), produced.size());
    produced.clear();
    return flow;
}

}  // namespace

Flow ScratchSink::Put(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return Flow::kGoOn;
    if (!file_.WriteAt(length_, data, size)) return Flow::kScratchWriteFailed;
    length_ += size;
    return Flow::kGoOn;
}

std::size_t Cursor::CopyTo(Bytes& out, std::size_t length) const {
    const auto from = block_->begin() + static_cast<std::ptrdiff_t>(at_);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(length));
    return length;
}

std::size_t Cursor::RunWithout(std::uint8_t a, std::uint8_t b, std::size_t most) const {
    const std::uint8_t* p = block_->data() + at_;
    most = std::min(most, Unread());
    std::size_t n = 0;
    // Eight bytes at a time while none of them is a or b: a word holds a zero
    // byte exactly when (v - 01...01) & ~v & 80...80 is not 0.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const auto holdsZero = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
    for (; n + 8 <= most; n += 8) {
        std::uint64_t v;
        std::memcpy(&v, p + n, sizeof v);
        if (holdsZero(v ^ (kOnes * a)) || holdsZero(v ^ (kOnes * b))) break;
    }
    while (n < most && p[n] != a && p[n] != b)
        ++n;
    return n;
}

Flow RunPass(ScratchFile& input, std::uint64_t length, std::size_t blockSize, PassRules& rules,
             BlockSink& out) {
    blockSize = BlockSizeFrom(blockSize);
    Bytes block;
    Bytes produced;
    std::uint64_t position = 0;
    while (length - position >= kMinUnread) {
        if (!ReadBlock(input, position, length, blockSize, block)) return Flow::kScratchReadFailed;
        std::size_t at = 0;
        while (block.size() - at >= kMinUnread) {
            // Plain bytes go as a run: one that stops where the steps would
            // stop, and where the output would go out.
            const Cursor cursor(block, at);
            const std::size_t most =
                std::min(block.size() - at - (kMinUnread - 1), blockSize - produced.size());
            std::size_t used = rules.Plain(cursor, most, produced);
            if (used == 0) used = rules.Step(cursor, produced);
            if (used == 0) break;
            at += used;
            if (produced.size() >= blockSize) {
                if (const Flow flow = PutAll(out, produced); flow != Flow::kGoOn) return flow;
            }
        }
        if (const Flow flow = PutAll(out, produced); flow != Flow::kGoOn) return flow;
        position += at;
    }
    if (!ReadBlock(input, position, length, blockSize, block)) return Flow::kScratchReadFailed;
    return out.Put(block.data(), block.size());
}

Flow CopyBlocks(ScratchFile& input, std::uint64_t length, std::size_t blockSize, BlockSink& out) {
    blockSize = BlockSizeFrom(blockSize);
    Bytes block;
    for (std::uint64_t position = 0; position < length; position += block.size()) {
        if (!ReadBlock(input, position, length, blockSize, block)) return Flow::kScratchReadFailed;
        if (const Flow flow = out.Put(block.data(), block.size()); flow != Flow::kGoOn) return flow;
    }
    return Flow::kGoOn;
}

}  // namespace tivrap
