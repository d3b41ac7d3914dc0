#include <windows.h>

#include "system_info.h"

namespace zelmar::links {

namespace {

// The version query, with the extended record first and the basic one if that
// fails; nothing when both fail.
bool QueryVersion(OSVERSIONINFOEXA& version) {
    version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return true;
    version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) != FALSE;
}

// Functions that older systems lack, found by name.
template <typename Function>
Function Kernel32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

class WindowsSystem final : public SystemInfo {
  public:
    bool LegacyPlatform() const override {
        OSVERSIONINFOEXA version;
        if (!QueryVersion(version)) return LegacyPlatformFromId(std::nullopt);
        return LegacyPlatformFromId(version.dwPlatformId);
    }

    bool HostIs64Bit() const override {
        HostFacts facts;
        SYSTEM_INFO info = {};
        using NativeInfoFn = void(WINAPI*)(SYSTEM_INFO*);
        if (auto native = Kernel32Function<NativeInfoFn>("GetNativeSystemInfo")) {
            native(&info);
        } else {
            GetSystemInfo(&info);
        }
        facts.processorArchitecture = info.wProcessorArchitecture;
        OSVERSIONINFOEXA version;
        if (QueryVersion(version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
            facts.ntMajorVersion = version.dwMajorVersion;
            facts.ntMinorVersion = version.dwMinorVersion;
            using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
            auto productInfo = Kernel32Function<ProductInfoFn>("GetProductInfo");
            DWORD type = 0;
            if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0 && productInfo &&
                productInfo(6, 0, 0, 0, &type)) {
                facts.productType = type;
            }
        }
        return HostIs64BitFrom(facts);
    }
};

}  // namespace

const SystemInfo& HostSystem() {
    static WindowsSystem system;
    return system;
}

}  // namespace zelmar::links
