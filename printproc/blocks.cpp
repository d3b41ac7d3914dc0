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
    out.insert(out.end(), block_ + at_, block_ + at_ + length);
    return length;
}

std::size_t Cursor::RunWithout(std::uint8_t a, std::uint8_t b, std::size_t most) const {
    const std::uint8_t* p = block_ + at_;
    most = std::min(most, Unread());
    // Eight bytes at a time: (v - 01...01) & ~v & 80...80 flags the bytes of
    // v that are 0, exactly from the first one on (a borrow can only flag
    // bytes after it), so the lowest flag is the first a or b.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const auto zeros = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    std::size_t n = 0;
    for (; n + 8 <= most; n += 8) {
        std::uint64_t v;
        std::memcpy(&v, p + n, sizeof v);  // the first byte lowest: x86 is little-endian
        if (const std::uint64_t found = zeros(v ^ (kOnes * a)) | zeros(v ^ (kOnes * b)))
            return n + static_cast<std::size_t>(__builtin_ctzll(found)) / 8;
    }
    while (n < most && p[n] != a && p[n] != b)
        ++n;
    return n;
}

namespace {

// Works through one block, which starts at `origin` of the input, while at
// least kMinUnread of its bytes are unread; `used` says how many it consumed.
// Its output goes to `out` in pieces of about a block, at least one.
Flow WorkBlock(const std::uint8_t* block, std::size_t size, std::uint64_t origin,
               std::size_t blockSize, PassRules& rules, Bytes& produced, BlockSink& out,
               std::size_t& used) {
    std::size_t at = 0;
    while (size - at >= kMinUnread) {
        // Plain bytes go as a run: one that stops where the steps would stop,
        // and where the output would go out.
        const Cursor cursor(block, size, at, origin);
        const std::size_t most =
            std::min(size - at - (kMinUnread - 1), blockSize - produced.size());
        std::size_t step = rules.Plain(cursor, most, produced);
        if (step == 0) step = rules.Step(cursor, produced);
        if (step == 0) break;
        at += step;
        if (produced.size() >= blockSize) {
            if (const Flow flow = PutAll(out, produced); flow != Flow::kGoOn) return flow;
        }
    }
    used = at;
    return PutAll(out, produced);
}

}  // namespace

StreamedPass::StreamedPass(std::size_t blockSize, PassRules& rules, BlockSink& out)
    : blockSize_(BlockSizeFrom(blockSize)), rules_(rules), out_(out) {}

Flow StreamedPass::Put(const std::uint8_t* data, std::size_t size) {
    input_.insert(input_.end(), data, data + size);
    return WorkWholeBlocks();
}

Flow StreamedPass::Read(ScratchFile& input, std::uint64_t length) {
    for (std::uint64_t position = 0; position < length;) {
        const std::size_t end = input_.size();
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, length - position));
        input_.resize(end + size);
        if (!input.ReadAt(position, input_.data() + end, size)) return Flow::kScratchReadFailed;
        position += size;
        if (const Flow flow = WorkWholeBlocks(); flow != Flow::kGoOn) return flow;
    }
    return Flow::kGoOn;
}

// A whole block has come: it is worked through as it is.
Flow StreamedPass::WorkWholeBlocks() {
    while (input_.size() - start_ >= blockSize_) {
        if (const Flow flow = Work(blockSize_); flow != Flow::kGoOn) return flow;
    }
    if (start_ >= blockSize_) {
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(start_));
        dropped_ += start_;
        start_ = 0;
    }
    return Flow::kGoOn;
}

Flow StreamedPass::Finish() {
    while (input_.size() - start_ >= kMinUnread) {
        if (const Flow flow = Work(std::min(blockSize_, input_.size() - start_));
            flow != Flow::kGoOn)
            return flow;
    }
    return out_.Put(input_.data() + start_, input_.size() - start_);
}

Flow StreamedPass::Work(std::size_t size) {
    std::size_t used = 0;
    const Flow flow = WorkBlock(input_.data() + start_, size, dropped_ + start_, blockSize_, rules_,
                                produced_, out_, used);
    start_ += used;
    return flow;
}

Flow RunPass(ScratchFile& input, std::uint64_t length, std::size_t blockSize, PassRules& rules,
             BlockSink& out) {
    StreamedPass pass(blockSize, rules, out);
    if (const Flow flow = pass.Read(input, length); flow != Flow::kGoOn) return flow;
    return pass.Finish();
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
