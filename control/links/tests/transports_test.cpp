// The platform's transports against real peers: a listening socket on the
// loopback address, files taken for ports, and the USB printer that is not
// there. The same program runs natively and under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "bmp_builder.h"
#include "links/ports.h"
#include "loopback_printer.h"
#include "recorded_messages.h"
#include "transport_checks.h"
#include "work_dir.h"

namespace zelmar::links {
namespace {

using namespace links::test;
using zelmar::test::ReadBytes;
using zelmar::test::RecordedMessages;
using zelmar::test::WorkDirTest;
using zelmar::test::WriteBytes;

class TcpTransportTest : public ::testing::Test {
  protected:
    std::unique_ptr<Transport> Connection(const std::string& address, const std::string& port) {
        return SystemPorts().Tcp(ParseTcpEndpoint(address, port), messages_);
    }
    std::unique_ptr<Transport> Connected() {
        auto connection = Connection("127.0.0.1", std::to_string(printer_.Port()));
        EXPECT_TRUE(connection->Open().ok());
        EXPECT_TRUE(printer_.Accept());
        return connection;
    }

    LoopbackPrinter printer_;
    RecordedMessages messages_;
};

TEST_F(TcpTransportTest, BytesArriveInOrderAndTheReplyIsRead) {
    const auto connection = Connected();
    const Bytes record = Pattern(3000);
    ASSERT_TRUE(Write(*connection, kStatusQuery).ok());
    ASSERT_TRUE(Write(*connection, record).ok());
    const Bytes expected = Joined(kStatusQuery, record);
    EXPECT_EQ(printer_.Receive(expected.size()), expected);

    // A reply longer than the buffer is cut at its capacity; the rest waits.
    const Bytes answer = Pattern(80);
    printer_.Send(answer);
    EXPECT_EQ(Reply(*connection, 50, 3000), Bytes(answer.begin(), answer.begin() + 50));
    EXPECT_EQ(Reply(*connection, 50, 3000).size(), 30u);
    // Nothing more: the wait runs out with no bytes.
    EXPECT_TRUE(Reply(*connection, 50, 50).empty());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(TcpTransportTest, AConnectThatFailsSaysWhereAndLeavesNothingOpen) {
    const std::string closedPort = std::to_string(printer_.Port());
    printer_.StopListening();
    const struct {
        std::string address, port, message;
    } cases[] = {
        {"127.0.0.1", closedPort, "(IP=127.0.0.1 Port=" + closedPort + ")"},
        // Does not convert: no printer to try.
        {"192.168.0.300", "9100x", "(IP=192.168.0.300 Port=9100)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        messages_.shown.clear();
        const auto connection = Connection(c.address, c.port);
        const LinkResult opened = connection->Open();
        EXPECT_EQ(opened.error, LinkError::kOpen);
        EXPECT_NE(opened.systemError, 0u);
        EXPECT_EQ(messages_.shown,
                  (std::vector<std::string>{"POSPrinter IP & Port Check: Fail to Connection to "
                                            "POSPrinter" +
                                            c.message}));
        EXPECT_EQ(Write(*connection, kStatusQuery).error, LinkError::kWrite);
        connection->Close();
    }
}

TEST_F(TcpTransportTest, APrinterThatHangsUpEndsTheReplyAndFailsTheWrites) {
    const auto connection = Connected();
    printer_.HangUp();
    EXPECT_TRUE(Reply(*connection, 50, 3000).empty());
    // The first send after a hang-up may still be taken; a later one fails,
    // and no signal ends the program.
    const Bytes record = Pattern(1000);
    LinkResult written;
    for (int i = 0; i < 100 && written.ok(); ++i)
        written = Write(*connection, record);
    EXPECT_EQ(written.error, LinkError::kWrite);
}

TEST_F(TcpTransportTest, AWriteThePrinterNeverTakesFailsAtItsLimit) {
    const auto connection = Connected();
    // More than the buffers of both ends hold.
    EXPECT_EQ(Write(*connection, Bytes(64 << 20), 200).error, LinkError::kWrite);
}

// What a printer reading `piece` bytes at a time, `pauseMs` after each, takes
// until the sender's end; then it closes its side, as printers do.
Bytes ReadToEnd(LoopbackPrinter& printer, std::size_t piece, std::uint32_t pauseMs) {
    Bytes all;
    for (;;) {
        const Bytes got = printer.Receive(piece);
        all.insert(all.end(), got.begin(), got.end());
        if (got.size() < piece) {
            printer.HangUp();
            return all;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

// The status query and a job far larger than what the system sends ahead.
const Bytes kJob = Pattern(300000);

TEST_F(TcpTransportTest, EveryByteOfTheJobArrivesWhateverThePrinterSends) {
    const std::size_t kFast = 64 << 10;
    const struct {
        const char* name;
        bool readsReply;  // the model-0 form reads one reply; the band form none
        std::function<Bytes(LoopbackPrinter&)> printer;
    } cases[] = {
        {"a reply longer than the one read", true,
         [&](LoopbackPrinter& p) {
             p.Send(Pattern(60));
             return ReadToEnd(p, kFast, 0);
         }},
        {"a reply that is not read", false,
         [&](LoopbackPrinter& p) {
             p.Send({0x0D});
             return ReadToEnd(p, kFast, 0);
         }},
        {"a reply that comes late", true,
         [&](LoopbackPrinter& p) {
             const Bytes first = p.Receive(kJob.size() / 2);
             p.Send(Pattern(60));
             return Joined(first, ReadToEnd(p, kFast, 0));
         }},
        {"a printer that reads slowly", false,
         [&](LoopbackPrinter& p) {
             p.Send({0x0D});
             return ReadToEnd(p, 4096, 2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto connection = Connection("127.0.0.1", std::to_string(printer_.Port()));
        ASSERT_TRUE(connection->Open().ok());
        std::future<Bytes> received = std::async(
            std::launch::async, [&] { return printer_.Accept() ? c.printer(printer_) : Bytes{}; });
        ASSERT_TRUE(Write(*connection, kStatusQuery).ok());
        if (c.readsReply) Reply(*connection, 50, 3000);
        ASSERT_TRUE(Write(*connection, kJob).ok());
        const LinkResult finished = connection->Finish();
        connection->Close();
        const Bytes arrived = received.get();
        EXPECT_TRUE(finished.ok()) << finished.systemError;
        EXPECT_EQ(arrived.size(), kStatusQuery.size() + kJob.size());
        EXPECT_TRUE(arrived == Joined(kStatusQuery, kJob));
    }
}

TEST(TcpFinishTest, APrinterThatStopsReadingFailsTheJobWithinTheBound) {
    LoopbackPrinter printer(4096);
    RecordedMessages messages;
    const auto connection =
        SystemPorts().Tcp(ParseTcpEndpoint("127.0.0.1", std::to_string(printer.Port())), messages);
    ASSERT_TRUE(connection->Open().ok());
    ASSERT_TRUE(printer.Accept());
    // What the system sends ahead takes the job; the printer reads its start only.
    ASSERT_TRUE(Write(*connection, Pattern(256 << 10), 2000).ok());
    EXPECT_EQ(printer.Receive(1024).size(), 1024u);
    const auto started = std::chrono::steady_clock::now();
    const LinkResult finished = connection->Finish();
    EXPECT_EQ(finished.error, LinkError::kWrite);
    EXPECT_NE(finished.systemError, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST(TcpFinishTest, APrinterThatTookEveryByteNeedNotClose) {
    LoopbackPrinter printer;
    RecordedMessages messages;
    const auto connection =
        SystemPorts().Tcp(ParseTcpEndpoint("127.0.0.1", std::to_string(printer.Port())), messages);
    ASSERT_TRUE(connection->Open().ok());
    ASSERT_TRUE(printer.Accept());
    ASSERT_TRUE(Write(*connection, Pattern(4096)).ok());
    EXPECT_EQ(printer.Receive(4096), Pattern(4096));
    const LinkResult finished = connection->Finish();
    EXPECT_TRUE(finished.ok()) << finished.systemError;
}

class FilePortTest : public WorkDirTest {};

TEST_F(FilePortTest, AFileTakenForAPortKeepsEveryWrite) {
    for (const bool blocking : {false, true}) {
        SCOPED_TRACE(blocking ? "blocking" : "asynchronous");
        const std::string port = Path(blocking ? "blocking.prn" : "asynchronous.prn");
        WriteBytes(port, {});
        const auto file = SystemPorts().DeviceFile(port, blocking);
        ASSERT_TRUE(file->Open().ok());
        ASSERT_TRUE(Write(*file, kStatusQuery).ok());
        ASSERT_TRUE(Write(*file, Pattern(200)).ok());
        EXPECT_TRUE(Reply(*file, 50, 0).empty());
        file->Close();
        file->Close();
        EXPECT_EQ(ReadBytes(port), Joined(kStatusQuery, Pattern(200)));
    }
}

TEST_F(FilePortTest, APortThatIsNotThereDoesNotOpenAndIsNotMade) {
    const auto file = SystemPorts().DeviceFile(Path("LPT9.prn"), false);
    const LinkResult opened = file->Open();
    EXPECT_EQ(opened.error, LinkError::kOpen);
    EXPECT_NE(opened.systemError, 0u);
    EXPECT_FALSE(std::filesystem::exists(Path("LPT9.prn")));
    EXPECT_EQ(Write(*file, kStatusQuery).error, LinkError::kWrite);
}

TEST(UsbTransportTest, WithoutAUsbPrinterNothingOpens) {
    // Linux keeps its USB printers in /dev/usb; Windows has no such folder.
    if (std::filesystem::exists("/dev/usb")) GTEST_SKIP() << "this machine has USB printers";
    const auto usb = SystemPorts().Usb();
    EXPECT_EQ(usb->Open().error, LinkError::kOpen);
    EXPECT_EQ(Write(*usb, kStatusQuery).error, LinkError::kWrite);
    usb->Close();
}

}  // namespace
}  // namespace zelmar::links
