#include "prop_page.h"

#include <string>

#include "module.h"
#include "resource.h"
#include "win32/text.h"

namespace zelmar::automation {

namespace {

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND CreatePage(HWND parent) {
    return CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_PROPPAGE_ZELMAR), parent,
                              PageProc, 0);
}

}  // namespace

CZelmarPropPage::CZelmarPropPage() {
    ModuleAddRef();
}

CZelmarPropPage::~CZelmarPropPage() {
    ModuleRelease();
}

HRESULT CZelmarPropPage::Create(REFIID riid, void** out) {
    // Made with one reference, ours: a failed QueryInterface frees it.
    auto* page = new CZelmarPropPage();
    const HRESULT hr = page->QueryInterface(riid, out);
    page->Release();
    return hr;
}

STDMETHODIMP CZelmarPropPage::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IPropertyPage) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CZelmarPropPage::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) CZelmarPropPage::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CZelmarPropPage::SetPageSite(IPropertyPageSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP CZelmarPropPage::Activate(HWND parent, LPCRECT position, BOOL) {
    if (!position) return E_POINTER;
    dialog_.reset(CreatePage(parent));
    if (!dialog_) return E_FAIL;
    return Move(position);
}

STDMETHODIMP CZelmarPropPage::Deactivate() {
    dialog_.reset();
    return S_OK;
}

STDMETHODIMP CZelmarPropPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    return win32::Guarded([&] {
        // The dialog's size in pixels, as its font lays it out.
        const win32::UniqueWindow measured(CreatePage(GetDesktopWindow()));
        RECT bounds = {};
        if (!measured || !GetWindowRect(measured.get(), &bounds)) return E_FAIL;
        info->pszTitle = win32::TaskMemoryCopy(ModuleString(IDS_ZELMAR_PPG_CAPTION));
        if (!info->pszTitle) return E_OUTOFMEMORY;
        info->size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    });
}

STDMETHODIMP CZelmarPropPage::Show(UINT command) {
    if (dialog_) ShowWindow(dialog_.get(), static_cast<int>(command));
    return S_OK;
}

STDMETHODIMP CZelmarPropPage::Move(LPCRECT position) {
    if (!position) return E_POINTER;
    if (dialog_) {
        MoveWindow(dialog_.get(), position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    }
    return S_OK;
}

}  // namespace zelmar::automation
