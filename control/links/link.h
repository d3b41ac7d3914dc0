// What every link reports: a small closed set of failures, each with the
// operating system's error code where one explains it, and the one place
// where they become the device methods' status numbers.
#pragma once

#include <cstdint>

namespace zelmar::links {

enum class LinkError {
    kNone,
    kOpen,      // the port, device, socket or printer cannot be opened
    kSettings,  // the serial port opened but refused its settings
    kStatus,    // the printer failed the status exchange
    kWrite,     // a write of the job failed or took too long, or nothing to send
};

struct LinkResult {
    LinkError error = LinkError::kNone;
    std::uint32_t systemError = 0;  // errno, GetLastError or WSAGetLastError; 0 if none

    static LinkResult Done() { return {}; }
    static LinkResult Failed(LinkError error, std::uint32_t systemError = 0) {
        return {error, systemError};
    }
    bool ok() const { return error == LinkError::kNone; }
};

// 0, or -1 (open), -2 (settings), -3 (status), -4 (write).
std::int32_t StatusNumber(LinkError error);

}  // namespace zelmar::links
