// Orvenna.exe under a real display, driven from outside as a user would:
// printer queues made in the registry, settings and lists prepared in its
// folder, and what the window shows, keeps and writes checked.
#include <windows.h>

#include <commctrl.h>

#include <set>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "settings.h"
#include "win32/handle_owners.h"

namespace orvenna::test {
namespace {

TEST_F(OrvennaTest, EnglishStartRestoresTheSettingsAndTheListsAndClosingSavesThem) {
    Queues({"NX-A60", "NX-A60 Copy"});
    const std::string top = Picture("top.bmp", 200, 80);
    WriteFile(Path("TopLogo.ini"), "[LOGO]\r\nLogofile1=" + Path("gone.bmp") +
                                       "|gone.bmp|8|8|8\r\nLogofile2=" + top +
                                       "|top.bmp|2000|80|200\r\n");
    WriteFile(Path("Orvenna.ini"),
              "[LOGO]\r\nPrinter=0\r\nIP=10.1.2.3\r\nPort=2\r\nBaudRate=2\r\nBitLength=0\r\n"
              "Parity=1.5\r\nStopBit=9\r\nHandShake=x\r\n");
    Start();
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(AppProcess::TextOf(window), L"Orvenna Version 1.01");
    EXPECT_EQ(app_->ComboEntries(window, IDC_PRINTER), (Texts{L"NX-A60"}));
    EXPECT_EQ(app_->ComboSelection(window, IDC_PRINTER), L"NX-A60");
    const Texts ports = app_->ComboEntries(window, IDC_PORT);
    ASSERT_EQ(ports.size(), 16u);
    EXPECT_EQ(ports[2], L"USB");
    EXPECT_EQ(app_->ComboSelection(window, IDC_PORT), L"USB");
    EXPECT_EQ(app_->ComboSelection(window, IDC_BAUDRATE), L"9600 bps");
    EXPECT_EQ(app_->ComboSelection(window, IDC_PARITY), L"ODD") << "1.5, half to even";
    EXPECT_EQ(app_->ComboSelection(window, IDC_STOPBIT), L"1 bit");
    EXPECT_EQ(app_->Text(window, IDC_IP), L"10.1.2.3");
    EXPECT_EQ(app_->Text(window, IDC_PORT_NUMBER), L"9100");

    const HWND topList = Item(window, IDC_TOP_LIST);
    EXPECT_EQ(app_->ListColumns(topList), (Texts{L"No", L"Name", L"Size"}));
    EXPECT_EQ(app_->ListRows(topList), (std::vector<Texts>{{L"1", L"top.bmp", L"2000"}}));
    EXPECT_TRUE(app_->ListRows(Item(window, IDC_BOTTOM_LIST)).empty());

    // The states after start-up, on the first tab.
    EXPECT_EQ(SendMessageW(Item(window, IDC_TAB), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowVisible(topList));
    EXPECT_FALSE(IsWindowVisible(Item(window, IDC_PRINTER)));
    EXPECT_FALSE(IsWindowEnabled(Item(window, IDC_TOP_ADD)));
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_TOP_REMOVE)));
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_BOTTOM_ADD)));
    EXPECT_FALSE(IsWindowEnabled(Item(window, IDC_BOTTOM_REMOVE)));
    EXPECT_TRUE(IsWindowEnabled(Item(window, IDC_MODE_NONE)));
    EXPECT_EQ(SendMessageW(Item(window, IDC_MODE_NONE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(window, IDC_SLIDER), TBM_GETPOS, 0, 0), 5);
    Screenshot("english-preview");

    ShowTab(window, 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Item(window, IDC_PRINTER)); }));
    EXPECT_FALSE(IsWindowVisible(topList));
    EXPECT_EQ(SendMessageW(Item(window, IDC_TOP_OPTION), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(window, IDC_BOTTOM_OPTION), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(Item(window, IDC_TOP_OPTION)));
    EXPECT_FALSE(IsWindowEnabled(Item(window, IDC_BOTTOM_OPTION)));
    EXPECT_TRUE(IsWindowVisible(Item(window, IDC_TOP_SKETCH)));
    EXPECT_FALSE(IsWindowVisible(Item(window, IDC_BOTTOM_SKETCH)));
    EXPECT_FALSE(IsWindowVisible(Item(window, IDC_WATERMARK_SKETCH)));
    EXPECT_FALSE(IsWindowVisible(Item(window, IDC_ABOUT_FRAME)));
    for (const int job : {IDC_LOGO_UPLOAD, IDC_ERASE_ALL, IDC_PRINT_OUT, IDC_PRINTER})
        EXPECT_TRUE(IsWindowEnabled(Item(window, job))) << job;
    for (const int off : {IDC_PORT_FRAME, IDC_PORT, IDC_HANDSHAKE, IDC_NETWORK_FRAME, IDC_IP,
                          IDC_UPLOAD_TOP, IDC_OPEN_TO_PRINT, IDC_OPTION_SAVE, IDC_MARGIN_FRAME,
                          IDC_BI_SIDE, IDC_WATERMARK_OPTION}) {
        EXPECT_FALSE(IsWindowEnabled(Item(window, off))) << "switched off: " << off;
    }
    Screenshot("english-driver");

    CloseAndWait(window);
    EXPECT_EQ(ReadFile(Path("Orvenna.ini")),
              "[LOGO]\r\nPrinter=0\r\nIP=10.1.2.3\r\nPort=2\r\nBaudRate=2\r\nBitLength=0\r\n"
              "Parity=2\r\nStopBit=0\r\nHandShake=0\r\n");
    EXPECT_EQ(ReadFile(Path("TopLogo.ini")),
              "[LOGO]\r\nLogofile1=" + top + "|top.bmp|2000|80|200\r\n");
    EXPECT_FALSE(zelmar::test::FileExists(Path("BottomLogo.ini")));
}

