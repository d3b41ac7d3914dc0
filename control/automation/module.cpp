#include "module.h"

#include <ole2.h>
#include <olectl.h>

#include "control_window.h"
#include "identity.h"
#include "prop_page.h"
#include "registration.h"
#include "zelmar_ctrl.h"

namespace zelmar::automation {

namespace {

// The factory of one class. It lives as long as the module; its references
// keep the module loaded, as LockServer does.
template <typename Object>
class ClassFactory final : public IClassFactory {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ModuleAddRef();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ModuleRelease();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return win32::Guarded([&] { return Object::Create(riid, out); });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? ModuleAddRef() : ModuleRelease();
        return S_OK;
    }
};

ClassFactory<CZelmarCtrl> g_controlFactory;
ClassFactory<CZelmarPropPage> g_pageFactory;

}  // namespace

}  // namespace zelmar::automation

using namespace zelmar;
using namespace zelmar::automation;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary: the window class must not outlive its procedure.
        UnregisterControlWindowClass();
        ReleaseModuleTypeLib();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid == CLSID_Zelmar) return g_controlFactory.QueryInterface(riid, out);
    if (clsid == CLSID_ZelmarPropPage) return g_pageFactory.QueryInterface(riid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
    return win32::Guarded([] { return RegisterServer(); });
}

STDAPI DllUnregisterServer() {
    return win32::Guarded([] { return UnregisterServer(); });
}
