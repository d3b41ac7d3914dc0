// zelmar's device commands against the real stand-in printer: over TCP on
// loopback, and over a serial line on the stand-in's pseudo-terminal; and
// the ports that are files, devices and FIFOs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "bmp_builder.h"
#include "cli.h"
#include "engine/upload_forms.h"
#include "standin_program.h"
#include "work_dir.h"

namespace zelmar::cli {
namespace {

using standin::test::ListeningPort;
using standin::test::Program;
using standin::test::PtyPath;

class LinksEndToEndTest : public test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        logo_ = Path("logo.bmp");
        test::WriteBytes(logo_, test::MakeDotsBmp(24, 16, [](int x, int y) { return x > y; }));
        mono_ = Path("mono.bmp");
        test::WriteBytes(mono_, test::MakeMonoBmp(16, 8, [](int x, int) { return x < 4; }));
    }
    // The stand-in on a free loopback port, with `reply` to the status query.
    std::unique_ptr<Program> Standin(const std::string& reply, bool pty = false,
                                     const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--flash",        Path("flash"),
                                         "--out",    Path("out"),   "--status-reply", reply};
        if (pty) args.push_back("--pty");
        args.insert(args.end(), more.begin(), more.end());
        auto program = std::make_unique<Program>(args);
        port_ = ListeningPort(*program);
        if (pty) pty_ = PtyPath(*program);
        return program;
    }
    std::string Tcp() const { return "127.0.0.1:" + std::to_string(port_); }
    // Runs one command line; the status it printed.
    int Status(std::vector<std::string> args) {
        std::ostringstream out, err;
        cli::Run(args, out, err);
        err_ = err.str();
        return std::stoi(out.str().empty() ? "999" : out.str());
    }
    // The NV data the stand-in keeps for `name` in its pending set.
    Bytes Stored(const std::string& name) const {
        return test::ReadBytes(Path("flash/pending/" + name + ".nv"));
    }
    // What the engine packs for the upload of `image` (its NV data).
    static Bytes Packed(const std::string& image) {
        BufferSink sink;
        EXPECT_EQ(WriteModelZeroForm({image}, {}, sink, nullptr), FormStatus::kDone);
        return Bytes(sink.bytes.begin() + 8, sink.bytes.end());
    }

    // The bytes of an upload of `image`: the status query, then its form.
    static std::size_t JobSize(const std::string& image, bool band) {
        BufferSink sink;
        const FormStatus written = band ? WriteBandForm({image}, false, sink, nullptr)
                                        : WriteModelZeroForm({image}, {}, sink, nullptr);
        EXPECT_EQ(written, FormStatus::kDone);
        return 3 + sink.bytes.size();
    }

    std::string logo_, mono_, pty_, err_;
    int port_ = 0;
};

TEST_F(LinksEndToEndTest, UploadOverTcpStoresTheLogoUnderItsRole) {
    // Outside the Windows 9x family the reply is read but not judged.
    for (const char* reply : {"0d", "20", "41"}) {
        auto standin = Standin(reply);
        ASSERT_EQ(Status({"upload", "--tcp", Tcp(), logo_, "--select-type", "1"}), 0) << err_;
        ASSERT_FALSE(standin->WaitFor("job ").empty());
        EXPECT_EQ(Stored("bottom-logo"), Packed(logo_)) << reply;
    }
}

TEST_F(LinksEndToEndTest, APrinterThatNeverAnswersStillTakesTheUpload) {
    auto standin = Standin("none");
    ASSERT_EQ(Status({"upload", "--tcp", Tcp(), logo_}), 0) << err_;
    ASSERT_FALSE(standin->WaitFor("job ").empty());
    EXPECT_EQ(Stored("top-logo"), Packed(logo_));
}

TEST_F(LinksEndToEndTest, OtherModelsTakeTheBandFormOfTheFirstImage) {
    auto standin = Standin("0d");
    ASSERT_EQ(Status({"upload", "--tcp", Tcp(), "--printer", "1", mono_, logo_}), 0) << err_;
    ASSERT_FALSE(standin->WaitFor("job ").empty());
    EXPECT_FALSE(Stored("band-logo").empty());
    EXPECT_TRUE(Stored("top-logo").empty());
}

