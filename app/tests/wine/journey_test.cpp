// A user's way through Orvenna.exe, end to end to the printer: logos added
// through the real open-file dialog, refused ones, the preview settings, a
// removal, then the driver jobs against a queue whose port is a file, whose
// bytes the stand-in printer stores; English and Korean mode.
#include "app_fixture.h"

#include <winspool.h>

#include <algorithm>

#include "canvas.h"
#include "engine/upload_forms.h"
#include "links/device_config.h"
#include "wine_paths.h"

namespace orvenna::test {
namespace {

using zelmar::links::DeviceConfig;
using zelmar::links::Logo;
using zelmar::test::Canvas;
using zelmar::test::UnixPath;

constexpr wchar_t kWriteDone[] =
    L"Upload finished, and Writing of bit image completed.\r\nLogo becomes available after the "
    L"reset of a device.";
constexpr wchar_t kEraseDone[] =
    L"Upload finished, and Cleaning of NV Image completed.\r\nLogo becomes available after the "
    L"reset of a device.";
constexpr wchar_t kCheckDriver[] = L"Please Check Printer Driver. Can not be transmitted.";

// Starts a Linux program by its path on drive Z:. Wine gives no handle to
// wait on for such a process, so the caller waits for what it writes.
bool StartLinuxProgram(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

// What a window shows on the screen, from its outer corner.
std::vector<std::uint32_t> Shown(HWND window, int width, int height) {
    RECT place = {};
    GetWindowRect(window, &place);
    return AppProcess::ScreenPixels({place.left, place.top}, width, height);
}

// A picture file stretched to `width` x `height`, whole dots, nearest first.
std::vector<std::uint32_t> Stretched(const std::string& file, int width, int height) {
    const auto picture = static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP size = {};
    GetObjectW(picture, sizeof size, &size);
    Canvas canvas(width, height);
    const HDC source = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(source, picture);
    SetStretchBltMode(canvas.Dc(), COLORONCOLOR);
    StretchBlt(canvas.Dc(), 0, 0, width, height, source, 0, 0, size.bmWidth, size.bmHeight,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(picture);
    return canvas.Pixels();
}

class JourneyTest : public OrvennaTest {
  protected:
    // Clicks a button as the user does, once it is enabled.
    void Click(HWND window, int id) {
        const HWND button = Item(window, id);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(button) != FALSE; })) << id;
        PostMessageW(button, BM_CLICK, 0, 0);
    }
    // "Add File" of a panel with `file` chosen in the open-file dialog.
    void AddFile(HWND window, int addButton, const std::string& file) {
        Click(window, addButton);
        ASSERT_TRUE(app_->ChooseFile(file)) << file;
    }
    std::size_t Rows(HWND window, int list) {
        return static_cast<std::size_t>(SendMessageW(Item(window, list), LVM_GETITEMCOUNT, 0, 0));
    }
    // The printed-image box shows `file` at 10 twips a dot (96 dots an inch:
    // two thirds of a pixel a dot).
    void ExpectPrintedBoxShows(HWND window, const std::string& file, int width, int height) {
        const HWND box = Item(window, IDC_PRINTED_IMAGE);
        RECT client = {};
        GetClientRect(box, &client);
        ASSERT_EQ(client.right, MulDiv(width * 10, 96, 1440));
        ASSERT_EQ(client.bottom, MulDiv(height * 10, 96, 1440));
        // The file is written and the box painted after the presenter's turn:
        // wait for the two to agree.
        std::vector<std::uint32_t> shown, expected;
        WaitFor(
            [&] {
                expected = Stretched(file, client.right, client.bottom);
                shown = Shown(box, client.right, client.bottom);
                return shown == expected;
            },
            5000);
        std::size_t first = 0;
        while (first < shown.size() && shown[first] == expected[first])
            ++first;
        EXPECT_EQ(first, shown.size())
            << file << ": first difference at pixel " << first << ", " << std::hex
            << shown[first % shown.size()] << " against " << expected[first % shown.size()];
    }
    void SaveCopy(const std::string& from, const std::string& to) {
        ASSERT_TRUE(CopyFileA(Path(from).c_str(), Path(to).c_str(), FALSE));
    }
    // The port's bytes of the last job; each job starts with none.
    Bytes TakePort() {
        const Bytes bytes = zelmar::test::ReadBytes(port_);
        DeleteFileA(port_.c_str());
        return bytes;
    }
    DeviceConfig StoredConfig() {
        HANDLE printer = nullptr;
        EXPECT_TRUE(OpenPrinterA(const_cast<char*>(queue_.c_str()), &printer, nullptr));
        Bytes record(2048);
        DWORD type = 0, needed = 0;
        GetPrinterDataA(printer, const_cast<char*>("TTY DeviceConfig"), &type, record.data(),
                        static_cast<DWORD>(record.size()), &needed);
        ClosePrinter(printer);
        record.resize(needed);
        return *DeviceConfig::Accept(type, record);
    }
    // The stand-in printer, fed with `job`, stores NV images 1 and 2 with
    // the dots of the two preview pictures.
    void ExpectStandinStores(const Bytes& job, const std::string& topDots,
                             const std::string& bottomDots) {
        const char* standin = std::getenv("ZELMAR_STANDIN");
        if (!standin || !*standin) return;
        zelmar::test::WriteBytes(Path("job.bin"), job);
        ASSERT_TRUE(zelmar::test::FileExists(Path("job.bin"))) << Path("job.bin");
        std::string program = std::string("Z:") + standin;
        std::replace(program.begin(), program.end(), '/', '\\');
        ASSERT_TRUE(
            StartLinuxProgram(W(program + " --flash " + UnixPath(Path("flash")) + " --out " +
                                UnixPath(Path("out")) + " --input " + UnixPath(Path("job.bin")))));
        // Each image set appears whole, by a rename, once the job is stored.
        ASSERT_TRUE(WaitFor([&] {
            return zelmar::test::FileExists(Path("flash\\pending\\image-002.nv"));
        })) << "the stand-in printer stored no NV image 2";
        const struct {
            const char* image;
            const std::string& dots;
        } stored[] = {{"image-001.nv", topDots}, {"image-002.nv", bottomDots}};
        for (const auto& [image, dots] : stored) {
            const Bytes nv = zelmar::test::ReadBytes(Path(std::string("flash\\pending\\") + image));
            const Bytes picture = zelmar::test::ReadBytes(Path(dots));
            const int width = static_cast<int>(picture[18] | picture[19] << 8);
            const int height = static_cast<int>(picture[22] | picture[23] << 8);
            const int padded = (height + 7) / 8 * 8;
            ASSERT_EQ(nv.size(), static_cast<std::size_t>(width * padded / 8)) << image;
            int differences = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    differences += zelmar::test::NvDot(nv.data(), padded, x, y) !=
                                   zelmar::test::DotAt(picture, x, y);
                }
            }
            EXPECT_EQ(differences, 0) << image;
        }
    }

    void Journey(const std::string& queue);

    std::string queue_, port_;
};

