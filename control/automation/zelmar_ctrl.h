// CZelmarCtrl, the Zelmar control: its dispatch methods, its Progress event
// and what a container needs to place it on a window. One object holds every
// interface; all share one reference count.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include "dispatch.h"
#include "engine/command_stream.h"
#include "events.h"
#include "messages.h"
#include "methods/device_context.h"
#include "win32/com_owners.h"
#include "win32/guard.h"
#include "win32/window_owners.h"
#include "zelmar_h.h"

namespace zelmar::automation {

class CZelmarCtrl final : public IDispatch,
                          public IZelmarMethods,
                          public IConnectionPointContainer,
                          public IProvideClassInfo2,
                          public ISpecifyPropertyPages,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleControl,
                          public IViewObject2,
                          public IPersistStreamInit {
  public:
    // The class factory's entry: a new control, asked for `riid`.
    static HRESULT Create(REFIID riid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: _DZelmar
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IZelmarMethods: the image and file methods.
    STDMETHODIMP BitmapInfo(BSTR NVImage, LONG* BitsPixel, LONG* Height, LONG* Width,
                            LONG* status) override;
    STDMETHODIMP Preview(BSTR PreviewName, SHORT ImageMode, SHORT Brightness, SHORT Rotate,
                         BSTR* shown) override;
    STDMETHODIMP FileUpload(BSTR FileName, BSTR NVImage, LONG NVSelect, SHORT ImageMode,
                            SHORT Brightness, SHORT Rotation, SHORT SelectType, SHORT SelectMargin,
                            LONG* status) override;
    STDMETHODIMP FileLoad(BSTR FileName, LONG* status) override;
    STDMETHODIMP AboutBox() override;

    // IZelmarMethods: the device methods. The bit length, stop bits and
    // handshake of the serial methods, the range, mode and end of the print
    // methods and the top and bottom names of the driver upload are taken
    // and not used.
    STDMETHODIMP Print(LONG Printer, BSTR Port, LONG BaudRate, LONG BitLength, LONG Parity,
                       LONG StopBit, LONG HandShake, LONG Range, LONG Mode, LONG IngEnd,
                       LONG* status) override;
    STDMETHODIMP PrintTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber, LONG Range, LONG Mode,
                            LONG IngEnd, LONG* status) override;
    STDMETHODIMP UploadTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber, BSTR NVImage,
                             SHORT ImageMode, SHORT Brightness, SHORT Rotation, SHORT SelectType,
                             SHORT SelectMargin, LONG* status) override;
    STDMETHODIMP Upload(LONG Printer, BSTR Port, LONG BaudRate, LONG BitLength, LONG Parity,
                        LONG StopBit, LONG HandShake, BSTR NVImage, SHORT ImageMode,
                        SHORT Brightness, SHORT Rotation, SHORT SelectType, SHORT SelectMargin,
                        LONG* status) override;
    STDMETHODIMP PrinterSave(LONG Printer, BSTR Port, LONG BaudRate, LONG BitLength, LONG Parity,
                             LONG StopBit, LONG HandShake, SHORT TopLogo, SHORT BottomLogo,
                             SHORT WaterMark, SHORT MarginMessage, LONG* status) override;
    STDMETHODIMP PrinterSaveTCPIP(LONG Printer, BSTR IPAddress, BSTR PortNumber, SHORT TopLogo,
                                  SHORT BottomLogo, SHORT WaterMark, SHORT MarginMessage,
                                  LONG* status) override;
    STDMETHODIMP PrintDriverUpload(BSTR, BSTR, BSTR, BSTR, SHORT, SHORT, SHORT, SHORT, SHORT,
                                   LONG* status) override;
    STDMETHODIMP EraserAll(BSTR, SHORT, LONG* status) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds,
                      LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                             LOGPALETTE** colours) override;
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersistStreamInit: the state is the version number alone.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override { return S_OK; }

  private:
    CZelmarCtrl();
    ~CZelmarCtrl();

    HRESULT ActivateInPlace(IOleClientSite* site);
    Messages MessagesHere() const { return Messages(window_.get()); }
    // The frame of every device method: the status out, the guard, and the
    // platform's context with the control's messages.
    template <typename Job>
    HRESULT DeviceMethod(LONG* status, Job&& job) {
        if (!status) return E_POINTER;
        return win32::Guarded([&] {
            Messages messages = MessagesHere();
            *status = job(HostDeviceContext(messages));
            return S_OK;
        });
    }
    // Raises Progress(data) on the sinks connected now.
    ProgressFn Progress() {
        return [this](std::int32_t data) { events_.Fire(data); };
    }

    LONG references_ = 1;
    MethodDispatcher dispatcher_;
    ProgressEvents events_{*this};
    win32::ComPtr<IOleClientSite> site_;
    win32::ComPtr<IOleInPlaceSite> inPlaceSite_;
    win32::ComPtr<IOleAdviseHolder> oleAdvise_;
    win32::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    SIZEL extent_;  // HIMETRIC
    win32::UniqueWindow window_;
};

}  // namespace zelmar::automation
