// The program itself, started as a user or a link would start it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "engine/command_stream.h"
#include "fixtures.h"
#include "standin_program.h"
#include "work_dir.h"

namespace standin {
namespace {

using test::kPatienceMs;
using test::ListeningPort;
using test::Program;
using test::PtyPath;
using test::Readable;

using test::operator+;
using zelmar::test::DotAt;
using zelmar::test::ReadBytes;
using zelmar::test::WriteBytes;
namespace commands = zelmar::commands;

const test::Dots kPattern = [](int x, int y) { return (3 * x + 5 * y) % 7 < 3; };

// A connection to the program; with SOCK_NONBLOCK in `flags` it may still be
// on its way (CountConnected tells). `receiveBuffer`: bytes, when not the
// system's choice.
int Connect(int port, int flags = 0, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int done = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    EXPECT_TRUE(done == 0 || ((flags & SOCK_NONBLOCK) && errno == EINPROGRESS)) << errno;
    return fd;
}

// How many of the connections on their way get through, all waited for together.
int CountConnected(const std::vector<int>& fds) {
    std::vector<pollfd> waiting;
    for (const int fd : fds)
        waiting.push_back({fd, POLLOUT, 0});
    int connected = 0;
    while (!waiting.empty() && ::poll(waiting.data(), waiting.size(), kPatienceMs) > 0) {
        for (auto p = waiting.begin(); p != waiting.end();) {
            int error = 0;
            socklen_t size = sizeof error;
            if (p->revents == 0) {
                ++p;
                continue;
            }
            connected += ::getsockopt(p->fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && !error;
            p = waiting.erase(p);
        }
    }
    return connected;
}

void SendAll(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// One byte of answer, or -1 when none comes.
int ReadByte(int fd) {
    std::uint8_t byte = 0;
    return Readable(fd) && ::read(fd, &byte, 1) == 1 ? byte : -1;
}

int LocalPort(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

// True when the peer ends the connection.
bool Ended(int fd) {
    std::uint8_t byte = 0;
    return Readable(fd) && ::read(fd, &byte, 1) <= 0;
}

// Sends `chunk` again and again, without reading, until the peer refuses it
// (true) or `most` bytes went out or nothing more goes (false).
bool SendUntilRefused(int fd, const Bytes& chunk, std::size_t most) {
    for (std::size_t sent = 0; sent < most;) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kPatienceMs) != 1) return false;
        const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN) return true;
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return false;
}

// Writes all of `bytes` to a non-blocking descriptor; false when the reader
// stops taking them.
bool Deliver(int fd, const Bytes& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kPatienceMs) != 1) return false;
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN) return false;
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return true;
}

// Sends `chunk` again and again until the kernel takes no more for now.
void Fill(int fd, const Bytes& chunk) {
    while (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0) {
    }
}

std::string FileText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

Bytes Repeated(const Bytes& bytes, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), bytes.begin(), bytes.end());
    return all;
}

class ProgramTest : public zelmar::test::WorkDirTest {};

TEST_F(ProgramTest, InputJobsAreStoredAndDumpedDotForDot) {
    zelmar::test::WriteBytes("top.bmp", zelmar::test::MakeDotsBmp(24, 16, kPattern));
    const Bytes top = test::UploadStream("top.bmp|", 0, 0);
    WriteBytes("top.bin", top);
    zelmar::test::WriteBytes("bottom.bmp",
                             zelmar::test::MakeDotsBmp(16, 8, [](int x, int y) { return x == y; }));
    WriteBytes("bottom.bin", test::UploadStream("bottom.bmp|", 0, 1));

    Program program({"--input", "top.bin", "--input", "bottom.bin", "--flash", "flash", "--out",
                     "out", "--dump", "dump"});
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(program.Output(),
              "job 1 (file top.bin): 56 bytes, 0 errors\n"
              "job 2 (file bottom.bin): 24 bytes, 0 errors\n"
              "dumped dump/pending/top-logo.bmp\n"
              "dumped dump/pending/bottom-logo.bmp\n");
    const Bytes dumped = ReadBytes("dump/pending/top-logo.bmp");
    ASSERT_FALSE(dumped.empty());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            ASSERT_EQ(DotAt(dumped, x, y), test::NvDot(top.data() + 8, 16, x, y)) << x << "," << y;
            ASSERT_EQ(DotAt(dumped, x, y), kPattern(x, y)) << x << "," << y;
        }
    }
    EXPECT_NE(ReadBytes("out/transcript.jsonl").size(), 0u);
}

