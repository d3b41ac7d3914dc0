// The POSIX serial and device-file transports against real peers: a
// pseudo-terminal whose far end the test holds, and FIFOs with and without
// a reader.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "bmp_builder.h"
#include "links/port_file_posix.h"
#include "links/ports.h"
#include "transport_checks.h"
#include "work_dir.h"

namespace zelmar::links {
namespace {

using namespace links::test;

constexpr std::uint32_t kWaitMs = 5000;

// What arrives at `fd`: `size` bytes, or fewer when the wait runs out.
Bytes Arrived(int fd, std::size_t size) {
    Bytes bytes(size);
    std::size_t at = 0;
    const Deadline deadline = DeadlineIn(kWaitMs);
    while (at < size && WaitReady(fd, POLLIN, deadline)) {
        const long got = read(fd, bytes.data() + at, size - at);
        if (got <= 0) break;
        at += static_cast<std::size_t>(got);
    }
    bytes.resize(at);
    return bytes;
}

// A serial line on a pseudo-terminal: the transport opens the line by its
// path, the test holds the printer's end, whose settings are the line's.
class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        int printer = -1, line = -1;
        ASSERT_EQ(openpty(&printer, &line, name, nullptr, nullptr), 0);
        printer_ = UniqueFd(printer);
        line_ = UniqueFd(line);
        path_ = name;
    }
    termios Settings() const {
        termios settings{};
        EXPECT_EQ(tcgetattr(printer_.get(), &settings), 0);
        return settings;
    }
    void Answer(const Bytes& bytes) const {
        ASSERT_EQ(write(printer_.get(), bytes.data(), bytes.size()),
                  static_cast<long>(bytes.size()));
    }

    UniqueFd printer_, line_;
    std::string path_;
};

