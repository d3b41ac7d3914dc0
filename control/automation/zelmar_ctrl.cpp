#include "zelmar_ctrl.h"

#include <cstdint>

#include "dispatch_ids.h"
#include "identity.h"
#include "methods/device_methods.h"
#include "methods/driver_methods.h"
#include "methods/image_methods.h"
#include "module.h"
#include "resource.h"
#include "win32/text.h"
#include "zelmar_version.h"

namespace zelmar::automation {

namespace {

// A direct job's port: its name in the system code page, the serial codes.
PortTarget Target(BSTR port, LONG baudRate, LONG parity) {
    return {win32::SystemCodePageText(port), {baudRate, parity}};
}

TcpTarget Address(BSTR ipAddress, BSTR portNumber) {
    return {win32::SystemCodePageText(ipAddress), win32::SystemCodePageText(portNumber)};
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

CZelmarCtrl::CZelmarCtrl() {
    ModuleAddRef();
    // 100 x 20 pixels at 96 dots per inch.
    extent_ = {2646, 529};
}

CZelmarCtrl::~CZelmarCtrl() {
    ModuleRelease();
}

HRESULT CZelmarCtrl::Create(REFIID riid, void** out) {
    // Made with one reference, ours: a failed Load or QueryInterface frees it.
    // (mingw's ComPtr::Attach adds a reference, so it cannot take this one.)
    auto* control = new CZelmarCtrl();
    HRESULT hr = control->dispatcher_.Load();
    if (SUCCEEDED(hr)) hr = control->QueryInterface(riid, out);
    control->Release();
    return hr;
}

STDMETHODIMP CZelmarCtrl::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__DZelmar) {
        *out = static_cast<IDispatch*>(this);
    } else if (riid == IID_IZelmarMethods) {
        *out = static_cast<IZelmarMethods*>(this);
    } else if (riid == IID_IConnectionPointContainer) {
        *out = static_cast<IConnectionPointContainer*>(this);
    } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
        *out = static_cast<IProvideClassInfo2*>(this);
    } else if (riid == IID_ISpecifyPropertyPages) {
        *out = static_cast<ISpecifyPropertyPages*>(this);
    } else if (riid == IID_IOleObject) {
        *out = static_cast<IOleObject*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) {
        *out = static_cast<IOleInPlaceObject*>(this);
    } else if (riid == IID_IOleControl) {
        *out = static_cast<IOleControl*>(this);
    } else if (riid == IID_IViewObject || riid == IID_IViewObject2) {
        *out = static_cast<IViewObject2*>(this);
    } else if (riid == IID_IPersist || riid == IID_IPersistStreamInit) {
        *out = static_cast<IPersistStreamInit*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CZelmarCtrl::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) CZelmarCtrl::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CZelmarCtrl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (index != 0) {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    return win32::ShareOut(dispatcher_.Shown(), info);
}

STDMETHODIMP CZelmarCtrl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return dispatcher_.GetIDsOfNames(names, count, ids);
}

STDMETHODIMP CZelmarCtrl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return win32::Guarded([&] {
        return dispatcher_.Invoke(this, id, flags, params, result, exception, argumentError);
    });
}

STDMETHODIMP CZelmarCtrl::BitmapInfo(BSTR NVImage, LONG* BitsPixel, LONG* Height, LONG* Width,
                                     LONG* status) {
    if (!BitsPixel || !Height || !Width || !status) return E_POINTER;
    return win32::Guarded([&] {
        std::int32_t bits = *BitsPixel, height = *Height, width = *Width;
        *status = zelmar::BitmapInfo(win32::SystemCodePageText(NVImage), bits, height, width);
        *BitsPixel = bits;
        *Height = height;
        *Width = width;
        return S_OK;
    });
}

STDMETHODIMP CZelmarCtrl::Preview(BSTR PreviewName, SHORT ImageMode, SHORT Brightness, SHORT Rotate,
                                  BSTR* shown) {
    if (!shown) return E_POINTER;
    *shown = nullptr;
    return win32::Guarded([&] {
        Messages messages = MessagesHere();
        *shown = win32::NewBstr(zelmar::Preview(win32::SystemCodePageText(PreviewName),
                                                {ImageMode, Brightness, Rotate}, &messages));
        return S_OK;
    });
}

STDMETHODIMP CZelmarCtrl::FileUpload(BSTR FileName, BSTR NVImage, LONG NVSelect, SHORT ImageMode,
                                     SHORT Brightness, SHORT Rotation, SHORT SelectType,
                                     SHORT SelectMargin, LONG* status) {
    if (!status) return E_POINTER;
    return win32::Guarded([&] {
        *status = zelmar::FileUpload(
            win32::SystemCodePageText(FileName), win32::SystemCodePageText(NVImage), NVSelect,
            {ImageMode, Brightness, Rotation}, SelectType, SelectMargin, Progress());
        return S_OK;
    });
}

