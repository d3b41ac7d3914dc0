// Time as the links see it: waits and a millisecond tick count. Injected, so
// that every pause and time budget is tested without waiting for it.
#pragma once

#include <cstdint>

namespace zelmar::links {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void Sleep(std::uint32_t ms) = 0;
    // Milliseconds since some start; wraps around like GetTickCount.
    virtual std::uint32_t TickCount() = 0;
};

// The platform's clock.
Clock& SystemClock();

}  // namespace zelmar::links
