// The direct links on the running system, with the legacy-platform flag the
// system itself reports: wine_version.sh runs this program with Wine's
// "Version" set to Windows 98 (the 9x family) or XP, and ZELMAR_TEST_WINDOWS
// names which. The printers are this program's own: a loopback listener for
// TCP/IP and a message-mode named pipe, whose every message is one write of
// the link, for the device file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "bmp_builder.h"
#include "engine/byte_sink.h"
#include "engine/command_stream.h"
#include "fakes.h"
#include "links/direct_link.h"
#include "loopback_printer.h"
#include "methods/arguments.h"
#include "methods/device_methods.h"
#include "recorded_messages.h"
#include "win32/handle_owners.h"
#include "work_dir.h"

namespace zelmar {
namespace {

using links::test::LoopbackPrinter;
using Sizes = std::vector<std::size_t>;

const Bytes kQuery = {0x1D, 0x49, 0x01};
const Bytes kReady = {0x0D}, kAlsoReady = {0x20}, kWrong = {0x41}, kNone = {};

// The Windows this run stands for: "win98" or "winxp".
std::string Windows() {
    const char* name = std::getenv("ZELMAR_TEST_WINDOWS");
    return name ? name : "";
}
bool Windows98() {
    return Windows() == "win98";
}

Bytes Joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A printer on a named pipe: after the status query it waits `delayMs`, notes
// whether the link wrote on without it, and replies; then it keeps every
// message until the link closes its end.
class PipePrinter {
  public:
    PipePrinter(Bytes reply, DWORD delayMs)
        : name_("\\\\.\\pipe\\zelmar-host-methods-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++count_)),
          pipe_(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 1 << 16,
                                 1 << 16, 0, nullptr)),
          thread_([this, reply, delayMs] { Serve(reply, delayMs); }) {}
    ~PipePrinter() { Finish(); }

    const std::string& Name() const { return name_; }
    // Waits for the link to close; every message it wrote.
    const std::vector<Bytes>& Messages() {
        Finish();
        return messages_;
    }
    Bytes Received() {
        Bytes all;
        for (const Bytes& m : Messages())
            all = Joined(all, m);
        return all;
    }
    // Whether the link wrote more before the reply was sent.
    bool WroteOnUnanswered() {
        Finish();
        return wroteOnUnanswered_;
    }

  private:
    void Serve(const Bytes& reply, DWORD delayMs) {
        if (!ConnectNamedPipe(pipe_.get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
            return;
        for (bool replied = false;;) {
            Bytes message(1 << 16);
            DWORD got = 0;
            if (!ReadFile(pipe_.get(), message.data(), static_cast<DWORD>(message.size()), &got,
                          nullptr))
                return;  // the link closed its end
            message.resize(got);
            messages_.push_back(message);
            if (replied) continue;
            replied = true;
            Sleep(delayMs);
            DWORD waiting = 0;
            PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &waiting, nullptr);
            wroteOnUnanswered_ = waiting > 0;
            DWORD written = 0;
            if (!reply.empty())
                WriteFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size()), &written,
                          nullptr);
        }
    }
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }

    static inline int count_ = 0;
    std::string name_;
    win32::UniqueFile pipe_;
    std::vector<Bytes> messages_;
    bool wroteOnUnanswered_ = false;
    std::thread thread_;
};

class HostMethodsTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        ASSERT_TRUE(Windows() == "win98" || Windows() == "winxp")
            << "ZELMAR_TEST_WINDOWS names the Windows of this run (wine_version.sh)";
        logo_ = Path("logo.bmp");
        test::WriteBytes(logo_, test::MakeDotsBmp(16, 16, [](int x, int y) { return x == y; }));
        // 80 columns: a band record of 89 bytes, more than one 64-byte piece.
        wide_ = Path("wide.bmp");
        test::WriteBytes(wide_, test::MakeMonoBmp(80, 8, [](int x, int) { return x % 3 == 0; }));
    }
    // The model-0 form of two logos, as every link must carry it.
    Bytes Form() const {
        BufferSink form;
        EXPECT_EQ(WriteModelZeroForm({logo_, logo_}, {}, form, nullptr), FormStatus::kDone);
        return form.bytes;
    }
    std::string List() const { return logo_ + "|" + logo_ + "|"; }

    test::RecordedMessages messages_;
    const DeviceContext context_ = HostDeviceContext(messages_);
    std::string logo_, wide_;
};

