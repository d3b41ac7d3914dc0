// Pause, resume and cancel of one job. ControlPrintProcessor sends them from
// any thread while the job prints on the spooler's thread for it; the
// printing thread sees them at its checks (GoOn).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace tivrap {

// The job's pause event: manual-reset, created signalled.
class PauseEvent {
  public:
    virtual ~PauseEvent() = default;
    virtual void Set() = 0;    // waiters go on
    virtual void Reset() = 0;  // the next waits block
    virtual void Wait() = 0;   // until the event is set
};

// The job record's status flags.
inline constexpr std::uint32_t kStatusCancelled = 0x1;
inline constexpr std::uint32_t kStatusPaused = 0x8;

class JobControl {
  public:
    explicit JobControl(PauseEvent& event) : event_(event) {}
    JobControl(const JobControl&) = delete;
    JobControl& operator=(const JobControl&) = delete;

    // ControlPrintProcessor's commands: 1 pause, 2 resume, 3 cancel. False for
    // any other, which changes nothing.
    bool Command(std::uint32_t command);
    void Pause();
    void Resume();
    // Releases a paused job for good: a cancelled job is never paused again,
    // so no wait can block after it.
    void Cancel();

    std::uint32_t Status() const { return status_.load(); }
    bool Cancelled() const { return (Status() & kStatusCancelled) != 0; }

    // The printing thread's check: waits while the job is paused and not
    // cancelled. True when the job goes on, false when it is cancelled.
    bool GoOn();

  private:
    PauseEvent& event_;
    std::atomic<std::uint32_t> status_{0};
    // One command at a time, so that the event and the flags change together;
    // the printing thread never takes it.
    std::mutex commands_;
};

}  // namespace tivrap
