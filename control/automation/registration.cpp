#include "registration.h"

#include <ole2.h>
#include <olectl.h>

#include <optional>
#include <string>
#include <vector>

#include "identity.h"
#include "module.h"
#include "resource.h"
#include "win32/com_owners.h"
#include "win32/handle_owners.h"
#include "zelmar_h.h"

namespace zelmar::automation {

namespace {

// A key under HKEY_CLASSES_ROOT and one of its values (none for a marker key).
struct Entry {
    std::wstring key;
    std::optional<std::wstring> value;
    const wchar_t* name = nullptr;  // the key's default value
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(clsid);
}

std::vector<Entry> ControlEntries(const std::wstring& server) {
    const std::wstring key = ClassKey(CLSID_Zelmar);
    const std::wstring typeName = ModuleString(IDS_ZELMAR);
    const std::wstring progId = kControlProgId;
    return {
        {progId, typeName},
        {progId + L"\\CLSID", GuidText(CLSID_Zelmar)},
        {key, typeName},
        {key + L"\\ProgID", progId},
        {key + L"\\InprocServer32", server},
        {key + L"\\InprocServer32", L"Apartment", L"ThreadingModel"},
        {key + L"\\ToolboxBitmap32", server + L", " + std::to_wstring(IDB_ZELMAR)},
        {key + L"\\Control", std::nullopt},
        {key + L"\\MiscStatus", L"0"},
        {key + L"\\MiscStatus\\1", std::to_wstring(kMiscStatus)},
        {key + L"\\TypeLib", GuidText(LIBID_ZELMARLib)},
        {key + L"\\Version", kTypeLibVersion},
    };
}

std::vector<Entry> PageEntries(const std::wstring& server) {
    const std::wstring key = ClassKey(CLSID_ZelmarPropPage);
    return {{key, ModuleString(IDS_ZELMAR_PPG)}, {key + L"\\InprocServer32", server}};
}

bool Write(const Entry& entry) {
    win32::UniqueHkey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (!entry.value) return true;
    const auto bytes = static_cast<DWORD>((entry.value->size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), entry.name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.value->c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool RegisterClasses() {
    const std::wstring server = ModulePath();
    for (const auto& entries : {ControlEntries(server), PageEntries(server)}) {
        for (const Entry& entry : entries) {
            if (!Write(entry)) return false;
        }
    }
    return true;
}

// Deletes `name` under `parent` with all its subkeys. Windows XP has no
// RegDeleteTree, and RegDeleteKey removes only keys without subkeys.
LSTATUS DeleteTree(HKEY parent, const std::wstring& name) {
    win32::UniqueHkey key;
    LSTATUS status =
        RegOpenKeyExW(parent, name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | DELETE, key.put());
    if (status != ERROR_SUCCESS) return status;
    // Registry key names are at most 255 characters.
    wchar_t child[256];
    for (;;) {
        DWORD length = 256;
        status = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return status;
        status = DeleteTree(key.get(), child);
        if (status != ERROR_SUCCESS) return status;
    }
    return RegDeleteKeyW(parent, name.c_str());
}

bool UnregisterClasses() {
    bool removed = true;
    for (const std::wstring& key :
         {std::wstring(kControlProgId), ClassKey(CLSID_Zelmar), ClassKey(CLSID_ZelmarPropPage)}) {
        const LSTATUS status = DeleteTree(HKEY_CLASSES_ROOT, key);
        removed = removed && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return removed;
}

bool RegisterTypeLibrary() {
    win32::ComPtr<ITypeLib> library;
    std::wstring path = ModulePath();
    return SUCCEEDED(ModuleTypeLib(library)) &&
           SUCCEEDED(RegisterTypeLib(library.Get(), path.data(), nullptr));
}

bool UnregisterTypeLibrary() {
    win32::ComPtr<ITypeLib> library;
    TLIBATTR* attributes = nullptr;
    if (FAILED(ModuleTypeLib(library)) || FAILED(library->GetLibAttr(&attributes))) {
        return false;
    }
    const HRESULT hr =
        UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                          attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return SUCCEEDED(hr);
}

}  // namespace

HRESULT RegisterServer() {
    if (!RegisterTypeLibrary()) return SELFREG_E_TYPELIB;
    return RegisterClasses() ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    const bool typeLibrary = UnregisterTypeLibrary();
    const bool classes = UnregisterClasses();
    if (!typeLibrary) return SELFREG_E_TYPELIB;
    return classes ? S_OK : SELFREG_E_CLASS;
}

}  // namespace zelmar::automation