TEST_F(HostMethodsTest, TheSystemReportsTheWindowsOfThisRun) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, Windows98() ? 1u : 2u);
    EXPECT_EQ(std::make_pair(version.dwMajorVersion, version.dwMinorVersion),
              Windows98() ? std::make_pair(4ul, 10ul) : std::make_pair(5ul, 1ul));
    EXPECT_EQ(links::HostSystem().LegacyPlatform(), Windows98());
}

// Model 0 judges the status reply only on the Windows 9x family: there a
// reply that is not ready, or none, ends the job with -3 before any image
// byte; elsewhere the job goes on.
struct ReplyCase {
    const char* name;
    Bytes reply;
    bool ready;
};
const ReplyCase kReplies[] = {
    {"0x0D", kReady, true},
    {"0x20", kAlsoReady, true},
    {"0x41", kWrong, false},
    {"none", kNone, false},
};

TEST_F(HostMethodsTest, OverTcpTheReplyIsJudgedOnWindows98Only) {
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(c.name);
        LoopbackPrinter printer;
        std::optional<int32_t> status;
        std::thread job([&] {
            status = UploadTCPIP(context_, 0, {"127.0.0.1", std::to_string(printer.Port())}, List(),
                                 {}, nullptr);
        });
        ASSERT_TRUE(printer.Accept());
        EXPECT_EQ(printer.Receive(kQuery.size()), kQuery);
        if (!c.reply.empty()) printer.Send(c.reply);
        const Bytes form = printer.Receive(Form().size() + 1);
        job.join();
        const bool accepted = c.ready || !Windows98();
        EXPECT_EQ(status, accepted ? 0 : -3);
        EXPECT_EQ(form, accepted ? Form() : Bytes()) << "the whole form, or nothing of it";
    }
}

TEST_F(HostMethodsTest, OnADeviceFileWindows98WaitsForTheReplyAndJudgesIt) {
    // The 9x family reads the port blocking, so it waits for a reply that comes
    // late; the others read only what has arrived, and write on.
    for (const ReplyCase& c : kReplies) {
        if (c.reply.empty()) continue;  // a blocking read of a pipe waits for ever
        SCOPED_TRACE(c.name);
        PipePrinter printer(c.reply, 300);
        const int32_t status = Upload(context_, 0, {printer.Name(), {}}, List(), {}, nullptr);
        const bool accepted = c.ready || !Windows98();
        EXPECT_EQ(status, accepted ? 0 : -3);
        EXPECT_EQ(printer.Received(), Joined(kQuery, accepted ? Form() : Bytes()));
        EXPECT_EQ(printer.WroteOnUnanswered(), !Windows98());
    }
}

TEST_F(HostMethodsTest, OnADeviceFileBandRecordsGoWholeOnWindows98AndPacedElsewhere) {
    PipePrinter printer(kReady, 0);
    ASSERT_EQ(Upload(context_, 1, {printer.Name(), {}}, wide_ + "|", {}, nullptr), 0);
    Sizes sizes;
    for (const Bytes& m : printer.Messages())
        sizes.push_back(m.size());
    // The query, the band preamble, then the one record of 9 + 80 bytes.
    EXPECT_EQ(sizes, Windows98() ? (Sizes{3, 5, 89}) : (Sizes{3, 5, 64, 25}));
}

TEST_F(HostMethodsTest, TheUsbLinkRunsWithTheFlagClear) {
    // No USB printer under Wine: the USB and device-file links over a
    // recording transport, each given the system's own flag.
    for (const links::LinkKind kind : {links::LinkKind::kUsb, links::LinkKind::kDeviceFile}) {
        auto transport = std::make_unique<links::test::RecordingTransport>();
        transport->replies.push_back(kWrong);
        links::test::FakeClock clock;
        links::DirectLink link(kind, std::move(transport), clock,
                               links::HostSystem().LegacyPlatform());
        ASSERT_TRUE(link.Open().ok());
        const bool usb = kind == links::LinkKind::kUsb;
        EXPECT_EQ(link.ExchangeStatus(PrinterModelOf(0).answersStatus).ok(), usb || !Windows98())
            << (usb ? "USB" : "device");
    }
}

}  // namespace
}  // namespace zelmar
