// CZelmarPropPage, the control's one property page ("General"). The control
// has no properties: the page shows dialog 200 and changes nothing.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include "win32/com_owners.h"
#include "win32/window_owners.h"

namespace zelmar::automation {

class CZelmarPropPage final : public IPropertyPage {
  public:
    static HRESULT Create(REFIID riid, void** out);

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT position, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG, IUnknown**) override { return S_OK; }
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT position) override;
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

  private:
    CZelmarPropPage();
    ~CZelmarPropPage();

    LONG references_ = 1;
    win32::ComPtr<IPropertyPageSite> site_;
    win32::UniqueWindow dialog_;
};

}  // namespace zelmar::automation
