// The parts of a RAW job kept in memory, for the tests and the fuzzer: the
// spooler's job, scratch files, debug output and pause event, each able to
// fail where it is told to.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "raw_job.h"

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
    std::uint64_t bytesRead = 0;  // by the reads that succeeded
};

class MemoryScratchStorage final : public ScratchStorage {
  public:
    ScratchCreation Create() override;
    ScratchFile& FileA() override { return a; }
    ScratchFile& FileB() override { return b; }
    void Remove() override { removed = true; }

    MemoryScratchFile a;
    MemoryScratchFile b;
    ScratchCreation creation;  // what Create reports
    bool removed = false;
};

class MemorySpoolerJob final : public SpoolerJob {
  public:
    explicit MemorySpoolerJob(Bytes spooled) : data(std::move(spooled)) {}
    bool StartDocument() override;
    void EndDocument() override { calls.push_back("end"); }
    bool OpenData() override;
    void CloseData() override { calls.push_back("close"); }
    bool ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) override;
    bool WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) override;

    Bytes data;                         // the spooled data
    std::size_t readLimit = SIZE_MAX;   // the most one read returns
    std::size_t writeLimit = SIZE_MAX;  // the most one write takes (0: nothing)
    bool startFails = false;
    bool openFails = false;
    FailAt failRead;
    FailAt failWrite;
    Bytes printed;                     // what reached the printer
    std::function<void()> afterWrite;  // runs after each write to the printer
    std::vector<std::string> calls;    // start, open, close, end

  private:
    std::size_t readAt_ = 0;
};

class MemoryDebugOutput final : public DebugOutput {
  public:
    void Write(const std::u16string& text) override { texts.push_back(text); }
    std::vector<std::u16string> texts;
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