STDMETHODIMP CZelmarCtrl::FileLoad(BSTR FileName, LONG* status) {
    if (!status) return E_POINTER;
    return win32::Guarded([&] {
        Messages messages = MessagesHere();
        *status = zelmar::FileLoad(win32::SystemCodePageText(FileName), messages);
        return S_OK;
    });
}

// Containers show the about box by the stock id.
static_assert(ZELMAR_DISPID_ABOUT_BOX == DISPID_ABOUTBOX);

STDMETHODIMP CZelmarCtrl::AboutBox() {
    return win32::Guarded([&] {
        if (SilentMessages()) {
            MessagesHere().ShowMessage("Zelmar Control, Version " ZELMAR_VERSION_SHORT,
                                       "About Zelmar Control");
            return S_OK;
        }
        const INT_PTR shown = DialogBoxParamW(
            ModuleInstance(), MAKEINTRESOURCEW(IDD_ABOUTBOX_ZELMAR), window_.get(), AboutProc, 0);
        return shown == -1 ? HRESULT_FROM_WIN32(GetLastError()) : S_OK;
    });
}

STDMETHODIMP CZelmarCtrl::Print(LONG Printer, BSTR Port, LONG BaudRate, LONG, LONG Parity, LONG,
                                LONG, LONG, LONG, LONG, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::Print(context, Printer, Target(Port, BaudRate, Parity), Progress());
    });
}

STDMETHODIMP CZelmarCtrl::PrintTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber, LONG, LONG,
                                     LONG, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::PrintTCPIP(context, Printer, Address(IPAddress, PortNumber), Progress());
    });
}

STDMETHODIMP CZelmarCtrl::UploadTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber, BSTR NVImage,
                                      SHORT ImageMode, SHORT Brightness, SHORT Rotation,
                                      SHORT SelectType, SHORT SelectMargin, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::UploadTCPIP(
            context, Printer, Address(IPAddress, PortNumber), win32::SystemCodePageText(NVImage),
            {{ImageMode, Brightness, Rotation}, SelectType, SelectMargin}, Progress());
    });
}

STDMETHODIMP CZelmarCtrl::Upload(LONG Printer, BSTR Port, LONG BaudRate, LONG, LONG Parity, LONG,
                                 LONG, BSTR NVImage, SHORT ImageMode, SHORT Brightness,
                                 SHORT Rotation, SHORT SelectType, SHORT SelectMargin,
                                 LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::Upload(
            context, Printer, Target(Port, BaudRate, Parity), win32::SystemCodePageText(NVImage),
            {{ImageMode, Brightness, Rotation}, SelectType, SelectMargin}, Progress());
    });
}

STDMETHODIMP CZelmarCtrl::PrinterSave(LONG Printer, BSTR Port, LONG BaudRate, LONG, LONG Parity,
                                      LONG, LONG, SHORT TopLogo, SHORT BottomLogo, SHORT WaterMark,
                                      SHORT MarginMessage, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::PrinterSave(context, Printer, Target(Port, BaudRate, Parity),
                                   {TopLogo, BottomLogo, WaterMark, MarginMessage}, Progress());
    });
}

STDMETHODIMP CZelmarCtrl::PrinterSaveTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber,
                                           SHORT TopLogo, SHORT BottomLogo, SHORT WaterMark,
                                           SHORT MarginMessage, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::PrinterSaveTCPIP(context, Printer, Address(IPAddress, PortNumber),
                                        {TopLogo, BottomLogo, WaterMark, MarginMessage},
                                        Progress());
    });
}

STDMETHODIMP CZelmarCtrl::PrintDriverUpload(BSTR strPrinter, BSTR strNVImage, BSTR, BSTR,
                                            SHORT TopLogo, SHORT BottomLogo, SHORT ImageMode,
                                            SHORT Brightness, SHORT Rotation, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::PrintDriverUpload(context, win32::SystemCodePageText(strPrinter),
                                         win32::SystemCodePageText(strNVImage), TopLogo, BottomLogo,
                                         {ImageMode, Brightness, Rotation}, Progress());
    });
}

STDMETHODIMP CZelmarCtrl::EraserAll(BSTR strPrinter, SHORT Mode, LONG* status) {
    return DeviceMethod(status, [&](const DeviceContext& context) {
        return zelmar::EraserAll(context, win32::SystemCodePageText(strPrinter), Mode, Progress());
    });
}

STDMETHODIMP CZelmarCtrl::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CZelmarCtrl::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
    if (riid != DIID__DZelmarEvents) {
        if (out) *out = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    return win32::ShareOut<IConnectionPoint>(&events_, out);
}

STDMETHODIMP CZelmarCtrl::GetClassInfo(ITypeInfo** info) {
    return win32::ShareOut(dispatcher_.Coclass(), info);
}

STDMETHODIMP CZelmarCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID__DZelmarEvents;
    return S_OK;
}

STDMETHODIMP CZelmarCtrl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    pages->cElems = pages->pElems ? 1 : 0;
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_ZelmarPropPage;
    return S_OK;
}

}  // namespace zelmar::automation
