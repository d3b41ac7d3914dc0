// Owners of the handles and COM resources of the control, so that every path
// releases them and the release lives in one place.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <memory>
#include <type_traits>

namespace zelmar::automation {

using Microsoft::WRL::ComPtr;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueHkey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct BstrFreer {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFreer>;

// A VARIANT cleared when it goes.
class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }
    VARIANT* get() { return &value_; }

  private:
    VARIANT value_;
};

// Hands `object` (which may be null) to a caller, with a reference of its own.
template <typename Interface>
HRESULT ShareOut(Interface* object, Interface** out) {
    if (!out) return E_POINTER;
    *out = object;
    if (object) object->AddRef();
    return S_OK;
}

}  // namespace zelmar::automation
