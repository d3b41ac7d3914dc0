// The window logic with every service faked, in a fresh state per test.
#pragma once

#include <gtest/gtest.h>

#include "fakes.h"
#include "presenter.h"

namespace orvenna::test {

constexpr char kSettings[] = "C:\\Orvenna\\Orvenna.ini";
constexpr char kTop[] = "C:\\Orvenna\\TopLogo.ini";
constexpr char kBottom[] = "C:\\Orvenna\\BottomLogo.ini";

class PresenterTest : public ::testing::Test {
  protected:
    void SetUp() override { environment_.printers = {"NX-A60", "ZORAVE DOZUZIZ ADOREDU"}; }
    Presenter& Start() {
        presenter_.Create();
        presenter_.Start();
        return presenter_;
    }
    void StoreSettings(const std::string& lines) { files_.files[kSettings] = "[LOGO]\r\n" + lines; }
    void StoreList(const char* file, const std::string& path) {
        files_.files[file] = "[LOGO]\r\nLogofile1=" + path + "|" +
                             path.substr(path.rfind('\\') + 1) + "|4800|96|400\r\n";
        files_.logos.insert(path);
        Knows(path, 24, 96, 400);
    }
    // A bitmap file the control reads and the window can show.
    void Knows(const std::string& path, int32_t bits, int32_t height, int32_t width) {
        control_.bitmaps[path] = {bits, height, width};
        view_.loadable.insert(path);
        view_.loadable.insert(control_.previewResult);
    }
    // The next open-file dialog chooses `path`, a bitmap of this kind.
    void Choose(const std::string& path, int32_t bits, int32_t height, int32_t width) {
        Knows(path, bits, height, width);
        dialog_.chosen.push_back({path, path.substr(path.rfind('\\') + 1)});
    }
    FakeView::Picture Shown(Item box) { return view_.pictures[box]; }

    Services services() { return {environment_, files_, ansi_, control_, dialog_, clock_}; }

    FakeView view_;
    FakeEnvironment environment_;
    MemoryFiles files_;
    Latin1 ansi_;
    FakeControl control_;
    FakeDialog dialog_;
    FakeClock clock_;
    Presenter presenter_{view_, services()};
};

}  // namespace orvenna::test
