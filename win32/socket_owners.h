// The owner of a Winsock socket.
#pragma once

#include <winsock2.h>  // before <windows.h>, which would bring the old winsock.h

#include "win32/unique_handle.h"

namespace zelmar::win32 {

// INVALID_SOCKET holds nothing.
using UniqueSocket = UniqueHandle<HandleTraits<SOCKET, closesocket, -1>>;

}  // namespace zelmar::win32
