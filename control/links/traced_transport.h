// The links' steps on the trace: each call of a transport (open, settings,
// each write with its length, each read with the reply's bytes, the end of
// the job, close), under the name of the port it was made for.
#pragma once

#include <memory>
#include <string>

#include "engine/trace.h"
#include "link.h"
#include "transport.h"

namespace zelmar::links {

inline TraceOutcome Outcome(const LinkResult& result) {
    return {result.ok(), result.systemError};
}

std::unique_ptr<Transport> Traced(std::unique_ptr<Transport> transport, std::string name);

// The transport itself while the trace is off; traced under `name()` while on.
template <typename Name>
std::unique_ptr<Transport> TracedWhenOn(std::unique_ptr<Transport> transport, const Name& name) {
    if (!TraceOn()) return transport;
    return Traced(std::move(transport), name());
}

}  // namespace zelmar::links
