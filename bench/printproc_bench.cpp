// Tivrap's RAW job path over real files: the spooled job read from a file,
// scratch files A and B beside it, the printer a file. A receipt job of 5 or
// 50 MB goes through the rework passes, a logo job of 1 MB passes through;
// `cat` of the same file into a file is the reference. The peak memory of
// the process is reported with each (run one size per process to tell them
// apart).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "bench_files.h"
#include "memory_parts.h"
#include "raw_job.h"
#include "sample_receipt.h"

extern char** environ;

namespace {

using tivrap::Bytes;
constexpr std::size_t kMegabyte = 1 << 20;

// A file opened for reading and writing at offsets.
class FileScratch final : public tivrap::ScratchFile {
  public:
    explicit FileScratch(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)), path_(path) {
        if (fd_ < 0) std::abort();
    }
    ~FileScratch() override {
        close(fd_);
        unlink(path_.c_str());
    }
    bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = pread(fd_, data, size, static_cast<off_t>(offset));
            if (n <= 0) return false;
            data += n, size -= static_cast<std::size_t>(n), offset += static_cast<std::uint64_t>(n);
        }
        return true;
    }
    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = pwrite(fd_, data, size, static_cast<off_t>(offset));
            if (n <= 0) return false;
            data += n, size -= static_cast<std::size_t>(n), offset += static_cast<std::uint64_t>(n);
        }
        return true;
    }

  private:
    int fd_;
    std::string path_;
};

class FileScratchStorage final : public tivrap::ScratchStorage {
  public:
    tivrap::ScratchCreation Create() override { return {}; }
    tivrap::ScratchFile& FileA() override { return a_; }
    tivrap::ScratchFile& FileB() override { return b_; }
    void Remove() override {}

  private:
    FileScratch a_{bench::WorkDir() + "/job.spl"};
    FileScratch b_{bench::WorkDir() + "/job.spm"};
};

// The spooled job from a file; the printer a file.
class FileSpoolerJob final : public tivrap::SpoolerJob {
  public:
    FileSpoolerJob(const std::string& job, const std::string& printer)
        : in_(open(job.c_str(), O_RDONLY | O_CLOEXEC)),
          out_(open(printer.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {
        if (in_ < 0 || out_ < 0) std::abort();
    }
    ~FileSpoolerJob() override { close(in_), close(out_); }
    bool StartDocument() override { return true; }
    void EndDocument() override {}
    bool OpenData() override { return true; }
    void CloseData() override {}
    bool ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) override {
        const ssize_t n = read(in_, buffer, capacity);
        got = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n >= 0;
    }
    bool WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) override {
        const ssize_t n = write(out_, data, size);
        written = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n > 0;
    }

  private:
    int in_, out_;
};

// What the driver sends for a receipt: the sample receipt's text, barcodes
// and small logo, then a 576-dot picture as raster rows of 72 bytes.
Bytes ReceiptBody() {
    using namespace tivrap::test;
    Bytes body = SampleReceipt();
    for (int row = 0; row < 200; ++row)
        body = body + Row(72, static_cast<std::uint8_t>(row * 37));
    return body;
}

// A job file of at least `size` bytes: `head`, then `piece` again and again;
// written once.
std::string JobFile(const std::string& name, std::size_t size, const Bytes& head,
                    const Bytes& piece) {
    static std::set<std::string> made;
    const std::string path = bench::WorkDir() + "/" + name;
    if (!made.insert(path).second) return path;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const auto put = [fd](const Bytes& bytes) {
        if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        return bytes.size();
    };
    for (std::size_t written = put(head); written < size;)
        written += put(piece);
    close(fd);
    return path;
}

std::string ReceiptJob(std::size_t megabytes) {
    return JobFile("receipt-" + std::to_string(megabytes) + ".prn", megabytes * kMegabyte, {},
                   ReceiptBody());
}

// The control's logo job: ESC @, FS q 1, then NV data (no start-of-document marker).
std::string LogoJob(std::size_t megabytes) {
    Bytes piece = {0x1B, 0x40, 0x1C, 0x71, 0x01};
    for (std::size_t i = piece.size(); i < 64 * 1024; ++i)
        piece.push_back(static_cast<std::uint8_t>(i * 131));
    return JobFile("logo-" + std::to_string(megabytes) + ".prn", megabytes * kMegabyte, {}, piece);
}

