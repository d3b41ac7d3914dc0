// Parts of a print job kept in memory, for the tests and the fuzzer: scratch
// files that fail where they are told to, the pause event, translation values.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "blocks.h"
#include "job_control.h"
#include "translation.h"

namespace tivrap::memory {

// Counts calls and says whether this one is the one that fails (1 = the first).
struct FailAt {
    bool Next() { return ++calls == failing; }
    std::size_t failing = 0;  // 0: none fails
    std::size_t calls = 0;
};

class MemoryScratchFile final : public ScratchFile {
  public:
    bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) override;
    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override;

    Bytes bytes;
    FailAt failRead;
    FailAt failWrite;
};

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

// Section "thermal" as a map from key to value text.
class MemoryTranslation {
  public:
    explicit MemoryTranslation(std::map<std::u16string, std::string> values)
        : values_(std::move(values)) {}
    SectionTranslator Translator() const;

  private:
    std::map<std::u16string, std::string> values_;
};

}  // namespace tivrap::memory
