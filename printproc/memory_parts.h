// Parts of a print job kept in memory, for the tests and the fuzzer.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

#include "job_control.h"

namespace tivrap::memory {

// A manual-reset event, created set. `beforeWait` runs as a wait begins, on
// the waiting thread, so that a test on one thread can resume or cancel there.
class MemoryPauseEvent final : public PauseEvent {
  public:
    void Set() override;
    void Reset() override;
    void Wait() override;
    // Blocks until `count` waits have begun (for a test on another thread).
    void AwaitWaits(std::size_t count);
    std::size_t Waits();

    std::function<void()> beforeWait;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = true;
    std::size_t waits_ = 0;
};

}  // namespace tivrap::memory
