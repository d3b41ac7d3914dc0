#include "job_control.h"

namespace tivrap {

bool JobControl::Command(std::uint32_t command) {
    switch (command) {
        case 1:
            Pause();
            return true;
        case 2:
            Resume();
            return true;
        case 3:
            Cancel();
            return true;
        default:
            return false;
    }
}

void JobControl::Pause() {
    const std::lock_guard<std::mutex> lock(commands_);
    if (Cancelled()) return;
    event_.Reset();
    status_ |= kStatusPaused;
}

void JobControl::Resume() {
    const std::lock_guard<std::mutex> lock(commands_);
    if ((status_ & kStatusPaused) == 0) return;
    status_ &= ~kStatusPaused;
    event_.Set();
}

void JobControl::Cancel() {
    const std::lock_guard<std::mutex> lock(commands_);
    status_ |= kStatusCancelled;
    status_ &= ~kStatusPaused;
    event_.Set();
}

bool JobControl::GoOn() {
    for (std::uint32_t s = Status(); (s & kStatusPaused) && !(s & kStatusCancelled); s = Status())
        event_.Wait();
    return !Cancelled();
}

}  // namespace tivrap