TEST_F(ProgramTest, TcpJobsAreAnsweredAndPrintAfterAReset) {
    zelmar::test::WriteBytes("logo.bmp", zelmar::test::MakeDotsBmp(24, 16, kPattern));
    Program program({"--listen", "127.0.0.1:0", "--status-reply", "20", "--reply-delay", "50",
                     "--flash", "flash", "--out", "out"});
    const int port = ListeningPort(program);
    ASSERT_NE(port, 0) << program.Output();

    int connection = Connect(port);
    SendAll(connection, commands::StatusQuery());
    EXPECT_EQ(ReadByte(connection), 0x20);
    SendAll(connection, test::Definition({"logo.bmp"}));
    ::close(connection);
    EXPECT_NE(program.WaitFor("job 1 ").find("0 errors"), std::string::npos);

    program.Signal(SIGHUP);
    EXPECT_EQ(program.WaitFor("reset"), "reset");
    connection = Connect(port);
    SendAll(connection, commands::PrintCommand(1) + commands::FeedAndCut());
    ::close(connection);
    const std::string receipt = program.WaitFor("receipt ").substr(8);
    ASSERT_FALSE(receipt.empty()) << program.Output();
    EXPECT_FALSE(ReadBytes("out/receipt-0001.png").empty());
    const Bytes printed = ReadBytes(receipt);
    ASSERT_FALSE(printed.empty());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(DotAt(printed, x, y), kPattern(x, y)) << x << "," << y;
    }

    // A reply still waiting for its delay when the client has sent all it
    // will goes out all the same.
    connection = Connect(port);
    SendAll(connection, commands::StatusQuery());
    ::shutdown(connection, SHUT_WR);
    EXPECT_EQ(ReadByte(connection), 0x20);
    EXPECT_TRUE(Ended(connection));
    ::close(connection);

    Program second({"--input", "/dev/null", "--flash", "flash"});
    EXPECT_EQ(second.Wait(), 1);  // the flash is in use

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

