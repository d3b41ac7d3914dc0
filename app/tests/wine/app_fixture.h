// Orvenna.exe in a folder of its own for each test, started with printer
// queues made in the registry and driven from outside.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app_window.h"
#include "bmp_builder.h"
#include "com_test.h"
#include "print_queue.h"
#include "resource.h"

namespace orvenna::test {

using zelmar::test::BesideThisProgram;
using zelmar::test::Bytes;
using zelmar::test::PrintQueue;
using Texts = std::vector<std::wstring>;

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A screenshot of the display into ORVENNA_SCREENSHOTS (a Linux folder),
// when it is set: the pictures of the README.
inline void Screenshot(const std::string& name) {
    const char* folder = std::getenv("ORVENNA_SCREENSHOTS");
    if (!folder || !*folder) return;
    std::string output;
    zelmar::test::RunProgram(W("Z:\\bin\\sh -c \"xwd -root -silent | convert xwd:- '" +
                               std::string(folder) + "/" + name + ".png'\""),
                             L"", output);
}

using Environment = std::map<std::wstring, std::wstring>;

class OrvennaTest : public zelmar::test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        program_ = W(Path("Orvenna.exe"));
        ASSERT_TRUE(CopyFileW(BesideThisProgram(L"Orvenna.exe").c_str(), program_.c_str(), FALSE));
    }
    void TearDown() override {
        app_.reset();
        queues_.clear();
        WorkDirTest::TearDown();
    }
    void Queues(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            queues_.push_back(std::make_unique<PrintQueue>(name, Path(name + ".port")));
    }
    std::string Picture(const std::string& name, int width, int height) {
        zelmar::test::WriteBytes(Path(name),
                                 zelmar::test::MakeColourBmp(width, height, [](int x, int y) {
                                     return zelmar::test::Grey((x * 5 + y * 3) % 256);
                                 }));
        return Path(name);
    }
    // Starts the program, in the code page of this test's own locale (a
    // program started by another takes its parent's).
    void Start() {
        app_ = std::make_unique<AppProcess>(program_, Environment{{L"ZELMAR_SILENT", L"1"}});
        ASSERT_TRUE(app_->Started());
    }
    HWND Main() {
        const HWND window = app_->MainWindow();
        EXPECT_NE(window, nullptr);
        return window;
    }
    HWND Item(HWND window, int id) { return AppProcess::Find(window, id); }
    void ShowTab(HWND window, int index) {
        SendMessageW(Item(window, IDC_TAB), TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    }
    void CloseAndWait(HWND window) {
        PostMessageW(Item(window, IDC_CLOSE), BM_CLICK, 0, 0);
        ASSERT_TRUE(app_->WaitForExit());
    }
    // Answers the message box now showing with button `id`; its text.
    std::wstring Answer(int id, std::wstring* caption = nullptr) {
        const HWND box = app_->MessageBox();
        if (!box) return L"(no message box)";
        const std::wstring text = app_->Text(box, 0xFFFF);
        if (caption) *caption = AppProcess::TextOf(box);
        PostMessageW(GetDlgItem(box, id), BM_CLICK, 0, 0);
        WaitFor([&] { return !IsWindow(box); });
        return text;
    }

    std::wstring program_;
    std::vector<std::unique_ptr<PrintQueue>> queues_;
    std::unique_ptr<AppProcess> app_;
};

// Korean mode: the tests below run in their own test run under the Korean
// locale (code page 949); in any other they skip.
class KoreanOrvennaTest : public OrvennaTest {
  protected:
    void SetUp() override {
        OrvennaTest::SetUp();
        if (GetACP() != 949) GTEST_SKIP() << "runs under the Korean locale";
    }
};

}  // namespace orvenna::test
