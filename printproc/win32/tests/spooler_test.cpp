// Tivrap.dll as the spooler uses it, under Wine, with the module and the
// queues the fixture installed: the entry points called directly; real jobs
// (AddJobW) printed through them on threads of this program while pause,
// resume and cancel come from another; and documents sent through the queues,
// each by a child process, since a crash in the print processor ends the
// process that submitted the job.
#include <windows.h>

#include <winspool.h>

#include <winsplp.h>  // after winspool.h

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bmp_builder.h"
#include "engine/upload_forms.h"
#include "memory_parts.h"
#include "raw_job.h"
#include "reworked.h"
#include "sample_receipt.h"
#include "thermal_ini.h"
#include "win32/handle_owners.h"
#include "win32/printer_owners.h"
#include "wine_paths.h"
#include "work_dir.h"

namespace tivrap {
namespace {

namespace fs = std::filesystem;
using namespace test;
using zelmar::test::MakeDotsBmp;
using zelmar::test::ReadBytes;
using zelmar::test::WriteBytes;
using zelmar::win32::UniqueFile;
using zelmar::win32::UniquePrinter;

// The fixture installed the print processor, beside the sample translation
// file, where the machine's spooler loads it from.
using zelmar::test::ProcessorDirectory;

struct Queue {
    const wchar_t* name;
    const char* portFile;  // in the fixture's queue directory
};
const Queue kQueueA = {L"Tivrap Test A", "a.bin"};
const Queue kQueueB = {L"Tivrap Test B", "b.bin"};

std::wstring Wide(const std::string& text) {
    return fs::path(text).wstring();
}

// The port as the queue names it: a Linux path.
std::string Port(const Queue& queue) {
    const char* queues = std::getenv("TIVRAP_QUEUES");
    return std::string(queues ? queues : "") + "/" + queue.portFile;
}

// The same file as this program opens it: Wine shows the Linux root as Z:.
std::string PortFile(const Queue& queue) {
    return "Z:" + Port(queue);
}

Bytes PortBytes(const Queue& queue) {
    return zelmar::test::FileExists(PortFile(queue)) ? ReadBytes(PortFile(queue)) : Bytes{};
}

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path().wstring();
}

// The five entry points of the installed module.
struct Tivrap {
    Tivrap() : module(LoadLibraryW((ProcessorDirectory() + L"\\Tivrap.dll").c_str())) {
        Resolve(enumDatatypes, "EnumPrintProcessorDatatypesW");
        Resolve(open, "OpenPrintProcessor");
        Resolve(print, "PrintDocumentOnPrintProcessor");
        Resolve(control, "ControlPrintProcessor");
        Resolve(close, "ClosePrintProcessor");
    }
    template <typename Function>
    void Resolve(Function*& function, const char* name) {
        function =
            module
                ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
    }

    HMODULE module;
    decltype(EnumPrintProcessorDatatypesW)* enumDatatypes;
    decltype(OpenPrintProcessor)* open;
    decltype(PrintDocumentOnPrintProcessor)* print;
    decltype(ControlPrintProcessor)* control;
    decltype(ClosePrintProcessor)* close;
};

const Tivrap& Dll() {
    static const Tivrap dll;
    return dll;
}

// What the passes make of a job, with the translation file the installed
// module finds.
Bytes Reworked(const Bytes& job) {
    return test::Reworked(job, ProcessorDirectory());
}

// The debug texts of this process, as a debugger sees them.
class DebugTexts {
  public:
    DebugTexts() : handler_(AddVectoredExceptionHandler(1, See)) { current_ = this; }
    ~DebugTexts() {
        RemoveVectoredExceptionHandler(handler_);
        current_ = nullptr;
    }
    bool Said(const std::string& text) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::find(texts_.begin(), texts_.end(), text + "\n") != texts_.end();
    }

