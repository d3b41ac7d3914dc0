// No C++ exception crosses an export or a COM method: each ends in one of
// these guards, which turn an exception into the caller's error convention.
#pragma once

#include <windows.h>

#include <new>

namespace zelmar::win32 {

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

// For exports that return a BOOL and set the thread's last error: runs `body`;
// an exception gives FALSE with ERROR_NOT_ENOUGH_MEMORY or ERROR_INTERNAL_ERROR.
template <typename Body>
BOOL GuardedBool(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_INTERNAL_ERROR);
    }
    return FALSE;
}

}  // namespace zelmar::win32
