// The in-process server: its module handle, the count of living objects and
// locks that DllCanUnloadNow reports, and the guard that keeps C++ exceptions
// inside every COM method and export.
#pragma once

#include <windows.h>

#include <new>
#include <string>

#include "owners.h"

namespace zelmar::automation {

HINSTANCE ModuleInstance();
// The module's full path, as registered and as LoadTypeLibEx reads it.
std::wstring ModulePath();
// A string of the module's string table.
std::wstring ModuleString(UINT id);
// The type library embedded in the module.
HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& library);

// Every object, every class factory reference and every LockServer count.
void ModuleAddRef();
void ModuleRelease();

// Runs `body`, which returns an HRESULT; an exception becomes an error code.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace zelmar::automation
