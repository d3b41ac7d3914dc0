// CZelmarCtrl in its container: the client site, in-place activation in a
// child window of the container's, and what the container asks of a control.
#include "control_window.h"
#include "identity.h"
#include "module.h"
#include "resource.h"
#include "win32/text.h"
#include "zelmar_ctrl.h"

namespace zelmar::automation {

STDMETHODIMP CZelmarCtrl::SetClientSite(IOleClientSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetClientSite(IOleClientSite** site) {
    return win32::ShareOut(site_.Get(), site);
}

STDMETHODIMP CZelmarCtrl::Close(DWORD) {
    InPlaceDeactivate();
    if (oleAdvise_) oleAdvise_->SendOnClose();
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CZelmarCtrl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CZelmarCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return win32::Guarded([&] { return ActivateInPlace(site ? site : site_.Get()); });
        case OLEIVERB_HIDE:
            if (window_) ShowWindow(window_.get(), SW_HIDE);
            return S_OK;
        default:
            return E_NOTIMPL;
    }
}

HRESULT CZelmarCtrl::ActivateInPlace(IOleClientSite* site) {
    if (window_) {
        ShowWindow(window_.get(), SW_SHOW);
        return S_OK;
    }
    win32::ComPtr<IOleInPlaceSite> inPlace;
    if (!site || FAILED(site->QueryInterface(IID_PPV_ARGS(&inPlace)))) return E_INVALIDARG;
    if (inPlace->CanInPlaceActivate() != S_OK) return OLEOBJ_E_INVALIDVERB;
    HWND parent = nullptr;
    win32::ComPtr<IOleInPlaceFrame> frame;
    win32::ComPtr<IOleInPlaceUIWindow> document;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    HRESULT hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
        hr = inPlace->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
    }
    if (FAILED(hr)) return hr;
    inPlace->OnInPlaceActivate();
    window_.reset(CreateControlWindow(parent, position));
    if (!window_) {
        const HRESULT created = HRESULT_FROM_WIN32(GetLastError());
        inPlace->OnInPlaceDeactivate();
        return FAILED(created) ? created : E_FAIL;
    }
    inPlaceSite_ = inPlace;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(CLSID_Zelmar, verbs);
}

STDMETHODIMP CZelmarCtrl::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

STDMETHODIMP CZelmarCtrl::GetUserType(DWORD, LPOLESTR* type) {
    if (!type) return E_POINTER;
    return win32::Guarded([&] {
        *type = win32::TaskMemoryCopy(ModuleString(IDS_ZELMAR));
        return *type ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP CZelmarCtrl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!oleAdvise_) {
        const HRESULT hr = CreateOleAdviseHolder(&oleAdvise_);
        if (FAILED(hr)) return hr;
    }
    return oleAdvise_->Advise(sink, connection);
}

STDMETHODIMP CZelmarCtrl::Unadvise(DWORD connection) {
    return oleAdvise_ ? oleAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CZelmarCtrl::EnumAdvise(IEnumSTATDATA** advises) {
    if (!oleAdvise_) return win32::ShareOut<IEnumSTATDATA>(nullptr, advises);
    return oleAdvise_->EnumAdvise(advises);
}

STDMETHODIMP CZelmarCtrl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_.get();
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP CZelmarCtrl::InPlaceDeactivate() {
    window_.reset();
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.Reset();
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (window_) {
        MoveWindow(window_.get(), position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::FreezeEvents(BOOL freeze) {
    events_.Freeze(freeze != FALSE);
    return S_OK;
}

}  // namespace zelmar::automation