// Two receipts that once made far more of themselves than they held, of the
// argument's size in KB: a raster row 65,535 bytes wide followed by rows of
// width 0, and barcode heads whose data never ends.
std::string WideRowJob(std::size_t kilobytes) {
    using namespace tivrap::test;
    return JobFile("wide-" + std::to_string(kilobytes) + ".prn", kilobytes * 1024,
                   StartOfDocument() + Row(0xFFFF, 0x55), RowHeader(0));
}

std::string EndlessBarcodesJob(std::size_t kilobytes) {
    using namespace tivrap::test;
    return JobFile("barcodes-" + std::to_string(kilobytes) + ".prn", kilobytes * 1024,
                   StartOfDocument(), Head(0x04));
}

off_t FileSize(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const off_t size = lseek(fd, 0, SEEK_END);
    close(fd);
    return size;
}

void Report(benchmark::State& state, const std::string& job) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * FileSize(job));
    state.counters["peak_rss_kb"] = bench::PeakRssKb();
}

void RunJob(benchmark::State& state, const std::string& job) {
    const std::string printer = bench::WorkDir() + "/printer.out";
    tivrap::memory::MemoryTranslation translation(
        {{u"20", "20"}, {u"2e", "2e"}, {u"31", "31"}, {u"41", "41"}, {u"4f", "4f"}});
    for (auto _ : state) {
        FileSpoolerJob spooler(job, printer);
        FileScratchStorage scratch;
        tivrap::SectionTranslator translator = translation.Translator();
        tivrap::memory::MemoryPauseEvent event;
        tivrap::JobControl control(event);
        tivrap::memory::MemoryDebugOutput debug;
        if (!tivrap::RunRawJob({}, {spooler, scratch, translator, control, debug}))
            return state.SkipWithError("the job failed");
    }
    Report(state, job);
    // What the printer got for each byte of the job.
    state.counters["printed_per_byte"] =
        static_cast<double>(FileSize(printer)) / static_cast<double>(FileSize(job));
}

// `cat JOB > OUT`, the process started and waited for each time.
void Cat(benchmark::State& state, const std::string& job) {
    const std::string out = bench::WorkDir() + "/cat.out";
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        char* argv[] = {const_cast<char*>("cat"), const_cast<char*>(job.c_str()), nullptr};
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0)
            return state.SkipWithError("cat failed");
        posix_spawn_file_actions_destroy(&actions);
    }
    Report(state, job);
}

// A job of the argument's size, through `run`.
template <std::string (*kJob)(std::size_t), void (*kRun)(benchmark::State&, const std::string&)>
void Measure(benchmark::State& state) {
    kRun(state, kJob(static_cast<std::size_t>(state.range(0))));
}

void InWallTime(benchmark::internal::Benchmark* b) {
    b->ArgName("MB")->UseRealTime()->Apply(bench::Fastest)->Unit(benchmark::kMillisecond);
}
void HostileInWallTime(benchmark::internal::Benchmark* b) {
    InWallTime(b);
    b->ArgName("KB");
}

BENCHMARK_TEMPLATE(Measure, ReceiptJob, RunJob)
    ->Name("Receipt")
    ->Arg(5)
    ->Arg(50)
    ->Apply(InWallTime);
BENCHMARK_TEMPLATE(Measure, LogoJob, RunJob)->Name("Logo")->Arg(1)->Apply(InWallTime);
BENCHMARK_TEMPLATE(Measure, WideRowJob, RunJob)
    ->Name("WideRow")
    ->Arg(76)
    ->Arg(241)
    ->Apply(HostileInWallTime);
BENCHMARK_TEMPLATE(Measure, EndlessBarcodesJob, RunJob)
    ->Name("EndlessBarcodes")
    ->Arg(64)
    ->Arg(1024)
    ->Apply(HostileInWallTime);
BENCHMARK_TEMPLATE(Measure, ReceiptJob, Cat)
    ->Name("CatReceipt")
    ->Arg(5)
    ->Arg(50)
    ->Apply(InWallTime);
BENCHMARK_TEMPLATE(Measure, LogoJob, Cat)->Name("CatLogo")->Arg(1)->Apply(InWallTime);

}  // namespace

BENCHMARK_MAIN();