  private:
    static LONG CALLBACK See(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && current_ &&
            record.NumberParameters >= 2) {
            const std::lock_guard<std::mutex> lock(current_->mutex_);
            current_->texts_.emplace_back(
                reinterpret_cast<const char*>(record.ExceptionInformation[1]));
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    static DebugTexts* current_;
    void* handler_;
    std::mutex mutex_;
    std::vector<std::string> texts_;
};
DebugTexts* DebugTexts::current_ = nullptr;

// A job of a queue made as the spooler makes one, its data in the job's spool
// file, and the print processor's record opened for it as the spooler opens
// it: the printer "<port>, Port", the document "<queue>, Job N".
class SpooledJob {
  public:
    SpooledJob(const Queue& queue, const Bytes& data, const wchar_t* datatype = L"RAW")
        : port_(Wide(Port(queue))) {
        EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(queue.name), printer_.put(), nullptr));
        BYTE info[2048];
        DWORD needed = 0;
        EXPECT_TRUE(AddJobW(printer_.get(), 1, info, sizeof info, &needed));
        const auto* job = reinterpret_cast<const ADDJOB_INFO_1W*>(info);
        id_ = job->JobId;
        spoolFile_ = job->Path;
        WriteBytes(fs::path(spoolFile_).string(), data);
        document_ = std::wstring(queue.name) + L", Job " + std::to_wstring(id_);
        std::wstring printerName = port_ + L", Port";
        PRINTPROCESSOROPENDATA open = {nullptr,
                                       const_cast<LPWSTR>(datatype),
                                       nullptr,
                                       const_cast<LPWSTR>(L"Receipt"),
                                       id_,
                                       port_.data(),
                                       const_cast<LPWSTR>(queue.name)};
        record_ = Dll().open(printerName.data(), &open);
        EXPECT_NE(record_, nullptr) << GetLastError();
    }
    ~SpooledJob() {
        if (record_) Dll().close(record_);
        SetJobW(printer_.get(), id_, 0, nullptr, JOB_CONTROL_DELETE);
        DeleteFileW(spoolFile_.c_str());  // never printed, so the spooler keeps it
    }

    // Closes the record; its handle stays for the test to try.
    HANDLE CloseRecord() {
        EXPECT_TRUE(Dll().close(record_));
        return std::exchange(record_, nullptr);
    }
    HANDLE Record() const { return record_; }
    BOOL Print() { return Dll().print(record_, document_.data()); }
    bool Control(DWORD command) { return Dll().control(record_, command) != FALSE; }
    // The job's scratch file A holds the first block of its `size` bytes: the
    // job is at its first check of pause and cancel, or beyond it.
    bool Copied(std::size_t size) const {
        size = std::min(size, kBlockSize);
        const fs::path a =
            fs::path("C:\\windows\\system32\\spool\\printers") /
            ("Kvzo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(id_) + ".spl");
        std::error_code error;
        return fs::file_size(a, error) == size && !error;
    }

  private:
    std::wstring port_;
    UniquePrinter printer_;
    DWORD id_ = 0;
    std::wstring spoolFile_;
    std::wstring document_;
    HANDLE record_ = nullptr;
};

// A job printing on a thread of its own, paused before it began: it waits at
// its first check, once its first block is copied, for End's command from
// this thread.
class PausedPrinting {
  public:
    PausedPrinting(SpooledJob& job, std::size_t size) : job_(job) {
        EXPECT_TRUE(job.Control(JOB_CONTROL_PAUSE));
        thread_ = std::thread([this] { printed_ = job_.Print(); });
        while (!job.Copied(size))
            Sleep(5);
    }
    ~PausedPrinting() {
        if (thread_.joinable()) End(JOB_CONTROL_CANCEL);
    }
    // Sends the command and waits for the job: whether it printed.
    bool End(DWORD command) {
        EXPECT_TRUE(job_.Control(command));
        return Join();
    }
    bool Join() {
        thread_.join();
        return printed_ != FALSE;
    }

  private:
    SpooledJob& job_;
    std::thread thread_;
    BOOL printed_ = FALSE;
};

class SpoolerTest : public zelmar::test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        ASSERT_NE(Dll().module, nullptr) << "no Tivrap.dll in " << fs::path(ProcessorDirectory());
        for (const Queue* queue : {&kQueueA, &kQueueB}) {
            std::error_code ignored;
            fs::remove(PortFile(*queue), ignored);
        }
    }
};

