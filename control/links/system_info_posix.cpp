#include <sys/utsname.h>

#include <cstring>

#include "system_info.h"

namespace zelmar::links {

namespace {

// No Windows 9x here; the host is 64-bit when its kernel says so.
class PosixSystem final : public SystemInfo {
  public:
    bool LegacyPlatform() const override { return false; }
    bool HostIs64Bit() const override {
        utsname name{};
        if (uname(&name) != 0) return sizeof(void*) == 8;
        for (const char* machine : {"x86_64", "aarch64", "ppc64", "ppc64le", "s390x", "riscv64"}) {
            if (std::strcmp(name.machine, machine) == 0) return true;
        }
        return false;
    }
};

}  // namespace

const SystemInfo& HostSystem() {
    static PosixSystem system;
    return system;
}

}  // namespace zelmar::links
