// Owners of windows and of the GDI objects they draw with.
#pragma once

#include <windows.h>

#include "win32/unique_handle.h"

namespace zelmar::win32 {

using UniqueWindow = UniqueHandle<HandleTraits<HWND, DestroyWindow>>;
using UniqueBrush = UniqueHandle<HandleTraits<HBRUSH, DeleteObject>>;
using UniqueBitmap = UniqueHandle<HandleTraits<HBITMAP, DeleteObject>>;
using UniqueDc = UniqueHandle<HandleTraits<HDC, DeleteDC>>;  // CreateDC's, not GetDC's

}  // namespace zelmar::win32
