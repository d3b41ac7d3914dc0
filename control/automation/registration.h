// Self-registration of the module: its type library, the control class and
// the property-page class.
#pragma once

#include <windows.h>

namespace zelmar::automation {

// S_OK, SELFREG_E_TYPELIB when the type library cannot be registered (the
// classes are then left alone), or SELFREG_E_CLASS.
HRESULT RegisterServer();

// S_OK, SELFREG_E_TYPELIB or SELFREG_E_CLASS. The classes are removed even
// when the type library's entries are already gone.
HRESULT UnregisterServer();

}  // namespace zelmar::automation
