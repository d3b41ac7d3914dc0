// The in-process server's state: its module handle, the count of living
// objects and locks that DllCanUnloadNow reports, and the type library,
// loaded once for the module.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "win32/com_owners.h"
#include "win32/guard.h"

namespace zelmar::automation {

// Set by DllMain; null in a program that links the control's code itself,
// which then finds its resources and type library in its own executable.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();
// The module's full path, as registered and as LoadTypeLibEx reads it.
std::wstring ModulePath();
// A string of the module's string table.
std::wstring ModuleString(UINT id);
// The type library embedded in the module, loaded on first use.
HRESULT ModuleTypeLib(win32::ComPtr<ITypeLib>& library);
// For the module's unload.
void ReleaseModuleTypeLib();

// Every object, every class factory reference and every LockServer count.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

}  // namespace zelmar::automation
