// Owners of kernel objects (files, ports, devices, events), loaded libraries
// and registry keys: what <windows.h> alone declares.
#pragma once

#include <windows.h>

#include "win32/unique_handle.h"

namespace zelmar::win32 {

// Files, ports and devices: CreateFile's failure, INVALID_HANDLE_VALUE, is empty.
using UniqueFile = UniqueHandle<HandleTraits<HANDLE, CloseHandle, -1>>;
// Events and the other objects whose functions fail with null.
using UniqueEvent = UniqueHandle<HandleTraits<HANDLE, CloseHandle>>;
using UniqueLibrary = UniqueHandle<HandleTraits<HMODULE, FreeLibrary>>;
using UniqueHkey = UniqueHandle<HandleTraits<HKEY, RegCloseKey>>;

}  // namespace zelmar::win32
