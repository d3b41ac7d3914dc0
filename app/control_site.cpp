#include "control_site.h"

namespace orvenna {

ControlSite::ControlSite(HWND window, const RECT& position)
    : window_(window), position_(position) {}

ControlSite::~ControlSite() {
    if (!placed_) return;
    placed_->Close(OLECLOSE_NOSAVE);
    placed_->SetClientSite(nullptr);
    placed_->Release();
}

HRESULT ControlSite::Place(IOleObject& control) {
    control.AddRef();
    if (placed_) placed_->Release();
    placed_ = &control;
    HRESULT hr = control.SetClientSite(this);
    if (SUCCEEDED(hr)) {
        hr = control.DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &position_);
    }
    return hr;
}

STDMETHODIMP ControlSite::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
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

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip,
                                           LPOLEINPLACEFRAMEINFO info) {
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

STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
    deactivated_ = true;
    return S_OK;
}

}  // namespace orvenna
