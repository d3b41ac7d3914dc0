#include <iostream>

#include "cli.h"
#include "engine/trace.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The global option --trace, before the command: every step of the links
    // and files on the debug output (stderr outside Windows) and in
    // ZELMAR_TRACE_FILE when that names a file.
    if (!args.empty() && args.front() == "--trace") {
        args.erase(args.begin());
        zelmar::StartTrace({true, zelmar::TraceSettingsFromSystem().file});
    }
    return zelmar::cli::Run(args, std::cout, std::cerr);
}
