#include "trace.h"

#include <cstdio>
#include <mutex>

#include "trace_platform.h"

namespace zelmar {

namespace trace_detail {
std::atomic<int> g_state{-1};
}  // namespace trace_detail

namespace {

constexpr std::size_t kShownBytes = 16;

// The file and every line's writes: one line at a time in this process; the
// appending file keeps the lines of other processes whole.
std::mutex g_lines;
trace_platform::File g_file = trace_platform::kNoFile;

// A name from outside may hold a line feed: control characters are shown by
// their code, so that a line stays one line.
std::string Escaped(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            shown += c;
            continue;
        }
        char code[5];
        std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
        shown += code;
    }
    return shown;
}

}  // namespace

void StartTrace(const TraceSettings& settings) {
    bool fileMissing = false;
    {
        const std::lock_guard<std::mutex> lock(g_lines);
        if (g_file != trace_platform::kNoFile) trace_platform::Close(g_file);
        g_file = trace_platform::kNoFile;
        if (settings.on && !settings.file.empty()) {
            g_file = trace_platform::OpenAppending(settings.file);
            fileMissing = g_file == trace_platform::kNoFile;
        }
        trace_detail::g_state.store(settings.on ? 1 : 0);
    }
    if (fileMissing) Trace("trace", "cannot open the trace file", TraceQuoted{settings.file});
}

namespace trace_detail {

bool Decide() noexcept {
    const trace_platform::KeptError kept;
    static std::once_flag decided;
    try {
        std::call_once(decided, [] {
            if (g_state.load() < 0) StartTrace(TraceSettingsFromSystem());
        });
    } catch (...) {
        g_state.store(0);  // settings that cannot be read switch nothing on
    }
    return g_state.load() == 1;
}

void Send(std::string_view area, const std::string& text) {
    const trace_platform::KeptError kept;
    const std::string line =
        trace_platform::Stamp() + ' ' + std::string(area) + ' ' + Escaped(text) + '\n';
    const std::lock_guard<std::mutex> lock(g_lines);
    trace_platform::DebugOutput(line);
    if (g_file != trace_platform::kNoFile) trace_platform::Append(g_file, line);
}

void Append(std::string& text, std::string_view part) {
    if (part.empty()) return;
    if (!text.empty()) text += ' ';
    text += part;
}

void Append(std::string& text, const TraceOutcome& outcome) {
    if (outcome.done) return Append(text, "done");
    Append(text, "failed");
    if (outcome.systemError != 0) text += " (error " + std::to_string(outcome.systemError) + ")";
}

void Append(std::string& text, const TraceBytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t shown = bytes.size < kShownBytes ? bytes.size : kShownBytes;
    std::string hex;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) hex += ' ';
        hex += kDigits[bytes.data[i] >> 4];
        hex += kDigits[bytes.data[i] & 0x0F];
    }
    if (shown < bytes.size) hex += " ...";
    Append(text, hex);
}

void Append(std::string& text, const TraceQuoted& name) {
    Append(text, '"' + std::string(name.text) + '"');
}

}  // namespace trace_detail

}  // namespace zelmar
