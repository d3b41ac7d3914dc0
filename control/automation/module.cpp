#include "module.h"

#include <ole2.h>
#include <olectl.h>

#include <vector>

#include "control_window.h"
#include "identity.h"
#include "prop_page.h"
#include "registration.h"
#include "zelmar_ctrl.h"

namespace zelmar::automation {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

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
        return Guarded([&] { return Object::Create(riid, out); });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? ModuleAddRef() : ModuleRelease();
        return S_OK;
    }
};

ClassFactory<CZelmarCtrl> g_controlFactory;
ClassFactory<CZelmarPropPage> g_pageFactory;

}  // namespace

HINSTANCE ModuleInstance() {
    return g_instance;
}

std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW points into the resource itself.
    const int length = LoadStringW(g_instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& library) {
    return LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
}

void ModuleAddRef() {
    InterlockedIncrement(&g_locks);
}

void ModuleRelease() {
    InterlockedDecrement(&g_locks);
}

}  // namespace zelmar::automation

using namespace zelmar::automation;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary: the window class must not outlive its procedure.
        UnregisterControlWindowClass();
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
    return g_locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return Guarded([] { return RegisterServer(); });
}

STDAPI DllUnregisterServer() {
    return Guarded([] { return UnregisterServer(); });
}
