#include <windows.h>

#include "clock.h"
#include "engine/trace.h"

namespace zelmar::links {

namespace {

class TickClock final : public Clock {
  public:
    void Sleep(std::uint32_t ms) override {
        Trace("link", "wait", ms, "ms");
        ::Sleep(ms);
    }
    std::uint32_t TickCount() override { return GetTickCount(); }
};

}  // namespace

Clock& SystemClock() {
    static TickClock clock;
    return clock;
}

}  // namespace zelmar::links
