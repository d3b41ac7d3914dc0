#include <time.h>

#include <cerrno>

#include "clock.h"
#include "engine/trace.h"

namespace zelmar::links {

namespace {

class MonotonicClock final : public Clock {
  public:
    void Sleep(std::uint32_t ms) override {
        Trace("link", "wait", ms, "ms");
        timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
    std::uint32_t TickCount() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }
};

}  // namespace

Clock& SystemClock() {
    static MonotonicClock clock;
    return clock;
}

}  // namespace zelmar::links