// The level-1 listing as Wine's spooler reads it: 8-byte pointers on x64.
TEST(DatatypeListingTest, TheExportReportsTheSizeItTakesAndListsTheFiveNames) {
    constexpr DWORD kNeeded = (4 + 13 * 3 + 5) * 2 + 5 * sizeof(void*);
    std::vector<BYTE> buffer(kNeeded + 16, 0xCC);
    DWORD needed = 0;
    DWORD returned = 7;
    EXPECT_FALSE(
        Dll().enumDatatypes(nullptr, nullptr, 1, buffer.data(), kNeeded - 1, &needed, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(needed, kNeeded);
    EXPECT_EQ(returned, 0u);

    ASSERT_TRUE(
        Dll().enumDatatypes(nullptr, nullptr, 1, buffer.data(), kNeeded, &needed, &returned));
    ASSERT_EQ(returned, 5u);
    const auto* records = reinterpret_cast<const DATATYPES_INFO_1W*>(buffer.data());
    const wchar_t* names[] = {L"RAW", L"NT EMF 1.006", L"NT EMF 1.007", L"NT EMF 1.008", L"TEXT"};
    for (int i = 0; i < 5; ++i) {
        const auto* at = reinterpret_cast<const BYTE*>(records[i].pName);
        EXPECT_TRUE(at >= buffer.data() && at < buffer.data() + kNeeded) << i;
        EXPECT_STREQ(records[i].pName, names[i]);
    }
    EXPECT_EQ(buffer[kNeeded], 0xCC) << "nothing is written past the buffer's size";

    EXPECT_FALSE(
        Dll().enumDatatypes(nullptr, nullptr, 1, buffer.data(), kNeeded, nullptr, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(EntryPointTest, HandlesNotOpenedHereOrClosedAreRefused) {
    struct {
        DWORD signature = 0x5051;  // signed like a record, but not one
        DWORD rest[31] = {};
    } foreign;
    SpooledJob job(kQueueA, {});
    const HANDLE closed = job.CloseRecord();
    for (HANDLE handle : {HANDLE{nullptr}, HANDLE{&foreign}, closed}) {
        SetLastError(0);
        EXPECT_FALSE(Dll().print(handle, const_cast<LPWSTR>(L"Tivrap Test A, Job 1")));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(Dll().control(handle, JOB_CONTROL_PAUSE));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(Dll().close(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(foreign.signature, 0x5051u) << "memory that is not a record is left alone";
}

TEST(EntryPointTest, OpenRefusesWhatItCannotOpen) {
    wchar_t queue[] = L"Tivrap Test A";
    const auto data = [&](const wchar_t* datatype) {
        return PRINTPROCESSOROPENDATA{
            nullptr, const_cast<LPWSTR>(datatype), nullptr, nullptr, 1, nullptr, queue};
    };
    struct Case {
        const char* name;
        LPWSTR printer;
        PRINTPROCESSOROPENDATA data;
        bool withData;
        DWORD error;
    };
    wchar_t missing[] = L"No Such Printer";
    const Case cases[] = {
        {"no open data", queue, {}, false, ERROR_INVALID_PARAMETER},
        {"no datatype", queue, data(nullptr), true, ERROR_INVALID_PARAMETER},
        {"empty datatype", queue, data(L""), true, ERROR_INVALID_PARAMETER},
        {"unknown datatype", queue, data(L"PSCRIPT1"), true, ERROR_INVALID_DATATYPE},
        {"no printer name", nullptr, data(L"RAW"), true, ERROR_INVALID_PARAMETER},
        {"a printer that is not there", missing, data(L"RAW"), true, ERROR_INVALID_PRINTER_NAME},
    };
    for (const Case& c : cases) {
        PRINTPROCESSOROPENDATA open = c.data;
        SetLastError(0);
        EXPECT_EQ(Dll().open(c.printer, c.withData ? &open : nullptr), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

// Under Wine no device context can be made for a queue whose driver is only
// a name, so "TEXT" jobs do not open; they fail with a reason.
TEST(EntryPointTest, ATextJobThatGetsNoDeviceContextIsNotOpened) {
    PRINTPROCESSOROPENDATA data = {
        nullptr, const_cast<LPWSTR>(L"TEXT"), nullptr, nullptr, 1, nullptr, nullptr};
    SetLastError(0);
    EXPECT_EQ(Dll().open(const_cast<LPWSTR>(L"Tivrap Test A"), &data), nullptr);
    EXPECT_NE(GetLastError(), 0u);
}

TEST_F(SpoolerTest, NonRawJobsAreAcceptedAndPrintNothing) {
    SpooledJob job(kQueueA, SampleReceipt(), L"NT EMF 1.008");
    EXPECT_TRUE(job.Print());
    EXPECT_FALSE(zelmar::test::FileExists(PortFile(kQueueA)));
    // No device context to cancel: the cancel is only the job's flag.
    EXPECT_TRUE(job.Control(JOB_CONTROL_CANCEL));
    SetLastError(0);
    EXPECT_FALSE(job.Control(JOB_CONTROL_RESTART)) << "not a command of print processors";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SpoolerTest, AJobOfDatatypeRawInLowerCasePrintsAsRaw) {
    const Bytes logoJob = {0x1B, 0x40, 0x1C, 0x71, 0x01, 0x01, 0x00, 0x01, 0x00, 0xFF};
    DebugTexts debug;
    SpooledJob job(kQueueA, logoJob, L"raw");
    EXPECT_TRUE(job.Print());
    EXPECT_EQ(PortBytes(kQueueA), logoJob);
    EXPECT_TRUE(debug.Said("pData->pDocument == Receipt"));
    EXPECT_TRUE(debug.Said("pData->pDatatype == raw"));
    EXPECT_TRUE(debug.Said("Error Find_PC_StartDoc()"));
    EXPECT_TRUE(debug.Said("End PrintRawJob()"));
}

TEST_F(SpoolerTest, AJobWhoseDataCannotBeOpenedFailsWithTheReason) {
    DebugTexts debug;
    SpooledJob job(kQueueA, SampleReceipt());
    SetLastError(0);
    EXPECT_FALSE(Dll().print(job.Record(), const_cast<LPWSTR>(L"Tivrap Test A, Job 9999")));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_TRUE(debug.Said("Error OpenPrinter()"));
    SetLastError(0);
    EXPECT_FALSE(Dll().print(job.Record(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SpoolerTest, APausedReceiptWaitsUntilItIsResumed) {
    const Bytes receipt = SampleReceipt();
    SpooledJob job(kQueueA, receipt);
    PausedPrinting printing(job, receipt.size());
    EXPECT_EQ(PortBytes(kQueueA), Bytes{}) << "nothing is sent while the job is paused";
    EXPECT_TRUE(printing.End(JOB_CONTROL_RESUME));
    EXPECT_EQ(PortBytes(kQueueA), Reworked(receipt));
    EXPECT_FALSE(job.Copied(receipt.size())) << "the scratch files are deleted";
}

TEST_F(SpoolerTest, CancellingAPausedReceiptEndsItNormallyWithNothingSent) {
    const Bytes receipt = SampleReceipt();
    SpooledJob job(kQueueA, receipt);
    PausedPrinting printing(job, receipt.size());
    EXPECT_TRUE(printing.End(JOB_CONTROL_CANCEL));
    EXPECT_EQ(PortBytes(kQueueA), Bytes{});
}

// Two receipts of several blocks each, reworked side by side in one process.
TEST_F(SpoolerTest, TwoJobsAtOnceComeOutUnmixed) {
    Bytes receiptA = SampleReceipt();
    Bytes receiptB = StartOfDocument();
    for (int i = 0; i < 1500; ++i)
        receiptA = receiptA + SampleLogo() + TextModeMarker() + Text("A ") + FeedCommand(0x18);
    for (int i = 0; i < 4000; ++i) {
        receiptB = receiptB + TextModeMarker() + Text("B #" + std::to_string(i)) +
                   FeedCommand(0x18) + Row(120, 0x0F);
    }
    ASSERT_GT(receiptB.size(), 2 * kBlockSize);
    SpooledJob jobA(kQueueA, receiptA);
    SpooledJob jobB(kQueueB, receiptB);
    PausedPrinting printingA(jobA, receiptA.size());
    PausedPrinting printingB(jobB, receiptB.size());
    EXPECT_TRUE(jobA.Control(JOB_CONTROL_RESUME));
    EXPECT_TRUE(jobB.Control(JOB_CONTROL_RESUME));
    EXPECT_TRUE(printingA.Join());
    EXPECT_TRUE(printingB.Join());
    EXPECT_EQ(PortBytes(kQueueA), Reworked(receiptA));
    EXPECT_EQ(PortBytes(kQueueB), Reworked(receiptB));
}

// A child program, its stdout and stderr in a file of the test's directory.
struct Outcome {
    DWORD exitCode = 1;
    std::string output;
};

Outcome RunProgram(std::wstring commandLine, const std::string& outputFile) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    Outcome outcome;
    {
        UniqueFile output(CreateFileW(Wide(outputFile).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                                      0, nullptr));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output.get();
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process)) {
            ADD_FAILURE() << "cannot start " << fs::path(commandLine) << ": " << GetLastError();
            return outcome;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &outcome.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const Bytes text = ReadBytes(outputFile);
    outcome.output.assign(text.begin(), text.end());
    return outcome;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

class QueueTest : public SpoolerTest {
  protected:
    // Sends `data` to the queue as one document, by a child process.
    Outcome Submit(const Queue& queue, const Bytes& data, const wchar_t* datatype = nullptr) {
        WriteBytes(Path("job.bin"), data);
        std::wstring command = Quoted(ProgramDirectory() + L"\\tivrap-submit.exe") + L" " +
                               Quoted(queue.name) + L" " + Quoted(Wide(Path("job.bin")));
        if (datatype) command += L" --datatype " + Quoted(datatype);
        return RunProgram(command, Path("submit.txt"));
    }
};

TEST_F(QueueTest, ALogoJobReachesThePortByteForByte) {
    WriteBytes(Path("top.bmp"), MakeDotsBmp(48, 24, [](int x, int y) { return (x + y) % 3 == 0; }));
    WriteBytes(Path("bottom.bmp"), MakeDotsBmp(32, 16, [](int x, int) { return x < 16; }));
    zelmar::BufferSink definition;
    ASSERT_EQ(
        zelmar::WriteDefinitionFile({Path("top.bmp"), Path("bottom.bmp")}, {}, definition, nullptr),
        zelmar::FormStatus::kDone);
    WriteBytes(Path("TempImage.out"), definition.bytes);
    const Outcome submitted = Submit(kQueueA, ReadBytes(Path("TempImage.out")));
    ASSERT_EQ(submitted.exitCode, 0u) << submitted.output;
    EXPECT_EQ(PortBytes(kQueueA), definition.bytes);
    EXPECT_NE(submitted.output.find("debug: Error Find_PC_StartDoc()"), std::string::npos)
        << submitted.output;
}

TEST_F(QueueTest, AnEmfDocumentIsAcceptedAndPrintsNothing) {
    const Outcome submitted = Submit(kQueueA, SampleReceipt(), L"NT EMF 1.008");
    EXPECT_EQ(submitted.exitCode, 0u) << submitted.output;
    EXPECT_EQ(PortBytes(kQueueA), Bytes{});
}

// The receipt comes out as the passes make it, with the translation file
// beside the installed module.
TEST_F(QueueTest, AReceiptIsReworkedAsThePassesDoIt) {
    const Bytes receipt = SampleReceipt();
    const Outcome submitted = Submit(kQueueA, receipt);
    ASSERT_EQ(submitted.exitCode, 0u) << submitted.output;
    const Bytes printed = PortBytes(kQueueA);
    EXPECT_EQ(printed, Reworked(receipt));
    EXPECT_EQ(submitted.output.find("Find_PC_StartDoc"), std::string::npos) << submitted.output;
    const Bytes mergedLogo = RowHeader(kSampleLogoBytes, kSampleLogoRows);
    EXPECT_NE(std::search(printed.begin(), printed.end(), mergedLogo.begin(), mergedLogo.end()),
              printed.end());

    // For the stand-in printer, which the test after this one runs on it.
    WriteBytes("Z:" + std::string(std::getenv("TIVRAP_QUEUES")) + "/receipt.bin", printed);
}

// The trace switched on for the child that submits, by the environment.
class TraceEnvironment {
  public:
    explicit TraceEnvironment(const std::string& file) {
        SetEnvironmentVariableW(L"ZELMAR_TRACE", L"1");
        SetEnvironmentVariableW(L"ZELMAR_TRACE_FILE", Wide(file).c_str());
    }
    ~TraceEnvironment() {
        SetEnvironmentVariableW(L"ZELMAR_TRACE", nullptr);
        SetEnvironmentVariableW(L"ZELMAR_TRACE_FILE", nullptr);
    }
};

// ... or by the product's registry values, as for the spooler, in the view setup writes.
class TraceRegistry {
  public:
    explicit TraceRegistry(const std::string& file) {
        DWORD disposition = 0;
        EXPECT_EQ(
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvenna", 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, key_.put(), &disposition),
            ERROR_SUCCESS);
        created_ = disposition == REG_CREATED_NEW_KEY;
        const DWORD on = 1;
        const std::wstring path = Wide(file);
        RegSetValueExW(key_.get(), L"Trace", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on),
                       sizeof on);
        RegSetValueExW(key_.get(), L"TraceFile", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    ~TraceRegistry() {
        RegDeleteValueW(key_.get(), L"Trace");
        RegDeleteValueW(key_.get(), L"TraceFile");
        key_.reset();
        if (created_) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvenna", KEY_WOW64_32KEY, 0);
    }

  private:
    zelmar::win32::UniqueHkey key_;
    bool created_ = false;
};

// The print processor's lines of a trace file (other programs may trace into
// it too), each without its stamp.
std::vector<std::string> TivrapSteps(const std::string& file) {
    std::vector<std::string> steps;
    const Bytes text = zelmar::test::FileExists(file) ? ReadBytes(file) : Bytes{};
    std::string line;
    for (const std::uint8_t c : text) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        const std::size_t at = line.find(" tivrap ");
        if (at != std::string::npos) steps.push_back(line.substr(at + 1));
        line.clear();
    }
    return steps;
}

// Whether `steps` hold lines that begin with each of `expected`, in its order.
bool InOrder(const std::vector<std::string>& steps, const std::vector<std::string>& expected) {
    auto next = steps.begin();
    for (const std::string& prefix : expected) {
        next = std::find_if(next, steps.end(),
                            [&](const std::string& step) { return step.rfind(prefix, 0) == 0; });
        if (next == steps.end()) return false;
        ++next;
    }
    return true;
}

// A job through the queue, traced inside the spooler: each export and
// spooler call with the job's id and its outcome, whichever switch is on;
// with neither, no trace file.
TEST_F(QueueTest, ATracedJobShowsEachCallWithItsJobId) {
    const Bytes job = zelmar::test::MakeDotsBmp(16, 8, [](int x, int) { return x < 8; });
    const std::string port = "\"" + Port(kQueueA) + ", Port\"";
    for (const char* how : {"environment", "registry", "off"}) {
        SCOPED_TRACE(how);
        const std::string file = Path(std::string("trace-") + how + ".txt");
        Outcome submitted;
        if (how == std::string("environment")) {
            const TraceEnvironment on(file);
            submitted = Submit(kQueueA, job);
        } else if (how == std::string("registry")) {
            const TraceRegistry on(file);
            submitted = Submit(kQueueA, job);
        } else {
            submitted = Submit(kQueueA, job);
        }
        ASSERT_EQ(submitted.exitCode, 0u) << submitted.output;
        ASSERT_EQ(PortBytes(kQueueA), job);
        const std::vector<std::string> steps = TivrapSteps(file);
        if (how == std::string("off")) {
            EXPECT_FALSE(zelmar::test::FileExists(file));
            continue;
        }
        const auto opened = std::find_if(steps.begin(), steps.end(), [&](const std::string& s) {
            return s.rfind("tivrap OpenPrintProcessor " + port + " datatype \"RAW\" job ", 0) == 0;
        });
        ASSERT_NE(opened, steps.end()) << ::testing::PrintToString(steps);
        const std::string id = opened->substr(opened->rfind("job ") + 4);
        ASSERT_EQ(id.substr(id.find(' ')), " -> done");
        const std::string size = std::to_string(job.size());
        const std::string the = "tivrap job " + id.substr(0, id.find(' ')) + " ";
        EXPECT_TRUE(
            InOrder(steps,
                    {
                        "tivrap EnumPrintProcessorDatatypesW ",
                        *opened,
                        the + "PrintDocumentOnPrintProcessor \"Tivrap Test A, Job",
                        the + "StartDocPrinter -> done document ",
                        the + "OpenPrinter \"Tivrap Test A, Job",
                        the + "ReadPrinter 245760 bytes -> done " + size + " read",
                        the + "ReadPrinter 245760 bytes -> done 0 read",
                        the + "says \"Error Find_PC_StartDoc()\"",
                        the + "WritePrinter " + size + " bytes -> done " + size + " written",
                        the + "ClosePrinter (its data)",
                        the + "EndDocPrinter -> done",
                        the + "says \"End PrintRawJob()\"",
                        the + "PrintDocumentOnPrintProcessor -> done",
                        the + "ClosePrintProcessor -> done",
                    }))
            << ::testing::PrintToString(steps);
    }
}

}  // namespace
}  // namespace tivrap
