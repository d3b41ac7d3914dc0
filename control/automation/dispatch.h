// The control's IDispatch, built on its type library: names and calls go
// through the hidden vtable interface IZelmarMethods, whose methods carry the
// same ids as _DZelmar; the type information shown to hosts is _DZelmar's.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "win32/com_owners.h"
#include "zelmar_h.h"

namespace zelmar::automation {

class MethodDispatcher {
  public:
    // Reads the type library embedded in the module.
    HRESULT Load();

    ITypeInfo* Shown() const { return shown_.Get(); }      // _DZelmar
    ITypeInfo* Coclass() const { return coclass_.Get(); }  // Zelmar

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;

    // Calls the method `id` of `target`. Variables passed by reference as
    // VARIANTs, as script hosts pass them, receive the method's outputs.
    // DISP_E_MEMBERNOTFOUND for an id the control does not have.
    HRESULT Invoke(IZelmarMethods* target, DISPID id, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const;

  private:
    HRESULT InvokeMethod(IZelmarMethods* target, DISPID id, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const;

    win32::ComPtr<ITypeInfo> methods_;  // IZelmarMethods
    win32::ComPtr<ITypeInfo> shown_;
    win32::ComPtr<ITypeInfo> coclass_;
};

}  // namespace zelmar::automation
