// The trace: one line per step of the control, its links and the print
// processor, for a field engineer to see which step of which call went wrong.
// Off unless switched on (ZELMAR_TRACE=1, or the product's registry value on
// Windows); then each line goes to the debug output (stderr outside Windows)
// and, when a trace file is named, is appended to it whole, from any thread
// and any process. Off, a step costs one load of a cached flag: nothing is
// formatted.
//
// A line: "<date> <time> <process>/<thread> <area> <parts joined by spaces>".
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace zelmar {

struct TraceSettings {
    bool on = false;
    std::string file;  // appended to when not empty (UTF-8)
};

// What the system asks for: ZELMAR_TRACE=1 and ZELMAR_TRACE_FILE; on Windows
// also the values Trace (1) and TraceFile under HKLM\Software\Orvenna, for the
// control inside a host and the print processor inside the spooler.
TraceSettings TraceSettingsFromSystem();

// Replaces the settings in force (the system's, read at the first step). For a
// program's start, before its steps begin on other threads.
void StartTrace(const TraceSettings& settings);

// The outcome of a step: "done", or "failed" with the system's error where
// there is one.
struct TraceOutcome {
    bool done;
    std::uint32_t systemError = 0;
};

// The outcome of the system call just made: done, or failed with the thread's
// last error (errno, GetLastError), read before anything else can change it.
TraceOutcome CallOutcome(bool done);

// Bytes shown in hexadecimal ("1d 49 01"); at most the first 16 of them.
struct TraceBytes {
    const std::uint8_t* data;
    std::size_t size;
};

// A name shown between quotes, so that an empty or blank one shows.
struct TraceQuoted {
    std::string_view text;
};

namespace trace_detail {
extern std::atomic<int> g_state;  // -1 not yet decided, 0 off, 1 on
bool Decide() noexcept;
void Send(std::string_view area, const std::string& text);

// Each part after a space; an empty text adds nothing.
void Append(std::string& text, std::string_view part);
void Append(std::string& text, const TraceOutcome& outcome);
void Append(std::string& text, const TraceBytes& bytes);
void Append(std::string& text, const TraceQuoted& name);
template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
void Append(std::string& text, Number number) {
    Append(text, std::to_string(number));
}
}  // namespace trace_detail

inline bool TraceOn() noexcept {
    const int state = trace_detail::g_state.load(std::memory_order_relaxed);
    return state < 0 ? trace_detail::Decide() : state == 1;
}

// One line of `area` ("link", "spooler", "file", "dispatch", "tivrap"): texts,
// integers, outcomes, bytes and quoted names, joined by spaces. The trace
// changes nothing of what it watches: a line that cannot be made (memory is
// short) is left out, and no exception leaves.
template <typename... Parts>
void Trace(std::string_view area, const Parts&... parts) noexcept {
    if (!TraceOn()) return;
    try {
        std::string text;
        (trace_detail::Append(text, parts), ...);
        trace_detail::Send(area, text);
    } catch (...) {
    }
}

}  // namespace zelmar
