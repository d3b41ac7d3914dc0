// The owner of a spooler printer handle (OpenPrinter, ClosePrinter).
#pragma once

#include <windows.h>

#include <winspool.h>

#include "win32/unique_handle.h"

namespace zelmar::win32 {

using UniquePrinter = UniqueHandle<HandleTraits<HANDLE, ClosePrinter>>;

}  // namespace zelmar::win32