// The kernel holds as many connections as it can while the program is busy.
TEST_F(ProgramTest, ManyClientsAtOnceAreAllServed) {
    Program program({"--listen", "127.0.0.1:0", "--flash", "flash", "--out", "out"});
    const int port = ListeningPort(program);
    ASSERT_NE(port, 0) << program.Output();
    program.Signal(SIGSTOP);  // nothing is accepted meanwhile
    std::vector<int> clients;
    for (int i = 0; i < 200; ++i)
        clients.push_back(Connect(port, SOCK_NONBLOCK));
    const int connected = CountConnected(clients);
    program.Signal(SIGCONT);
    ASSERT_EQ(connected, 200);
    for (const int client : clients) {
        SendAll(client, commands::StatusQuery());
        EXPECT_EQ(ReadByte(client), 0x0D);
        ::close(client);
    }
    EXPECT_FALSE(program.WaitFor("job 200 ").empty());
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

// A client that sends status queries and never reads the answers is dropped;
// the others are served meanwhile.
TEST_F(ProgramTest, ClientThatDoesNotReadItsRepliesIsDropped) {
    Program program({"--listen", "127.0.0.1:0", "--flash", "flash", "--out", "out"});
    const int port = ListeningPort(program);
    ASSERT_NE(port, 0) << program.Output();
    const int deaf = Connect(port, 0, 4096);
    EXPECT_TRUE(SendUntilRefused(deaf, Repeated(commands::StatusQuery(), 4096), 64 << 20));
    ::close(deaf);
    const std::string dropped = program.WaitFor("job 1 ");
    EXPECT_NE(dropped.find("; dropped: "), std::string::npos) << dropped;

    const int client = Connect(port);
    SendAll(client, commands::StatusQuery());
    EXPECT_EQ(ReadByte(client), 0x0D);
    ::close(client);
    EXPECT_FALSE(program.WaitFor("job 2 ").empty());
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_NE(FileText("out/transcript.jsonl").find(R"({"job":1,"event":"dropped")"),
              std::string::npos);
}

// The line's job ends the same way, and what comes on after is let go until
// the line is closed.
TEST_F(ProgramTest, LineThatLeavesItsRepliesUnreadIsLetGo) {
    Program program({"--pty", "--flash", "flash", "--out", "out"});
    const std::string path = PtyPath(program);
    ASSERT_FALSE(path.empty()) << program.Output();
    const int line = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    EXPECT_TRUE(Deliver(line, Repeated(commands::StatusQuery(), 100 * 4096)));
    const std::string dropped = program.WaitFor("job 1 ");
    EXPECT_NE(dropped.find("; dropped: "), std::string::npos) << dropped;
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(program.Output().find("job 2 "), std::string::npos) << program.Output();
    ::close(line);
}

// A silent client holds up neither the others nor a reset.
TEST_F(ProgramTest, IdleClientHoldsUpNoOne) {
    Program program({"--listen", "127.0.0.1:0", "--flash", "flash", "--out", "out"});
    const int port = ListeningPort(program);
    ASSERT_NE(port, 0) << program.Output();
    const int idle = Connect(port);
    SendAll(idle, Bytes{0x1C, 0x71});  // FS q, and no more for now
    const int client = Connect(port);
    SendAll(client, commands::StatusQuery());
    EXPECT_EQ(ReadByte(client), 0x0D);
    ::close(client);
    EXPECT_EQ(program.WaitFor("job ").rfind("job 2 ", 0), 0u) << program.Output();
    program.Signal(SIGHUP);
    EXPECT_EQ(program.WaitFor("reset"), "reset");
    ::close(idle);
    EXPECT_NE(program.WaitFor("job ").find("job 1 "), std::string::npos);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

// A connection silent for the idle time-out ends its job; so does a line's.
TEST_F(ProgramTest, SilentJobEndsAfterTheIdleTimeOut) {
    Program program({"--listen", "127.0.0.1:0", "--pty", "--idle-timeout", "1", "--flash", "flash",
                     "--out", "out"});
    const int port = ListeningPort(program);
    const std::string path = PtyPath(program);
    ASSERT_TRUE(port != 0 && !path.empty()) << program.Output();
    const Bytes cutShort = {0x1C, 0x71, 0x01, 0x08};  // FS q, one image, a size byte
    const int client = Connect(port);
    const int line = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    SendAll(client, cutShort);
    SendAll(line, cutShort);
    EXPECT_TRUE(Ended(client));
    const std::string ended = program.WaitFor("job ") + "\n" + program.WaitFor("job ");
    for (const std::string& source :
         {"tcp 127.0.0.1:" + std::to_string(LocalPort(client)), "pty " + path}) {
        EXPECT_NE(ended.find("(" + source + "): 4 bytes, 1 error; idle for 1 s"), std::string::npos)
            << ended;
    }
    ::close(client);
    ::close(line);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_NE(FileText("out/transcript.jsonl").find(R"("event":"idle time-out","seconds":1})"),
              std::string::npos);
}

// A signal that comes while a job streams ends that job and the program, and
// starts nothing.
TEST_F(ProgramTest, SignalWhileAJobStreamsEndsTheProgram) {
    for (const bool pty : {false, true}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--flash",
                                         "flash",    "--out",       "out"};
        if (pty) args.push_back("--pty");
        Program program(args);
        const int port = ListeningPort(program);
        ASSERT_NE(port, 0) << program.Output();
        const int client = Connect(port);
        SendAll(client, commands::StatusQuery());
        EXPECT_EQ(ReadByte(client), 0x0D);  // the job is running
        Fill(client, Bytes(64 * 1024, 'x'));
        program.Signal(SIGTERM);
        EXPECT_EQ(program.Wait(), 0) << pty;
        ::close(client);
        const std::string& output = program.Output();
        EXPECT_NE(output.find("\njob 1 (tcp 127.0.0.1:"), std::string::npos) << output;
        EXPECT_EQ(output.find("job 2"), std::string::npos) << output;
    }
}

// The line passes every byte as it is, and each opening of it is one job.
TEST_F(ProgramTest, PtyLineCarriesAJobUntilItIsClosed) {
    Program program({"--pty", "--flash", "flash", "--out", "out"});
    const std::string path = PtyPath(program);
    ASSERT_FALSE(path.empty()) << program.Output();
    for (int job = 1; job <= 2; ++job) {
        const int line = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(line, 0);
        SendAll(line, commands::StatusQuery() + Bytes{0x0A, 0x0D, 0x11, 0x13, 0x03});
        EXPECT_EQ(ReadByte(line), 0x0D);
        ::close(line);
        EXPECT_EQ(program.WaitFor("job "),
                  "job " + std::to_string(job) + " (pty " + path + "): 8 bytes, 1 error");
    }
    const Bytes transcript = ReadBytes("out/transcript.jsonl");
    const std::string text(transcript.begin(), transcript.end());
    EXPECT_NE(text.find(R"("offset":3,"command":"LF"})"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("offset":4,"command":"CR"})"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("error":"unknown bytes","bytes":"111303")"), std::string::npos) << text;
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

// Each receipt is a PNG and a BMP, both or neither, numbered without gaps.
TEST_F(ProgramTest, ReceiptThatCannotBeWrittenLeavesNoFileAndNoGap) {
    const Bytes line = {'x', 0x0A, 0x1B, 0x69};  // a line, then the cut
    Bytes tall;
    for (int i = 0; i < 10; ++i)
        tall = tall + Bytes{0x1B, 0x4A, 255};
    WriteBytes("job.bin", line + tall + Bytes{0x1B, 0x69} + line);
    // The tall receipt's BMP is larger than the limit, its PNG much smaller.
    Program program({"--input", "job.bin", "--flash", "flash", "--out", "out"}, 64 * 1024);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(program.Output(),
              "job 1 (file job.bin): 40 bytes, 1 error\n"
              "receipt out/receipt-0001.bmp\n"
              "receipt out/receipt-0002.bmp\n");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("out"))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::string>{"receipt-0001.bmp", "receipt-0001.png", "receipt-0002.bmp",
                                        "receipt-0002.png", "transcript.jsonl"}));
    const Bytes transcript = ReadBytes("out/transcript.jsonl");
    EXPECT_NE(std::string(transcript.begin(), transcript.end()).find("receipt not written"),
              std::string::npos);
}

