#include "container.h"

namespace zelmar::test {

namespace {

constexpr wchar_t kClassName[] = L"ZelmarTestContainer";

void RegisterContainerClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly when already there
}

HWND CreateContainerWindow() {
    RegisterContainerClass();
    return CreateWindowExW(0, kClassName, L"Zelmar container",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 320, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Container::Container(const RECT& position)
    : window_(CreateContainerWindow()),
      site_(std::make_unique<orvenna::ControlSite>(window_.get(), position)) {}

}  // namespace zelmar::test
