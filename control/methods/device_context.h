// What the device methods need of the platform, injected so that every job
// runs natively against fakes in the tests.
#pragma once

#include "engine/message_sink.h"
#include "links/clock.h"
#include "links/ports.h"
#include "links/spooler.h"
#include "links/system_info.h"

namespace zelmar {

struct DeviceContext {
    links::Clock& clock;
    const links::SystemInfo& system;
    MessageSink& messages;
    links::Spooler* spooler = nullptr;  // null where the platform has none
    links::Ports* ports = nullptr;      // the direct links' transports
};

// The running system's clock, information, spooler and ports, with `messages`.
DeviceContext HostDeviceContext(MessageSink& messages);

// Status numbers of the device methods beyond the links' own (0, -1 ... -4).
constexpr int32_t kNoSuchPrinter = -5;  // no installed printer's name begins with the name

}  // namespace zelmar
