#include "app_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "canvas.h"
#include "resource.h"

namespace orvenna::test {

namespace {

constexpr int kMessageText = 0xFFFF;

// The common open-file dialog's file name box.
constexpr int kFileNameBox = 0x47C;

struct Search {
    DWORD process;
    int childId;  // the dialog that has this child
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !AppProcess::Find(window, search.childId)) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) != search.id) return TRUE;
    search.found = window;
    return FALSE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM data) {
    if (!GetUpdateRect(window, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(data) = true;
    return FALSE;
}

bool Unpainted(HWND window) {
    bool found = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!found) EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

std::wstring W(const std::string& utf8) {
    const int needed =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        needed);
    return wide;
}

class AppProcess::Remote {
  public:
    Remote(HANDLE process, std::size_t size)
        : process_(process),
          memory_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {
        if (!memory_) throw std::runtime_error("no memory in the program");
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    ~Remote() { VirtualFreeEx(process_, memory_, 0, MEM_RELEASE); }

    void* At(std::size_t offset = 0) const { return static_cast<char*>(memory_) + offset; }
    template <typename T>
    void Write(const T& value, std::size_t offset = 0) {
        WriteProcessMemory(process_, At(offset), &value, sizeof value, nullptr);
    }
    std::wstring ReadText(std::size_t offset, std::size_t characters) const {
        std::wstring text(characters, L'\0');
        ReadProcessMemory(process_, At(offset), text.data(), characters * sizeof(wchar_t), nullptr);
        return text.c_str();
    }

  private:
    HANDLE process_;
    void* memory_;
};

AppProcess::AppProcess(const std::wstring& program,
                       const std::map<std::wstring, std::wstring>& environment) {
    std::map<std::wstring, std::wstring> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* at = block; *at; at += wcslen(at) + 1) {
            const std::wstring entry = at;
            const std::size_t equals = entry.find(L'=', 1);
            if (equals != std::wstring::npos) {
                variables[entry.substr(0, equals)] = entry.substr(equals + 1);
            }
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : environment)
        variables[name] = value;
    std::wstring block;
    for (const auto& [name, value] : variables)
        block += name + L"=" + value + L'\0';
    block += L'\0';

    const std::wstring directory = program.substr(0, program.find_last_of(L'\\'));
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), directory.c_str(), &startup,
                        &process_)) {
        process_ = {};
    }
}

AppProcess::~AppProcess() {
    if (!Started()) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AppProcess::Dialog(int childId) {
    Search search = {process_.dwProcessId, childId, nullptr};
    WaitFor([&] {
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

HWND AppProcess::MainWindow() {
    return Dialog(IDC_TAB);
}

HWND AppProcess::MessageBox() {
    return Dialog(kMessageText);
}

bool AppProcess::ChooseFile(const std::string& path) {
    const HWND dialog = Dialog(kFileNameBox);
    if (!dialog) return false;
    const std::wstring name(path.begin(), path.end());
    SendMessageW(Find(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(dialog); });
}

void AppProcess::ClickRow(HWND list, int row) const {
    Remote remote(process_.hProcess, sizeof(RECT));
    RECT bounds = {LVIR_LABEL, 0, 0, 0};
    remote.Write(bounds);
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.At()));
    ReadProcessMemory(process_.hProcess, remote.At(), &bounds, sizeof bounds, nullptr);
    const LPARAM at =
        MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

bool AppProcess::WaitForExit() {
    return WaitForSingleObject(process_.hProcess, 20000) == WAIT_OBJECT_0;
}

HWND AppProcess::Find(HWND parent, int id) {
    ChildSearch search = {id, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring AppProcess::TextOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::wstring> AppProcess::ComboEntries(HWND parent, int id) const {
    const HWND combo = Find(parent, id);
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

std::wstring AppProcess::ComboSelection(HWND parent, int id) const {
    const LRESULT selected = SendMessageW(Find(parent, id), CB_GETCURSEL, 0, 0);
    if (selected < 0) return {};
    return ComboEntries(parent, id).at(static_cast<std::size_t>(selected));
}

// Sends `message` with a copy of `item` (an LVITEMW, LVCOLUMNW or TCITEMW)
// whose text buffer lies in the program's memory; the text it fills in, or
// nothing when the message fails.
template <typename TextItem>
std::optional<std::wstring> AppProcess::TextThrough(HWND window, UINT message, WPARAM index,
                                                    TextItem item, bool lengthResult) const {
    constexpr std::size_t kChars = 260, kTextAt = sizeof(TextItem);
    Remote remote(process_.hProcess, kTextAt + kChars * sizeof(wchar_t));
    item.pszText = static_cast<wchar_t*>(remote.At(kTextAt));
    item.cchTextMax = kChars;
    remote.Write(item);
    const LRESULT result =
        SendMessageW(window, message, index, reinterpret_cast<LPARAM>(remote.At()));
    if (!result && !lengthResult) return std::nullopt;
    return remote.ReadText(kTextAt, kChars);
}

std::vector<std::vector<std::wstring>> AppProcess::ListRows(HWND list) const {
    std::vector<std::vector<std::wstring>> rows;
    const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int sub = 0; sub < 3; ++sub) {
            LVITEMW item = {};
            item.iSubItem = sub;
            cells.push_back(
                *TextThrough(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), item, true));
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::wstring> AppProcess::ListColumns(HWND list) const {
    std::vector<std::wstring> titles;
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    while (const auto title =
               TextThrough(list, LVM_GETCOLUMNW, static_cast<WPARAM>(titles.size()), column)) {
        titles.push_back(*title);
    }
    return titles;
}

std::wstring AppProcess::TabCaption(HWND tab, int index) const {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    return TextThrough(tab, TCM_GETITEMW, static_cast<WPARAM>(index), item).value_or(L"");
}

bool AppProcess::WaitForPainted(HWND window) {
    // Painting comes after every other message: clean several polls running.
    int clean = 0;
    return WaitFor([&] {
        clean = Unpainted(window) ? 0 : clean + 1;
        return clean >= 5;
    });
}

std::vector<std::uint32_t> AppProcess::ScreenPixels(POINT origin, int width, int height) {
    zelmar::test::Canvas canvas(width, height);
    const HDC screen = GetDC(nullptr);
    BitBlt(canvas.Dc(), 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return canvas.Pixels();
}

std::vector<std::uint32_t> AppProcess::Pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return ScreenPixels(origin, client.right, client.bottom);
}

}  // namespace orvenna::test