void JourneyTest::Journey(const std::string& queue) {
    queue_ = queue;
    port_ = Path("port.bin");
    queues_.push_back(std::make_unique<PrintQueue>(queue, port_));
    const auto gradient = [](int x, int y) {
        return zelmar::test::Grey((x * 9 + y * 5) % 256) ^ (x % 7 == 0 ? 0x300000u : 0u);
    };
    const std::string top = Path("top.bmp"), bottom = Path("bottom.bmp");
    zelmar::test::WriteBytes(top, zelmar::test::MakeColourBmp(120, 48, gradient));
    zelmar::test::WriteBytes(bottom, zelmar::test::MakeColourBmp(64, 32, gradient));
    zelmar::test::WriteBytes(Path("mono.bmp"),
                             zelmar::test::MakeMonoBmp(32, 16, [](int x, int) { return x < 8; }));
    zelmar::test::WriteBytes(Path("big.bmp"), zelmar::test::MakeColourBmp(620, 20, gradient));
    Start();
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    ShowTab(window, 0);

    // Refused files: a 1-bit one, one too large to print.
    AddFile(window, IDC_TOP_ADD, Path("mono.bmp"));
    EXPECT_EQ(Answer(IDOK), L"Select Color bitmap file.");
    AddFile(window, IDC_TOP_ADD, Path("big.bmp"));
    EXPECT_EQ(Answer(IDOK), L"Out of range bitmap file.");
    EXPECT_EQ(Rows(window, IDC_TOP_LIST), 0u);

    AddFile(window, IDC_TOP_ADD, top);
    ASSERT_TRUE(WaitFor([&] { return Rows(window, IDC_TOP_LIST) == 1; }));
    EXPECT_EQ(app_->ListRows(Item(window, IDC_TOP_LIST)),
              (std::vector<Texts>{{L"1", L"top.bmp", L"720"}}));
    EXPECT_EQ(app_->Text(window, IDC_TOP_HEIGHT), L"Height : 48");
    EXPECT_EQ(app_->Text(window, IDC_TOP_WIDTH), L"Width : 120");
    EXPECT_FALSE(IsWindowEnabled(Item(window, IDC_TOP_ADD)));
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_TOP_REMOVE)));
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_MODE_DIFFUSION)));
    RECT original = {};
    GetClientRect(Item(window, IDC_ORIGINAL_IMAGE), &original);
    EXPECT_EQ(original.right, 80) << "120 dots at 10 twips, 96 dots an inch";
    EXPECT_EQ(original.bottom, 32);
    ExpectPrintedBoxShows(window, Path("Temp.bmp"), 120, 48);

    AddFile(window, IDC_BOTTOM_ADD, bottom);
    ASSERT_TRUE(WaitFor([&] { return Rows(window, IDC_BOTTOM_LIST) == 1; }));
    EXPECT_EQ(app_->ListRows(Item(window, IDC_BOTTOM_LIST)),
              (std::vector<Texts>{{L"1", L"bottom.bmp", L"256"}}));
    EXPECT_EQ(app_->Text(window, IDC_BOTTOM_HEIGHT), L"Height : 32");
    ExpectPrintedBoxShows(window, Path("Temp.bmp"), 64, 32);
    Screenshot("journey-" + queue + "-added");

    // "Error Diffusion", and the slider moved three steps by keyboard.
    SendMessageW(Item(window, IDC_MODE_DIFFUSION), BM_CLICK, 0, 0);
    const HWND slider = Item(window, IDC_SLIDER);
    for (int step = 0; step < 3; ++step) {
        SendMessageW(slider, WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(slider, WM_KEYUP, VK_RIGHT, 0);
    }
    EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 8);

    // Removing the bottom logo: No keeps it, Yes removes it; then again.
    Click(window, IDC_BOTTOM_REMOVE);
    EXPECT_EQ(Answer(IDNO), L"Do you want to remove all of the selection?");
    EXPECT_EQ(Rows(window, IDC_BOTTOM_LIST), 1u);
    Click(window, IDC_BOTTOM_REMOVE);
    EXPECT_EQ(Answer(IDYES), L"Do you want to remove all of the selection?");
    ASSERT_TRUE(WaitFor([&] { return Rows(window, IDC_BOTTOM_LIST) == 0; }));
    EXPECT_EQ(app_->Text(window, IDC_BOTTOM_HEIGHT), L"Height : ");
    EXPECT_EQ(app_->Text(window, IDC_BOTTOM_WIDTH), L"Width  : ");
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_BOTTOM_ADD)));
    AddFile(window, IDC_BOTTOM_ADD, bottom);
    ASSERT_TRUE(WaitFor([&] { return Rows(window, IDC_BOTTOM_LIST) == 1; }));
    ExpectPrintedBoxShows(window, Path("Temp.bmp"), 64, 32);
    SaveCopy("Temp.bmp", "bottom-dots.bmp");
    app_->ClickRow(Item(window, IDC_TOP_LIST), 0);
    ASSERT_TRUE(WaitFor([&] {
        RECT shown = {};
        GetClientRect(Item(window, IDC_PRINTED_IMAGE), &shown);
        return shown.right == 80;
    })) << "the click shows the top logo";
    ExpectPrintedBoxShows(window, Path("Temp.bmp"), 120, 48);
    SaveCopy("Temp.bmp", "top-dots.bmp");
    Screenshot("journey-" + queue + "-diffusion");

    // Logo Upload: the definition of both logos, as the preview made them.
    ShowTab(window, 1);
    Click(window, IDC_LOGO_UPLOAD);
    EXPECT_EQ(Answer(IDYES),
              L"Logo files are written in the NV image area of the device. Continue it?");
    std::wstring caption;
    EXPECT_EQ(Answer(IDOK, &caption), kWriteDone);
    Screenshot("journey-" + queue + "-uploaded");
    EXPECT_EQ(caption, L"Orvenna Version 1.01");
    const Bytes job = TakePort();
    zelmar::BufferSink expected;
    ASSERT_EQ(zelmar::WriteDefinitionFile({top, bottom}, {zelmar::ToneMethod::kDiffusion, 8, 0},
                                          expected, nullptr),
              zelmar::FormStatus::kDone);
    EXPECT_TRUE(job == expected.bytes) << "the port holds " << job.size() << " bytes";
    ExpectStandinStores(job, "top-dots.bmp", "bottom-dots.bmp");
    const DeviceConfig uploaded = StoredConfig();
    EXPECT_TRUE(uploaded.Switch(Logo::kTop));
    EXPECT_TRUE(uploaded.Switch(Logo::kBottom));
    EXPECT_EQ(uploaded.Command(Logo::kTop), (Bytes{0x1C, 0x70, 0x01, 0x30}));
    EXPECT_EQ(uploaded.Command(Logo::kBottom), (Bytes{0x1C, 0x70, 0x02, 0x30}));

    Click(window, IDC_PRINT_OUT);
    EXPECT_EQ(Answer(IDOK), L"Sample Printing Success.");
    EXPECT_EQ(TakePort().size(), 1024u) << "NV images 1 to 255, then feed and cut";

    Click(window, IDC_ERASE_ALL);
    EXPECT_EQ(Answer(IDYES, &caption), L"NV image all Delete. Continue it?");
    EXPECT_EQ(caption, L"Delete");
    EXPECT_EQ(Answer(IDOK), kEraseDone);
    EXPECT_EQ(TakePort(), (Bytes{0x1C, 0x65}));
    EXPECT_FALSE(StoredConfig().Switch(Logo::kTop));
    EXPECT_FALSE(StoredConfig().Switch(Logo::kBottom));

    // The queue gone: every job says that no printer matches.
    queues_.clear();
    Click(window, IDC_LOGO_UPLOAD);
    Answer(IDYES);
    EXPECT_EQ(Answer(IDOK), kCheckDriver);
    Click(window, IDC_ERASE_ALL);
    Answer(IDYES);
    EXPECT_EQ(Answer(IDOK), kCheckDriver);
    Click(window, IDC_PRINT_OUT);
    EXPECT_EQ(Answer(IDOK), kCheckDriver);
    CloseAndWait(window);
    EXPECT_EQ(ReadFile(Path("TopLogo.ini")),
              "[LOGO]\r\nLogofile1=" + top + "|top.bmp|720|48|120\r\n");
}

TEST_F(JourneyTest, English) {
    Journey("NX-A60");
}

class KoreanJourneyTest : public JourneyTest {
  protected:
    void SetUp() override {
        JourneyTest::SetUp();
        if (GetACP() != 949) GTEST_SKIP() << "runs under the Korean locale";
    }
};

TEST_F(KoreanJourneyTest, Korean) {
    Journey("NX-A11");
}

}  // namespace
}  // namespace orvenna::test