TEST_F(OrvennaTest, ChoosingTheSecondPrinterDropsUsb) {
    Queues({"NX-A60", "ZORAVE DOZUZIZ ADOREDU"});
    WriteFile(Path("Orvenna.ini"), "[LOGO]\r\nPrinter=0\r\nPort=2\r\n");
    Start();
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    const HWND printers = Item(window, IDC_PRINTER);
    SendMessageW(printers, CB_SETCURSEL, 1, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PRINTER, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(printers));
    EXPECT_EQ(app_->ComboEntries(window, IDC_PORT).size(), 15u);
    EXPECT_EQ(app_->ComboSelection(window, IDC_PORT), L"LPT1");
    CloseAndWait(window);
    const auto saved = ReadSettings(ProfileText(ReadFile(Path("Orvenna.ini"))));
    EXPECT_EQ(saved[0], "1");
    EXPECT_EQ(saved[2], "0");
}

TEST_F(OrvennaTest, TheSessionsEndSavesTheSettingsAndLists) {
    Queues({"NX-A60"});
    const std::string top = Picture("top.bmp", 16, 8);
    const std::string list = "[LOGO]\r\nLogofile1=" + top + "|top.bmp|16|8|16\r\n";
    WriteFile(Path("TopLogo.ini"), list + "Logofile2=" + Path("gone.bmp") + "|gone.bmp|8|8|8\r\n");
    Start();
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    // Log-off: the system asks, then says the session ends.
    EXPECT_TRUE(SendMessageW(window, WM_QUERYENDSESSION, 0, 0));
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadFile(Path("TopLogo.ini")), list);
    EXPECT_NE(ReadFile(Path("Orvenna.ini")).find("HandShake=0"), std::string::npos);
    CloseAndWait(window);
}

// Another program has the list open while Orvenna starts: the user is told,
// and the list is not written over at closing.
TEST_F(OrvennaTest, AListHeldAtStartUpIsNamedAndKept) {
    Queues({"NX-A60"});
    const std::string path = Path("TopLogo.ini");
    const std::string list =
        "[LOGO]\r\nLogofile1=" + Picture("top.bmp", 16, 8) + "|top.bmp|16|8|16\r\n";
    WriteFile(path, list);
    std::wstring text;
    {
        const zelmar::win32::UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                         0, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        Start();
        text = Answer(IDOK);
    }
    EXPECT_EQ(text.rfind(L"Top Logo (", 0), 0u) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"TopLogo.ini): the file could not be read; another program may be using "
                        L"it, or it is too large.\r\n\r\nThese files are left as they are."),
              std::wstring::npos);
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(app_->ListRows(Item(window, IDC_TOP_LIST)).empty());
    CloseAndWait(window);
    EXPECT_EQ(ReadFile(path), list);
    EXPECT_FALSE(zelmar::test::FileExists(path + ".bak"));
}

