// The names and numbers by which hosts find the control, beside those of the
// type library (zelmar_h.h).
#pragma once

#include <windows.h>

#include <ole2.h>

namespace zelmar::automation {

inline constexpr wchar_t kControlProgId[] = L"ZELMAR.ZelmarCtrl.1";
inline constexpr wchar_t kTypeLibVersion[] = L"1.0";

// {A7B202AB-A508-4235-9C97-C25799782590}
inline constexpr CLSID CLSID_ZelmarPropPage = {
    0xa7b202ab, 0xa508, 0x4235, {0x9c, 0x97, 0xc2, 0x57, 0x99, 0x78, 0x25, 0x90}};

// What a container must know before it loads the control.
inline constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 131473);

}  // namespace zelmar::automation
