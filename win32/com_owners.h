// Owners of COM resources: interface pointers, BSTRs and VARIANTs.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include "win32/unique_handle.h"

namespace zelmar::win32 {

using Microsoft::WRL::ComPtr;

using UniqueBstr = UniqueHandle<HandleTraits<BSTR, SysFreeString>>;

// A VARIANT cleared when it goes.
class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    const VARIANT& get() const { return value_; }
    // For a function that returns a VARIANT through a pointer: clears what is
    // held and gives its address.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }

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

}  // namespace zelmar::win32
