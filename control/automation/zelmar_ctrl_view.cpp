// CZelmarCtrl drawn by its container, and its persistent state.
#include "control_window.h"
#include "zelmar_ctrl.h"
#include "zelmar_version.h"

namespace zelmar::automation {

namespace {

// The persistent state: the control's version number and nothing else.
constexpr DWORD kStateVersion = ZELMAR_VERSION_MAJOR << 16 | ZELMAR_VERSION_MINOR;

}  // namespace

STDMETHODIMP CZelmarCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!draw || !bounds) return E_INVALIDARG;
    DrawControl(draw, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                      LOGPALETTE** colours) {
    if (colours) *colours = nullptr;
    return S_FALSE;
}

STDMETHODIMP CZelmarCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    return sink ? win32::ShareOut(viewSink_.Get(), sink) : S_OK;
}

STDMETHODIMP CZelmarCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

STDMETHODIMP CZelmarCtrl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Zelmar;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    DWORD version = 0;
    ULONG read = 0;
    const HRESULT hr = stream->Read(&version, sizeof(version), &read);
    if (FAILED(hr)) return hr;
    return read == sizeof(version) ? S_OK : STG_E_READFAULT;
}

STDMETHODIMP CZelmarCtrl::Save(LPSTREAM stream, BOOL) {
    if (!stream) return E_POINTER;
    const DWORD version = kStateVersion;
    return stream->Write(&version, sizeof(version), nullptr);
}

STDMETHODIMP CZelmarCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = sizeof(kStateVersion);
    return S_OK;
}

}  // namespace zelmar::automation
