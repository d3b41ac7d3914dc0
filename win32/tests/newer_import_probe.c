/* A module that imports a call Windows XP lacks: the module check must refuse it. */
#include <windows.h>

__declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

__declspec(dllexport) ULONGLONG Probe(void) {
    return GetTickCount64();
}