// A job of a thousand receipts leaves on the disk what the limits allow.
TEST_F(ProgramTest, LimitsKeepAFloodOfReceiptsOffTheDisk) {
    Bytes job;
    for (int i = 0; i < 1000; ++i)
        job = job + Bytes{'x', 0x0A, 0x1B, 0x69};
    WriteBytes("job.bin", job);
    Program program({"--input", "job.bin", "--flash", "flash", "--out", "out", "--lines-per-job",
                     "100", "--receipts-per-job", "3"});
    EXPECT_EQ(program.WaitFor("job 1 "),
              "job 1 (file job.bin): 4000 bytes, 0 errors; transcript limit: 2900 lines left out; "
              "receipt limit: 997 receipts not kept");
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("out"),
                            std::filesystem::directory_iterator()),
              2 * 3 + 1);
    const Bytes transcript = ReadBytes("out/transcript.jsonl");
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), '\n'), 1 + 100 + 2 + 1);
}

TEST_F(ProgramTest, CommandLineMistakes) {
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    const Case cases[] = {
        {{"--help"}, 0},
        {{"--width", "0"}, 2},
        {{"--status-reply", "0x"}, 2},
        {{"--reply-delay"}, 2},
        {{"--lines-per-job", "-1"}, 2},
        {{"--receipts-per-job", "many"}, 2},
        {{"--flash="}, 2},
        {{"--bogus", "1"}, 2},
        {{"stray"}, 2},
        {{"--listen", "nowhere", "--flash", "flash"}, 1},
        {{"--input", "missing.bin", "--flash", "flash", "--out", "out"}, 1},
        {{"--dump", "dump", "--flash", "no-such-flash"}, 1},
    };
    for (const Case& c : cases) {
        Program program(c.args);
        EXPECT_EQ(program.Wait(), c.code) << c.args[0];
    }
}

}  // namespace
}  // namespace standin
