#include "device_context.h"

namespace zelmar {

DeviceContext HostDeviceContext(MessageSink& messages) {
    return {links::SystemClock(), links::HostSystem(), messages, links::SystemSpooler(),
            &links::SystemPorts()};
}

}  // namespace zelmar