TEST_F(LinksEndToEndTest, OptionsAndTheCutOverTcp) {
    auto standin = Standin("0d");
    ASSERT_EQ(Status({"upload", "--tcp", Tcp(), logo_}), 0) << err_;
    ASSERT_FALSE(standin->WaitFor("job ").empty());
    ASSERT_EQ(Status({"save-options", "--tcp", Tcp(), "--top", "1"}), 0) << err_;
    ASSERT_FALSE(standin->WaitFor("job ").empty());
    standin->Signal(SIGHUP);  // the reset: the stored logo takes effect
    ASSERT_FALSE(standin->WaitFor("reset").empty());
    ASSERT_EQ(Status({"print", "--tcp", Tcp()}), 0) << err_;
    const std::string receipt = standin->WaitFor("receipt ");
    ASSERT_FALSE(receipt.empty()) << standin->Output();
    // The receipt starts with the Top Logo.
    const Bytes bmp = test::ReadBytes(receipt.substr(8));
    EXPECT_TRUE(test::DotAt(bmp, 1, 0));
    EXPECT_FALSE(test::DotAt(bmp, 0, 0));
}

// The stand-in's count of a job's bytes, from its line "job N (...): B bytes, ...".
std::size_t BytesOfJob(const std::string& line) {
    const std::size_t colon = line.find("): ");
    return colon == std::string::npos ? 0 : std::stoul(line.substr(colon + 3));
}

TEST_F(LinksEndToEndTest, EveryByteOfATcpUploadReachesThePrinter) {
    // The largest picture that prints: 50,633 bytes of band form.
    const std::string big = Path("big.bmp");
    test::WriteBytes(big, test::MakeDotsBmp(616, 648, [](int x, int y) { return (x ^ y) & 1; }));
    const struct {
        const char* name;
        const char* printer;
        std::string reply;
        const char* replyDelayMs;
    } cases[] = {
        {"the band form does not read the reply", "1", "0d", "0"},
        {"the band form, a reply that comes late", "1", "0d", "300"},
        {"model 0, a reply that fills the read", "0", std::string(100, 'a'), "0"},
        {"model 0, a reply after the read gave up", "0", "0d", "3300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto standin = Standin(c.reply, false, {"--reply-delay", c.replyDelayMs});
        ASSERT_EQ(Status({"upload", "--tcp", Tcp(), "--printer", c.printer, big}), 0) << err_;
        const std::string job = standin->WaitFor("job ");
        EXPECT_EQ(BytesOfJob(job), JobSize(big, std::string(c.printer) != "0")) << job;
    }
    EXPECT_EQ(Stored("top-logo"), Packed(big));
}

TEST_F(LinksEndToEndTest, AClosedPortIsALinkThatDoesNotOpen) {
    int closed = 0;
    {
        auto standin = Standin("0d");
        closed = port_;
    }
    port_ = closed;
    EXPECT_EQ(Status({"print", "--tcp", Tcp()}), -1);
    EXPECT_NE(err_.find("Fail to Connection to POSPrinter(IP=127.0.0.1 Port=" +
                        std::to_string(closed) + ")"),
              std::string::npos)
        << err_;
}

TEST_F(LinksEndToEndTest, SerialUploadOnThePseudoTerminal) {
    auto standin = Standin("20", true);
    ASSERT_FALSE(pty_.empty());
    // COM5 is the stand-in's line here, as Wine's registry maps COM ports.
    setenv("ZELMAR_COM5", pty_.c_str(), 1);
    EXPECT_EQ(Status({"upload", "--port", "COM5", "--baud", "10", logo_}), 0) << err_;
    ASSERT_FALSE(standin->WaitFor("job ").empty());
    EXPECT_EQ(Stored("top-logo"), Packed(logo_));
    unsetenv("ZELMAR_COM5");
}

TEST_F(LinksEndToEndTest, DevicesAndFifosStayPorts) {
    EXPECT_EQ(Status({"print", "--port", "/dev/null"}), 0) << err_;
    const std::string fifo = Path("printer");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(Status({"save-options", "--port", fifo, "--top", "1"}), 0) << err_;
    char options[16] = {};
    EXPECT_EQ(read(reader, options, sizeof options), 9);
    close(reader);
}

TEST_F(LinksEndToEndTest, TheSerialLinkJudgesTheReply) {
    auto standin = Standin("none", true);
    setenv("ZELMAR_COM5", pty_.c_str(), 1);
    EXPECT_EQ(Status({"upload", "--port", "COM5", logo_}), -3);
    unsetenv("ZELMAR_COM5");
    EXPECT_TRUE(Stored("top-logo").empty());
}

}  // namespace
}  // namespace zelmar::cli
