#include "memory_parts.h"

namespace tivrap::memory {

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

}  // namespace tivrap::memory
