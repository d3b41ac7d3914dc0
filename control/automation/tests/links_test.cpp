// The direct device methods through the control's dispatch interface, against
// stand-in printers of the native build: TCP on loopback, COM3 on the
// stand-in's pseudo-terminal, LPT1 on a FIFO the stand-in reads (see
// wine_links.sh, which starts them and maps the ports).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bmp_builder.h"
#include "com_test.h"
#include "dispatch_ids.h"
#include "engine/upload_forms.h"

namespace zelmar::test {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A Linux path of the stand-ins' work as this program reaches it: drive Z: is /.
std::string FromLinux(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return windows;
}

class LinksTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        if (Environment("ZELMAR_TEST_WORK").empty()) {
            GTEST_SKIP() << "no stand-in printers: run through wine_links.sh";
        }
        work_ = FromLinux(Environment("ZELMAR_TEST_WORK"));
        tcpPort_ = Wide(Environment("ZELMAR_TEST_TCP_PORT"));
        logo_ = Path("logo.bmp");
        WriteBytes(logo_, MakeDotsBmp(32, 24, [](int x, int y) { return (x ^ y) & 4; }));
        Connect();
    }
    // Arguments of the upload methods after the link's: the list, the image
    // options and the role.
    static void Images(Arguments& a, const std::string& list, SHORT selectType) {
        a.Text(Wide(list)).Short(0).Short(5).Short(0).Short(selectType).Short(0);
    }
    static void Serial(Arguments& a, const wchar_t* port) {
        a.Long(0).Text(port).Long(10).Long(0).Long(0).Long(0).Long(0);
    }
    // Waits, boundedly, until the stand-in has stored `bytes` as `file`.
    bool StoredAs(const std::string& file, const Bytes& bytes) {
        for (int tries = 0; tries < 500; ++tries) {
            if (ReadBytes(work_ + "\\" + file) == bytes) return true;
            Sleep(20);
        }
        return false;
    }
    bool Appears(const std::string& file) {
        for (int tries = 0; tries < 500 && !FileExists(work_ + "\\" + file); ++tries)
            Sleep(20);
        return FileExists(work_ + "\\" + file);
    }
    Bytes Packed() const {
        BufferSink sink;
        EXPECT_EQ(WriteModelZeroForm({logo_}, {}, sink, nullptr), FormStatus::kDone);
        return Bytes(sink.bytes.begin() + 8, sink.bytes.end());
    }

    std::string work_, logo_;
    std::wstring tcpPort_;
};

TEST_F(LinksTest, OverTcpIp) {
    Arguments upload;
    upload.Long(0).Text(L"127.0.0.1").Text(tcpPort_);
    Images(upload, logo_ + "|", 0);
    ASSERT_EQ(Status(ZELMAR_DISPID_UPLOAD_TCPIP, upload), 0);
    EXPECT_TRUE(StoredAs("flash\\pending\\top-logo.nv", Packed()));

    Arguments save;
    save.Long(0).Text(L"127.0.0.1").Text(tcpPort_).Short(1).Short(1).Short(0).Short(0);
    ASSERT_EQ(Status(ZELMAR_DISPID_PRINTER_SAVE_TCPIP, save), 0);
    Arguments print;
    print.Long(3).Text(L"127.0.0.1").Text(tcpPort_).Long(0).Long(0).Long(0);
    ASSERT_EQ(Status(ZELMAR_DISPID_PRINT_TCPIP, print), 0);
    EXPECT_TRUE(Appears("out\\receipt-0001.bmp"));
    EXPECT_EQ(sink_.received, (std::vector<LONG>{1, 255, 255}));
}

TEST_F(LinksTest, OverTheSerialLine) {
    Arguments upload;
    Serial(upload, L"COM3");
    Images(upload, logo_ + "|", 1);
    ASSERT_EQ(Status(ZELMAR_DISPID_UPLOAD, upload), 0);
    EXPECT_TRUE(StoredAs("flash\\pending\\bottom-logo.nv", Packed()));
    Arguments save;
    Serial(save, L"COM3");
    save.Short(0).Short(1).Short(0).Short(0);
    ASSERT_EQ(Status(ZELMAR_DISPID_PRINTER_SAVE, save), 0);
    EXPECT_EQ(sink_.received, (std::vector<LONG>{1, 255}));
}

TEST_F(LinksTest, OverAPortOpenedAsADeviceFile) {
    Arguments upload;
    Serial(upload, L"LPT1");
    Images(upload, logo_ + "|", 0);
    ASSERT_EQ(Status(ZELMAR_DISPID_UPLOAD, upload), 0);
    EXPECT_TRUE(StoredAs("lpt-flash\\pending\\top-logo.nv", Packed()));
    Arguments print;
    Serial(print, L"LPT1");
    print.Long(0).Long(0).Long(0);
    ASSERT_EQ(Status(ZELMAR_DISPID_PRINT, print), 0);
    Arguments save;
    Serial(save, L"LPT1");
    save.Short(1).Short(0).Short(0).Short(0);
    ASSERT_EQ(Status(ZELMAR_DISPID_PRINTER_SAVE, save), 0);
    EXPECT_EQ(sink_.received, (std::vector<LONG>{1, 255, 255}));
}

TEST_F(LinksTest, NoUsbPrinterAndAClosedPortAreLinksThatDoNotOpen) {
    Arguments usb;
    Serial(usb, L"USB001");
    usb.Long(0).Long(0).Long(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_PRINT, usb), -1);

    DebugOutput output;
    Arguments closed;
    closed.Long(0).Text(L"127.0.0.1").Text(L"1").Long(0).Long(0).Long(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_PRINT_TCPIP, closed), -1);
    EXPECT_NE(
        DebugOutput::Text().find(
            "POSPrinter IP & Port Check: Fail to Connection to POSPrinter(IP=127.0.0.1 Port=1)"),
        std::string::npos)
        << DebugOutput::Text();
}

}  // namespace
}  // namespace zelmar::test
