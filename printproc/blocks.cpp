#include "blocks.h"

#include <algorithm>

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
            const std::size_t used = rules.Step(Cursor(block, at), produced);
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
