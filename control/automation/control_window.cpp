#include "control_window.h"

#include <iterator>

#include "module.h"
#include "win32/window_owners.h"

namespace zelmar::automation {

namespace {

constexpr wchar_t kClassName[] = L"ZelmarCtrlWindow";
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kTextOffset = 2;

ATOM g_windowClass = 0;

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills every pixel
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            DrawControl(dc, client);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool EnsureWindowClass() {
    if (g_windowClass != 0) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    g_windowClass = RegisterClassExW(&windowClass);
    return g_windowClass != 0;
}

}  // namespace

void DrawControl(HDC dc, const RECT& bounds) {
    const win32::UniqueBrush grey(CreateSolidBrush(kGrey));
    FillRect(dc, &bounds, grey.get());
    const int saved = SaveDC(dc);
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kGrey);
    static constexpr wchar_t kName[] = L"Zelmar";
    TextOutW(dc, bounds.left + kTextOffset, bounds.top + kTextOffset, kName,
             static_cast<int>(std::size(kName) - 1));
    RestoreDC(dc, saved);
}

HWND CreateControlWindow(HWND parent, const RECT& position) {
    if (!EnsureWindowClass()) return nullptr;
    return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           position.left, position.top, position.right - position.left,
                           position.bottom - position.top, parent, nullptr, ModuleInstance(),
                           nullptr);
}

void UnregisterControlWindowClass() {
    if (g_windowClass == 0) return;
    UnregisterClassW(kClassName, ModuleInstance());
    g_windowClass = 0;
}

}  // namespace zelmar::automation