TEST_F(OrvennaTest, NoMatchingDriverLeavesTheBareStateAndItsFilesAlone) {
    Queues({"NX-A60 Copy", "NX-A11"});
    const std::string settings = "[LOGO]\r\nPrinter=0\r\nPort=3\r\n";
    WriteFile(Path("Orvenna.ini"), settings);
    Start();
    std::wstring caption;
    EXPECT_EQ(Answer(IDOK, &caption),
              L"Installed Printer Driver not Exist\r\nPlease install Printer Driver !!!");
    EXPECT_EQ(caption, L"Orvenna");
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(AppProcess::TextOf(window), L"Orvenna 1.01");
    EXPECT_EQ(SendMessageW(Item(window, IDC_TAB), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(app_->ComboEntries(window, IDC_PRINTER).empty());
    EXPECT_TRUE(app_->ListColumns(Item(window, IDC_TOP_LIST)).empty());
    for (const int button : {IDC_TOP_ADD, IDC_TOP_REMOVE, IDC_BOTTOM_ADD, IDC_BOTTOM_REMOVE,
                             IDC_LOGO_UPLOAD, IDC_ERASE_ALL, IDC_PRINT_OUT}) {
        EXPECT_FALSE(IsWindowEnabled(Item(window, button))) << button;
    }
    Screenshot("english-bare");
    CloseAndWait(window);
    EXPECT_EQ(ReadFile(Path("Orvenna.ini")), settings);
    EXPECT_FALSE(zelmar::test::FileExists(Path("TopLogo.ini")));
}

TEST_F(KoreanOrvennaTest, RelabelsAndShowsTheDriverTab) {
    Queues({"NX-A20", "NX-A60", "NX-A11"});
    Start();
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(AppProcess::TextOf(window), L"Orvenna Version 1.01");
    EXPECT_EQ(app_->ComboEntries(window, IDC_PRINTER), (Texts{L"NX-A11", L"NX-A20"}));
    const HWND tab = Item(window, IDC_TAB);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(app_->TabCaption(tab, 0), W("미리보기"));
    EXPECT_EQ(app_->TabCaption(tab, 1), W("프린터 드라이버를 이용 로고 업로드"));
    EXPECT_TRUE(IsWindowVisible(Item(window, IDC_ABOUT_FRAME)));
    EXPECT_EQ(app_->Text(window, IDC_LOGO_UPLOAD), W("로고 업로드"));
    EXPECT_EQ(app_->Text(window, IDC_PRINTER_LABEL), W("프린터 드라이버 이름 : "));
    EXPECT_EQ(app_->Text(window, IDC_CLOSE), W("종료"));
    EXPECT_EQ(app_->Text(window, IDC_TOP_FRAME), L"Top Logo Management");
    EXPECT_EQ(app_->ListColumns(Item(window, IDC_TOP_LIST)),
              (Texts{W("순서"), W("이름"), W("크기")}));
    ASSERT_TRUE(AppProcess::WaitForPainted(window));
    const std::vector<std::uint32_t> atStart = AppProcess::Pixels(window);
    ASSERT_GT(std::set<std::uint32_t>(atStart.begin(), atStart.end()).size(), 2u) << "a capture";
    Screenshot("korean-driver");
    ShowTab(window, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Item(window, IDC_TOP_LIST)); }));
    EXPECT_EQ(app_->Text(window, IDC_TOP_ADD), W("파일 추가"));
    EXPECT_EQ(app_->Text(window, IDC_MODE_DIFFUSION), W("오류 확산"));
    ASSERT_TRUE(AppProcess::WaitForPainted(window));
    Screenshot("korean-preview");
    // The page shown at start-up looks as it does when the user comes back to it.
    ShowTab(window, 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Item(window, IDC_PRINTER)); }));
    ASSERT_TRUE(AppProcess::WaitForPainted(window));
    const std::vector<std::uint32_t> back = AppProcess::Pixels(window);
    ASSERT_EQ(back.size(), atStart.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < back.size(); ++i)
        differ += back[i] != atStart[i];
    EXPECT_EQ(differ, 0u) << "of " << back.size() << " pixels";
    CloseAndWait(window);
}

TEST_F(KoreanOrvennaTest, NoDriverMessage) {
    Queues({"ZORAVE DOZUZIZ ADOREDU"});
    Start();
    EXPECT_EQ(
        Answer(IDOK),
        W("설치된 프린터 드라이버가 없습니다.\r\n프린터 드라이버를 먼저 설치해 주십시오. !!!"));
    const HWND window = Main();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(AppProcess::TextOf(window), L"Orvenna 1.01");
    CloseAndWait(window);
    EXPECT_FALSE(zelmar::test::FileExists(Path("Orvenna.ini")));
}

}  // namespace
}  // namespace orvenna::test
