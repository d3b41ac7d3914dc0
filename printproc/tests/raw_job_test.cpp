// The RAW job path over parts kept in memory: what reaches the printer, the
// debug texts, and how failures, pause and cancel end a job.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "marker.h"
#include "memory_parts.h"
#include "passes.h"
#include "raw_job.h"
#include "receipt_bytes.h"

namespace tivrap {
namespace {

using namespace test;
using Texts = std::vector<std::u16string>;

// One job with its own parts.
struct JobRig {
    explicit JobRig(Bytes data) : spooler(std::move(data)) {}
    bool Run(std::size_t blockSize = kBlockSize) {
        return RunRawJob({u"Receipt", u"COM1:", u"RAW"},
                         {spooler, scratch, translator, control, debug}, blockSize);
    }
    bool DebugSaid(const std::u16string& text) const {
        return std::find(debug.texts.begin(), debug.texts.end(), text + u"\n") != debug.texts.end();
    }

    memory::MemorySpoolerJob spooler;
    memory::MemoryScratchStorage scratch;
    memory::MemoryTranslation translation{{{u"41", "1b4d00"}}};
    SectionTranslator translator = translation.Translator();
    memory::MemoryPauseEvent event;
    JobControl control{event};
    memory::MemoryDebugOutput debug;
};

const Texts kNames = {u"pData->pDocument == Receipt\n", u"pData->pOutputFile == COM1:\n",
                      u"pData->pDatatype == RAW\n"};

Texts Said(std::initializer_list<const char16_t*> texts) {
    Texts all = kNames;
    for (const char16_t* t : texts)
        all.push_back(std::u16string(t) + u"\n");
    return all;
}

// ESC @, FS q with one image of 1 x 1 bytes, and bytes a receipt would have
// reworked: a raster row and a position-and-feed.
Bytes LogoJob() {
    return Bytes{0x1B, 0x40, 0x1C, 0x71, 0x01, 0x01, 0x00, 0x01, 0x00, 0xFF} + Row(4, 0x11, 5) +
           PositionAndFeed(0x20) + Bytes{0x01};
}

TEST(RawJobTest, AJobWithoutTheMarkerReachesThePrinterByteForByte) {
    JobRig job(LogoJob());
    job.control.Pause();  // pass-through jobs do not look at pause and cancel
    job.event.beforeWait = [&] { job.control.Resume(); };
    EXPECT_TRUE(job.Run());
    EXPECT_EQ(job.spooler.printed, LogoJob());
    EXPECT_EQ(job.debug.texts, Said({u"Error Find_PC_StartDoc()", u"End PrintRawJob()"}));
    EXPECT_EQ(job.spooler.calls, (std::vector<std::string>{"start", "open", "close", "end"}));
    EXPECT_EQ(job.event.Waits(), 0u);
    EXPECT_TRUE(job.scratch.removed);
}

TEST(RawJobTest, OnlyTheNamesTheRecordHoldsAreSaid) {
    JobRig job(LogoJob());
    EXPECT_TRUE(RunRawJob({u"Receipt", nullptr, nullptr},
                          {job.spooler, job.scratch, job.translator, job.control, job.debug}));
    EXPECT_EQ(job.debug.texts, (Texts{u"pData->pDocument == Receipt\n",
                                      u"Error Find_PC_StartDoc()\n", u"End PrintRawJob()\n"}));
}

// A receipt as the driver writes it, and what the printer gets of it.
Bytes Receipt() {
    return StartOfDocument() + Row(48, 0x11) + Row(48, 0x22) + Row(40, 0x33) + Head(0x49) +
           Bytes{0x00} + Text("123") + PositionAndFeed(0x20) + TextModeMarker() + Text("AB") +
           Bytes{0x00} + Repeat(8, 0x0A) +
           Bytes{0x1B, 0x42, 0x02, 0x03, 0x1D, 0x56, 0x41, 0x10, 0x01};  // trimmed
}
Bytes PrintedReceipt() {
    return StartOfDocument() + RowHeader(48, 3) + Repeat(48, 0x11) + Repeat(48, 0x22) +
           Repeat(40, 0x33) + Repeat(8, 0x00) + HeadStart() + Bytes{0x1D, 0x6B, 0x49, 0x03} +
           Text("123") + ShortFeed() + Bytes{0x1B, 0x21, 0x00, 0x00, 0x1B, 0x24, 0x00, 0x00} +
           Bytes{0x1B, 0x4D, 0x00} + Repeat(8, 0x0A);
}

TEST(RawJobTest, AReceiptIsReworked) {
    JobRig job(Receipt());
    EXPECT_TRUE(job.Run());
    EXPECT_EQ(job.spooler.printed, PrintedReceipt());
    EXPECT_EQ(job.debug.texts, Said({u"End PrintRawJob()"}));
    EXPECT_TRUE(job.scratch.removed);
}

TEST(RawJobTest, TheTailTrimFollowsTheLastByte) {
    const Bytes body = StartOfDocument() + Repeat(20, 0x0A);
    struct Case {
        Bytes tail;
        Bytes printed;
    };
    const Case cases[] = {
        {Repeat(8, 0x0B) + Bytes{0x01}, {}},
        {Repeat(6, 0x0B) + Bytes{0x40}, {}},
        {Repeat(8, 0x0B) + Bytes{0x02}, Repeat(8, 0x0B) + Bytes{0x02}},
    };
    for (const Case& c : cases) {
        JobRig job(body + c.tail);
        EXPECT_TRUE(job.Run());
        EXPECT_EQ(job.spooler.printed, body + c.printed);
    }
}

TEST(RawJobTest, TheMarkerCountsInTheFirst245760BytesHoweverTheyAreRead) {
    // A row count the final pass sets to 1 shows that the job was reworked.
    struct Case {
        std::size_t at;
        bool reworked;
    };
    const Case cases[] = {
        {1000, true},
        {100000, true},
        {kMarkerWindow - 26, true},
        {kMarkerWindow - 25, false},
        {kMarkerWindow + 1000, false},
    };
    for (const Case& c : cases) {
        const Bytes data = Repeat(c.at, 0x0A) + StartOfDocument() + Row(4, 0x11, 5) + Tail();
        JobRig job(data);
        job.spooler.readLimit = 4096;  // the first read holds no marker
        EXPECT_TRUE(job.Run());
        EXPECT_EQ(job.DebugSaid(u"Error Find_PC_StartDoc()"), !c.reworked) << c.at;
        EXPECT_EQ(job.spooler.printed == data, !c.reworked) << c.at;
    }
}

TEST(RawJobTest, FailuresEndTheJobWithTheirText) {
    struct Case {
        const char* name;
        std::function<void(JobRig&)> setUp;
        Texts texts;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> opened = {"start", "open", "close", "end"};
    const std::vector<std::string> notOpened = {"start", "end"};
    auto creation = [](ScratchFailure failure, bool existed) {
        return [=](JobRig& job) { job.scratch.creation = {failure, existed}; };
    };
    const Case cases[] = {
        {"document",
         [](JobRig& job) { job.spooler.startFails = true; },
         Said({u"Error PrintRawJob()"}),
         {"start"}},
        {"system directory", creation(ScratchFailure::kSystemDirectory, true),
         Said({u"Error GetSystemDirectory()"}), notOpened},
        {"directory", creation(ScratchFailure::kDirectory, false), Said({u"Error GetLastError()3"}),
         notOpened},
        {"A in an existing directory", creation(ScratchFailure::kFileA, true),
         Said({u"Error CreateFile()1"}), notOpened},
        {"B in an existing directory", creation(ScratchFailure::kFileB, true),
         Said({u"Error CreateFile()2"}), notOpened},
        {"A in a new directory", creation(ScratchFailure::kFileA, false),
         Said({u"Error CreateFile()4"}), notOpened},
        {"B in a new directory", creation(ScratchFailure::kFileB, false),
         Said({u"Error CreateFile()5"}), notOpened},
        {"job data",
         [](JobRig& job) { job.spooler.openFails = true; },
         Said({u"Error OpenPrinter()"}),
         {"start", "open", "end"}},
        {"second read of the job", [](JobRig& job) { job.spooler.failRead.failing = 2; },
         Said({u"Error ReadPrinter()"}), opened},
        {"write of A", [](JobRig& job) { job.scratch.a.failWrite.failing = 2; },
         Said({u"Error WriteFile()"}), opened},
        {"read of A", [](JobRig& job) { job.scratch.a.failRead.failing = 1; },
         Said({u"Error ReadFile()"}), opened},
        {"write of B", [](JobRig& job) { job.scratch.b.failWrite.failing = 1; },
         Said({u"Error WriteFile()"}), opened},
        {"last byte of B", [](JobRig& job) { job.scratch.b.failRead.failing = 2; },
         Said({u"Error ReadFile()"}), opened},
        {"printer", [](JobRig& job) { job.spooler.failWrite.failing = 1; },
         Said({u"Error WritePrinter()"}), opened},
    };
    for (const Case& c : cases) {
        JobRig job(Receipt() + Repeat(3000, 0x0A));
        c.setUp(job);
        EXPECT_FALSE(job.Run(1024)) << c.name;
        EXPECT_EQ(job.debug.texts, c.texts) << c.name;
        EXPECT_EQ(job.spooler.calls, c.calls) << c.name;
        EXPECT_TRUE(job.spooler.printed.empty()) << c.name << ": nothing is sent";
    }
}

// Receipts made to grow out of all proportion: a raster row 65,535 bytes wide
// before rows of width 0 went out 4,000 times its size (1 GB for 241 KB), and
// barcode heads whose data never ends each looked through a whole block again
// (1 MB in half a minute). What the printer and scratch file B get stays
// within the widening's bound, each pass reads its scratch file once, and the
// job takes a moment.
TEST(RawJobTest, HostileReceiptsStayInProportion) {
    const auto repeated = [](Bytes job, const Bytes& piece, std::size_t size) {
        while (job.size() < size)
            job.insert(job.end(), piece.begin(), piece.end());
        return job;
    };
    const std::size_t kKilobyte = 1024;
    struct Case {
        const char* name;
        Bytes job;
    };
    const Case cases[] = {
        {"a row 65,535 bytes wide, then rows of width 0",
         repeated(StartOfDocument() + Row(0xFFFF, 0x55), RowHeader(0), 241 * kKilobyte)},
        {"the widest row the paper holds, then rows of width 0",
         repeated(StartOfDocument() + Row(kWidestRow, 0x55), RowHeader(0), 241 * kKilobyte)},
        {"barcode heads whose data never ends",
         repeated(StartOfDocument(), Head(0x04), 1024 * kKilobyte)},
    };
    // A row of 11 bytes or more grows by at most kWidestRow.
    const std::size_t growth = (11 + kWidestRow + 10) / 11;
    for (const Case& c : cases) {
        JobRig job(c.job);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(job.Run()) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << c.name;
        EXPECT_LE(job.spooler.printed.size(), growth * c.job.size()) << c.name;
        EXPECT_LE(job.scratch.b.bytes.size(), growth * c.job.size()) << c.name;
        EXPECT_EQ(job.scratch.a.bytesRead, c.job.size()) << c.name;
        EXPECT_LE(job.scratch.b.bytesRead, job.scratch.b.bytes.size() + 1) << c.name;
    }
}

TEST(RawJobTest, APrinterThatTakesNothingFailsTheJob) {
    JobRig job(LogoJob());
    job.spooler.writeLimit = 0;
    job.spooler.failWrite.failing = 100;  // bounds a write repeated for ever
    EXPECT_FALSE(job.Run());
    EXPECT_EQ(job.spooler.failWrite.calls, 1u);
    EXPECT_TRUE(job.DebugSaid(u"Error WritePrinter()"));
}

TEST(RawJobTest, AFailedPassThroughCopySendsNothing) {
    JobRig job(Repeat(5000, 0x0A));
    job.spooler.failRead.failing = 3;
    EXPECT_FALSE(job.Run(1024));
    EXPECT_TRUE(job.spooler.printed.empty());
    EXPECT_EQ(job.debug.texts, Said({u"Error ReadPrinter()"}));
}

TEST(RawJobTest, WritesAreRepeatedUntilTheyAreWhole) {
    for (const Bytes& data : {LogoJob(), Receipt()}) {
        JobRig job(data);
        job.spooler.writeLimit = 3;
        EXPECT_TRUE(job.Run());
        EXPECT_EQ(job.spooler.printed, data == LogoJob() ? LogoJob() : PrintedReceipt());
    }
}

TEST(RawJobTest, CancelWhilePausedBeforeTheReworkEndsTheJobNormally) {
    JobRig job(Receipt());
    job.control.Pause();
    bool result = false;
    std::thread printing([&] { result = job.Run(); });
    job.event.AwaitWaits(1);
    job.control.Cancel();
    printing.join();
    EXPECT_TRUE(result);
    EXPECT_TRUE(job.spooler.printed.empty());
    EXPECT_EQ(job.debug.texts, Said({u"End PrintRawJob()"}));
}

TEST(RawJobTest, CancelWhilePausedInTheFinalPassKeepsWhatWasSent) {
    // Paused after the first block reached the printer, cancelled as the job waits.
    const Bytes data = StartOfDocument() + Repeat(200, 0x0A);
    JobRig job(data);
    job.spooler.afterWrite = [&] { job.control.Pause(); };
    job.event.beforeWait = [&] { job.control.Cancel(); };
    EXPECT_TRUE(job.Run(64));
    EXPECT_EQ(job.event.Waits(), 1u);
    EXPECT_EQ(job.spooler.printed, Bytes(data.begin(), data.begin() + 57));
    EXPECT_TRUE(job.DebugSaid(u"End PrintRawJob()"));
}

TEST(RawJobTest, ResumeLetsAPausedReceiptPrintWhole) {
    JobRig job(Receipt());
    job.control.Pause();
    job.event.beforeWait = [&] { job.control.Resume(); };
    EXPECT_TRUE(job.Run());
    EXPECT_EQ(job.event.Waits(), 1u);
    EXPECT_EQ(job.spooler.printed, PrintedReceipt());
}

TEST(RawJobTest, APausedJobDoesNotStallAnother) {
    JobRig paused(Receipt());
    JobRig other(Receipt());
    paused.control.Pause();
    bool pausedResult = false;
    std::thread first([&] { pausedResult = paused.Run(); });
    paused.event.AwaitWaits(1);
    bool otherResult = false;
    std::thread second([&] { otherResult = other.Run(); });
    second.join();  // while the first job waits
    EXPECT_TRUE(otherResult);
    EXPECT_EQ(other.spooler.printed, PrintedReceipt());
    EXPECT_TRUE(paused.spooler.printed.empty());
    paused.control.Resume();
    first.join();
    EXPECT_TRUE(pausedResult);
    EXPECT_EQ(paused.spooler.printed, PrintedReceipt());
}

}  // namespace
}  // namespace tivrap
