// Orvenna.exe started and driven from outside, as a user's tools see it:
// its windows found by process, controls by id, texts read across the
// process boundary, buttons clicked by posted messages. Every wait polls
// with a bound.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvenna::test {

// The text of a UTF-8 literal, as windows hold it.
std::wstring W(const std::string& utf8);

class AppProcess {
  public:
    // Starts `program` in its own folder; `environment` adds or replaces
    // variables of this process's environment.
    AppProcess(const std::wstring& program,
               const std::map<std::wstring, std::wstring>& environment);
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;
    // Ends the program if it is still running.
    ~AppProcess();

    bool Started() const { return process_.hProcess != nullptr; }
    // The main window (its tab set is there), or null after the time limit.
    HWND MainWindow();
    // A message box of the program (a dialog with the static 0xFFFF).
    HWND MessageBox();
    // Answers the open-file dialog now showing with `path`; false when none
    // came or it did not close.
    bool ChooseFile(const std::string& path);
    // Clicks a row of a list view with the mouse.
    void ClickRow(HWND list, int row) const;
    // Waits until the program has ended; false on the time limit.
    bool WaitForExit();

    // Texts across the process boundary.
    static std::wstring TextOf(HWND window);
    std::wstring Text(HWND parent, int id) const { return TextOf(Find(parent, id)); }
    std::vector<std::wstring> ComboEntries(HWND parent, int id) const;
    std::wstring ComboSelection(HWND parent, int id) const;
    // Rows of a list view, each its three cells.
    std::vector<std::vector<std::wstring>> ListRows(HWND list) const;
    std::vector<std::wstring> ListColumns(HWND list) const;
    std::wstring TabCaption(HWND tab, int index) const;

    // The control `id` anywhere below `parent` (pictures sit inside boxes).
    static HWND Find(HWND parent, int id);

    // Waits until `window` and every window below it have nothing left to
    // paint; false on the time limit.
    static bool WaitForPainted(HWND window);
    // What the screen shows in `width` x `height` from `origin`, as 0xRRGGBB
    // row by row from the top (another process's window reads back black
    // through its own device context under Wine).
    static std::vector<std::uint32_t> ScreenPixels(POINT origin, int width, int height);
    // The client area of `window` as it is on the screen.
    static std::vector<std::uint32_t> Pixels(HWND window);

  private:
    // A buffer in the program's memory for messages that carry pointers.
    class Remote;
    // A dialog of the program that has a control `childId`.
    HWND Dialog(int childId);
    template <typename TextItem>
    std::optional<std::wstring> TextThrough(HWND window, UINT message, WPARAM index, TextItem item,
                                            bool lengthResult = false) const;

    PROCESS_INFORMATION process_ = {};
};

// Waits, polling, until `condition` holds; false on the time limit.
template <typename Condition>
bool WaitFor(Condition condition, DWORD limitMs = 20000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(20);
    }
    return true;
}

}  // namespace orvenna::test
