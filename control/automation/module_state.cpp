#include "module.h"

#include <vector>

namespace zelmar::automation {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;

}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    g_instance = instance;
}

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

HRESULT ModuleTypeLib(win32::ComPtr<ITypeLib>& library) {
    if (!g_typeLib) {
        ITypeLib* loaded = nullptr;
        const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &loaded);
        if (FAILED(hr)) return hr;
        // Apartments of other threads may load it at the same time: one copy stays.
        if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_typeLib), loaded,
                                              nullptr) != nullptr) {
            loaded->Release();
        }
    }
    library = g_typeLib;
    return S_OK;
}

void ReleaseModuleTypeLib() {
    auto* library = static_cast<ITypeLib*>(
        InterlockedExchangePointer(reinterpret_cast<void**>(&g_typeLib), nullptr));
    if (library) library->Release();
}

void ModuleAddRef() {
    InterlockedIncrement(&g_locks);
}

void ModuleRelease() {
    InterlockedDecrement(&g_locks);
}

bool ModuleInUse() {
    return g_locks != 0;
}

}  // namespace zelmar::automation
