#include "memory_parts.h"

#include <algorithm>

namespace tivrap::memory {

bool MemoryScratchFile::ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    if (failRead.Next() || offset > bytes.size() || bytes.size() - offset < size) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), size, data);
    return true;
}

bool MemoryScratchFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (failWrite.Next()) return false;
    if (bytes.size() < offset + size) bytes.resize(static_cast<std::size_t>(offset + size));
    std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

void MemoryPauseEvent::Set() {
    const std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
    changed_.notify_all();
}

void MemoryPauseEvent::Reset() {
    const std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

void MemoryPauseEvent::Wait() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++waits_;
        changed_.notify_all();
    }
    if (beforeWait) beforeWait();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return set_; });
}

void MemoryPauseEvent::AwaitWaits(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return waits_ >= count; });
}

std::size_t MemoryPauseEvent::Waits() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return waits_;
}

SectionTranslator MemoryTranslation::Translator() const {
    return SectionTranslator([this](const std::u16string& key) {
        const auto found = values_.find(key);
        return found == values_.end() ? std::string() : found->second;
    });
}

}  // namespace tivrap::memory
