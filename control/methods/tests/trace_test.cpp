// The trace a field engineer switches on: a whole UploadTCPIP against a
// printer on the loopback address, read back from the trace file step by
// step; nothing written while it is off; whole lines from threads and
// processes appending at once.
#include "engine/trace.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <thread>

#include "bmp_builder.h"
#include "loopback_printer.h"
#include "methods/device_context.h"
#include "methods/device_methods.h"
#include "recorded_messages.h"
#include "work_dir.h"

namespace zelmar {
namespace {

// Each line of a trace file without its stamp (date, time, process/thread).
std::vector<std::string> Steps(const std::string& file) {
    std::vector<std::string> steps;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::size_t at = 0;
        for (int field = 0; field < 3 && at != std::string::npos; ++field)
            at = line.find(' ', at + (field > 0));
        steps.push_back(at == std::string::npos ? "" : line.substr(at + 1));
    }
    return steps;
}

// The steps of `steps` that begin with one of `prefixes`, in their order.
std::vector<std::string> Only(const std::vector<std::string>& steps,
                              std::initializer_list<std::string> prefixes) {
    std::vector<std::string> kept;
    for (const std::string& step : steps) {
        for (const std::string& prefix : prefixes) {
            if (step.rfind(prefix, 0) == 0) {
                kept.push_back(step);
                break;
            }
        }
    }
    return kept;
}

class TraceTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        // 8 x 8 dots: 8 bytes of NV data, each in its own write.
        logo_ = Path("logo.bmp");
        test::WriteBytes(logo_, test::MakeDotsBmp(8, 8, [](int x, int y) { return x == y; }));
    }
    void TearDown() override {
        StartTrace({});
        WorkDirTest::TearDown();
    }
    // UploadTCPIP of the logo to a printer that answers the status query with
    // 0x0D and takes the job; its status.
    int32_t Upload() {
        links::test::LoopbackPrinter printer;
        port_ = std::to_string(printer.Port());
        std::future<Bytes> received = std::async(std::launch::async, [&printer] {
            if (!printer.Accept()) return Bytes{};
            Bytes job = printer.Receive(3);
            printer.Send({0x0D});
            const Bytes rest = printer.Receive(1 << 20);  // until the job's end
            printer.HangUp();
            job.insert(job.end(), rest.begin(), rest.end());
            return job;
        });
        const int32_t status = UploadTCPIP(HostDeviceContext(messages_), 0, {"127.0.0.1", port_},
                                           logo_ + "|", {}, nullptr);
        EXPECT_EQ(received.get().size(), 3u + 8 + 8);
        return status;
    }

    std::string logo_, port_;
    test::RecordedMessages messages_;
};

TEST_F(TraceTest, AWholeUploadOverTcpShowsEachStepInOrder) {
    const std::string file = Path("trace.txt");
    StartTrace({true, file});
    ASSERT_EQ(Upload(), 0);
    StartTrace({});

    const std::vector<std::string> steps = Steps(file);
    const std::string link = "link tcp 127.0.0.1:" + port_;
    const std::vector<std::string> expected = {
        link + " open -> done",
        link + " settings -> done",
        link + " write 3 bytes 1d 49 01 -> done",
        link + " read up to 50 bytes within 3000 ms -> done 1 bytes 0d",
        "link wait 100 ms",
        // The image's header: the printer's own command, its size bytes.
        link + " write 8 bytes 1d 5b 5d 54 01 00 01 00 -> done",
    };
    const std::vector<std::string> links = Only(steps, {"link", "method"});
    ASSERT_GE(links.size(), expected.size() + 8 + 3) << ::testing::PrintToString(steps);
    EXPECT_EQ(std::vector<std::string>(links.begin(), links.begin() + expected.size()), expected);
    // The NV data a byte per write, then the job's end, the close and the status.
    for (std::size_t i = expected.size(); i < expected.size() + 8; ++i)
        EXPECT_EQ(links[i].rfind(link + " write 1 bytes ", 0), 0u) << links[i];
    EXPECT_EQ(std::vector<std::string>(links.end() - 3, links.end()),
              (std::vector<std::string>{link + " end of job -> done", link + " close",
                                        "method UploadTCPIP -> 0"}));
    // The working files the preparation wrote, each as it went into place.
    const std::vector<std::string> files = Only(steps, {"file wrote"});
    EXPECT_NE(std::find(files.begin(), files.end(),
                        "file wrote \"" + Path("Temp.bmp") + "\" 94 bytes -> done"),
              files.end())
        << ::testing::PrintToString(files);
}

TEST_F(TraceTest, OffByDefaultAndWhileOffNothingIsWritten) {
    unsetenv("ZELMAR_TRACE");
    setenv("ZELMAR_TRACE_FILE", Path("trace.txt").c_str(), 1);
    EXPECT_FALSE(TraceSettingsFromSystem().on);
    StartTrace(TraceSettingsFromSystem());
    EXPECT_FALSE(TraceOn());
    ASSERT_EQ(Upload(), 0);
    EXPECT_FALSE(test::FileExists(Path("trace.txt")));

    setenv("ZELMAR_TRACE", "1", 1);
    const TraceSettings settings = TraceSettingsFromSystem();
    EXPECT_TRUE(settings.on);
    EXPECT_EQ(settings.file, Path("trace.txt"));
    unsetenv("ZELMAR_TRACE");
    unsetenv("ZELMAR_TRACE_FILE");
}

// Threads of this process and another process append to one file at once:
// every line arrives whole, and a line feed in a name keeps its line one line.
TEST_F(TraceTest, LinesFromThreadsAndProcessesArriveWhole) {
    const std::string file = Path("trace.txt");
    const std::string filler(300, 'x');
    constexpr int kLines = 300;
    const auto say = [&](const std::string& who) {
        for (int i = 0; i < kLines; ++i)
            Trace("test", who, i, filler, TraceQuoted{"a\nb"});
    };
    StartTrace({true, file});
    const pid_t child = fork();
    if (child == 0) {
        StartTrace({true, file});  // a file of its own, as another program opens it
        say("child");
        _exit(0);
    }
    std::thread first(say, "first"), second(say, "second");
    first.join();
    second.join();
    int exit = 0;
    waitpid(child, &exit, 0);
    StartTrace({});

    const std::vector<std::string> steps = Steps(file);
    EXPECT_EQ(steps.size(), 3u * kLines);
    for (const std::string who : {"child", "first", "second"}) {
        int next = 0;
        for (const std::string& step : steps) {
            if (step.rfind("test " + who + " ", 0) != 0) continue;
            EXPECT_EQ(step,
                      "test " + who + " " + std::to_string(next++) + " " + filler + " \"a\\x0ab\"");
        }
        EXPECT_EQ(next, kLines) << who;
    }
}

}  // namespace
}  // namespace zelmar
