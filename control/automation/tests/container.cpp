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

}  // namespace

Container::Container(const RECT& position) : position_(position) {
    RegisterContainerClass();
    window_ = CreateWindowExW(0, kClassName, L"Zelmar container",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 320, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

Container::~Container() {
    if (placed_) {
        placed_->Close(OLECLOSE_NOSAVE);
        placed_->SetClientSite(nullptr);
        placed_->Release();
    }
    DestroyWindow(window_);
}

HRESULT Container::Place(IOleObject& control) {
    control.AddRef();
    if (placed_) placed_->Release();
    placed_ = &control;
    HRESULT hr = control.SetClientSite(this);
    if (SUCCEEDED(hr)) {
        hr = control.DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &position_);
    }
    return hr;
}

STDMETHODIMP Container::QueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
        *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP Container::GetWindow(HWND* window) {
    *window = window_;
    return S_OK;
}

STDMETHODIMP Container::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                         LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    *frame = this;
    *document = nullptr;
    *position = position_;
    *clip = position_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP Container::OnInPlaceDeactivate() {
    deactivated_ = true;
    return S_OK;
}

}  // namespace zelmar::test