TEST_F(PtyTest, ConfigureMakesTheLineRawWithItsSettings) {
    // A pseudo-terminal keeps no parity-enable bit (PARENB), only its sense.
    const struct {
        SerialSettings settings;
        speed_t speed;
        bool odd;
    } cases[] = {
        {{6, 0}, B9600, false},
        {{10, 2}, B115200, true},
        {{3, 1}, B1200, false},
        // Codes outside the tables keep what the line had.
        {{11, 3}, B4800, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings.baudCode);
        termios before = Settings();  // a terminal's usual cooked line
        before.c_cflag = (before.c_cflag & ~(CSIZE | CRTSCTS)) | CS7 | CSTOPB | PARODD;
        before.c_iflag |= INPCK | ICRNL;
        cfsetspeed(&before, B4800);
        ASSERT_EQ(tcsetattr(printer_.get(), TCSANOW, &before), 0);

        const auto port = SystemPorts().Serial(path_, c.settings);
        ASSERT_TRUE(port->Open().ok());
        ASSERT_TRUE(port->Configure().ok());
        const termios after = Settings();
        EXPECT_EQ(cfgetospeed(&after), c.speed);
        EXPECT_EQ(cfgetispeed(&after), c.speed);
        EXPECT_EQ(after.c_cflag & CSIZE, tcflag_t{CS8});
        EXPECT_EQ((after.c_cflag & PARODD) != 0, c.odd);
        EXPECT_EQ(after.c_cflag & (CSTOPB | CLOCAL | CREAD | CRTSCTS),
                  tcflag_t{CLOCAL | CREAD | CRTSCTS});
        EXPECT_EQ(after.c_iflag & (INPCK | ICRNL | IXON), 0u);
        EXPECT_EQ(after.c_oflag & OPOST, 0u);
        EXPECT_EQ(after.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
}

TEST_F(PtyTest, ATerminalOpenedAsADeviceFilePassesBytesUnchanged) {
    termios before = Settings();  // cooked: line ends translated, echo on
    cfsetspeed(&before, B19200);
    ASSERT_EQ(tcsetattr(printer_.get(), TCSANOW, &before), 0);
    const auto port = SystemPorts().DeviceFile(path_, false);
    ASSERT_TRUE(port->Open().ok());
    const termios after = Settings();
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(after.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(cfgetospeed(&after), speed_t{B19200}) << "the rate stays";
}

TEST(PortNamesTest, WindowsPortNamesNameLinuxDevices) {
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM12", "/dev/ttyS11"}, {"LPT2", "/dev/lp1"},
        {"COM0", "COM0"},       {"COMA", "COMA"},         {"/dev/usb/lp0", "/dev/usb/lp0"},
    };
    for (const auto& [port, device] : cases)
        EXPECT_EQ(DeviceOfPort(port), device) << port;
    // As Wine maps COM ports in its registry, the environment may name the device.
    setenv("ZELMAR_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(DeviceOfPort("COM3"), "/dev/ttyUSB0");
    unsetenv("ZELMAR_COM3");
}

TEST_F(PtyTest, TheLineIsNotSharedWhileItIsOpen) {
    const auto exclusive = [this] {
        int state = -1;
        EXPECT_EQ(ioctl(line_.get(), TIOCGEXCL, &state), 0);
        return state;
    };
    const auto port = SystemPorts().Serial(path_, {6, 0});
    ASSERT_TRUE(port->Open().ok());
    EXPECT_EQ(exclusive(), 1);
    port->Close();
    EXPECT_EQ(exclusive(), 0);
    port->Close();
}

TEST_F(PtyTest, BytesTravelBothWaysAndAReplyEndsWithinItsTime) {
    const auto port = SystemPorts().Serial(path_, {10, 0});
    ASSERT_TRUE(port->Open().ok());
    ASSERT_TRUE(port->Configure().ok());
    const Bytes record = Pattern(600);
    ASSERT_TRUE(Write(*port, kStatusQuery).ok());
    ASSERT_TRUE(Write(*port, record).ok());
    EXPECT_EQ(Arrived(printer_.get(), 603), Joined(kStatusQuery, record));

    // A long reply is cut at the buffer's capacity; the rest waits its turn.
    const Bytes answer = Pattern(80);
    Answer(answer);
    EXPECT_EQ(Reply(*port, 50, 100), Bytes(answer.begin(), answer.begin() + 50));
    EXPECT_EQ(Reply(*port, 50, 100), Bytes(answer.begin() + 50, answer.end()));
    // A printer that does not answer: the read ends after its time-out.
    EXPECT_TRUE(Reply(*port, 50, 100).empty());
}

// A printer that stops reading: the write of a band record (1,853 bytes)
// ends within its bound, 10 s and four times its time on the wire, where a
// bound that grew by the rate code's 7680 ms a byte allowed hours.
TEST_F(PtyTest, AStalledLineEndsABandRecordsWriteWithinItsBound) {
    const auto port = SystemPorts().Serial(path_, {10, 0});
    ASSERT_TRUE(port->Open().ok());
    ASSERT_TRUE(port->Configure().ok());
    const Bytes record = Pattern(1853);
    // The records before it fill what the line holds.
    for (int i = 0; i < 1000 && Write(*port, record, 100).ok(); ++i) {
    }
    const auto started = std::chrono::steady_clock::now();
    const LinkResult written = Write(*port, record);
    EXPECT_EQ(written.error, LinkError::kWrite);
    EXPECT_EQ(written.systemError, static_cast<std::uint32_t>(ETIMEDOUT));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

class SerialFileTest : public zelmar::test::WorkDirTest {};

TEST_F(SerialFileTest, PortsThatAreNotThereOrNotSerialAreRefused) {
    const auto missing = SystemPorts().Serial(Path("ttyS99"), {6, 0});
    EXPECT_EQ(missing->Open().error, LinkError::kOpen);
    EXPECT_EQ(missing->Open().systemError, static_cast<std::uint32_t>(ENOENT));

    // Opens, but takes no line settings.
    zelmar::test::WriteBytes(Path("file"), {});
    const auto file = SystemPorts().Serial(Path("file"), {6, 0});
    ASSERT_TRUE(file->Open().ok());
    const LinkResult configured = file->Configure();
    EXPECT_EQ(configured.error, LinkError::kSettings);
    EXPECT_EQ(configured.systemError, static_cast<std::uint32_t>(ENOTTY));
}

// A FIFO stands for a printer's pipe: bytes go in only while a reader holds it.
class FifoTest : public zelmar::test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        fifo_ = Path("printer");
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
    }
    UniqueFd Reader() const { return UniqueFd(open(fifo_.c_str(), O_RDONLY | O_NONBLOCK)); }

    std::string fifo_;
};

TEST_F(FifoTest, WithAReaderBytesArrive) {
    const UniqueFd reader = Reader();
    const auto port = SystemPorts().DeviceFile(fifo_, false);
    ASSERT_TRUE(port->Open().ok());
    ASSERT_TRUE(Write(*port, kStatusQuery).ok());
    EXPECT_EQ(Arrived(reader.get(), 3), kStatusQuery);
    // Nothing comes back through a FIFO.
    EXPECT_TRUE(Reply(*port, 50, 0).empty());
}

TEST_F(FifoTest, WithoutAReaderThereIsNoPrinter) {
    const auto port = SystemPorts().DeviceFile(fifo_, false);
    const LinkResult opened = port->Open();
    EXPECT_EQ(opened.error, LinkError::kOpen);
    EXPECT_EQ(opened.systemError, static_cast<std::uint32_t>(ENXIO));
}

TEST_F(FifoTest, AReaderThatGoesFailsTheWriteAndNotTheProgram) {
    UniqueFd reader = Reader();
    const auto port = SystemPorts().DeviceFile(fifo_, false);
    ASSERT_TRUE(port->Open().ok());
    reader.reset();
    const LinkResult written = Write(*port, kStatusQuery);
    EXPECT_EQ(written.error, LinkError::kWrite);
    EXPECT_EQ(written.systemError, static_cast<std::uint32_t>(EPIPE));
}

// A printer that stops taking bytes: the write gives up at its limit.
TEST_F(FifoTest, WritesNobodyTakesFailAtTheirLimit) {
    const UniqueFd reader = Reader();
    const auto fifo = SystemPorts().DeviceFile(fifo_, false);
    ASSERT_TRUE(fifo->Open().ok());
    char name[256] = {};
    int printer = -1, line = -1;
    ASSERT_EQ(openpty(&printer, &line, name, nullptr, nullptr), 0);
    const UniqueFd printerEnd(printer), lineEnd(line);
    const auto serial = SystemPorts().Serial(name, {10, 0});
    ASSERT_TRUE(serial->Open().ok());

    for (Transport* port : {fifo.get(), serial.get()}) {
        const LinkResult written = Write(*port, Bytes(4 << 20), 100);
        EXPECT_EQ(written.error, LinkError::kWrite);
        EXPECT_EQ(written.systemError, static_cast<std::uint32_t>(ETIMEDOUT));
    }
}

}  // namespace
}  // namespace zelmar::links
