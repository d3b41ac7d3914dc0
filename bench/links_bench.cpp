// Uploads of a 576 x 120 model-0 logo to the stand-in printer: over TCP on
// loopback, beside a bare loop of as many one-byte sends on a socket opened
// the same way; and over the stand-in's pseudo-terminal at a set rate,
// beside the time the wire itself would need at 10 bits a byte.
//
// The stand-in's places come from the environment: ZELMAR_BENCH_TCP
// (ADDRESS:PORT) and ZELMAR_BENCH_PTY (the line's path). The waits the
// protocol asks for (the pause before the images) are measured and reported
// apart: the figures are the time the job spends on its bytes.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench_files.h"
#include "engine/upload_forms.h"
#include "methods/device_methods.h"

namespace {

using Seconds = std::chrono::duration<double>;
using SteadyClock = std::chrono::steady_clock;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The stand-in's TCP address and port, from ZELMAR_BENCH_TCP; false when it is not set.
bool StandinTcp(benchmark::State& state, std::string& address, std::string& port) {
    const std::string tcp = Environment("ZELMAR_BENCH_TCP");
    if (tcp.empty()) {
        state.SkipWithError("ZELMAR_BENCH_TCP is not set");
        return false;
    }
    address = tcp.substr(0, tcp.rfind(':'));
    port = tcp.substr(tcp.rfind(':') + 1);
    return true;
}

// The platform's clock, counting the time spent in the waits it is asked for.
class CountingClock final : public zelmar::links::Clock {
  public:
    void Sleep(std::uint32_t ms) override {
        const auto start = SteadyClock::now();
        zelmar::links::SystemClock().Sleep(ms);
        slept += SteadyClock::now() - start;
    }
    std::uint32_t TickCount() override { return zelmar::links::SystemClock().TickCount(); }

    Seconds slept{0};
};

class NoMessages final : public zelmar::MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

const std::string& Logo() {
    static const std::string path = bench::NoiseBmp("links-logo.bmp", 576, 120);
    return path;
}

// The bytes an upload sends: the status query, the NV image header and data.
std::size_t UploadBytes() {
    zelmar::BufferSink form;
    if (zelmar::WriteModelZeroForm({Logo()}, {}, form, nullptr) != zelmar::FormStatus::kDone)
        std::abort();
    return zelmar::commands::StatusQuery().size() + form.bytes.size();
}

// One upload per iteration; the time it spends outside the protocol's waits.
// `settle` passes untimed after each, for a peer to finish the job.
template <typename Run>
void TimeUploads(benchmark::State& state, Run run, Seconds settle = Seconds{0}) {
    const std::string list = Logo() + "|";
    NoMessages messages;
    CountingClock clock;
    zelmar::DeviceContext context = zelmar::HostDeviceContext(messages);
    zelmar::DeviceContext counted{clock, context.system, messages, context.spooler, context.ports};
    Seconds waits{0};
    for (auto _ : state) {
        clock.slept = Seconds{0};
        const auto start = SteadyClock::now();
        if (run(counted, list) != 0) {
            state.SkipWithError("the upload failed");
            return;
        }
        const Seconds total = SteadyClock::now() - start;
        state.SetIterationTime((total - clock.slept).count());
        waits += clock.slept;
        std::this_thread::sleep_for(settle);
    }
    state.counters["bytes"] = static_cast<double>(UploadBytes());
    state.counters["protocol_wait_ms"] =
        1000 * waits.count() / static_cast<double>(state.iterations());
}

void TcpUpload(benchmark::State& state) {
    zelmar::TcpTarget target;
    if (!StandinTcp(state, target.ipAddress, target.portNumber)) return;
    TimeUploads(state, [&target](const zelmar::DeviceContext& context, const std::string& list) {
        return zelmar::UploadTCPIP(context, 0, target, list, {}, nullptr);
    });
}
BENCHMARK(TcpUpload)->UseManualTime()->Apply(bench::Fastest)->Unit(benchmark::kMillisecond);

// As many one-byte sends as the upload makes, on a socket opened as the TCP
// link opens its own (non-blocking, no options), waiting by poll only when
// the socket is full.
void BareSends(benchmark::State& state) {
    std::string host, port;
    if (!StandinTcp(state, host, port)) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    const std::size_t count = UploadBytes();
    const unsigned char byte = 0;  // NUL bytes, which the stand-in skips
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            pollfd wait{fd, POLLOUT, 0};
            poll(&wait, 1, 5000);
        }
        for (std::size_t sent = 0; sent < count;) {
            if (send(fd, &byte, 1, MSG_NOSIGNAL) == 1) {
                ++sent;
            } else {
                pollfd wait{fd, POLLOUT, 0};
                poll(&wait, 1, 5000);
            }
        }
        close(fd);
        state.SetIterationTime(Seconds(SteadyClock::now() - start).count());
    }
    state.counters["bytes"] = static_cast<double>(count);
}
BENCHMARK(BareSends)->UseManualTime()->Apply(bench::Fastest)->Unit(benchmark::kMillisecond);

// The serial link on the stand-in's line, at the rate of the argument's code
// (6: 9600, 10: 115200). The wire's own time is reported beside it.
void PtyUpload(benchmark::State& state) {
    const std::string pty = Environment("ZELMAR_BENCH_PTY");
    if (pty.empty()) return state.SkipWithError("ZELMAR_BENCH_PTY is not set");
    setenv("ZELMAR_COM9", pty.c_str(), 1);
    const auto code = static_cast<std::int32_t>(state.range(0));
    const zelmar::PortTarget target{"COM9", {code, 0}};
    // The stand-in ends a job on the line once the line is closed and what it
    // carried is read: the next upload waits for that.
    TimeUploads(
        state,
        [&target](const zelmar::DeviceContext& context, const std::string& list) {
            return zelmar::Upload(context, 0, target, list, {}, nullptr);
        },
        Seconds{0.3});
    const double baud = *zelmar::links::BaudRate(code);
    state.counters["wire_ms"] = 1000 * state.counters["bytes"] * 10 / baud;
}
BENCHMARK(PtyUpload)
    ->ArgName("baud_code")
    ->Arg(6)
    ->Arg(10)
    ->UseManualTime()
    ->Apply(bench::Fastest)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
