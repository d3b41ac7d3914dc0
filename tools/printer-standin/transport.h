// The printer's interfaces: where its jobs come from and where its answers go.
// A transport only moves bytes; the printer reads them.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "printer.h"

namespace standin {

struct InterfaceOptions {
    std::string listen;     // "ADDR:PORT" of the TCP listener (port 0: any free port); empty: none
    bool pty = false;       // a pseudo-terminal, as a serial printer's line
    int replyDelayMs = 0;   // wait before each answer to the status query
    int idleTimeoutS = 60;  // a job silent this long is ended; 0: never
};

// What the interfaces report as they go: "listening ADDR:PORT", "pty PATH",
// a job's summary, a reset.
using Report = std::function<void(const std::string& line)>;

// Reads a file or FIFO to its end as one job. False, with `error` set, when it
// cannot be opened or read (what was read is still the job).
bool RunFileJob(Printer& printer, const std::string& path, const Report& report,
                std::string& error);

// Takes jobs from the TCP listener (each connection a job) and the
// pseudo-terminal (from the first byte until the line is closed), all at
// once, until SIGTERM or SIGINT, which end the jobs that are running. SIGHUP
// resets the printer at once, between two reads. A job silent for the idle
// time-out is ended, and a connection that lets its replies pile up unread is
// dropped. False, with `error` set, when an interface cannot be opened or
// polling fails.
bool Serve(Printer& printer, const InterfaceOptions& options, const Report& report,
           std::string& error);

// The summary line of a finished job; `ending` says how its interface ended
// it ("; idle for 60 s"), when it was not its source.
std::string Summary(const std::string& source, const JobSummary& job,
                    const std::string& ending = "");

}  // namespace standin
