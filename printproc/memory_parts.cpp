#include "memory_parts.h"

#include <algorithm>

namespace tivrap::memory {

bool MemoryScratchFile::ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    if (failRead.Next() || offset > bytes.size() || bytes.size() - offset < size) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), size, data);
    bytesRead += size;
    return true;
}

bool MemoryScratchFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (failWrite.Next()) return false;
    if (bytes.size() < offset + size) bytes.resize(static_cast<std::size_t>(offset + size));
    std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

ScratchCreation MemoryScratchStorage::Create() {
    a.bytes.clear();
    b.bytes.clear();
    return creation;
}

bool MemorySpoolerJob::StartDocument() {
    calls.push_back("start");
    return !startFails;
}

bool MemorySpoolerJob::OpenData() {
    calls.push_back("open");
    return !openFails;
}

bool MemorySpoolerJob::ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) {
    got = 0;
    if (failRead.Next()) return false;
    got = std::min({data.size() - readAt_, capacity, readLimit});
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(readAt_), got, buffer);
    readAt_ += got;
    return true;
}

bool MemorySpoolerJob::WritePrinter(const std::uint8_t* bytes, std::size_t size,
                                    std::size_t& written) {
    written = 0;
    if (failWrite.Next()) return false;
    written = std::min(size, writeLimit);
    printed.insert(printed.end(), bytes, bytes + written);
    if (afterWrite) afterWrite();
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
